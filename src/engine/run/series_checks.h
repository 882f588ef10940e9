// The checks the main window makes around a series: whether a following
// series has previous results to continue, and whether the comparison stars
// are named by their catalogue magnitudes.
#pragma once

#include <string>
#include <vector>

#include "run/star_list.h"

namespace lumenda {

// Both "instrumental.txt" and "estrellas.txt" are in the user folder.
bool PreviousSeriesPresent(const std::string& appDir);
inline constexpr char kNoPreviousSeries[] = "Datos anteriores no encontrados.";

// The confirmation asked before listing the images of a series.
std::string SeriesConfirmation(bool primeraSerie);

// The notice shown after marking a first series when a comparison star's
// name (from column 19, up to the first blank) is not a number; empty when
// every name is one.
std::string ComparisonNameNotice(const std::vector<StarEntry>& comparisons);

}  // namespace lumenda
