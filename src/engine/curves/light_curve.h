// The light-curve data: the source rows chosen by the photometry mode, their
// grouping and averaging into GroupedRows and AavsoRows.
#pragma once

#include <string>
#include <vector>

#include "curves/graph_settings.h"
#include "curves/time_scales.h"
#include "run/results_tables.h"
#include "text/dates.h"
#include "text/result.h"

namespace lumenda {

// State of the light-curve window's series (rebuilt on every recomputation,
// except the trend, which stays until undone).
struct LightCurve {
  std::vector<std::string> SourceRows;
  std::vector<std::string> GroupedRows;
  std::vector<std::string> AavsoRows;
  bool RelativeMode = false;
  bool EnsembleFlag = false;
  // Star columns of the source table (entries of "Variable 1").
  int starCount = 0;
  double TrendSlope = 0.0;
  double TrendIntercept = 0.0;
  int ChartDayBase = 0;

  // Trend value at calendar date `date`: the trend is fitted on the chart's
  // time axis (Julian dates unless the scale shows calendar dates), less the base.
  double TrendAt(double date, TimeScale scale) const {
    double t = date;
    if (scale != TimeScale::kMpc && scale != TimeScale::kDateTime) t += kCalendarToJD;
    t -= ChartDayBase;
    return t * TrendSlope + TrendIntercept;
  }
};

inline constexpr char kAbsoluteUnavailable[] =
    "Nombre de estrellas de calibrado no numérico,\r\n"
    "informe de fotometría absoluta no disponible.";

// Rebuilds SourceRows from the table of the mode and groups them. Absolute
// photometry without tAbsoluta: returns the warning, switches `settings` back
// to relative photometry and leaves `curve` as it was.
Status BuildSourceRows(const ResultsTables& tables, GraphSettings& settings, LightCurve& curve);

// Rebuilds GroupedRows and AavsoRows from SourceRows.
void GroupMeasurements(const GraphSettings& settings, LightCurve& curve);

// Averages `group` (source rows) into one grouped row and at most one AAVSO
// row, then clears `group`.
void EmitGroup(std::vector<std::string>& group, const GraphSettings& settings, LightCurve& curve);

// Name of Variable 1 / Variable 2 ("" when none is chosen).
std::string Variable1Name(const ResultsTables& tables, const GraphSettings& settings);
std::string Variable2Name(const ResultsTables& tables, const GraphSettings& settings);
bool HasVariable2(const GraphSettings& settings);

// Field coordinates of the loaded results.
SkyPosition FieldPosition(const ResultsTables& tables);
// Sky position of star column k: its lVarRADec entry when the list has one
// entry per star column, else the field.
SkyPosition StarPosition(const ResultsTables& tables, int k);

}  // namespace lumenda
