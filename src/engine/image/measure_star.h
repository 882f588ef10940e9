// Aperture photometry of one star: peak search, sky from an annulus,
// centroid, aperture sum with sub-pixel edge weights, RSR and a half-flux
// diameter used as FWHM.
#pragma once

#include <cstdint>

#include "image/fits_image.h"

namespace lumenda {

// The measurement settings (mirrors of RADIO, RADIOI, RADIOE, FLIPX, FLIPY).
struct ApertureSettings {
  double radio = 10;
  int radioI = 10;
  int radioE = 10;
  bool flipX = false;
  bool flipY = false;
};

// Positions in display coordinates (flips applied), the rest in image units.
struct StarMeasurement {
  double x = 0;
  double y = 0;
  int32_t flux = 1;   // net counts in the aperture, at least 1
  uint16_t peak = 0;  // brightest pixel minus the rounded sky, 0 when below it
  double rsr = 0;     // 0.5 * sqrt(flux / 3)
  double sky = 0;     // interquartile mean of the annulus, per pixel
  double fwhm = 0;    // half-flux diameter in pixels
};

// Measures the star nearest to display position (x, y). MaxX and MaxY are
// Width() - 1 and Height() - 1 of `image`. Keeps no state; pixels outside the
// image read as 0.
StarMeasurement MeasureStar(const TPlaca& image, const ApertureSettings& settings, double x,
                            double y);

// True when the aperture at (x, y) keeps two pixels clear of every edge:
// radio + 2 <= x <= MaxX - radio - 2, and the same for y.
bool InsideMargin(const TPlaca& image, const ApertureSettings& settings, double x, double y);

}  // namespace lumenda
