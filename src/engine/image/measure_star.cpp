#include "image/measure_star.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "text/number_format.h"

#if (defined(__SSE2__) && defined(__x86_64__)) || defined(_M_X64)
#define LUMENDA_MEASURE_SSE2 1
#include <emmintrin.h>
#endif

// The hot loops take run-time clones for AVX2. The clones' resolver runs
// before a sanitizer's runtime is ready, so sanitized builds keep the plain
// version.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LUMENDA_MEASURE_CLONES
#else
#define LUMENDA_MEASURE_CLONES __attribute__((target_clones("avx2", "default")))
#endif

namespace lumenda {
namespace {

// Radii beyond these only come from damaged settings; they would turn one
// measurement into a scan of millions of pixels.
constexpr double kMaxRadio = 100.0;
constexpr int kMaxRing = 100;

int NearestCoord(double v) {
  return static_cast<int>(std::clamp<long long>(RoundPixel(v), -1000000, 1000000));
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

// A square of pixels around a star, zeros outside the image. Inside the
// image (the usual case) it is a view of the image itself; only a square
// that crosses an edge is copied.
class PixelBox {
 public:
  // The square cx - half .. cx + half by cy - half .. cy + half.
  void Load(const TPlaca& image, int cx, int cy, int half) {
    x0_ = cx - half;
    y0_ = cy - half;
    const int side = 2 * half + 1;
    const uint16_t* data = image.Data();
    const int w = image.Width(), h = image.Height();
    if (data && x0_ >= 0 && y0_ >= 0 && x0_ + side <= w && y0_ + side <= h) {
      origin_ = data + static_cast<ptrdiff_t>(y0_) * w + x0_;
      stride_ = w;
      return;
    }
    copy_.assign(static_cast<size_t>(side) * side, 0);
    origin_ = copy_.data();
    stride_ = side;
    const int xa = std::max(x0_, 0), xb = std::min(x0_ + side - 1, w - 1);
    const int ya = std::max(y0_, 0), yb = std::min(y0_ + side - 1, h - 1);
    if (!data || xa > xb) return;
    for (int y = ya; y <= yb; ++y) {
      const uint16_t* row = data + static_cast<size_t>(y) * w;
      std::copy(row + xa, row + xb + 1,
                copy_.data() + static_cast<size_t>(y - y0_) * side + (xa - x0_));
    }
  }
  // Pixel (x, y) in image coordinates, which must lie in the loaded square;
  // the next column follows it, the next row is Stride() further.
  const uint16_t* Pixels(int x, int y) const {
    return origin_ + static_cast<ptrdiff_t>(y - y0_) * stride_ + (x - x0_);
  }
  ptrdiff_t Stride() const { return stride_; }

 private:
  int x0_ = 0, y0_ = 0;
  ptrdiff_t stride_ = 0;
  const uint16_t* origin_ = nullptr;
  std::vector<uint16_t> copy_;
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
LUMENDA_MEASURE_CLONES double MeanOfRanks(uint16_t* values, size_t n, size_t lo, size_t hi) {
  uint16_t low = values[0], high = values[0];
  for (size_t i = 1; i < n; ++i) {
    low = std::min(low, values[i]);
    high = std::max(high, values[i]);
  }
  const size_t span = static_cast<size_t>(high - low) + 1;
  double sum = 0;
  if (span <= 4 * n + 1024) {
    // Counted by the value itself: no offset to take away per value.
    std::vector<uint32_t>& bins = HistogramScratch();
    if (bins.size() <= high) bins.resize(static_cast<size_t>(high) + 1);
    uint32_t* counts = bins.data();
    std::fill(counts + low, counts + high + 1, 0);
#pragma GCC unroll 4
    for (size_t i = 0; i < n; ++i) ++counts[values[i]];
    size_t rank = 0;
    for (size_t v = low; v <= high && rank <= hi; ++v) {
      const size_t first = rank, last = rank + counts[v];  // ranks first..last-1
      rank = last;
      const size_t from = std::max(first, lo), to = std::min(last, hi + 1);
      if (to > from) sum += static_cast<double>(to - from) * static_cast<double>(v);
    }
  } else {
    std::nth_element(values, values + lo, values + n);
    if (hi > lo) std::nth_element(values + lo + 1, values + hi, values + n);
    for (size_t i = lo; i <= hi; ++i) sum += values[i];
  }
  return sum / static_cast<double>(hi - lo + 1);
}

// Interquartile mean of the pixels strictly between the two radii around
// (px, py). An annulus with fewer than three pixels uses what it has; an
// empty one gives 0.
double AnnulusSky(const TPlaca& image, int px, int py, int inner, int outer) {
  const uint16_t* data = image.Data();
  if (!data) return 0.0;  // every pixel reads as 0
  const int w = image.Width();
  // Row by row (the order of the values does not matter to their
  // interquartile mean): each row of the annulus is one or two runs of
  // columns, found from integer squares, which compare exactly. At row
  // offset d, |dx| <= reach[d] keeps dx^2 + d^2 < outer^2 and |dx| <= hole[d]
  // gives dx^2 + d^2 <= inner^2 (-1: none); both shrink as d grows. A run
  // measures every star with the same radii.
  thread_local std::vector<long long> reach, hole;
  thread_local int reachInner = -1, reachOuter = -1;
  if (inner != reachInner || outer != reachOuter) {
    reach.resize(static_cast<size_t>(outer) + 1);
    hole.resize(static_cast<size_t>(outer) + 1);
    const long long inner2 = static_cast<long long>(inner) * inner;
    const long long outer2 = static_cast<long long>(outer) * outer;
    long long t = outer, u = inner;
    for (long long d = 0; d <= outer; ++d) {
      while (t >= 0 && t * t + d * d >= outer2) --t;
      while (u >= 0 && u * u + d * d > inner2) --u;
      reach[d] = t;
      hole[d] = u;
    }
    reachInner = inner;
    reachOuter = outer;
  }
  std::vector<uint16_t>& values = SkyScratch();
  const size_t most = static_cast<size_t>(2 * outer + 1) * static_cast<size_t>(2 * outer + 1);
  if (values.size() < most) values.resize(most);
  size_t n = 0;
  auto take = [&](const uint16_t* row, long long from, long long to) {
    from = std::max<long long>(from, 0);
    to = std::min<long long>(to, w - 1);
    if (from > to) return;
    const auto count = static_cast<size_t>(to - from + 1);
    std::copy_n(row + from, count, values.data() + n);
    n += count;
  };
  const int y0 = std::max(py - outer, 0), y1 = std::min(py + outer, image.Height() - 1);
  for (int y = y0; y <= y1; ++y) {
    const size_t d = static_cast<size_t>(std::abs(y - py));
    if (reach[d] < 0) continue;
    const uint16_t* row = data + static_cast<size_t>(y) * w;
    if (hole[d] < 0) {
      take(row, px - reach[d], px + reach[d]);
    } else if (hole[d] < reach[d]) {
      take(row, px - reach[d], px - hole[d] - 1);
      take(row, px + hole[d] + 1, px + reach[d]);
    }
  }
  if (n == 0) return 0.0;
  const long long count = static_cast<long long>(n);
  const long long lo =
      std::clamp<long long>(RoundPixel(0.25 * static_cast<double>(count)), 0, count - 1);
  const long long hi =
      std::clamp<long long>(RoundPixel(0.75 * static_cast<double>(count)), lo, count - 1);
  return MeanOfRanks(values.data(), n, static_cast<size_t>(lo), static_cast<size_t>(hi));
}

// Brightest pixel of the 7 x 7 box around (ix, iy); the first of equal
// maxima, column by column, wins.
void BrightestPixel(const TPlaca& image, int ix, int iy, int& px, int& py) {
  const int maxX = image.Width() - 1, maxY = image.Height() - 1;
  px = ix;
  py = iy;
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
}

// Intensity-weighted centroid of the box px +- r, py +- r; with nothing
// above the sky it stays on the peak. The pixels above the sky (above its
// whole part: the values are whole) are summed as whole numbers, exact in any
// order, and the sky is taken off once.
LUMENDA_MEASURE_CLONES void Centroid(const PixelBox& box, int px, int py, int r, double sky,
                                     double& cx, double& cy) {
  const auto threshold = static_cast<uint32_t>(std::clamp(std::floor(sky) + 1, 0.0, 65536.0));
  const int side = 2 * r + 1;
  // Per row at most 201 values below 2^16, weighted by at most 200: within
  // 32 bits.
  uint64_t sumP = 0, sumIP = 0, sumJP = 0, sumN = 0, sumI = 0, sumJ = 0;
  for (int j = 0; j < side; ++j) {
    const uint16_t* row = box.Pixels(px - r, py - r + j);
    uint32_t rowP = 0, rowIP = 0, rowN = 0, rowI = 0;
    for (int i = 0; i < side; ++i) {
      const uint32_t value = row[i];
      const uint32_t mask = value >= threshold ? ~0u : 0u;
      const uint32_t p = value & mask;
      rowP += p;
      rowIP += static_cast<uint32_t>(i) * p;
      rowN -= mask;
      rowI += static_cast<uint32_t>(i) & mask;
    }
    const auto dj = static_cast<uint64_t>(j);
    sumP += rowP;
    sumIP += rowIP;
    sumJP += dj * rowP;
    sumN += rowN;
    sumI += rowI;
    sumJ += dj * rowN;
  }
  const auto net = [sky](uint64_t values, uint64_t count) {
    return static_cast<double>(values) - static_cast<double>(count) * sky;
  };
  const double sumV = net(sumP, sumN);
  cx = px;
  cy = py;
  if (sumN > 0 && sumV > 0) {
    cx = px - r + net(sumIP, sumI) / sumV;
    cy = py - r + net(sumJP, sumJ) / sumV;
  }
}

constexpr double kOffsets[10] = {-0.45, -0.35, -0.25, -0.15, -0.05, 0.05, 0.15, 0.25, 0.35, 0.45};
// The squares of a pixel column's samples are kept twelve apart, the last two
// +inf (never inside), to be compared four at a time.
constexpr int kSqStride = 12;

// Number of sample points (column k, row m) with sq[k] <= rest[m]. Counted
// without branches: which side a sample falls is anyone's guess. A row
// beyond the circle has a negative rest and counts none.
inline int SamplesInside(const double* sq, const double* rest) {
#if defined(__GNUC__)
  using Lanes = double __attribute__((vector_size(32)));
  Lanes s0, s1, s2;
  std::memcpy(&s0, sq, sizeof s0);
  std::memcpy(&s1, sq + 4, sizeof s1);
  std::memcpy(&s2, sq + 8, sizeof s2);
  decltype(s0 <= s0) count = {};  // minus the count, in four lanes
  for (int m = 0; m < 10; ++m) {
    const Lanes r = Lanes{} + rest[m];
    count += s0 <= r;
    count += s1 <= r;
    count += s2 <= r;
  }
  return static_cast<int>(-(count[0] + count[1] + count[2] + count[3]));
#else
  int inside = 0;
  for (int m = 0; m < 10; ++m)
    for (int k = 0; k < 10; ++k) inside += sq[k] <= rest[m] ? 1 : 0;
  return inside;
#endif
}

// Smallest and largest of ten values.
struct Extremes {
  double low, high;
};
Extremes ExtremesOf(const double* v) {
  Extremes e{v[0], v[0]};
  for (int k = 1; k < 10; ++k) {
    e.low = std::min(e.low, v[k]);
    e.high = std::max(e.high, v[k]);
  }
  return e;
}

// Extremes of the ten squares (s + offset)^2 of the sample offsets (`sq`),
// or of what they leave of r^2 (`rest`, negate = true). The offsets rise,
// so the largest square is at an end, and so is the smallest unless the
// samples straddle zero.
Extremes SampleExtremes(const double* v, double firstSample, double lastSample, bool negate) {
  if (firstSample < 0 && lastSample > 0) return ExtremesOf(v);
  const double nearest = firstSample >= 0 ? v[0] : v[9];
  const double farthest = negate ? std::min(v[0], v[9]) : std::max(v[0], v[9]);
  return negate ? Extremes{farthest, nearest} : Extremes{nearest, farthest};
}

// Moves [first, last] to the run of the columns whose value is at most t.
// The values fall up to column `mid` and rise after it, so a run that is
// not empty holds mid (first > last when it is empty). The run of the row
// before is the first guess: from row to row it moves by a column or two.
template <class Value>
void FollowRun(const Value& value, int mid, int n, double t, int& first, int& last) {
  if (!(value(mid) <= t)) {
    first = mid + 1;
    last = mid;
    return;
  }
  first = std::min(first, mid);
  last = std::max(last, mid);
  if (value(first) <= t) {
    while (first > 0 && value(first - 1) <= t) --first;
  } else {
    while (!(value(first) <= t)) ++first;
  }
  if (value(last) <= t) {
    while (last < n - 1 && value(last + 1) <= t) ++last;
  } else {
    while (!(value(last) <= t)) --last;
  }
}

// Sum of weight * (pixel - sky) over the square ax +- (R + 2), ay +- (R + 2)
// (taken from `box`), the weight being the share of a pixel within `radio` of
// the centre by a 10 x 10 grid of sample points. The sums of weight * pixel
// and of the weights are whole numbers of hundredths, exact in any order.
LUMENDA_MEASURE_CLONES double ApertureSum(const PixelBox& box, double cx, double cy, double sky,
                                          double radio, int ax, int ay, int R) {
  const int n = 2 * R + 5, x0 = ax - R - 2, y0 = ay - R - 2;
  const double r2 = radio * radio;
  // The squared offsets of the sample columns of every pixel column, and what
  // is left of r^2 by every sample row: a sample is inside when its column's
  // square is at most its row's rest. Across a pixel the squares fall and
  // rise again and the rests rise and fall, so their extremes alone tell a
  // pixel wholly inside or wholly outside; only the pixels on the edge are
  // sampled.
  thread_local std::vector<double> colSq, rowRest;
  thread_local std::vector<Extremes> colExt, rowExt;
  colSq.resize(static_cast<size_t>(n) * kSqStride);
  rowRest.resize(static_cast<size_t>(n) * 10);
  colExt.resize(static_cast<size_t>(n));
  rowExt.resize(static_cast<size_t>(n));
  for (int c = 0; c < n; ++c) {
    const double dx = (x0 + c) - cx;
    double* sq = &colSq[static_cast<size_t>(c) * kSqStride];
    for (int k = 0; k < 10; ++k) {
      const double sx = dx + kOffsets[k];
      sq[k] = sx * sx;
    }
    sq[10] = sq[11] = std::numeric_limits<double>::infinity();
    colExt[c] = SampleExtremes(sq, dx + kOffsets[0], dx + kOffsets[9], false);
  }
  for (int c = 0; c < n; ++c) {
    const double dy = (y0 + c) - cy;
    double* rest = &rowRest[static_cast<size_t>(c) * 10];
    for (int k = 0; k < 10; ++k) {
      const double sy = dy + kOffsets[k];
      rest[k] = r2 - sy * sy;
    }
    rowExt[c] = SampleExtremes(rest, dy + kOffsets[0], dy + kOffsets[9], true);
  }
  long long weighted = 0, weights = 0;  // in hundredths
  // The squares fall towards the centre column (the one nearest cx) and rise
  // again, so the pixels the circle touches are one run of a row, and those
  // wholly inside one run within it.
  const int mid = R + 2;
  const auto lowOf = [&](int c) { return colExt[c].low; };
  const auto highOf = [&](int c) { return colExt[c].high; };
  int first = 0, last = n - 1, inFirst = 0, inLast = n - 1;
  for (int j = 0; j < n; ++j) {
    const Extremes rest = rowExt[j];
    const uint16_t* row = box.Pixels(x0, y0 + j);
    const double* rowSamples = &rowRest[static_cast<size_t>(j) * 10];
    FollowRun(lowOf, mid, n, rest.high, first, last);
    if (first > last) continue;
    FollowRun(highOf, mid, n, rest.low, inFirst, inLast);
    if (inFirst > inLast) {
      // Nothing wholly inside: every touched pixel is on the edge.
      inFirst = last + 1;
      inLast = last;
    }
    const auto edge = [&](int c) {
      const int k = SamplesInside(&colSq[static_cast<size_t>(c) * kSqStride], rowSamples);
      weighted += static_cast<long long>(k) * row[c];
      weights += k;
    };
    for (int c = first; c < inFirst; ++c) edge(c);
    uint32_t inside = 0;  // at most 205 values below 2^16
    for (int c = inFirst; c <= inLast; ++c) inside += row[c];
    weighted += 100LL * inside;
    weights += 100LL * (inLast - inFirst + 1);
    for (int c = inLast + 1; c <= last; ++c) edge(c);
    if (inFirst > last) {
      // Back to a guess around the centre for the next row.
      inFirst = mid + 1;
      inLast = mid;
    }
  }
  return (static_cast<double>(weighted) - static_cast<double>(weights) * sky) / 100.0;
}

// Puts first..last in ascending order; for keys that are few or nearly in
// order.
void InsertionSort(uint64_t* first, uint64_t* last) {
  for (uint64_t* i = first + 1; i < last; ++i) {
    const uint64_t key = *i;
    uint64_t* j = i;
    for (; j > first && j[-1] > key; --j) *j = j[-1];
    *j = key;
  }
}

// A growth-curve key: diameter in hundredths above, net value in hundredths
// (offset to be unsigned) below, so that ties of diameter order by net value.
constexpr long long kNetOffset = 1LL << 31;
inline long long NetOf(uint64_t key) {
  return static_cast<long long>(key & 0xFFFFFFFFu) - kNetOffset;
}
inline uint64_t DiameterKey(long long diameter100) {
  return static_cast<uint64_t>(diameter100) << 32;
}

// Sorts the keys ascending, their diameters at most `top` hundredths. The
// diameters of a box fill a narrow range densely, so the keys are first dealt
// into buckets of diameter, a couple of keys to a bucket, and the few left out
// of order inside a bucket are then put right by insertion.
void SortGrowthKeys(std::vector<uint64_t>& keys, long long top) {
  const size_t n = keys.size();
  int shift = 0;
  while ((top >> shift) > static_cast<long long>(n / 2)) ++shift;
  const size_t buckets = static_cast<size_t>(top >> shift) + 1;
  std::vector<uint32_t>& starts = BucketScratch();
  starts.assign(buckets + 1, 0);
  for (uint64_t key : keys) ++starts[(key >> (32 + shift)) + 1];
  for (size_t b = 1; b <= buckets; ++b) starts[b] += starts[b - 1];
  std::vector<uint64_t>& dealt = GrowthSortScratch();
  dealt.resize(n);
  for (uint64_t key : keys) dealt[starts[key >> (32 + shift)]++] = key;
  InsertionSort(dealt.data(), dealt.data() + n);
  keys.swap(dealt);
}

// Where the growth curve of the keys first..last (in order, from the first
// key of the box) first reaches `half`, as a diameter in pixels; false when
// it does not within them.
bool HalfFluxPoint(const uint64_t* first, const uint64_t* last, double half, double& diameter) {
  long long running = 0;
  double d0 = 0, c0 = 0;
  for (const uint64_t* key = first; key < last; ++key) {
    running += NetOf(*key);
    const double dk = static_cast<double>(*key >> 32), ck = static_cast<double>(running);
    if (ck >= half) {
      // Equal sums would divide by zero: the step itself is then the answer.
      diameter = ck == c0 ? dk / 100.0 : (d0 + (half - c0) * (dk - d0) / (ck - c0)) / 100.0;
      return true;
    }
    d0 = dk;
    c0 = ck;
  }
  return false;
}

// Half-flux diameter from the growth curve of the box around the centre: the
// pixels in order of diameter (ties by net value), each adding its net value.
LUMENDA_MEASURE_CLONES double HalfFluxDiameter(const PixelBox& box, float cx, float cy, float sky,
                                               int r) {
  const int bx = NearestCoord(cx), by = NearestCoord(cy), side = 2 * r + 1;
  // The squared offsets of the box's columns and rows.
  double dxSq[2 * kMaxRing + 1], dySq[2 * kMaxRing + 1];
  for (int i = 0; i < side; ++i) {
    const double dx = (bx - r + i) - static_cast<double>(cx);
    dxSq[i] = dx * dx;
  }
  for (int j = 0; j < side; ++j) {
    const double dy = (by - r + j) - static_cast<double>(cy);
    dySq[j] = dy * dy;
  }
  const auto skyd = static_cast<double>(sky);
  // Both well inside the range of RoundHalfEvenSmall: a box of at most 201
  // pixels, 16-bit values.
  const auto net100 = [skyd](uint16_t value) { return RoundHalfEvenSmall(100.0 * (value - skyd)); };
  const auto keyAt = [&](int i, int j, const uint16_t* row) {
    const long long diameter100 = RoundHalfEvenSmall(200.0 * std::sqrt(dxSq[i] + dySq[j]));
    return DiameterKey(diameter100) | static_cast<uint64_t>(net100(row[i]) + kNetOffset);
  };
  const size_t n = static_cast<size_t>(side) * side;
  long long total = 0;
  for (int j = 0; j < side; ++j) {
    const uint16_t* row = box.Pixels(bx - r, by - r + j);
    for (int i = 0; i < side; ++i) total += net100(row[i]);
  }
  const double farthest =
      std::max(dxSq[0], dxSq[side - 1]) + std::max(dySq[0], dySq[side - 1]);  // at a corner
  const long long top = RoundHalfEvenSmall(200.0 * std::sqrt(farthest));

  // Every key, in order: what the curve needs when the few keys below fall
  // short.
  std::vector<uint64_t>& keys = GrowthScratch();
  bool allKeys = false;
  const auto sortAll = [&] {
    keys.resize(n);
    for (int j = 0; j < side; ++j) {
      const uint16_t* row = box.Pixels(bx - r, by - r + j);
      uint64_t* out = &keys[static_cast<size_t>(j) * side];
      for (int i = 0; i < side; ++i) out[i] = keyAt(i, j, row);
    }
    SortGrowthKeys(keys, top);
    allKeys = true;
  };

  // The curve's first points, up to the half-flux point (usually within a
  // few pixels of the centre), and its last points (the corners) come from
  // the few keys near the centre and near the corners, each few put in order
  // on their own. Only those pixels get a key: a diameter rounds 200 times
  // the distance, so the near ones lie within 3 pixels of the centre and the
  // far ones at least (far - 1) / 200 from it.
  constexpr long long kNearDiameter100 = 600;
  constexpr double kNearSq = 9.1;
  const uint64_t nearKey = DiameterKey(kNearDiameter100);
  const long long far100 = RoundHalfEvenSmall(200.0 * std::max(0.0, std::sqrt(farthest) - 2.5));
  const uint64_t farKey = DiameterKey(far100);
  const double farSq = far100 > 1 ? ((far100 - 1) / 200.0) * ((far100 - 1) / 200.0) : 0.0;
  thread_local std::vector<uint64_t> nearKeys, farKeys;
  nearKeys.clear();
  farKeys.clear();
  for (int j = 0; j < side; ++j) {
    const uint16_t* row = box.Pixels(bx - r, by - r + j);
    if (dySq[j] <= kNearSq)
      for (int i = std::max(r - 4, 0); i <= std::min(r + 4, side - 1); ++i)
        if (dxSq[i] + dySq[j] <= kNearSq)
          if (const uint64_t key = keyAt(i, j, row); key < nearKey) nearKeys.push_back(key);
    // The squares fall towards the centre and rise again: the far pixels of
    // a row are a run from each end.
    const double rest = farSq - dySq[j];
    int left = 0, right = side - 1;
    while (left <= right && dxSq[left] >= rest) ++left;
    while (right >= left && dxSq[right] >= rest) --right;
    const auto far = [&](int i) {
      if (const uint64_t key = keyAt(i, j, row); key >= farKey) farKeys.push_back(key);
    };
    for (int i = 0; i < left; ++i) far(i);
    for (int i = std::max(left, right + 1); i < side; ++i) far(i);
  }
  const size_t tail = std::min<size_t>(20, n);
  if (farKeys.size() < tail)
    sortAll();
  else
    std::sort(farKeys.begin(), farKeys.end());
  const uint64_t* last = allKeys ? keys.data() + n : farKeys.data() + farKeys.size();

  // The curve's level: the mean of its last `tail` points (running sums).
  // Every partial sum is a whole number far below 2^53, so adding them as
  // integers gives the very double a sum of doubles would.
  long long running = total, tailSum = 0;
  for (const uint64_t* key = last - tail; key < last; ++key) running -= NetOf(*key);
  for (const uint64_t* key = last - tail; key < last; ++key) {
    running += NetOf(*key);
    tailSum += running;
  }
  const double half = static_cast<double>(tailSum) / static_cast<double>(tail) / 2.0;

  double diameter = 0;
  if (!allKeys) {
    std::sort(nearKeys.begin(), nearKeys.end());
    if (HalfFluxPoint(nearKeys.data(), nearKeys.data() + nearKeys.size(), half, diameter))
      return diameter;
    sortAll();
  }
  return HalfFluxPoint(keys.data(), keys.data() + n, half, diameter) ? diameter : 0.0;
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

  // 2. Brightest pixel of the 7 x 7 box.
  int px, py;
  BrightestPixel(image, ix, iy, px, py);

  // 3-5. Sky annulus and peak.
  const int inner = static_cast<int>(RoundPixel(radioI + radio));
  const int outer = inner + radioE;
  StarMeasurement m;
  m.sky = AnnulusSky(image, px, py, inner, outer);
  const long long peak = image.Pixel(px, py) - RoundPixel(m.sky);
  m.peak = static_cast<uint16_t>(std::clamp<long long>(peak, 0, 65535));

  // 6. Intensity-weighted centroid.
  const int r = std::max(static_cast<int>(RoundPixel(radio)), 5);
  PixelBox& centroidBox = CentroidBoxScratch();
  centroidBox.Load(image, px, py, r);
  double cx, cy;
  Centroid(centroidBox, px, py, r, m.sky, cx, cy);

  // 7. Aperture sum with sub-pixel weights on the edge.
  const float cxf = static_cast<float>(cx), cyf = static_cast<float>(cy);
  const float skyf = static_cast<float>(m.sky);
  const int R = static_cast<int>(RoundPixel(radio));
  const int ax = NearestCoord(cxf), ay = NearestCoord(cyf);
  PixelBox& around = ApertureBoxScratch();
  around.Load(image, ax, ay, std::max(R + 2, r));
  const double sum = ApertureSum(around, static_cast<double>(cxf), static_cast<double>(cyf),
                                 static_cast<double>(skyf), radio, ax, ay, R);
  m.flux = static_cast<int32_t>(std::clamp<long long>(RoundPixel(sum), 1, INT32_MAX));

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
