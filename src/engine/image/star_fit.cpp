#include "image/star_fit.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

namespace lumenda {
namespace {

constexpr int kMaxPasses = 11;
// The last step of each grid, and where the fit starts: sigma 1.00 and the
// box centre.
constexpr int kLastSigma = StarFitter::kSigmaSteps - 1;
constexpr int kSigmaStart = 80;
constexpr int kLastPosition = StarFitter::kCentreSteps - 1;
constexpr int kPositionStart = 150;

constexpr size_t kProfilesPerBlock = 256;
constexpr int kCrossBits = 9;
constexpr uint32_t kCrossSlots = 1u << kCrossBits;

// sqrt that gives 0 instead of NaN or infinity for a ratio with no sense.
float SafeRatio(double num, double radicand) {
  if (!(radicand > 0)) return 0.0f;
  const double v = num / std::sqrt(radicand);
  return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}

// One-parameter search over the steps 0..last: narrow by comparing
// neighbours, then take the best of the last few (the first on ties).
template <typename ResidualAt>
long long BestStep(long long last, ResidualAt residualAt) {
  long long lo = 0, hi = last;
  while (hi - lo >= 10) {
    const long long mid = RoundPixel((lo + hi) / 2.0);
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
  return best;
}

}  // namespace

void StarFitter::LoadBox(const TPlaca& image, int x, int y) {
  data_.resize(static_cast<size_t>(n_) * n_);
  columns_.assign(static_cast<size_t>(n_) * stride_, 0.0);
  partial_.resize(n_);
  rowSums_.resize(stride_);
  dataSum_ = dataSquares_ = 0;
  const uint16_t* pixels = image.Data();
  const bool inside =
      pixels && x - h_ >= 0 && y - h_ >= 0 && x + h_ < image.Width() && y + h_ < image.Height();
  for (int j = 0; j < n_; ++j) {
    const uint16_t* row =
        inside ? pixels + static_cast<size_t>(y - h_ + j) * image.Width() + (x - h_) : nullptr;
    for (int i = 0; i < n_; ++i) {
      const double v = row ? row[i] : image.Pixel(x - h_ + i, y - h_ + j);
      data_[static_cast<size_t>(j) * n_ + i] = v;
      columns_[static_cast<size_t>(i) * stride_ + j] = v;
      dataSum_ += v;
      dataSquares_ += v * v;
    }
  }
}

StarFitter::StarFitter()
    : crossStamp_(kCrossSlots, 0), crossKey_(kCrossSlots), crossValue_(kCrossSlots) {}
StarFitter::~StarFitter() = default;

void StarFitter::FreeDeleter::operator()(void* p) const {
  std::free(p);
}

void StarFitter::UseBoxHalf(int h) {
  if (h == h_ && profileIndex_) return;
  h_ = h;
  n_ = 2 * h + 1;
  stride_ = (n_ + 3) / 4 * 4;
  positionBase_ = 100LL * h - 150;
  // calloc: a fresh zeroed table costs nothing for the rows never touched.
  profileIndex_.reset(static_cast<uint32_t*>(
      std::calloc(static_cast<size_t>(kSigmaSteps) * kCentreSteps, sizeof(uint32_t))));
  if (!profileIndex_) throw std::bad_alloc();
  profiles_.clear();
  blocks_.clear();
}

StarFitter::Profile StarFitter::NewProfile(int centreStep, int sigmaStep) {
  const size_t index = profiles_.size();
  if (index % kProfilesPerBlock == 0)
    blocks_.push_back(
        std::make_unique_for_overwrite<double[]>(kProfilesPerBlock * static_cast<size_t>(n_)));
  double* p = blocks_.back().get() + (index % kProfilesPerBlock) * static_cast<size_t>(n_);
  const double centre = Centre(centreStep), sigma = Sigma(sigmaStep);
  const double k = -1.0 / (2.0 * sigma * sigma);
  Profile profile{p, 0, 0};
  for (int i = 0; i < n_; ++i) {
    p[i] = std::exp((i - centre) * (i - centre) * k);
    profile.sum += p[i];
    profile.squares += p[i] * p[i];
  }
  profiles_.push_back(profile);
  profileIndex_[static_cast<size_t>(sigmaStep) * kCentreSteps + static_cast<size_t>(centreStep)] =
      static_cast<uint32_t>(index + 1);
  return profile;
}

// The residual sum over the box of (d - B - A ex ey)^2, expanded in the
// moments of the data and of the profiles: Sdd - 2 B Sd - 2 A G + N B^2
// + 2 A B Sx Sy + A^2 Sxx Syy, with G = sum d ex ey. Each step of a search
// then costs O(n) or O(1) instead of O(n^2).
double StarFitter::Expanded(double a, double b, double g, const Profile& px,
                            const Profile& py) const {
  return dataSquares_ - 2 * b * dataSum_ - 2 * a * g + static_cast<double>(n_) * n_ * b * b +
         2 * a * b * px.sum * py.sum + a * a * px.squares * py.squares;
}

// G = sum over the box of d * ex * ey. Each row's sum runs along its row
// as always, but all rows advance together over the transposed data, whose
// columns are padded to a stride of whole vectors; then the rows are summed
// in order.
template <int kStride>
double StarFitter::CrossTermOf(const Profile& px, const Profile& py) const {
  // A fixed stride keeps the row sums in registers.
  double fixedSums[kStride > 0 ? kStride : 1] = {};
  const int stride = kStride > 0 ? kStride : stride_;
  double* rowSums = kStride > 0 ? fixedSums : rowSums_.data();
  if (kStride == 0)
    for (int j = 0; j < stride; ++j) rowSums[j] = 0;
  for (int i = 0; i < n_; ++i) {
    const double* column = &columns_[static_cast<size_t>(i) * stride];
    const double e = px.values[i];
    for (int j = 0; j < stride; ++j) rowSums[j] += column[j] * e;
  }
  double g = 0;
  for (int j = 0; j < n_; ++j) g += py.values[j] * rowSums[j];
  return g;
}

// G depends on the three grid steps only, and successive passes come back to
// the same ones, so each is computed once per fit.
double StarFitter::CrossTermAt(int xStep, int yStep, int sigmaStep, const Profile& px,
                               const Profile& py) {
  const uint32_t key =
      (static_cast<uint32_t>(xStep) * kCentreSteps + static_cast<uint32_t>(yStep)) * kSigmaSteps +
      static_cast<uint32_t>(sigmaStep);
  uint32_t slot = (key * 2654435761u) >> (32 - kCrossBits);
  while (crossStamp_[slot] == fitNumber_) {
    if (crossKey_[slot] == key) return crossValue_[slot];
    slot = (slot + 1) & (kCrossSlots - 1);
  }
  const double g = CrossTerm(px, py);
  // A full table only stops remembering.
  if (crossUsed_ < kCrossSlots / 2) {
    ++crossUsed_;
    crossStamp_[slot] = fitNumber_;
    crossKey_[slot] = key;
    crossValue_[slot] = g;
  }
  return g;
}

double StarFitter::CrossTerm(const Profile& px, const Profile& py) const {
  switch (stride_) {
    case 4:
      return CrossTermOf<4>(px, py);
    case 8:
      return CrossTermOf<8>(px, py);
    case 12:
      return CrossTermOf<12>(px, py);
    case 16:
      return CrossTermOf<16>(px, py);
    default:
      return CrossTermOf<0>(px, py);
  }
}

// The residual summed pixel by pixel, as each pass ends.
double StarFitter::SumOfSquares(const Profile& px, const Profile& py, double a, double b) const {
  double sum = 0;
  for (int j = 0; j < n_; ++j) {
    const double ay = a * py.values[j];
    const double* row = &data_[static_cast<size_t>(j) * n_];
    for (int i = 0; i < n_; ++i) {
      const double d = row[i] - b - ay * px.values[i];
      sum += d * d;
    }
  }
  return sum;
}

void StarFitter::Solve() {
  double border = 0;
  for (int i = 0; i < n_; ++i) {
    for (int j = 0; j < n_; ++j)
      if (i == 0 || j == 0 || i == n_ - 1 || j == n_ - 1) border += Data(i, j);
  }
  const double b0 = border / (4.0 * n_ - 4.0);
  const double a0 = Data(h_, h_) - b0;
  sigmaStep_ = kSigmaStart;
  xStep_ = yStep_ = kPositionStart;
  a_ = a0;
  b_ = b0;
  const long long aLo = std::min(RoundPixel(a0 / 2), RoundPixel(2 * a0));
  const long long aHi = std::max(RoundPixel(a0 / 2), RoundPixel(2 * a0));
  const long long bLo = std::min(RoundPixel(b0 / 2), RoundPixel(2 * b0));
  const long long bHi = std::max(RoundPixel(b0 / 2), RoundPixel(2 * b0));

  double previous = std::numeric_limits<double>::infinity();
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    sigmaStep_ = static_cast<int>(BestStep(kLastSigma, [&](long long k) {
      const Profile px = ProfileAt(xStep_, static_cast<int>(k));
      const Profile py = ProfileAt(yStep_, static_cast<int>(k));
      return Expanded(a_, b_, CrossTermAt(xStep_, yStep_, static_cast<int>(k), px, py), px, py);
    }));

    // Column sums weighted by the row profile for x, row sums weighted by
    // the column profile for y.
    auto dot = [&](const Profile& p) {
      double sum = 0;
      for (int k = 0; k < n_; ++k) sum += p.values[k] * partial_[k];
      return sum;
    };
    {
      const Profile py = ProfileAt(yStep_, sigmaStep_);
      std::fill(partial_.begin(), partial_.end(), 0.0);
      for (int j = 0; j < n_; ++j)
        for (int i = 0; i < n_; ++i) partial_[i] += Data(i, j) * py.values[j];
      xStep_ = static_cast<int>(BestStep(kLastPosition, [&](long long k) {
        const Profile px = ProfileAt(static_cast<int>(k), sigmaStep_);
        return Expanded(a_, b_, dot(px), px, py);
      }));
    }
    {
      const Profile px = ProfileAt(xStep_, sigmaStep_);
      std::fill(partial_.begin(), partial_.end(), 0.0);
      for (int j = 0; j < n_; ++j)
        for (int i = 0; i < n_; ++i) partial_[j] += Data(i, j) * px.values[i];
      yStep_ = static_cast<int>(BestStep(kLastPosition, [&](long long k) {
        const Profile py = ProfileAt(static_cast<int>(k), sigmaStep_);
        return Expanded(a_, b_, dot(py), px, py);
      }));
    }

    const Profile px = ProfileAt(xStep_, sigmaStep_), py = ProfileAt(yStep_, sigmaStep_);
    const double g = CrossTermAt(xStep_, yStep_, sigmaStep_, px, py);
    if (aHi - aLo >= 0)
      a_ = static_cast<double>(aLo + BestStep(aHi - aLo, [&](long long k) {
                                 return Expanded(static_cast<double>(aLo + k), b_, g, px, py);
                               }));
    if (bHi - bLo >= 0)
      b_ = static_cast<double>(bLo + BestStep(bHi - bLo, [&](long long k) {
                                 return Expanded(a_, static_cast<double>(bLo + k), g, px, py);
                               }));
    const double residual = SumOfSquares(px, py, a_, b_);
    if (std::fabs(residual - previous) < 1.0) break;
    previous = residual;
  }
}

StarFit StarFitter::Fit(const TPlaca& image, int x, int y, int h, int saturation) {
  UseBoxHalf(std::clamp(h, 1, kMaxFitHalf));
  if (++fitNumber_ == 0) {
    std::fill(crossStamp_.begin(), crossStamp_.end(), 0);
    fitNumber_ = 1;
  }
  crossUsed_ = 0;
  LoadBox(image, x, y);
  bool saturated = false;
  for (double v : data_)
    if (v > saturation) saturated = true;
  Solve();

  const double x0 = Centre(xStep_), y0 = Centre(yStep_), sigma = Sigma(sigmaStep_);
  const Profile px = ProfileAt(xStep_, sigmaStep_), py = ProfileAt(yStep_, sigmaStep_);
  StarFit result;
  result.x = static_cast<float>(x - h_ + x0);
  result.y = static_cast<float>(y - h_ + y0);
  result.background =
      static_cast<int32_t>(std::clamp<long long>(RoundPixel(b_), INT32_MIN, INT32_MAX));
  // Sum over the box of (model - B).
  const double flux = static_cast<double>(
      std::clamp<long long>(RoundPixel(a_ * px.sum * py.sum), INT32_MIN, INT32_MAX));
  result.flux = static_cast<int32_t>(flux);
  result.fwhm = static_cast<float>(2.355 * sigma);
  const double spread = 4.71 * sigma;
  result.snr = SafeRatio(flux, flux + spread * spread * b_);
  result.peakSnr = SafeRatio(a_, a_ + b_);
  if (saturated)
    result.flag = 'S';
  else if (result.fwhm < 0.6f)
    result.flag = 'C';
  else if (result.fwhm > 5.0f)
    result.flag = 'F';
  return result;
}

}  // namespace lumenda
