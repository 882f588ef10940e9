// Synthetic star fields built in memory for the measurement tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "image/fits_image.h"

namespace lumenda::test {

struct PlantedStar {
  double x;
  double y;
  double flux;   // total counts
  double sigma;  // Gaussian sigma in pixels
};

// A flat sky with optional deterministic noise (uniform, +-noise) and
// Gaussian stars sampled at pixel centres; values clipped to 0..65535.
inline TPlaca MakeField(int width, int height, double sky, int noise,
                        const std::vector<PlantedStar>& stars, uint32_t seed = 1) {
  TPlaca image;
  image.Resize(width, height);
  uint32_t state = seed;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double v = sky;
      if (noise > 0) {
        state = state * 1664525u + 1013904223u;
        v += static_cast<int>((state >> 8) % (2 * noise + 1)) - noise;
      }
      for (const auto& s : stars) {
        const double dx = x - s.x, dy = y - s.y;
        if (dx * dx + dy * dy > 400 * s.sigma * s.sigma) continue;
        v += s.flux / (2 * M_PI * s.sigma * s.sigma) *
             std::exp(-(dx * dx + dy * dy) / (2 * s.sigma * s.sigma));
      }
      image.SetPixel(x, y, static_cast<uint16_t>(std::clamp(std::nearbyint(v), 0.0, 65535.0)));
    }
  }
  return image;
}

}  // namespace lumenda::test
