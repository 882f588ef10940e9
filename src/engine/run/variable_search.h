// Search of the measured star columns for those that behave like variables.
#pragma once

#include <string>
#include <vector>

#include "run/results_tables.h"

namespace lumenda {

// Threshold of the ratio scatter / mean jump for sensitivity 1, 2, 3
// (1.4, 1.3, 1.2); other values give the threshold of sensitivity 1.
double SensitivityThreshold(int sensitivity);

// Removes the listed star columns (start positions, 1-based, each 20
// characters) from line 0 and every other line of `table`. `removal` is
// sorted ascending without duplicates; removal goes from the highest down.
// Every tenth entry reports `progressText` + entry index.
void RemoveColumns(std::vector<std::string>& table, const std::vector<int>& removal,
                   const std::string& progressText, const ProgressText& progress = {});

// Drops from tInstrumental (header + rows) the star columns that never
// had a value.
void DropEmptyColumns(std::vector<std::string>& tInstrumental, const ProgressText& progress = {});

// Builds tPosiblesVariables from tInstrumental for a sensitivity 1..3.
std::vector<std::string> SearchVariables(const std::vector<std::string>& tInstrumental,
                                         int sensitivity, const ProgressText& progress = {});

}  // namespace lumenda
