// Search of the measured star columns for those that behave like variables.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// Threshold of the ratio scatter / mean jump for sensitivity 1, 2, 3
// (1.4, 1.3, 1.2); other values give the threshold of sensitivity 1.
double SensitivityThreshold(int sensitivity);

// Drops from tInstrumental (header + rows) the star columns that never
// had a value. Progress: kStage per star column.
void DropEmptyColumns(std::vector<std::string>& tInstrumental, const Progress& progress = {});

// Builds tPosiblesVariables from tInstrumental for a sensitivity 1..3: the
// columns whose scatter over mean jump reaches the threshold. Progress:
// kStage per star column ("Buscando posibles variables... k", done k of
// total), then per tenth column removed. The stop is checked per column.
Result<std::vector<std::string>> SearchVariables(const std::vector<std::string>& tInstrumental,
                                                 int sensitivity, std::stop_token stop = {},
                                                 const Progress& progress = {});

}  // namespace lumenda
