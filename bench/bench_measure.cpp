// Star measurement speed: MeasureStar per star, MeanFWHM and FindStars on a
// 2048 x 2048 field of about 50 stars (sky gradient, noise, FWHM 2.5-4).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "image/find_stars.h"
#include "image/measure_star.h"

namespace {

struct Star {
  double x, y, flux, sigma;
};

struct Field {
  lumenda::TPlaca image;
  std::vector<Star> stars;
};

// Deterministic field: sky 800 rising to 1100 across the frame, Gaussian
// noise of about 12 counts, stars of 5000..300000 counts.
Field MakeField(int side, int count) {
  Field field;
  field.image.Resize(side, side);
  uint32_t state = 2024;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  };
  for (int i = 0; i < count; ++i) {
    const double fwhm = 2.5 + 1.5 * next();
    field.stars.push_back({40 + next() * (side - 80), 40 + next() * (side - 80),
                           5000 + next() * 295000, fwhm / 2.3548});
  }
  uint16_t* data = field.image.MutableData();
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      // Sum of four uniforms: roughly Gaussian noise.
      const double noise = (next() + next() + next() + next() - 2.0) * 20.0;
      data[static_cast<size_t>(y) * side + x] =
          static_cast<uint16_t>(800 + 300.0 * (x + y) / (2.0 * side) + noise);
    }
  }
  for (const Star& s : field.stars) {
    const int r = static_cast<int>(6 * s.sigma) + 1;
    for (int y = static_cast<int>(s.y) - r; y <= static_cast<int>(s.y) + r; ++y) {
      for (int x = static_cast<int>(s.x) - r; x <= static_cast<int>(s.x) + r; ++x) {
        const double dx = x - s.x, dy = y - s.y;
        const double v = s.flux / (2 * M_PI * s.sigma * s.sigma) *
                         std::exp(-(dx * dx + dy * dy) / (2 * s.sigma * s.sigma));
        uint16_t& p = data[static_cast<size_t>(y) * side + x];
        p = static_cast<uint16_t>(std::min(65535.0, p + v));
      }
    }
  }
  return field;
}

const Field& Field2048() {
  static const Field field = MakeField(2048, 50);
  return field;
}

void BM_MeasureStar(benchmark::State& state) {
  const Field& field = Field2048();
  lumenda::ApertureSettings settings;
  settings.radio = static_cast<double>(state.range(0));
  size_t i = 0;
  for (auto _ : state) {
    const Star& s = field.stars[i++ % field.stars.size()];
    benchmark::DoNotOptimize(lumenda::MeasureStar(field.image, settings, s.x + 0.7, s.y - 0.4));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MeasureStar)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond);

void BM_FitStar(benchmark::State& state) {
  const Field& field = Field2048();
  size_t i = 0;
  for (auto _ : state) {
    const Star& s = field.stars[i++ % field.stars.size()];
    benchmark::DoNotOptimize(lumenda::FitStar(field.image, static_cast<int>(std::lround(s.x)),
                                              static_cast<int>(std::lround(s.y)), 4, 60000));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FitStar)->Unit(benchmark::kMicrosecond);

void BM_MeanFWHM(benchmark::State& state) {
  const Field& field = Field2048();
  for (auto _ : state) benchmark::DoNotOptimize(lumenda::MeanFWHM(field.image, 60000).value);
}
BENCHMARK(BM_MeanFWHM)->Unit(benchmark::kMillisecond);

void BM_FindStars(benchmark::State& state) {
  const lumenda::TPlaca& image = Field2048().image;
  size_t found = 0;
  for (auto _ : state)
    found = lumenda::FindStars(image, lumenda::StarSearch{2000, 60000, 30, 0}).value.stars.size();
  state.counters["estrellas"] = static_cast<double>(found);
}
BENCHMARK(BM_FindStars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
