// Small noise-free star fields written as FITS files, for run tests that
// need exact control over where stars go and how bright they are.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "image/fits_writer.h"
#include "text/number_format.h"

namespace lumenda::test {

struct SynthStar {
  double x;
  double y;
  double flux;  // total counts of the Gaussian
};

// A 100 x 100 frame (or w x h) with Gaussian stars (sigma 1.5 px) on a flat
// sky; DATE-OBS at 01:00 UT plus `minute` minutes on 2015-06-12, 30 s.
inline void WriteSynthImage(const std::string& path, const std::vector<SynthStar>& stars,
                            int minute, double sky = 100, int w = 100, int h = 100,
                            const std::string& day = "2015-06-12") {
  FitsImage16 img;
  img.width = w;
  img.height = h;
  img.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  const double s2 = 2 * 1.5 * 1.5;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double v = sky;
      for (const SynthStar& s : stars) {
        const double d2 = (x - s.x) * (x - s.x) + (y - s.y) * (y - s.y);
        if (d2 < 200) v += s.flux * std::exp(-d2 / s2) / (3.14159265358979 * s2);
      }
      img.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
          static_cast<uint16_t>(std::lround(std::fmin(v, 65535)));
    }
  const int hh = 1 + minute / 60, mm = minute % 60;
  img.cards = {StringCard("DATE-OBS",
                          day + "T" + FormatFloat("00", hh) + ":" + FormatFloat("00", mm) + ":00"),
               NumberCard("EXPTIME", "0.0", 30.0), StringCard("OBJCTRA", "20 15 30.0"),
               StringCard("OBJCTDEC", "+38 20 00")};
  const Status written = WriteFits16(path, img);
  ASSERT_TRUE(written.ok()) << written.message;
}

}  // namespace lumenda::test
