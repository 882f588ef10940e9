// What the light-curve windows share besides the graph settings: the curve
// data, the marks of the trend correction, the table of the "Variables?"
// page, and the fields of the report page and its three dialogs.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "curves/aavso_report.h"
#include "curves/chart_series.h"
#include "curves/general_report.h"
#include "curves/light_curve.h"
#include "curves/minor_reports.h"

namespace lumenda {

struct CurveState {
  LightCurve curve;             // SourceRows, GroupedRows, AavsoRows, trend, day base
  std::array<Mark, 4> marks{};  // marks 1-4 of "Corregir inclinación"
  // GraphInstrumental: tInstrumental or tPosiblesVariables, as the
  // "Variables?" page draws it.
  std::vector<std::string> graphInstrumental;
  bool dataChanged = false;  // results edited since the window opened
};

// The "Informe" page: column options and decimals, and what the AAVSO,
// ALCDEF and CdR dialogs hold between reports.
struct ReportFields {
  ReportOptions options;
  AavsoFields aavso;
  AlcdefFields alcdef;
  CdrFields cdr;
};

}  // namespace lumenda
