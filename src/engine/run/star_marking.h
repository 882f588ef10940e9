// The image operations behind star marking: relocating a star file into a
// new image and locating every star of the field ("Todas").
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

// "Todas": runs the automatic search over the whole image (minimum counts
// MINADU, saturation LSAT, minimum signal-to-noise MINRSR) and adds the stars
// found to lbVar as "VS_" stars (AddAutoStars). Returns the number added;
// `message` receives the search's message ("No hay estrellas para FWHM").
int LocateAllStars(TPlaca& image, const ApertureSettings& aperture, int minAdu, int lsat,
                   double minRsr, std::vector<std::string>& lbVar,
                   const std::vector<std::string>& lbCali, std::string& message);

}  // namespace lumenda
