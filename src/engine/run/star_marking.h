// The image operation behind star marking: relocating a star file into a
// new image.
#pragma once

#include <string>
#include <vector>

#include "image/fits_image.h"
#include "image/measure_star.h"
#include "run/star_list.h"

namespace lumenda {

// Relocates the stars of a star file into `image` (re-centred with
// MeasureStar, lost ones at -100, -100), as RelocateStars describes.
void RelocateStarFile(const TPlaca& image, const ApertureSettings& aperture,
                      const std::vector<std::string>& starFileLines, const PositionMap& map,
                      std::vector<std::string>& lbVar, std::vector<std::string>& lbCali);

}  // namespace lumenda
