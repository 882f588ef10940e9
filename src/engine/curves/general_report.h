// The general report of the "Informe" page: a fixed-column table of the
// grouped light curve.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "curves/graph_settings.h"
#include "curves/light_curve.h"
#include "run/results_tables.h"
#include "settings/settings.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// Column options and decimals of the "Informe" page.
struct ReportOptions {
  bool order = true;         // cbOrden2 "N. Orden"
  bool count = true;         // cbCant2 "Cantidad"
  bool rsr = true;           // cbRSR2 "RSR"
  bool airMass = true;       // cbAirmass
  bool transparency = true;  // cbTrans
  bool fwhm = true;          // cbFWHM
  bool background = true;    // cbBrillo "Brillo de fondo"
  int decimals = 3;          // upDec2, 1..5
};

// The options as kept in the settings (G_ORD .. G_BRI, G_DEC).
ReportOptions ReportOptionsFromSettings(const Settings& settings);

// "0." followed by `decimals` zeros (1..5).
std::string DecimalsMask(int decimals);
// The decimals the page's up-down offers: 1 to 5, else the message.
Status CheckReportDecimals(int decimals);

// What the reports take from the results besides the grouped rows.
struct ReportSource {
  const ResultsTables* tables = nullptr;
  // Comparison-star lines of the results file (after its first two lines, up
  // to the first empty one).
  std::vector<std::string> comparisonLines;
  std::string observer;     // OBS
  std::string versionText;  // VersionText
};

std::vector<std::string> ComparisonLines(const std::vector<std::string>& resultsFileLines);

// Builds the general report, line by line. Progress: kOverall, rows of the
// curve done of total, every few thousand rows, where the stop is checked.
Result<std::vector<std::string>> GeneralReport(
    const LightCurve& curve, const GraphSettings& settings, const ReportOptions& options,
    const ReportSource& source, std::stop_token stop = {}, const Progress& progress = {});

}  // namespace lumenda
