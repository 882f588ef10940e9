// GIF pictures: a light-curve page (few colours plus antialiasing, the
// usual case) and a photograph-like picture that needs the full quantizer.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "image/gif_writer.h"

namespace {

lumenda::RgbPicture MakePicture(int width, int height, bool photo) {
  lumenda::RgbPicture p{width, height, {}};
  p.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  std::uint32_t state = 7;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int r = 0xE7, g = 0xE8, b = 0xE9;
      if (photo) {
        state = state * 1664525u + 1013904223u;
        const int noise = static_cast<int>(state >> 28) - 8;
        r = (x * 255 / width + noise) & 0xFF;
        g = (y * 255 / height + noise) & 0xFF;
        b = ((x + y) * 127 / (width + height) + 64) & 0xFF;
      } else {
        // A wavy red curve and blue points, antialiased over the background.
        const double d = std::abs(y - (height / 2 + 80 * std::sin(x / 40.0)));
        if (d < 2) {
          const double a = 1 - d / 2;
          r = static_cast<int>(a * 255 + (1 - a) * r);
          g = static_cast<int>((1 - a) * g);
          b = static_cast<int>((1 - a) * b);
        } else if ((x % 23 - 11) * (x % 23 - 11) + (y % 31 - 15) * (y % 31 - 15) < 9) {
          r = 0, g = 0, b = 128;
        }
      }
      p.rgb.insert(p.rgb.end(), {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                 static_cast<std::uint8_t>(b)});
    }
  }
  return p;
}

void BM_GifChartPage(benchmark::State& state) {
  const lumenda::RgbPicture picture = MakePicture(1000, 700, false);
  for (auto _ : state) benchmark::DoNotOptimize(lumenda::EncodeGif(picture));
}
BENCHMARK(BM_GifChartPage)->Unit(benchmark::kMillisecond);

void BM_GifPhotograph(benchmark::State& state) {
  const lumenda::RgbPicture picture = MakePicture(1000, 700, true);
  for (auto _ : state) benchmark::DoNotOptimize(lumenda::EncodeGif(picture));
}
BENCHMARK(BM_GifPhotograph)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
