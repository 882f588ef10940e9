#include "image/measure_star.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace lumenda {
namespace {

// Radii beyond these only come from damaged settings; they would turn one
// measurement into a scan of millions of pixels.
constexpr double kMaxRadio = 100.0;
constexpr int kMaxRing = 100;
// Farthest a sub-pixel sample point lies from its pixel centre: 0.45 * sqrt(2),
// rounded up.
constexpr double kSampleReach = 0.6364;

// Nearest integer, halves to even; NaN and huge values are pushed far outside
// any image instead of overflowing.
long long Nearest(double v) {
  if (!(v > -1e12)) return -1000000000000LL;
  if (v > 1e12) return 1000000000000LL;
  return static_cast<long long>(std::nearbyint(v));
}

int NearestCoord(double v) {
  return static_cast<int>(std::clamp<long long>(Nearest(v), -1000000, 1000000));
}

// Per-thread scratch, so that repeated measurements do not allocate.
std::vector<uint16_t>& SkyScratch() {
  thread_local std::vector<uint16_t> values;
  return values;
}
std::vector<uint32_t>& HistogramScratch() {
  thread_local std::vector<uint32_t> bins;
  return bins;
}
std::vector<uint64_t>& GrowthScratch() {
  thread_local std::vector<uint64_t> keys;
  return keys;
}

// Mean of the values of ranks lo..hi (0-based, ascending), found by counting
// when the values span a narrow range (the usual sky) and by partial
// selection otherwise; both give the same sum.
double MeanOfRanks(std::vector<uint16_t>& values, size_t lo, size_t hi) {
  const auto [minIt, maxIt] = std::minmax_element(values.begin(), values.end());
  const size_t span = static_cast<size_t>(*maxIt - *minIt) + 1;
  double sum = 0;
  if (span <= 4 * values.size() + 1024) {
    std::vector<uint32_t>& bins = HistogramScratch();
    bins.assign(span, 0);
    const uint16_t base = *minIt;
    for (uint16_t v : values) ++bins[v - base];
    size_t rank = 0;
    for (size_t b = 0; b < span && rank <= hi; ++b) {
      const size_t first = rank, last = rank + bins[b];  // ranks first..last-1
      rank = last;
      const size_t from = std::max(first, lo), to = std::min(last, hi + 1);
      if (to > from) sum += static_cast<double>(to - from) * static_cast<double>(base + b);
    }
  } else {
    auto first = values.begin();
    std::nth_element(first, first + static_cast<ptrdiff_t>(lo), values.end());
    if (hi > lo)
      std::nth_element(first + static_cast<ptrdiff_t>(lo + 1), first + static_cast<ptrdiff_t>(hi),
                       values.end());
    for (size_t i = lo; i <= hi; ++i) sum += values[i];
  }
  return sum / static_cast<double>(hi - lo + 1);
}

// Interquartile mean of the pixels strictly between the two radii around
// (px, py). An annulus with fewer than three pixels uses what it has; an
// empty one gives 0.
double AnnulusSky(const TPlaca& image, int px, int py, int inner, int outer) {
  std::vector<uint16_t>& values = SkyScratch();
  values.clear();
  const long long inner2 = static_cast<long long>(inner) * inner;
  const long long outer2 = static_cast<long long>(outer) * outer;
  const int x0 = std::max(px - outer, 0), x1 = std::min(px + outer, image.Width() - 1);
  const int y0 = std::max(py - outer, 0), y1 = std::min(py + outer, image.Height() - 1);
  for (int x = x0; x <= x1; ++x) {
    const long long dx2 = static_cast<long long>(x - px) * (x - px);
    for (int y = y0; y <= y1; ++y) {
      const long long d2 = dx2 + static_cast<long long>(y - py) * (y - py);
      // Integer squares compare exactly where square roots might not.
      if (d2 > inner2 && d2 < outer2) values.push_back(image.Pixel(x, y));
    }
  }
  const long long n = static_cast<long long>(values.size());
  if (n == 0) return 0.0;
  const long long lo = std::clamp<long long>(Nearest(0.25 * static_cast<double>(n)), 0, n - 1);
  const long long hi = std::clamp<long long>(Nearest(0.75 * static_cast<double>(n)), lo, n - 1);
  return MeanOfRanks(values, static_cast<size_t>(lo), static_cast<size_t>(hi));
}

// Share of a pixel lying within `radio` of the centre, by a 10 x 10 grid of
// sample points; whole pixels well inside count 1.
double EdgeWeight(double dx, double dy, double d, double radio) {
  if (d < radio - 1.0) return 1.0;
  if (d - kSampleReach > radio) return 0.0;
  static constexpr double kOffsets[10] = {-0.45, -0.35, -0.25, -0.15, -0.05,
                                          0.05,  0.15,  0.25,  0.35,  0.45};
  const double r2 = radio * radio;
  int inside = 0;
  for (double oy : kOffsets) {
    const double sy = dy + oy;
    const double rest = r2 - sy * sy;
    if (rest < 0) continue;
    for (double ox : kOffsets) {
      const double sx = dx + ox;
      if (sx * sx <= rest) ++inside;
    }
  }
  return inside * 0.01;
}

// Half-flux diameter from the growth curve of the box around the centre.
// Each pixel is one sort key: diameter in hundredths above, net value in
// hundredths (offset to be unsigned) below, so ties of diameter order by net
// value.
double HalfFluxDiameter(const TPlaca& image, float cx, float cy, float sky, int r) {
  constexpr long long kNetOffset = 1LL << 31;
  std::vector<uint64_t>& keys = GrowthScratch();
  keys.clear();
  const int bx = NearestCoord(cx), by = NearestCoord(cy);
  for (int x = bx - r; x <= bx + r; ++x) {
    for (int y = by - r; y <= by + r; ++y) {
      const double dx = x - static_cast<double>(cx), dy = y - static_cast<double>(cy);
      const double net = image.Pixel(x, y) - static_cast<double>(sky);
      const long long diameter100 = Nearest(200.0 * std::sqrt(dx * dx + dy * dy));
      const long long net100 = Nearest(100.0 * net);
      keys.push_back((static_cast<uint64_t>(diameter100) << 32) |
                     static_cast<uint64_t>(net100 + kNetOffset));
    }
  }
  std::sort(keys.begin(), keys.end());
  const size_t n = keys.size();
  const size_t tail = std::min<size_t>(20, n);
  // The running sums (growth curve) and the mean of the last `tail` of them.
  long long running = 0;
  double total = 0;
  for (size_t i = 0; i < n; ++i) {
    running += static_cast<long long>(keys[i] & 0xFFFFFFFFu) - kNetOffset;
    if (i >= n - tail) total += static_cast<double>(running);
  }
  const double half = total / static_cast<double>(tail) / 2.0;
  double d0 = 0, c0 = 0;
  running = 0;
  for (uint64_t key : keys) {
    running += static_cast<long long>(key & 0xFFFFFFFFu) - kNetOffset;
    const double dk = static_cast<double>(key >> 32), ck = static_cast<double>(running);
    if (ck >= half) {
      // Equal sums would divide by zero: the step itself is then the answer.
      if (ck == c0) return dk / 100.0;
      return (d0 + (half - c0) * (dk - d0) / (ck - c0)) / 100.0;
    }
    d0 = dk;
    c0 = ck;
  }
  return 0.0;
}

}  // namespace

StarMeasurement MeasureStar(const TPlaca& image, const ApertureSettings& settings, double x,
                            double y) {
  const int maxX = image.Width() - 1, maxY = image.Height() - 1;
  const double radio =
      std::isfinite(settings.radio) ? std::clamp(settings.radio, 0.0, kMaxRadio) : 0.0;
  const int radioI = std::clamp(settings.radioI, 0, kMaxRing);
  const int radioE = std::clamp(settings.radioE, 0, kMaxRing);

  // 1. Display to image coordinates.
  int ix = NearestCoord(x), iy = NearestCoord(y);
  if (settings.flipX) ix = maxX - ix;
  if (settings.flipY) iy = maxY - iy;

  // 2. Brightest pixel of the 7 x 7 box; the first of equal maxima wins.
  int px = ix, py = iy;
  int best = 0;
  for (int i = std::max(ix - 3, 0); i <= std::min(ix + 3, maxX); ++i) {
    for (int j = std::max(iy - 3, 0); j <= std::min(iy + 3, maxY); ++j) {
      const int v = image.Pixel(i, j);
      if (v > best) {
        best = v;
        px = i;
        py = j;
      }
    }
  }

  // 3-5. Sky annulus and peak.
  const int inner = static_cast<int>(Nearest(radioI + radio));
  const int outer = inner + radioE;
  StarMeasurement m;
  m.sky = AnnulusSky(image, px, py, inner, outer);
  const long long peak = image.Pixel(px, py) - Nearest(m.sky);
  m.peak = static_cast<uint16_t>(std::clamp<long long>(peak, 0, 65535));

  // 6. Intensity-weighted centroid; with nothing above the sky it stays on
  // the peak.
  const int r = std::max(static_cast<int>(Nearest(radio)), 5);
  double sumV = 0, sumI = 0, sumJ = 0;
  for (int i = 0; i <= 2 * r; ++i) {
    for (int j = 0; j <= 2 * r; ++j) {
      const double v = image.Pixel(px - r + i, py - r + j) - m.sky;
      if (v > 0) {
        sumV += v;
        sumI += i * v;
        sumJ += j * v;
      }
    }
  }
  double cx = px, cy = py;
  if (sumV > 0) {
    cx = px - r + sumI / sumV;
    cy = py - r + sumJ / sumV;
  }

  // 7. Aperture sum with sub-pixel weights on the edge.
  const float cxf = static_cast<float>(cx), cyf = static_cast<float>(cy);
  const float skyf = static_cast<float>(m.sky);
  const int R = static_cast<int>(Nearest(radio));
  const int ax = NearestCoord(cxf), ay = NearestCoord(cyf);
  double sum = 0;
  for (int xi = ax - R - 2; xi <= ax + R + 2; ++xi) {
    const double dx = xi - static_cast<double>(cxf);
    for (int yi = ay - R - 2; yi <= ay + R + 2; ++yi) {
      const double dy = yi - static_cast<double>(cyf);
      const double w = EdgeWeight(dx, dy, std::sqrt(dx * dx + dy * dy), radio);
      if (w > 0) sum += w * (image.Pixel(xi, yi) - static_cast<double>(skyf));
    }
  }
  m.flux = static_cast<int32_t>(std::clamp<long long>(Nearest(sum), 1, INT32_MAX));

  // 8-9. Signal-to-noise figure and half-flux diameter.
  m.rsr = 0.5 * std::sqrt(m.flux / 3.0);
  m.fwhm = HalfFluxDiameter(image, cxf, cyf, skyf, r);

  // 10. Back to display coordinates.
  m.x = settings.flipX ? maxX - cx : cx;
  m.y = settings.flipY ? maxY - cy : cy;
  return m;
}

bool InsideMargin(const TPlaca& image, const ApertureSettings& settings, double x, double y) {
  const double maxX = image.Width() - 1, maxY = image.Height() - 1;
  const double m = settings.radio + 2;
  return m <= x && x <= maxX - m && m <= y && y <= maxY - m;
}

}  // namespace lumenda
