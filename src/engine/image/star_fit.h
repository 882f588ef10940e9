// The Gaussian fit of one star, as an object that keeps its buffers from one
// star to the next. The star search fits thousands of stars with it.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/find_stars.h"
#include "text/number_format.h"

namespace lumenda {

// Larger boxes only come from absurd arguments; they would make every fit a
// scan of thousands of pixels.
inline constexpr int kMaxFitHalf = 50;

class StarFitter {
 public:
  // The grids: sigma 0.20 to 4.00 and positions h - 1.5 to h + 1.5, in
  // hundredths.
  static constexpr int kSigmaSteps = 381;
  static constexpr int kCentreSteps = 301;

  StarFitter();
  ~StarFitter();
  StarFitter(const StarFitter&) = delete;
  StarFitter& operator=(const StarFitter&) = delete;

  // What FitStar returns, computed the same way to the last bit.
  StarFit Fit(const TPlaca& image, int x, int y, int h, int saturation);

 private:
  // A column or row profile exp(-(i - centre)^2 / (2 sigma^2)), i = 0..n-1,
  // with its sum and sum of squares.
  struct Profile {
    const double* values;
    double sum;
    double squares;
  };

  void LoadBox(const TPlaca& image, int x, int y);
  void Solve();
  // Centre and sigma only take values on grids of hundredths tied to the box
  // size, so a profile is known by its two grid steps: it is computed once
  // and serves every later fit with a box of the same size.
  Profile ProfileAt(int centreStep, int sigmaStep) {
    const uint32_t known = profileIndex_[static_cast<size_t>(sigmaStep) * kCentreSteps +
                                         static_cast<size_t>(centreStep)];
    return known != 0 ? profiles_[known - 1] : NewProfile(centreStep, sigmaStep);
  }
  Profile NewProfile(int centreStep, int sigmaStep);
  void UseBoxHalf(int h);
  double Centre(int step) const { return static_cast<double>(positionBase_ + step) / 100.0; }
  static double Sigma(int step) { return (20 + step) / 100.0; }

  double Expanded(double a, double b, double g, const Profile& px, const Profile& py) const;
  double CrossTermAt(int xStep, int yStep, int sigmaStep, const Profile& px, const Profile& py);
  double CrossTerm(const Profile& px, const Profile& py) const;
  template <int kStride>
  double CrossTermOf(const Profile& px, const Profile& py) const;
  double SumOfSquares(const Profile& px, const Profile& py, double a, double b) const;
  double Data(int i, int j) const { return data_[static_cast<size_t>(j) * n_ + i]; }

  int n_ = 0;
  int h_ = 0;
  int stride_ = 0;              // n rounded up to whole vectors of four
  long long positionBase_ = 0;  // 100 h - 150: the position grid starts at h - 1.5
  std::vector<double> data_, columns_, partial_;  // columns_: the data transposed
  mutable std::vector<double> rowSums_;
  double dataSum_ = 0, dataSquares_ = 0;
  int sigmaStep_ = 0, xStep_ = 0, yStep_ = 0;
  double a_ = 0, b_ = 0;

  // Profile number + 1 for each (sigma step, centre step), 0 when not yet
  // computed; the values live in blocks that never move.
  struct FreeDeleter {
    void operator()(void* p) const;
  };
  std::unique_ptr<uint32_t[], FreeDeleter> profileIndex_;
  std::vector<Profile> profiles_;
  std::vector<std::unique_ptr<double[]>> blocks_;

  // G by (x step, y step, sigma step) for the current fit: an
  // open-addressing table whose slots count when stamped with the fit number.
  std::vector<uint32_t> crossStamp_, crossKey_;
  std::vector<double> crossValue_;
  uint32_t fitNumber_ = 0;
  uint32_t crossUsed_ = 0;
};

}  // namespace lumenda
