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
// the one before it (times ascend), and the points are sorted on their
// phase by a two-pass radix sort of fine phase keys, with a comparison sort
// only among points that share a key.
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
  // Leaves in order_ the points by folded time (equal times in point order).
  void FoldAndSort(double period);
  void SortEqualKeys(size_t begin, size_t end);

  double t0_ = 0;
  bool timeOrdered_ = true;
  std::vector<double> time_;
  std::vector<double> base_;  // magnitude of the mode, no offset
  std::vector<double> magnitude_;
  std::vector<int32_t> series_;
  std::vector<int32_t> index_;
  // Per trial, in point order.
  std::vector<double> folded_;
  std::vector<int32_t> cycle_;
  // Phase key << 32 | point, sorted; the sort's other buffer and its two
  // digit counts. Only the keys move, so the sort stays in the core's cache.
  std::vector<uint64_t> order_;
  std::vector<uint64_t> scratch_;
  std::vector<uint32_t> low_, high_;
};

}  // namespace lumenda
