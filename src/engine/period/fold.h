// Folding the observations on a trial period and the phase-dispersion
// statistic that rates it. The search evaluates thousands of trials, so the
// work is done by a reusable `FoldWorkspace`; `Fold` and `PhaseDispersion`
// are the one-off forms of the same code and give identical numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "period/observations.h"

namespace lumenda {

struct FoldedPoint {
  double FoldedTime = 0;     // days, within [t0, t0 + P]
  double PlotMagnitude = 0;  // magnitude of the mode plus the series offset
  int32_t Cycle = 0;         // whole periods removed
  int32_t Index = 0;         // position of the observation in `Observations`
};

struct DispersionResult {
  bool valid = false;
  double value = 0;  // magnitudes; lower is better
  int bins = 0;      // bins that mixed cycles
};

// Bins counted must exceed this for a trial to be rated.
inline constexpr int kMinimumMixedBins = 40;

struct FoldedTime {
  double time = 0;
  int32_t cycle = 0;
};

// Removes whole periods from `time` until it is no later than t0 + P, as
// subtracting P one period at a time would (a time exactly at t0 + P stays
// there, at phase 1), but found by division: the same cycle count and
// folded time whenever the subtractions are exact (always in the first
// cycle), otherwise within the rounding those subtractions pile up.
// `period` must be > 0.
FoldedTime FoldTime(double time, double t0, double period);

// FoldedPoints of the observations that are not deleted, sorted by folded
// time (equal times in observation order). Empty when period <= 0.
std::vector<FoldedPoint> Fold(const PeriodData& data, double period, MagnitudeMode mode);

// The statistic on the points of `Fold` (data, period, mode).
DispersionResult PhaseDispersion(const std::vector<FoldedPoint>& folded, double period);

// Reusable buffers for many trials on the same points. A trial costs time
// linear in the number of points: the cycle count of a point follows from
// the one before it (times ascend), and the points are bucket-sorted on
// their phase, with a comparison sort only inside crowded buckets, so even
// when phases pile up a trial stays within O(N log N).
class FoldWorkspace {
 public:
  // Takes the points that are not deleted with their plot magnitudes.
  FoldWorkspace(const PeriodData& data, MagnitudeMode mode);

  // Folds on `period` and rates it; invalid when period <= 0.
  DispersionResult Evaluate(double period);
  // Folds on `period` and returns the sorted points.
  std::vector<FoldedPoint> FoldedPoints(double period);

  // Sets the offset of one series for the following trials.
  void SetSeriesOffset(int32_t series, double offset);

  size_t size() const { return time_.size(); }

 private:
  void FoldAndSort(double period);

  struct Record {
    double time;       // folded
    double magnitude;  // plot magnitude
    int32_t cycle;
    uint32_t point;  // position in the workspace, to break ties
  };

  double t0_ = 0;
  bool timeOrdered_ = true;
  std::vector<double> time_;
  std::vector<double> base_;  // magnitude of the mode, no offset
  std::vector<double> magnitude_;
  std::vector<int32_t> series_;
  std::vector<int32_t> index_;
  // Per trial.
  std::vector<Record> folded_;
  std::vector<Record> sorted_;
  std::vector<uint32_t> bucket_;
  std::vector<uint32_t> start_;
  std::vector<uint32_t> crowded_;  // buckets above kCrowded points
  static constexpr uint32_t kCrowded = 16;
};

}  // namespace lumenda
