// Automatic detection of the stars of an image: local maxima, a local sky
// ring and a two-dimensional Gaussian fit by successive one-parameter searches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/fits_image.h"
#include "text/fixed_columns.h"

namespace lumenda {

// One line of the star list: right-aligned fields at these 1-based columns,
// blanks between them. A value wider than its field is written whole and
// pushes the rest to the right.
struct StarListColumns {
  static constexpr Column kX{1, 7};             // centre x, "0.00"
  static constexpr Column kY{10, 16};           // centre y, "0.00"
  static constexpr Column kFlux{19, 25};        // integer
  static constexpr Column kBackground{28, 32};  // integer
  static constexpr Column kPeakSnr{35, 40};     // "0.0"
  static constexpr Column kSnr{43, 48};         // "0.0"
  static constexpr Column kFwhm{52, 54};        // "0.0"
  static constexpr Column kFlag{57, 57};        // blank for listed stars
};

// Result of FitStar; positions in image coordinates.
struct StarFit {
  float x = 0;
  float y = 0;
  int32_t background = 0;
  int32_t flux = 0;
  float fwhm = 0;  // 2.355 * sigma
  float snr = 0;
  float peakSnr = 0;
  // 'S' saturated, 'C' too sharp (FWHM < 0.6), 'F' too wide (FWHM > 5.0),
  // ' ' otherwise.
  char flag = ' ';
};

// Fits B + A * exp(-r^2 / (2 sigma^2)) to the (2h + 1)^2 box centred on
// pixel (x, y). A pixel above `saturation` flags the star 'S'.
StarFit FitStar(const TPlaca& image, int x, int y, int h, int saturation);

// Mean FWHM of the stars found on a grid of probes over the middle third of
// the image; 0 with "No hay estrellas para FWHM" in `message` when none.
double MeanFWHM(const TPlaca& image, int saturation, std::string& message);

// The acceptance test of the search: SNR above minSnr, flux above
// minCounts, no flag, and FWHM above 1.2.
bool AcceptStar(const StarFit& fit, int minCounts, double minSnr);

// Formats one star-list line.
std::string FormatStarLine(const StarFit& fit);

// Searches the image (halfSize 0) or the central square of half-size
// `halfSize` for stars above the thresholds. Replaces the image's star list,
// its scan position and its STYRADIO card; returns the list.
std::vector<std::string> FindStars(TPlaca& image, int halfSize, int minCounts, int saturation,
                                   double minSnr, std::string& message);

}  // namespace lumenda
