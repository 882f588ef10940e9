#include "image/find_stars.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "text/number_format.h"

namespace lumenda {
namespace {

// Larger boxes only come from absurd arguments; they would make every fit a
// scan of thousands of pixels.
constexpr int kMaxFitHalf = 50;
constexpr int kProbePitch = 19;
constexpr int kMaxPasses = 11;

long long Nearest(double v) {
  if (!(v > -1e15)) return -1000000000000000LL;
  if (v > 1e15) return 1000000000000000LL;
  return static_cast<long long>(std::nearbyint(v));
}

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

// The same test on raw rows, for a box known to lie inside the image.
bool IsLocalMaximumInside(const uint16_t* data, int width, int x, int y, int r) {
  const uint16_t* centrePtr = data + static_cast<size_t>(y) * width + x;
  const uint16_t centre = *centrePtr;
  for (int j = -r; j <= r; ++j) {
    const uint16_t* row = centrePtr + static_cast<ptrdiff_t>(j) * width;
    for (int i = -r; i <= r; ++i) {
      if ((i | j) != 0 && row[i] >= centre) return false;
    }
  }
  // Zeros are below a non-zero centre, so they survive the test above.
  for (int j = -r; j <= r; ++j) {
    const uint16_t* row = centrePtr + static_cast<ptrdiff_t>(j) * width;
    for (int i = -r; i <= r; ++i)
      if (row[i] == 0) return false;
  }
  return true;
}

// Local sky of a candidate: the ring between the squares +-(r + 2) and
// +-(r + 4), without the image's outermost rows and columns (nor anything
// past them); the bright tail above the ring's mean + 5 % is left out.
long long LocalSky(const uint16_t* data, int width, int maxX, int maxY, int x, int y, int r,
                   std::vector<uint16_t>& values) {
  const int ring = r + 4, hole = r + 2;
  values.clear();
  long long sum = 0;
  // Row by row: the rows crossing the hole contribute their two ends only.
  const int xa = std::max(x - ring, 1), xb = std::min(x + ring, maxX - 1);
  for (int yy = std::max(y - ring, 1); yy <= std::min(y + ring, maxY - 1); ++yy) {
    const uint16_t* row = data + static_cast<size_t>(yy) * width;
    auto take = [&](int from, int to) {
      for (int xx = from; xx <= to; ++xx) {
        values.push_back(row[xx]);
        sum += row[xx];
      }
    };
    if (std::abs(yy - y) > hole) {
      take(xa, xb);
    } else {
      take(xa, std::min(xb, x - hole - 1));
      take(std::max(xa, x + hole + 1), xb);
    }
  }
  if (values.empty()) return 0;
  const double m1 = static_cast<double>(sum) / static_cast<double>(values.size());
  const long long t = Nearest(m1 + m1 / 20);
  long long lowSum = 0, lowCount = 0;
  for (uint16_t v : values) {
    if (v <= t) {
      lowSum += v;
      ++lowCount;
    }
  }
  return lowCount > 0 ? Nearest(static_cast<double>(lowSum) / lowCount) : 0;
}

// Gaussian model over an n x n box. exp(-(a + b)) = exp(-a) * exp(-b), so the
// model is a product of a column profile and a row profile, and one residual
// costs 2n exponentials at most instead of n^2.
class GaussFit {
 public:
  GaussFit(const TPlaca& image, int x, int y, int h) : n_(2 * h + 1), h_(h) {
    data_.resize(static_cast<size_t>(n_) * n_);
    ex_.resize(n_);
    ey_.resize(n_);
    partial_.resize(n_);
    for (int j = 0; j < n_; ++j) {
      for (int i = 0; i < n_; ++i) {
        const double v = image.Pixel(x - h + i, y - h + j);
        data_[Index(i, j)] = v;
        dataSum_ += v;
        dataSquares_ += v * v;
      }
    }
  }

  double Data(int i, int j) const { return data_[Index(i, j)]; }
  int Size() const { return n_; }

  void Fit() {
    double border = 0;
    for (int i = 0; i < n_; ++i) {
      for (int j = 0; j < n_; ++j)
        if (i == 0 || j == 0 || i == n_ - 1 || j == n_ - 1) border += Data(i, j);
    }
    const double b0 = border / (4.0 * n_ - 4.0);
    const double a0 = Data(h_, h_) - b0;
    sigma_ = 1.0;
    x0_ = y0_ = h_;
    a_ = a0;
    b_ = b0;
    const long long aLo = std::min(Nearest(a0 / 2), Nearest(2 * a0));
    const long long aHi = std::max(Nearest(a0 / 2), Nearest(2 * a0));
    const long long bLo = std::min(Nearest(b0 / 2), Nearest(2 * b0));
    const long long bHi = std::max(Nearest(b0 / 2), Nearest(2 * b0));
    // Positions on a grid of hundredths from h - 1.5 to h + 1.5.
    const long long posBase = 100LL * h_ - 150;

    double previous = std::numeric_limits<double>::infinity();
    for (int pass = 0; pass < kMaxPasses; ++pass) {
      sigma_ = Search(
          380, [&](long long k) { return (20 + k) / 100.0; }, sigma_, Param::kSigma);
      x0_ = Search(
          300, [&](long long k) { return (posBase + k) / 100.0; }, x0_, Param::kX);
      y0_ = Search(
          300, [&](long long k) { return (posBase + k) / 100.0; }, y0_, Param::kY);
      a_ = Search(
          aHi - aLo, [&](long long k) { return static_cast<double>(aLo + k); }, a_, Param::kA);
      b_ = Search(
          bHi - bLo, [&](long long k) { return static_cast<double>(bLo + k); }, b_, Param::kB);
      const double residual = Residual(sigma_, x0_, y0_, a_, b_);
      if (std::fabs(residual - previous) < 1.0) break;
      previous = residual;
    }
  }

  double sigma() const { return sigma_; }
  double x0() const { return x0_; }
  double y0() const { return y0_; }
  double a() const { return a_; }
  double b() const { return b_; }
  // Sum over the box of (model - B).
  double Flux() const {
    Profile(ex_, x0_, sigma_);
    Profile(ey_, y0_, sigma_);
    double sx = 0, sy = 0;
    for (int i = 0; i < n_; ++i) {
      sx += ex_[i];
      sy += ey_[i];
    }
    return a_ * sx * sy;
  }

 private:
  enum class Param { kSigma, kX, kY, kA, kB };

  size_t Index(int i, int j) const { return static_cast<size_t>(j) * n_ + i; }

  void Profile(std::vector<double>& p, double centre, double sigma) const {
    const double k = -1.0 / (2.0 * sigma * sigma);
    for (int i = 0; i < n_; ++i) p[i] = std::exp((i - centre) * (i - centre) * k);
  }

  double Residual(double sigma, double x0, double y0, double a, double b) const {
    Profile(ex_, x0, sigma);
    Profile(ey_, y0, sigma);
    return SumOfSquares(a, b);
  }

  double SumOfSquares(double a, double b) const {
    double sum = 0;
    for (int j = 0; j < n_; ++j) {
      const double ay = a * ey_[j];
      const double* row = &data_[Index(0, j)];
      for (int i = 0; i < n_; ++i) {
        const double d = row[i] - b - ay * ex_[i];
        sum += d * d;
      }
    }
    return sum;
  }

  struct Moments {
    double sum = 0;
    double squares = 0;
  };
  Moments MomentsOf(const std::vector<double>& p) const {
    Moments m;
    for (int i = 0; i < n_; ++i) {
      m.sum += p[i];
      m.squares += p[i] * p[i];
    }
    return m;
  }

  // The residual expanded in the moments of the data and of the profiles:
  // sum (d - B - A ex ey)^2 = Sdd - 2 B Sd - 2 A G + N B^2 + 2 A B Sx Sy
  // + A^2 Sxx Syy, with G = sum d ex ey. Lets each step of a search cost
  // O(n) or O(1) instead of O(n^2).
  double Expanded(double a, double b, double g, const Moments& mx, const Moments& my) const {
    return dataSquares_ - 2 * b * dataSum_ - 2 * a * g + static_cast<double>(n_) * n_ * b * b +
           2 * a * b * mx.sum * my.sum + a * a * mx.squares * my.squares;
  }

  // G = sum over the box of d * ex * ey.
  double CrossTerm() const {
    double g = 0;
    for (int j = 0; j < n_; ++j) {
      const double* row = &data_[Index(0, j)];
      double rowSum = 0;
      for (int i = 0; i < n_; ++i) rowSum += row[i] * ex_[i];
      g += ey_[j] * rowSum;
    }
    return g;
  }

  // One-parameter search over indices 0..last, the others held: narrow by
  // comparing neighbours, then take the best of the last few (the first on
  // ties). An empty range leaves the parameter as it was.
  template <typename ValueAt>
  double Search(long long last, ValueAt valueAt, double current, Param param) {
    if (last < 0) return current;
    // What the parameter does not touch is computed once.
    Profile(ex_, x0_, sigma_);
    Profile(ey_, y0_, sigma_);
    Moments mx = MomentsOf(ex_), my = MomentsOf(ey_);
    const double g = CrossTerm();
    // Column sums weighted by the row profile, and row sums weighted by the
    // column profile.
    if (param == Param::kX || param == Param::kY) {
      for (int k = 0; k < n_; ++k) partial_[k] = 0;
      for (int j = 0; j < n_; ++j) {
        for (int i = 0; i < n_; ++i) {
          if (param == Param::kX)
            partial_[i] += data_[Index(i, j)] * ey_[j];
          else
            partial_[j] += data_[Index(i, j)] * ex_[i];
        }
      }
    }
    auto dot = [&](const std::vector<double>& p) {
      double sum = 0;
      for (int k = 0; k < n_; ++k) sum += p[k] * partial_[k];
      return sum;
    };
    auto residualAt = [&](long long k) {
      const double v = valueAt(k);
      switch (param) {
        case Param::kSigma: {
          Profile(ex_, x0_, v);
          Profile(ey_, y0_, v);
          return Expanded(a_, b_, CrossTerm(), MomentsOf(ex_), MomentsOf(ey_));
        }
        case Param::kX:
          Profile(ex_, v, sigma_);
          return Expanded(a_, b_, dot(ex_), MomentsOf(ex_), my);
        case Param::kY:
          Profile(ey_, v, sigma_);
          return Expanded(a_, b_, dot(ey_), mx, MomentsOf(ey_));
        case Param::kA:
          return Expanded(v, b_, g, mx, my);
        case Param::kB:
          return Expanded(a_, v, g, mx, my);
      }
      return 0.0;
    };
    long long lo = 0, hi = last;
    while (hi - lo >= 10) {
      const long long mid = Nearest((lo + hi) / 2.0);
      if (residualAt(mid) <= residualAt(mid + 1))
        hi = mid;
      else
        lo = mid;
    }
    long long best = lo;
    double bestResidual = residualAt(lo);
    for (long long k = lo + 1; k <= hi; ++k) {
      const double r = residualAt(k);
      if (r < bestResidual) {
        bestResidual = r;
        best = k;
      }
    }
    return valueAt(best);
  }

  int n_;
  int h_;
  std::vector<double> data_;
  double dataSum_ = 0, dataSquares_ = 0;
  mutable std::vector<double> ex_, ey_, partial_;
  double sigma_ = 1.0, x0_ = 0, y0_ = 0, a_ = 0, b_ = 0;
};

// sqrt that gives 0 instead of NaN or infinity for a ratio with no sense.
float SafeRatio(double num, double radicand) {
  if (!(radicand > 0)) return 0.0f;
  const double v = num / std::sqrt(radicand);
  return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
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
  h = std::clamp(h, 1, kMaxFitHalf);
  GaussFit fit(image, x, y, h);
  bool saturated = false;
  for (int j = 0; j < fit.Size(); ++j)
    for (int i = 0; i < fit.Size(); ++i)
      if (fit.Data(i, j) > saturation) saturated = true;
  fit.Fit();

  StarFit result;
  result.x = static_cast<float>(x - h + fit.x0());
  result.y = static_cast<float>(y - h + fit.y0());
  result.background =
      static_cast<int32_t>(std::clamp<long long>(Nearest(fit.b()), INT32_MIN, INT32_MAX));
  const double flux =
      static_cast<double>(std::clamp<long long>(Nearest(fit.Flux()), INT32_MIN, INT32_MAX));
  result.flux = static_cast<int32_t>(flux);
  result.fwhm = static_cast<float>(2.355 * fit.sigma());
  const double spread = 4.71 * fit.sigma();
  result.snr = SafeRatio(flux, flux + spread * spread * fit.b());
  result.peakSnr = SafeRatio(fit.a(), fit.a() + fit.b());
  if (saturated)
    result.flag = 'S';
  else if (result.fwhm < 0.6f)
    result.flag = 'C';
  else if (result.fwhm > 5.0f)
    result.flag = 'F';
  return result;
}

double MeanFWHM(const TPlaca& image, int saturation, std::string& message) {
  const long long i0 = Nearest((image.Width() - 1) / 3.0 / kProbePitch);
  const long long j0 = Nearest((image.Height() - 1) / 3.0 / kProbePitch);
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
      sum += FitStar(image, bx, by, 5, saturation).fwhm;
      ++count;
    }
  }
  if (count == 0) {
    message = "No hay estrellas para FWHM";
    return 0.0;
  }
  message.clear();
  return sum / count;
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

std::vector<std::string> FindStars(TPlaca& image, int halfSize, int minCounts, int saturation,
                                   double minSnr, std::string& message) {
  std::vector<std::string>& stars = image.Stars();
  stars.clear();
  const double meanFwhm = MeanFWHM(image, saturation, message);
  if (meanFwhm <= 0 || !image.HasPixels()) return stars;
  int r = static_cast<int>(std::clamp<long long>(Nearest(meanFwhm - 0.5), 1, kMaxFitHalf));
  image.SetKeyword("STYRADIO", IntToStr(r));

  const int maxX = image.Width() - 1, maxY = image.Height() - 1;
  int x0 = r + 3, x1 = maxX - r - 3, y0 = r + 3, y1 = maxY - r - 3;
  if (halfSize > 0) {
    const int cx = static_cast<int>(Nearest(maxX / 2.0)),
              cy = static_cast<int>(Nearest(maxY / 2.0));
    x0 = std::max(x0, cx - halfSize);
    x1 = std::min(x1, cx + halfSize);
    y0 = std::max(y0, cy - halfSize);
    y1 = std::min(y1, cy + halfSize);
  }
  const uint16_t* data = image.Data();
  const int width = image.Width();
  std::vector<uint16_t> ringValues;
  ringValues.reserve(static_cast<size_t>(2 * r + 9) * (2 * r + 9));
  for (int x = x0; x <= x1; ++x) {
    for (int y = y0; y <= y1; ++y) {
      if (!IsLocalMaximumInside(data, width, x, y, r)) continue;
      image.SetScan(x, y);

      const long long sky = LocalSky(data, width, maxX, maxY, x, y, r, ringValues);
      long long net = 0;
      for (int i = -r; i <= r; ++i)
        for (int j = -r; j <= r; ++j) net += data[static_cast<size_t>(y + j) * width + x + i] - sky;
      if (net <= minCounts) continue;

      const StarFit fit = FitStar(image, x, y, r + 2, saturation);
      if (!AcceptStar(fit, minCounts, minSnr)) continue;
      stars.push_back(FormatStarLine(fit));
    }
  }
  return stars;
}

}  // namespace lumenda
