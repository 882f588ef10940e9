#include "image/measure_star.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#if (defined(__SSE2__) && defined(__x86_64__)) || defined(_M_X64)
#define LUMENDA_MEASURE_SSE2 1
#include <emmintrin.h>
#endif

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
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
  // Adding and taking away 1.5 * 2^52 rounds like nearbyint (the current
  // rounding mode, halves to even by default) for any |v| below 2^51,
  // without a call into the maths library.
  constexpr double kRounder = 6755399441055744.0;
  return static_cast<long long>((v + kRounder) - kRounder);
#else
  // Wider intermediate precision would defeat the trick above.
  return static_cast<long long>(std::nearbyint(v));
#endif
}

int NearestCoord(double v) {
  return static_cast<int>(std::clamp<long long>(Nearest(v), -1000000, 1000000));
}

// v when above zero, else zero; branch-free where the processor allows.
inline double PositivePart(double v) {
#if defined(LUMENDA_MEASURE_SSE2)
  return _mm_cvtsd_f64(_mm_max_sd(_mm_set_sd(v), _mm_setzero_pd()));
#else
  return v > 0 ? v : 0.0;
#endif
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
std::vector<uint64_t>& GrowthSortScratch() {
  thread_local std::vector<uint64_t> keys;
  return keys;
}
std::vector<uint32_t>& BucketScratch() {
  thread_local std::vector<uint32_t> counts;
  return counts;
}

// A square of pixels copied out of the image, column by column, zeros
// outside it. The measurement walks its boxes column by column; on a wide
// image that order jumps a whole row of memory per pixel, so the box is read
// row by row once and the walks stay in a small local copy.
class PixelBox {
 public:
  // The square cx - half .. cx + half by cy - half .. cy + half.
  void Load(const TPlaca& image, int cx, int cy, int half) {
    x0_ = cx - half;
    y0_ = cy - half;
    side_ = 2 * half + 1;
    values_.assign(static_cast<size_t>(side_) * side_, 0);
    const uint16_t* data = image.Data();
    if (!data) return;
    const int w = image.Width(), h = image.Height();
    const int xa = std::max(x0_, 0), xb = std::min(x0_ + side_ - 1, w - 1);
    const int ya = std::max(y0_, 0), yb = std::min(y0_ + side_ - 1, h - 1);
    for (int y = ya; y <= yb; ++y) {
      const uint16_t* row = data + static_cast<size_t>(y) * w;
      for (int x = xa; x <= xb; ++x)
        values_[static_cast<size_t>(x - x0_) * side_ + (y - y0_)] = row[x];
    }
  }
  // Pixel (x, y) in image coordinates; must lie in the loaded square.
  uint16_t At(int x, int y) const {
    return values_[static_cast<size_t>(x - x0_) * side_ + (y - y0_)];
  }
  // Column x from row y on: consecutive rows.
  const uint16_t* Column(int x, int y) const {
    return values_.data() + static_cast<size_t>(x - x0_) * side_ + (y - y0_);
  }

 private:
  int x0_ = 0, y0_ = 0, side_ = 0;
  std::vector<uint16_t> values_;
};

PixelBox& CentroidBoxScratch() {
  thread_local PixelBox box;
  return box;
}
PixelBox& ApertureBoxScratch() {
  thread_local PixelBox box;
  return box;
}

// Mean of the values of ranks lo..hi (0-based, ascending), found by counting
// when the values span a narrow range (the usual sky) and by partial
// selection otherwise; both give the same sum.
double MeanOfRanks(uint16_t* values, size_t n, size_t lo, size_t hi) {
  uint16_t low = values[0], high = values[0];
  for (size_t i = 1; i < n; ++i) {
    low = std::min(low, values[i]);
    high = std::max(high, values[i]);
  }
  const size_t span = static_cast<size_t>(high - low) + 1;
  double sum = 0;
  if (span <= 4 * n + 1024) {
    std::vector<uint32_t>& bins = HistogramScratch();
    bins.assign(span, 0);
    for (size_t i = 0; i < n; ++i) ++bins[values[i] - low];
    size_t rank = 0;
    for (size_t b = 0; b < span && rank <= hi; ++b) {
      const size_t first = rank, last = rank + bins[b];  // ranks first..last-1
      rank = last;
      const size_t from = std::max(first, lo), to = std::min(last, hi + 1);
      if (to > from) sum += static_cast<double>(to - from) * static_cast<double>(low + b);
    }
  } else {
    std::nth_element(values, values + lo, values + n);
    if (hi > lo) std::nth_element(values + lo + 1, values + hi, values + n);
    for (size_t i = lo; i <= hi; ++i) sum += values[i];
  }
  return sum / static_cast<double>(hi - lo + 1);
}

// Largest t >= 0 with t * t <= a, for a >= 0.
long long FloorSqrt(long long a) {
  long long t = static_cast<long long>(std::sqrt(static_cast<double>(a)));
  while (t * t > a) --t;
  while ((t + 1) * (t + 1) <= a) ++t;
  return t;
}

// Interquartile mean of the pixels strictly between the two radii around
// (px, py). An annulus with fewer than three pixels uses what it has; an
// empty one gives 0.
double AnnulusSky(const TPlaca& image, int px, int py, int inner, int outer) {
  std::vector<uint16_t>& values = SkyScratch();
  const size_t most = static_cast<size_t>(2 * outer + 1) * static_cast<size_t>(2 * outer + 1);
  if (values.size() < most) values.resize(most);
  size_t n = 0;
  const long long inner2 = static_cast<long long>(inner) * inner;
  const long long outer2 = static_cast<long long>(outer) * outer;
  const int w = image.Width();
  const int y0 = std::max(py - outer, 0), y1 = std::min(py + outer, image.Height() - 1);
  const uint16_t* data = image.Data();
  // Row by row (the order of the values does not matter to their
  // interquartile mean): each row of the annulus is one or two runs of
  // columns, found from integer squares, which compare exactly.
  auto take = [&](const uint16_t* row, long long from, long long to) {
    from = std::max<long long>(from, 0);
    to = std::min<long long>(to, w - 1);
    for (long long x = from; x <= to; ++x) values[n++] = row ? row[x] : 0;
  };
  for (int y = y0; y <= y1; ++y) {
    const long long dy2 = static_cast<long long>(y - py) * (y - py);
    if (outer2 - 1 - dy2 < 0) continue;
    const long long reach = FloorSqrt(outer2 - 1 - dy2);  // |dx| <= reach: d2 < outer2
    const uint16_t* row = data ? data + static_cast<size_t>(y) * w : nullptr;
    if (inner2 - dy2 < 0) {
      take(row, px - reach, px + reach);
    } else {
      const long long hole = FloorSqrt(inner2 - dy2);  // |dx| <= hole: d2 <= inner2
      if (hole >= reach) continue;
      take(row, px - reach, px - hole - 1);
      take(row, px + hole + 1, px + reach);
    }
  }
  if (n == 0) return 0.0;
  const long long count = static_cast<long long>(n);
  const long long lo =
      std::clamp<long long>(Nearest(0.25 * static_cast<double>(count)), 0, count - 1);
  const long long hi =
      std::clamp<long long>(Nearest(0.75 * static_cast<double>(count)), lo, count - 1);
  return MeanOfRanks(values.data(), n, static_cast<size_t>(lo), static_cast<size_t>(hi));
}

constexpr double kOffsets[10] = {-0.45, -0.35, -0.25, -0.15, -0.05, 0.05, 0.15, 0.25, 0.35, 0.45};

// Number of sample points (column k, row m) with sq[k] <= rest[m]. Counted
// without branches: which side a sample falls is anyone's guess. A row
// beyond the circle has a negative rest and counts none.
int SamplesInside(const double* sq, const double* rest) {
#if defined(LUMENDA_MEASURE_SSE2)
  const __m128d s0 = _mm_loadu_pd(sq), s1 = _mm_loadu_pd(sq + 2), s2 = _mm_loadu_pd(sq + 4);
  const __m128d s3 = _mm_loadu_pd(sq + 6), s4 = _mm_loadu_pd(sq + 8);
  __m128i count = _mm_setzero_si128();  // minus the count, in two halves
  for (int m = 0; m < 10; ++m) {
    const __m128d r = _mm_set1_pd(rest[m]);
    count = _mm_add_epi64(count, _mm_castpd_si128(_mm_cmple_pd(s0, r)));
    count = _mm_add_epi64(count, _mm_castpd_si128(_mm_cmple_pd(s1, r)));
    count = _mm_add_epi64(count, _mm_castpd_si128(_mm_cmple_pd(s2, r)));
    count = _mm_add_epi64(count, _mm_castpd_si128(_mm_cmple_pd(s3, r)));
    count = _mm_add_epi64(count, _mm_castpd_si128(_mm_cmple_pd(s4, r)));
  }
  const long long low = _mm_cvtsi128_si64(count);
  const long long high = _mm_cvtsi128_si64(_mm_unpackhi_epi64(count, count));
  return static_cast<int>(-(low + high));
#else
  int inside = 0;
  for (int m = 0; m < 10; ++m)
    for (int k = 0; k < 10; ++k) inside += sq[k] <= rest[m] ? 1 : 0;
  return inside;
#endif
}

// Sum of weight * (pixel - sky) over the square ax +- (R + 2), ay +- (R + 2)
// (taken from `box`), the weight being the share of a pixel within `radio` of
// the centre by a 10 x 10 grid of sample points; whole pixels well inside
// count 1.
double ApertureSum(const PixelBox& box, double cx, double cy, double sky, double radio, int ax,
                   int ay, int R) {
  const int n = 2 * R + 5, x0 = ax - R - 2, y0 = ay - R - 2;
  const double r2 = radio * radio;
  // The squared offsets of the sample columns of every pixel column, and what
  // is left of r^2 by every sample row: the very numbers a test of each
  // sample point on its own would compute, worked out once. A sample is
  // inside when its column's square is at most its row's rest.
  thread_local std::vector<double> colSq, rowRest;
  colSq.resize(static_cast<size_t>(n) * 10);
  rowRest.resize(static_cast<size_t>(n) * 10);
  for (int c = 0; c < n; ++c) {
    const double dx = (x0 + c) - cx;
    for (int k = 0; k < 10; ++k) {
      const double sx = dx + kOffsets[k];
      colSq[static_cast<size_t>(c) * 10 + k] = sx * sx;
    }
  }
  for (int c = 0; c < n; ++c) {
    const double dy = (y0 + c) - cy;
    for (int k = 0; k < 10; ++k) {
      const double sy = dy + kOffsets[k];
      rowRest[static_cast<size_t>(c) * 10 + k] = r2 - sy * sy;
    }
  }
  double sum = 0;
  for (int c = 0; c < n; ++c) {
    const double dx = (x0 + c) - cx;
    const double* sq = &colSq[static_cast<size_t>(c) * 10];
    const uint16_t* column = box.Column(x0 + c, y0);
    for (int j = 0; j < n; ++j) {
      const double dy = (y0 + j) - cy;
      const double d = std::sqrt(dx * dx + dy * dy);
      double w;
      if (d < radio - 1.0) {
        w = 1.0;
      } else if (d - kSampleReach > radio) {
        continue;  // no sample point can reach the circle
      } else if (d + kSampleReach < radio) {
        w = 100 * 0.01;  // every sample point is inside
      } else {
        w = SamplesInside(sq, &rowRest[static_cast<size_t>(j) * 10]) * 0.01;
      }
      if (w > 0) sum += w * (column[j] - sky);
    }
  }
  return sum;
}

// Sorts the growth-curve keys ascending. The diameters of a box fill a narrow
// range densely, so the keys are first dealt into buckets of 0.08 pixel of
// diameter and the few left out of order inside a bucket are then put right
// by insertion.
void SortGrowthKeys(std::vector<uint64_t>& keys) {
  constexpr int kBucketShift = 32 + 1;
  if (keys.size() < 2) return;
  uint64_t top = 0;
  for (uint64_t key : keys) top = std::max(top, key);
  const size_t buckets = static_cast<size_t>(top >> kBucketShift) + 1;
  std::vector<uint32_t>& starts = BucketScratch();
  starts.assign(buckets + 1, 0);
  for (uint64_t key : keys) ++starts[(key >> kBucketShift) + 1];
  for (size_t b = 1; b <= buckets; ++b) starts[b] += starts[b - 1];
  std::vector<uint64_t>& dealt = GrowthSortScratch();
  dealt.resize(keys.size());
  for (uint64_t key : keys) dealt[starts[key >> kBucketShift]++] = key;
  for (size_t i = 1; i < dealt.size(); ++i) {
    const uint64_t key = dealt[i];
    size_t j = i;
    for (; j > 0 && dealt[j - 1] > key; --j) dealt[j] = dealt[j - 1];
    dealt[j] = key;
  }
  keys.swap(dealt);
}

// Half-flux diameter from the growth curve of the box around the centre.
// Each pixel is one sort key: diameter in hundredths above, net value in
// hundredths (offset to be unsigned) below, so ties of diameter order by net
// value.
double HalfFluxDiameter(const PixelBox& box, float cx, float cy, float sky, int r) {
  constexpr long long kNetOffset = 1LL << 31;
  std::vector<uint64_t>& keys = GrowthScratch();
  keys.clear();
  const int bx = NearestCoord(cx), by = NearestCoord(cy);
  for (int x = bx - r; x <= bx + r; ++x) {
    for (int y = by - r; y <= by + r; ++y) {
      const double dx = x - static_cast<double>(cx), dy = y - static_cast<double>(cy);
      const double net = box.At(x, y) - static_cast<double>(sky);
      const long long diameter100 = Nearest(200.0 * std::sqrt(dx * dx + dy * dy));
      const long long net100 = Nearest(100.0 * net);
      keys.push_back((static_cast<uint64_t>(diameter100) << 32) |
                     static_cast<uint64_t>(net100 + kNetOffset));
    }
  }
  SortGrowthKeys(keys);
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
  PixelBox& centroidBox = CentroidBoxScratch();
  centroidBox.Load(image, px, py, r);
  double sumV = 0, sumI = 0, sumJ = 0;
  for (int i = 0; i <= 2 * r; ++i) {
    const uint16_t* column = centroidBox.Column(px - r + i, py - r);
    for (int j = 0; j <= 2 * r; ++j) {
      // Pixels at or below the sky add a zero, which leaves the sums exactly
      // as skipping them would, without a branch that the noise around the
      // sky level makes unpredictable.
      const double v = PositivePart(column[j] - m.sky);
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

  // 7. Aperture sum with sub-pixel weights on the edge.
  const float cxf = static_cast<float>(cx), cyf = static_cast<float>(cy);
  const float skyf = static_cast<float>(m.sky);
  const int R = static_cast<int>(Nearest(radio));
  const int ax = NearestCoord(cxf), ay = NearestCoord(cyf);
  PixelBox& around = ApertureBoxScratch();
  around.Load(image, ax, ay, std::max(R + 2, r));
  const double sum = ApertureSum(around, static_cast<double>(cxf), static_cast<double>(cyf),
                                 static_cast<double>(skyf), radio, ax, ay, R);
  m.flux = static_cast<int32_t>(std::clamp<long long>(Nearest(sum), 1, INT32_MAX));

  // 8-9. Signal-to-noise figure and half-flux diameter.
  m.rsr = 0.5 * std::sqrt(m.flux / 3.0);
  m.fwhm = HalfFluxDiameter(around, cxf, cyf, skyf, r);

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
