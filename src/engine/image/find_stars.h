// Automatic detection of the stars of an image: local maxima, a local sky
// ring and a two-dimensional Gaussian fit by successive one-parameter searches.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "image/fits_image.h"
#include "text/fixed_columns.h"
#include "text/progress.h"
#include "text/result.h"

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

inline constexpr char kNoStarsForFwhm[] = "No hay estrellas para FWHM";

// Mean FWHM of the stars found on a grid of probes over the middle third of
// the image; kNoStarsForFwhm when there is none.
Result<double> MeanFWHM(const TPlaca& image, int saturation);

// The acceptance test of the search: SNR above minSnr, flux above
// minCounts, no flag, and FWHM above 1.2.
bool AcceptStar(const StarFit& fit, int minCounts, double minSnr);

// Formats one star-list line.
std::string FormatStarLine(const StarFit& fit);

// The thresholds of the automatic search.
struct StarSearch {
  int minCounts = 5000;    // MINADU: least net counts
  int saturation = 50000;  // LSAT: a brighter pixel flags the star
  double minSnr = 30;      // MINRSR: least signal-to-noise ratio
  int halfSize = 0;        // 0: the whole image; else the central square of that half-size
};

struct FoundStars {
  std::vector<StarFit> stars;  // in search order, column by column
  // The star radius the search used: nearest(mean FWHM - 0.5), at least 1;
  // 0 when no star could be found to measure the FWHM on.
  int radius = 0;
  std::string notice;  // kNoStarsForFwhm then; not a failure
};

// Searches the image for stars above the thresholds. Progress: kOverall with
// the column being examined of the image's width, and the text
// "Localizando estrellas (n%)". Fails only when stopped.
Result<FoundStars> FindStars(const TPlaca& image, const StarSearch& search,
                             std::stop_token stop = {}, const Progress& progress = {});

}  // namespace lumenda
