// The linear plate solution an image may carry in its header.
#pragma once

#include "astro/coords.h"
#include "image/fits_image.h"

namespace lumenda {

// CRPIX1, CRVAL1, CDELT1, CROTA1, CRPIX2, CRVAL2, CDELT2, CROTA2 read as
// numbers; `valid` only when all eight are present and read.
struct PlateReading {
  PlateSolution solution;
  bool valid = false;
};
PlateReading ReadPlateSolution(const TPlaca& image);

}  // namespace lumenda
