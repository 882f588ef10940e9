#include "image/find_stars.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "image/star_fit.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

constexpr int kProbePitch = 19;

// The pixel is strictly brighter than every other pixel of the
// (2r + 1)^2 box around it, and no pixel of the box is 0.
bool IsLocalMaximum(const TPlaca& image, int x, int y, int r) {
  const uint16_t centre = image.Pixel(x, y);
  if (centre == 0) return false;
  for (int i = x - r; i <= x + r; ++i) {
    for (int j = y - r; j <= y + r; ++j) {
      if (i == x && j == y) continue;
      const uint16_t v = image.Pixel(i, j);
      if (v >= centre || v == 0) return false;
    }
  }
  return true;
}

// The star search proper, for a star radius r. With kR > 0 the radius is a
// compile-time constant (the usual small radii), so the short loops over a
// box unroll; kR = 0 serves any radius.
template <int kR>
class Search {
 public:
  Search(const TPlaca& image, int r)
      : data_(image.Data()),
        width_(image.Width()),
        maxX_(image.Width() - 1),
        maxY_(image.Height() - 1),
        r_(kR > 0 ? kR : r) {}

  // Pixels of [x0, x1] x [y0, y1] that pass the local-maximum test, packed
  // as x << 16 | y, in search order: column by column, rows inside. Walking
  // a row-major image column by column would miss the cache at every step,
  // so the image is walked row by row, comparing each pixel with the maximum
  // of the rest of its box (kept per column above and below it) a vector at
  // a time; the survivors are put in search order.
  std::vector<uint32_t> LocalMaxima(int x0, int x1, int y0, int y1) const {
    const int r = r_;
    std::vector<uint32_t> found;
    if (x0 > x1 || y0 > y1) return found;
    const int span = x1 - x0 + 1, wide = span + 2 * r;
    std::vector<uint16_t> above(static_cast<size_t>(wide)), below(static_cast<size_t>(wide)),
        column(static_cast<size_t>(wide)), others(static_cast<size_t>(span));
    std::vector<uint8_t> higher(static_cast<size_t>(span) + 8, 0);
    std::vector<uint32_t> rowMajor;
    for (int y = y0; y <= y1; ++y) {
      const uint16_t* centreRow = data_ + static_cast<size_t>(y) * width_ + (x0 - r);
      auto rowAt = [&](int j) { return centreRow + static_cast<ptrdiff_t>(j) * width_; };
      std::copy_n(rowAt(-r), wide, above.begin());
      std::copy_n(rowAt(1), wide, below.begin());
      for (int j = 1; j < r; ++j) {
        const uint16_t *up = rowAt(-j), *down = rowAt(j + 1);
        for (int i = 0; i < wide; ++i) {
          above[i] = std::max(above[i], up[i]);
          below[i] = std::max(below[i], down[i]);
        }
      }
      for (int i = 0; i < wide; ++i)
        column[i] = std::max(std::max(above[i], below[i]), centreRow[i]);
      for (int i = 0; i < span; ++i) others[i] = std::max(above[i + r], below[i + r]);
      for (int d = 0; d <= 2 * r; ++d) {
        if (d == r) continue;
        for (int i = 0; i < span; ++i) others[i] = std::max(others[i], column[i + d]);
      }
      const uint16_t* centre = centreRow + r;
      for (int i = 0; i < span; ++i) higher[i] = centre[i] > others[i];
      for (int i = 0; i < span; i += 8) {
        uint64_t word;
        std::memcpy(&word, &higher[i], 8);
        if (word == 0) continue;
        for (int k = i; k < std::min(i + 8, span); ++k)
          if (higher[k] && NoZero(x0 + k, y))
            rowMajor.push_back(static_cast<uint32_t>(x0 + k) << 16 | static_cast<uint32_t>(y));
      }
    }
    // Stable counting sort by column: rows stay in order within a column.
    std::vector<uint32_t> start(static_cast<size_t>(span) + 1, 0);
    for (uint32_t p : rowMajor) ++start[(p >> 16) - x0 + 1];
    for (int i = 0; i < span; ++i) start[i + 1] += start[i];
    found.resize(rowMajor.size());
    for (uint32_t p : rowMajor) found[start[(p >> 16) - x0]++] = p;
    return found;
  }

  // Whether the box around a candidate holds more than minCounts above its
  // local sky: the ring between the squares +-(r + 2) and +-(r + 4),
  // without the image's outermost rows and columns (nor anything past them),
  // with the bright tail above the ring's mean + 5 % left out.
  bool NetAbove(int x, int y, long long minCounts) const {
    const int r = r_, ring = r + 4;
    uint32_t box = 0;  // below 2^32 for any radius up to the largest fit
    for (int j = -r; j <= r; ++j) {
      const uint16_t* row = data_ + static_cast<size_t>(y + j) * width_ + x;
      for (int i = -r; i <= r; ++i) box += row[i];
    }
    const long long pixels = static_cast<long long>(2 * r + 1) * (2 * r + 1);
    const auto above = [&](long long sky) { return box - pixels * sky > minCounts; };
    if (x - ring >= 1 && y - ring >= 1 && x + ring <= maxX_ - 1 && y + ring <= maxY_ - 1)
      return NetAboveRing(x, y, above);
    const int hole = r + 2;
    const int xa = std::max(x - ring, 1), xb = std::min(x + ring, maxX_ - 1);
    const int ya = std::max(y - ring, 1), yb = std::min(y + ring, maxY_ - 1);
    // Row by row: the rows crossing the hole contribute their two ends only.
    return Decide(
        [&](auto&& take) {
          for (int yy = ya; yy <= yb; ++yy) {
            const uint16_t* row = data_ + static_cast<size_t>(yy) * width_;
            if (std::abs(yy - y) > hole) {
              take(row + xa, xb - xa + 1);
            } else {
              take(row + xa, std::min(xb, x - hole - 1) - xa + 1);
              const int from = std::max(xa, x + hole + 1);
              take(row + from, xb - from + 1);
            }
          }
        },
        above);
  }

  // Whether a pixel of the box of half-size h around (x, y) is above `level`.
  bool AnyAbove(int x, int y, int h, int level) const {
    bool above = false;
    for (int j = -h; j <= h; ++j) {
      const uint16_t* row = data_ + static_cast<size_t>(y + j) * width_ + x;
      for (int i = -h; i <= h; ++i) above |= row[i] > level;
    }
    return above;
  }

 private:
  // The other half of the local-maximum test: no pixel of the box is 0.
  bool NoZero(int x, int y) const {
    const int r = r_;
    bool zero = false;
    for (int j = -r; j <= r; ++j) {
      const uint16_t* row = data_ + static_cast<size_t>(y + j) * width_ + x;
      for (int i = -r; i <= r; ++i) zero |= row[i] == 0;
    }
    return !zero;
  }

  // The ring when it lies wholly inside: two full rows above and below the
  // hole, and two pixels at each end of the rows beside it, gathered into
  // one run.
  template <typename Above>
  bool NetAboveRing(int x, int y, Above above) const {
    const int r = r_, w = 2 * r + 9;
    const int count = 16 * r + 56;
    uint16_t fixed[kR > 0 ? 16 * kR + 56 : 1];
    if (kR == 0) ring_.resize(static_cast<size_t>(count));
    uint16_t* ring = kR > 0 ? fixed : ring_.data();
    const uint16_t* top = data_ + static_cast<size_t>(y - r - 4) * width_ + (x - r - 4);
    uint16_t* out = ring;
    for (int k : {0, 1, 2 * r + 7, 2 * r + 8}) {
      std::copy_n(top + static_cast<size_t>(k) * width_, w, out);
      out += w;
    }
    for (int k = 2; k <= 2 * r + 6; ++k) {
      const uint16_t* row = top + static_cast<size_t>(k) * width_;
      *out++ = row[0];
      *out++ = row[1];
      *out++ = row[w - 2];
      *out++ = row[w - 1];
    }
    return Decide([&](auto&& take) { take(ring, count); }, above);
  }

  // above(sky) for the ring's sky: the mean m1 of its values, then the mean
  // of the values up to nearest(m1 + m1 / 20). Those include the smallest
  // value, so the sky is never below it, and a box that is not above even
  // that needs no second pass. A ring has fewer than 2^16 pixels, so the
  // sums fit 32 bits.
  template <typename ForEachRun, typename Above>
  static bool Decide(ForEachRun forEachRun, Above above) {
    uint32_t sum = 0;
    int32_t count = 0;
    uint16_t least = 65535;
    forEachRun([&](const uint16_t* p, int n) {
      for (int i = 0; i < n; ++i) {
        sum += p[i];
        least = std::min(least, p[i]);
      }
      count += std::max(n, 0);
    });
    if (count == 0) return above(0);
    if (!above(least)) return false;
    const double m1 = static_cast<double>(sum) / static_cast<double>(count);
    // m1 >= 0, so t >= 0; above 65535 it keeps every value.
    const auto t = static_cast<uint16_t>(std::min<long long>(RoundPixel(m1 + m1 / 20), 65535));
    uint32_t lowSum = 0;
    int32_t lowCount = 0;
    forEachRun([&](const uint16_t* p, int n) {
      for (int i = 0; i < n; ++i) {
        const bool low = p[i] <= t;
        lowSum += low ? p[i] : 0;
        lowCount += low;
      }
    });
    return above(
        lowCount > 0 ? RoundPixel(static_cast<double>(lowSum) / static_cast<double>(lowCount)) : 0);
  }

  const uint16_t* data_;
  int width_, maxX_, maxY_, r_;
  mutable std::vector<uint16_t> ring_;  // for a radius known at run time only
};

// Reports the column being examined, once per column.
class ColumnProgress {
 public:
  ColumnProgress(int width, std::stop_token stop, const Progress& progress)
      : width_(width), stop_(std::move(stop)), progress_(progress) {}
  // False when a stop was asked for.
  bool At(int x) {
    if (x == column_) return true;
    column_ = x;
    if (stop_.stop_requested()) return false;
    if (progress_) {
      const double percent = 100.0 * x / width_;
      progress_({ProgressLine::kOverall, x, width_, percent,
                 "Localizando estrellas (" + FormatFloat("0", percent) + "%)"});
    }
    return true;
  }

 private:
  int width_;
  int column_ = -1;
  std::stop_token stop_;
  const Progress& progress_;
};

template <int kR>
bool SearchStars(const TPlaca& image, int r, int x0, int x1, int y0, int y1,
                 const StarSearch& limits, ColumnProgress& column, std::vector<StarFit>& stars) {
  const Search<kR> search(image, r);
  if (kR > 0) r = kR;
  const int h = r + 2;
  StarFitter fitter;
  for (const uint32_t packed : search.LocalMaxima(x0, x1, y0, y1)) {
    const int x = static_cast<int>(packed >> 16), y = static_cast<int>(packed & 0xFFFF);
    if (!column.At(x)) return false;
    if (!search.NetAbove(x, y, limits.minCounts)) continue;
    // A saturated star is flagged and never listed: no need to fit it.
    if (search.AnyAbove(x, y, h, limits.saturation)) continue;
    const StarFit fit = fitter.Fit(image, x, y, h, limits.saturation);
    if (AcceptStar(fit, limits.minCounts, limits.minSnr)) stars.push_back(fit);
  }
  return true;
}

// Appends a right-aligned field after the blanks that separate it from the
// previous one.
void AppendField(const std::string& text, Column column, std::string& line, int& lastColumn) {
  line.append(static_cast<size_t>(column.first - lastColumn - 1), ' ');
  line += PadLeft(text, column.Width());
  lastColumn = column.last;
}

}  // namespace

StarFit FitStar(const TPlaca& image, int x, int y, int h, int saturation) {
  return StarFitter().Fit(image, x, y, h, saturation);
}

Result<double> MeanFWHM(const TPlaca& image, int saturation) {
  const long long i0 = RoundPixel((image.Width() - 1) / 3.0 / kProbePitch);
  const long long j0 = RoundPixel((image.Height() - 1) / 3.0 / kProbePitch);
  StarFitter fitter;
  double sum = 0;
  int count = 0;
  for (long long i = i0; i <= 2 * i0; ++i) {
    for (long long j = j0; j <= 2 * j0; ++j) {
      const int px = static_cast<int>(kProbePitch * i), py = static_cast<int>(kProbePitch * j);
      int bx = px - 9, by = py - 9;
      int best = -1;
      for (int x = px - 9; x <= px + 9; ++x) {
        for (int y = py - 9; y <= py + 9; ++y) {
          const int v = image.Pixel(x, y);
          if (v > best) {
            best = v;
            bx = x;
            by = y;
          }
        }
      }
      if (!IsLocalMaximum(image, bx, by, 4)) continue;
      sum += fitter.Fit(image, bx, by, 5, saturation).fwhm;
      ++count;
    }
  }
  if (count == 0) return Result<double>::Fail(kNoStarsForFwhm, FailureKind::kRefusal);
  return Result<double>::Ok(sum / count);
}

bool AcceptStar(const StarFit& fit, int minCounts, double minSnr) {
  // The FWHM is compared in single precision, as it is stored: 1.2 itself is out.
  return fit.snr > minSnr && fit.flux > minCounts && fit.flag == ' ' && fit.fwhm > 1.2f;
}

std::string FormatStarLine(const StarFit& fit) {
  std::string line;
  int last = 0;
  AppendField(FormatFloat("0.00", fit.x), StarListColumns::kX, line, last);
  AppendField(FormatFloat("0.00", fit.y), StarListColumns::kY, line, last);
  AppendField(IntToStr(fit.flux), StarListColumns::kFlux, line, last);
  AppendField(IntToStr(fit.background), StarListColumns::kBackground, line, last);
  AppendField(FormatFloat("0.0", fit.peakSnr), StarListColumns::kPeakSnr, line, last);
  AppendField(FormatFloat("0.0", fit.snr), StarListColumns::kSnr, line, last);
  AppendField(FormatFloat("0.0", fit.fwhm), StarListColumns::kFwhm, line, last);
  AppendField(std::string(1, fit.flag), StarListColumns::kFlag, line, last);
  return line;
}

Result<FoundStars> FindStars(const TPlaca& image, const StarSearch& search, std::stop_token stop,
                             const Progress& progress) {
  using Out = Result<FoundStars>;
  if (stop.stop_requested()) return Out::Stopped();
  FoundStars found;
  const Result<double> meanFwhm = MeanFWHM(image, search.saturation);
  if (!meanFwhm.ok()) {
    found.notice = meanFwhm.message;
    return Out::Ok(std::move(found));
  }
  if (meanFwhm.value <= 0 || !image.HasPixels()) return Out::Ok(std::move(found));
  const int r =
      static_cast<int>(std::clamp<long long>(RoundPixel(meanFwhm.value - 0.5), 1, kMaxFitHalf));
  found.radius = r;

  const int maxX = image.Width() - 1, maxY = image.Height() - 1;
  int x0 = r + 3, x1 = maxX - r - 3, y0 = r + 3, y1 = maxY - r - 3;
  if (search.halfSize > 0) {
    const int cx = static_cast<int>(RoundPixel(maxX / 2.0)),
              cy = static_cast<int>(RoundPixel(maxY / 2.0));
    x0 = std::max(x0, cx - search.halfSize);
    x1 = std::min(x1, cx + search.halfSize);
    y0 = std::max(y0, cy - search.halfSize);
    y1 = std::min(y1, cy + search.halfSize);
  }
  ColumnProgress column(image.Width(), stop, progress);
  bool whole = false;
  switch (r) {
    case 1:
      whole = SearchStars<1>(image, r, x0, x1, y0, y1, search, column, found.stars);
      break;
    case 2:
      whole = SearchStars<2>(image, r, x0, x1, y0, y1, search, column, found.stars);
      break;
    case 3:
      whole = SearchStars<3>(image, r, x0, x1, y0, y1, search, column, found.stars);
      break;
    case 4:
      whole = SearchStars<4>(image, r, x0, x1, y0, y1, search, column, found.stars);
      break;
    default:
      whole = SearchStars<0>(image, r, x0, x1, y0, y1, search, column, found.stars);
  }
  if (!whole) return Out::Stopped();
  Report(progress, {ProgressLine::kOverall, image.Width(), image.Width(), 100.0,
                    "Localizando estrellas (100%)"});
  return Out::Ok(std::move(found));
}

}  // namespace lumenda
