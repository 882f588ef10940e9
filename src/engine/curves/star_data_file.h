// "Guarda datos": the results file reduced to one measured star.
#pragma once

#include <string>
#include <vector>

#include "curves/graph_settings.h"
#include "curves/light_curve.h"
#include "run/results_tables.h"
#include "text/result.h"

namespace lumenda {

// The lines of the star data file of `starName`: the file's opening lines, the
// star's sky position, then header, separator and rows with only that star's
// column. While a trend correction is active in a relative mode, each
// measured magnitude is corrected as on the chart and its counts are changed
// by the same factor, so that counts and magnitude still agree.
// "Estrella no encontrada." when no column carries that name.
Result<std::vector<std::string>> StarDataFile(const std::vector<std::string>& resultsFileLines,
                                              const std::string& starName,
                                              const ResultsTables& tables, const LightCurve& curve,
                                              const GraphSettings& settings);

}  // namespace lumenda
