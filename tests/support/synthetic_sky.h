// Synthetic star fields: Gaussian stars on a flat sky, in memory or as FITS
// files, for every test that needs stars exactly where it put them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "image/fits_image.h"
#include "image/fits_writer.h"
#include "text/number_format.h"

namespace lumenda::test {

struct PlantedStar {
  double x;
  double y;
  double flux;         // total counts
  double sigma = 1.5;  // Gaussian sigma in pixels
};

// Counts row by row: a flat sky with optional deterministic noise (uniform,
// +-noise) and the stars sampled at pixel centres, clipped to 0..65535.
inline std::vector<uint16_t> RenderField(int width, int height, double sky, int noise,
                                         const std::vector<PlantedStar>& stars, uint32_t seed = 1) {
  std::vector<double> v(static_cast<size_t>(width) * static_cast<size_t>(height), sky);
  uint32_t state = seed;
  for (double& value : v) {
    if (noise <= 0) break;
    state = state * 1664525u + 1013904223u;
    value += static_cast<int>((state >> 8) % (2 * noise + 1)) - noise;
  }
  for (const PlantedStar& s : stars) {
    // Beyond 20 sigma a star adds nothing a count could show.
    const double reach = 20 * s.sigma;
    const int x0 = std::max(0, static_cast<int>(std::floor(s.x - reach)));
    const int x1 = std::min(width - 1, static_cast<int>(std::ceil(s.x + reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(s.y - reach)));
    const int y1 = std::min(height - 1, static_cast<int>(std::ceil(s.y + reach)));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double dx = x - s.x, dy = y - s.y;
        if (dx * dx + dy * dy > reach * reach) continue;
        v[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] +=
            s.flux / (2 * M_PI * s.sigma * s.sigma) *
            std::exp(-(dx * dx + dy * dy) / (2 * s.sigma * s.sigma));
      }
  }
  std::vector<uint16_t> counts(v.size());
  for (size_t i = 0; i < v.size(); ++i)
    counts[i] = static_cast<uint16_t>(std::clamp(std::nearbyint(v[i]), 0.0, 65535.0));
  return counts;
}

inline TPlaca MakeField(int width, int height, double sky, int noise,
                        const std::vector<PlantedStar>& stars, uint32_t seed = 1) {
  const std::vector<uint16_t> counts = RenderField(width, height, sky, noise, stars, seed);
  TPlaca image;
  image.Resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.SetPixel(
          x, y,
          counts[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]);
  return image;
}

// A field written as a FITS file dated 01:00 UT plus `minute` minutes on
// `day`, 30 s of exposure, pointed at 20 15 30.0 +38 20 00.
inline void WriteSynthImage(const std::string& path, const std::vector<PlantedStar>& stars,
                            int minute, double sky = 100, int w = 100, int h = 100,
                            const std::string& day = "2015-06-12") {
  FitsImage16 img;
  img.width = w;
  img.height = h;
  img.pixels = RenderField(w, h, sky, 0, stars);
  const int hh = 1 + minute / 60, mm = minute % 60;
  img.cards = {StringCard("DATE-OBS",
                          day + "T" + FormatFloat("00", hh) + ":" + FormatFloat("00", mm) + ":00"),
               NumberCard("EXPTIME", "0.0", 30.0), StringCard("OBJCTRA", "20 15 30.0"),
               StringCard("OBJCTDEC", "+38 20 00")};
  const Status written = WriteFits16(path, img);
  ASSERT_TRUE(written.ok()) << written.message;
}

}  // namespace lumenda::test
