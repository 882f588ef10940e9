// The simulated sample night: a series of CCD images of one field with two
// variable stars, three comparison stars named by their catalogue magnitudes
// and a check star, plus the star file that marks them and a truth file
// ("verdad.txt") with the true magnitudes and positions of every image.
// The demo and the tests run the whole program on it.
#pragma once

#include <string>

#include "text/result.h"

namespace lumenda {

inline constexpr int kSampleWidth = 512;
inline constexpr int kSampleHeight = 512;
inline constexpr int kSampleMaxImages = 80;  // about seven hours at the fixed cadence

// "muestra_001.fit" for index 1.
std::string SampleImageName(int index1);

// Writes `images` FITS files "muestra_NNN.fit", "estrellas.txt" and
// "verdad.txt" into `folder` (created when missing). The same seed gives the
// same bytes; images 1..k are the same whatever the total number.
Status WriteSampleNight(const std::string& folder, int images = 60, unsigned seed = 1);

// The text of "verdad.txt" for that night (computed without the images).
std::string SampleNightTruth(int images, unsigned seed);

}  // namespace lumenda
