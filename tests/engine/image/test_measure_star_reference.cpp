// MeasureStar against a slow, plain implementation of the same steps (full
// sort for the sky, all 100 sample points for every edge pixel, full sort of
// the growth curve) over many synthetic stars. Every result must be equal to
// the last bit: the fast paths may only skip work, never change a number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "image/measure_star.h"
#include "synthetic_sky.h"

namespace lumenda {
namespace {

long long Round(double v) {
  return static_cast<long long>(std::nearbyint(v));
}

double ReferenceSky(const TPlaca& image, int px, int py, int inner, int outer) {
  std::vector<int> values;
  for (int x = px - outer; x <= px + outer; ++x) {
    for (int y = py - outer; y <= py + outer; ++y) {
      if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height()) continue;
      const double d = std::sqrt(static_cast<double>((x - px) * (x - px) + (y - py) * (y - py)));
      if (inner < d && d < outer) values.push_back(image.Pixel(x, y));
    }
  }
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const long long n = static_cast<long long>(values.size());
  // Rank 0.75 * N rounds past the end for one or two values.
  const long long lo = std::min(Round(0.25 * n), n - 1);
  const long long hi = std::clamp(Round(0.75 * n), lo, n - 1);
  double sum = 0;
  for (long long i = lo; i <= hi; ++i) sum += values[i];
  return sum / static_cast<double>(hi - lo + 1);
}

// The sample point test is written with the same floating-point expressions
// as the program (offsets from the centre, the row's square taken from r^2),
// so that borderline samples fall on the same side.
double ReferenceWeight(double dx, double dy, double radio) {
  if (std::sqrt(dx * dx + dy * dy) < radio - 1.0) return 1.0;
  static const double kOffsets[10] = {-0.45, -0.35, -0.25, -0.15, -0.05,
                                      0.05,  0.15,  0.25,  0.35,  0.45};
  const double r2 = radio * radio;
  int inside = 0;
  for (double oy : kOffsets)
    for (double ox : kOffsets) {
      const double sy = dy + oy, sx = dx + ox;
      if (sx * sx <= r2 - sy * sy) ++inside;
    }
  return inside * 0.01;
}

double ReferenceFwhm(const TPlaca& image, float cx, float cy, float sky, int r) {
  const int bx = static_cast<int>(Round(cx)), by = static_cast<int>(Round(cy));
  std::vector<std::pair<long long, long long>> pixels;  // diameter, net (hundredths)
  for (int x = bx - r; x <= bx + r; ++x)
    for (int y = by - r; y <= by + r; ++y) {
      const double dx = x - static_cast<double>(cx), dy = y - static_cast<double>(cy);
      pixels.emplace_back(Round(200.0 * std::sqrt(dx * dx + dy * dy)),
                          Round(100.0 * (image.Pixel(x, y) - static_cast<double>(sky))));
    }
  std::sort(pixels.begin(), pixels.end());
  std::vector<long long> growth;
  long long running = 0;
  for (const auto& p : pixels) growth.push_back(running += p.second);
  const size_t tail = std::min<size_t>(20, growth.size());
  double total = 0;
  for (size_t i = growth.size() - tail; i < growth.size(); ++i) total += growth[i];
  const double half = total / static_cast<double>(tail) / 2.0;
  double d0 = 0, c0 = 0;
  for (size_t k = 0; k < pixels.size(); ++k) {
    const double dk = static_cast<double>(pixels[k].first);
    const double ck = static_cast<double>(growth[k]);
    if (ck >= half) {
      if (ck == c0) return dk / 100.0;
      return (d0 + (half - c0) * (dk - d0) / (ck - c0)) / 100.0;
    }
    d0 = dk;
    c0 = ck;
  }
  return 0.0;
}

StarMeasurement ReferenceMeasure(const TPlaca& image, const ApertureSettings& s, double x,
                                 double y) {
  const int maxX = image.Width() - 1, maxY = image.Height() - 1;
  int ix = static_cast<int>(Round(x)), iy = static_cast<int>(Round(y));
  if (s.flipX) ix = maxX - ix;
  if (s.flipY) iy = maxY - iy;

  int px = ix, py = iy, best = 0;
  for (int i = ix - 3; i <= ix + 3; ++i)
    for (int j = iy - 3; j <= iy + 3; ++j) {
      if (i < 0 || j < 0 || i > maxX || j > maxY) continue;
      if (image.Pixel(i, j) > best) {
        best = image.Pixel(i, j);
        px = i;
        py = j;
      }
    }

  const int inner = static_cast<int>(Round(s.radioI + s.radio));
  const int outer = inner + s.radioE;
  StarMeasurement m;
  m.sky = ReferenceSky(image, px, py, inner, outer);
  m.peak =
      static_cast<uint16_t>(std::clamp<long long>(image.Pixel(px, py) - Round(m.sky), 0, 65535));

  const int r = std::max(static_cast<int>(Round(s.radio)), 5);
  double sumV = 0, sumI = 0, sumJ = 0;
  for (int i = 0; i <= 2 * r; ++i)
    for (int j = 0; j <= 2 * r; ++j) {
      const double v = image.Pixel(px - r + i, py - r + j) - m.sky;
      if (v > 0) {
        sumV += v;
        sumI += i * v;
        sumJ += j * v;
      }
    }
  double cx = px, cy = py;
  if (sumV > 0) {
    cx = px - r + sumI / sumV;
    cy = py - r + sumJ / sumV;
  }

  const float cxf = static_cast<float>(cx), cyf = static_cast<float>(cy);
  const float skyf = static_cast<float>(m.sky);
  const int R = static_cast<int>(Round(s.radio));
  const int ax = static_cast<int>(Round(cxf)), ay = static_cast<int>(Round(cyf));
  double sum = 0;
  for (int xi = ax - R - 2; xi <= ax + R + 2; ++xi)
    for (int yi = ay - R - 2; yi <= ay + R + 2; ++yi) {
      const double w =
          ReferenceWeight(xi - static_cast<double>(cxf), yi - static_cast<double>(cyf), s.radio);
      if (w > 0) sum += w * (image.Pixel(xi, yi) - static_cast<double>(skyf));
    }
  m.flux = static_cast<int32_t>(std::max(Round(sum), 1LL));
  m.rsr = 0.5 * std::sqrt(m.flux / 3.0);
  m.fwhm = ReferenceFwhm(image, cxf, cyf, skyf, r);
  m.x = s.flipX ? maxX - cx : cx;
  m.y = s.flipY ? maxY - cy : cy;
  return m;
}

void ExpectIdentical(const TPlaca& image, const ApertureSettings& s, double x, double y) {
  const StarMeasurement g = MeasureStar(image, s, x, y), w = ReferenceMeasure(image, s, x, y);
  SCOPED_TRACE(testing::Message() << "at " << x << "," << y << " radio " << s.radio << " "
                                  << s.radioI << "/" << s.radioE << " flips " << s.flipX
                                  << s.flipY);
  // flux and peak are integers, exact as doubles.
  const double got[] = {g.x, g.y, g.rsr, g.sky, g.fwhm, double(g.flux), double(g.peak)};
  const double want[] = {w.x, w.y, w.rsr, w.sky, w.fwhm, double(w.flux), double(w.peak)};
  const char* names[] = {"x", "y", "rsr", "sky", "fwhm", "flux", "peak"};
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(std::memcmp(&got[i], &want[i], sizeof(double)), 0)
        << names[i] << ": " << got[i] << " vs " << want[i];
}

struct Random {
  uint32_t state;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) / 16777216.0;
  }
  int Int(int n) { return static_cast<int>(Next() * n); }
};

const std::vector<double> kRadii = {3, 4.5, 5, 7.5, 10, 12.25, 20, 0.5, 1.3, 2.7, 6.05};

TEST(MeasureStarReference, RandomStarsMatchThePlainMethodExactly) {
  Random rnd{77};
  for (int field = 0; field < 12; ++field) {
    const int w = 90 + rnd.Int(60), h = 80 + rnd.Int(60);
    std::vector<test::PlantedStar> stars;
    for (int k = 0; k < 6; ++k)
      stars.push_back({5 + rnd.Next() * (w - 10), 5 + rnd.Next() * (h - 10),
                       3000 + rnd.Next() * 300000, 0.8 + rnd.Next() * 3});
    const TPlaca image =
        test::MakeField(w, h, 200 + rnd.Next() * 2000, rnd.Int(40), stars, 1 + field);
    for (const auto& star : stars)
      for (int trial = 0; trial < 4; ++trial) {
        const ApertureSettings s{kRadii[rnd.Int(static_cast<int>(kRadii.size()))], rnd.Int(12),
                                 rnd.Int(12), rnd.Int(2) == 1, rnd.Int(2) == 1};
        double x = star.x + (rnd.Next() - 0.5) * 5, y = star.y + (rnd.Next() - 0.5) * 5;
        ExpectIdentical(image, s, s.flipX ? (w - 1) - x : x, s.flipY ? (h - 1) - y : y);
      }
  }
}

TEST(MeasureStarReference, EveryRadiusSubPixelCentreAndEdgeMatches) {
  // One bright star moved by tenths of a pixel: the centre sweeps the whole
  // pixel, so edge pixels take every kind of partial weight.
  Random rnd{5};
  for (double radio : kRadii)
    for (int step = 0; step < 25; ++step) {
      const double sx = 60 + step * 0.1 + 0.013, sy = 55 + (step % 7) * 0.15;
      const TPlaca image = test::MakeField(121, 111, 900, 15, {{sx, sy, 150000, 1.6}}, step + 3);
      const int radioI = 3 + rnd.Int(8);
      ExpectIdentical(image, {radio, radioI, 2 + rnd.Int(10), false, false}, sx, sy);
    }
  // Apertures and annuli cut by the border, and starting points outside it.
  const int w = 70, h = 60;
  const std::vector<std::pair<double, double>> spots = {
      {1.2, 30.4},  {68.7, 29.9}, {35.3, 0.6},  {35.1, 58.8}, {0.2, 0.3},
      {69.4, 59.2}, {-2.5, 20.0}, {72.0, 61.4}, {3.5, 57.5},  {66.5, 2.5}};
  for (const auto& [sx, sy] : spots) {
    const TPlaca image = test::MakeField(w, h, 500, 10, {{sx, sy, 80000, 1.4}}, 9);
    for (double radio : {3.0, 7.5, 10.0, 20.0})
      for (int flips = 0; flips < 4; ++flips) {
        const ApertureSettings s{radio, 4, 6, (flips & 1) != 0, (flips & 2) != 0};
        ExpectIdentical(image, s, s.flipX ? (w - 1) - sx : sx, s.flipY ? (h - 1) - sy : sy);
      }
  }
}

TEST(MeasureStarReference, FlatAndExtremeImagesMatch) {
  // Flat value, or -1 for uniform noise over the whole range; and the radius.
  const std::vector<std::pair<int, double>> cases = {
      {0, 10},  {0, 3},  {1000, 7.5}, {65535, 10}, {1, 0.5},
      {-1, 10}, {-1, 3}, {-1, 20},    {40000, 0},  {123, 12.25}};
  for (const auto& [level, radio] : cases) {
    TPlaca image;
    image.Resize(80, 75);
    Random rnd{static_cast<uint32_t>(level + 11)};
    for (int y = 0; y < 75; ++y)
      for (int x = 0; x < 80; ++x)
        image.SetPixel(x, y, static_cast<uint16_t>(level >= 0 ? level : rnd.Int(65536)));
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{
             {40.2, 37.7}, {39.5, 36.5}, {2.0, 3.0}, {78.6, 73.1}})
      ExpectIdentical(image, {radio, 5, 9, false, false}, x, y);
  }
}

}  // namespace
}  // namespace lumenda
