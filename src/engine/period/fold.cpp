#include "period/fold.h"

#include <algorithm>
#include <cmath>

namespace lumenda {

FoldedTime FoldTime(double time, double t0, double period) {
  const double limit = t0 + period;
  if (!(period > 0) || !(time > limit)) return {time, 0};
  // Plain multiply and subtract: the same expression as the search, and a
  // single rounding in the first cycle, as one subtraction has.
  auto after = [&](double k) { return time - k * period; };
  // The quotient gives the count to within a step; settle it on the smallest
  // k with time - k P <= t0 + P, where the subtraction loop would stop.
  double k = std::max(1.0, std::ceil((time - limit) / period));
  if (!std::isfinite(k) || k > 2147483647.0) k = 2147483647.0;
  while (k > 1 && after(k - 1) <= limit) k -= 1;
  while (after(k) > limit && k < 2147483647.0) k += 1;
  return {after(k), static_cast<int32_t>(k)};
}

namespace {

// One pass over points sorted by folded time: bins of P/100 opened at a
// point; only bins whose points span two cycles or more count, and the bin
// still open at the end is left out.
template <typename Time, typename Magnitude, typename Cycle>
DispersionResult DispersionPass(size_t count, double period, Time time, Magnitude magnitude,
                                Cycle cycle) {
  DispersionResult result;
  if (count == 0 || !(period > 0)) return result;
  const double width = period / 100.0;
  double x0 = time(0);
  int32_t reference = cycle(0);
  bool mixed = false;
  double y = magnitude(0);
  double s = y, s2 = y * y, n = 1;
  double sum = 0;
  int bins = 0;
  for (size_t i = 1; i < count; ++i) {
    const double x = time(i);
    y = magnitude(i);
    if (x >= x0 && x <= x0 + width) {
      s += y;
      s2 += y * y;
      n += 1;
      if (cycle(i) != reference) mixed = true;
    } else if (x > x0 + width) {
      if (mixed) {
        // The small constant keeps rounding residue from going negative.
        sum += std::sqrt(s2 / n - (s / n) * (s / n) + 0.000001);
        ++bins;
      }
      x0 = x;
      reference = cycle(i);
      mixed = false;
      s = y;
      s2 = y * y;
      n = 1;
    }
  }
  result.bins = bins;
  if (bins > kMinimumMixedBins) {
    result.valid = true;
    result.value = sum / bins;
  }
  return result;
}

}  // namespace

FoldWorkspace::FoldWorkspace(const PeriodData& data, MagnitudeMode mode) {
  t0_ = data.FirstTime();
  for (size_t i = 0; i < data.Observations.size(); ++i) {
    const ObservationPoint& point = data.Observations[i];
    if (point.Deleted) continue;
    if (!time_.empty() && point.Time < time_.back()) timeOrdered_ = false;
    time_.push_back(point.Time);
    base_.push_back(mode == MagnitudeMode::kAbsolute ? point.Magnitude : point.CentredMagnitude);
    magnitude_.push_back(data.PlotMagnitude(point, mode));
    series_.push_back(point.Series);
    index_.push_back(static_cast<int32_t>(i));
  }
  const size_t n = time_.size();
  folded_.resize(n);
  sorted_.resize(n);
  bucket_.resize(n);
  start_.resize(n + 1);
}

void FoldWorkspace::SetSeriesOffset(int32_t series, double offset) {
  for (size_t i = 0; i < time_.size(); ++i) {
    if (series_[i] == series) magnitude_[i] = base_[i] + offset;
  }
}

void FoldWorkspace::FoldAndSort(double period) {
  const size_t n = time_.size();
  if (n == 0) return;
  const double limit = t0_ + period;
  // As many buckets as points, so a bucket holds about one point.
  const uint32_t buckets = static_cast<uint32_t>(n);
  const double scale = buckets / period;
  std::fill(start_.begin(), start_.end(), 0u);
  crowded_.clear();
  double k = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = time_[i];
    double folded;
    if (timeOrdered_) {
      // The smallest k with t - kP <= t0 + P never decreases as t grows, so
      // it is carried from point to point; a long gap is crossed by division.
      folded = t - k * period;
      if (folded > limit) {
        if (folded - limit > 4 * period) {
          FoldedTime f = FoldTime(t, t0_, period);
          k = f.cycle;
          folded = f.time;
        } else {
          do {
            k += 1;
            folded = t - k * period;
          } while (folded > limit);
        }
      }
    } else {
      FoldedTime f = FoldTime(t, t0_, period);
      k = f.cycle;
      folded = f.time;
    }
    // Beyond 32 bits only with a span of over two thousand million periods.
    const int32_t cycle = static_cast<int32_t>(std::min(k, 2147483647.0));
    folded_[i] = {folded, magnitude_[i], cycle, static_cast<uint32_t>(i)};
    // folded - t0 is exact, so equal folded times share a bucket.
    const double x = (folded - t0_) * scale;
    uint32_t b = 0;
    if (x >= buckets) {
      b = buckets - 1;
    } else if (x > 0) {
      b = static_cast<uint32_t>(x);
    }
    bucket_[i] = b;
    if (++start_[b + 1] == kCrowded + 1) crowded_.push_back(b);
  }
  for (uint32_t b = 0; b < buckets; ++b) start_[b + 1] += start_[b];
  for (size_t i = 0; i < n; ++i) sorted_[start_[bucket_[i]]++] = folded_[i];
  // start_[b] now ends bucket b; equal folded times keep the points' order.
  auto before = [](const Record& a, const Record& b) {
    return a.time < b.time || (a.time == b.time && a.point < b.point);
  };
  // Crowded buckets (phases piling up) get a comparison sort; then one
  // insertion pass finishes the rest. Keys never cross a bucket boundary,
  // so the pass moves each point within its own small bucket only.
  for (uint32_t b : crowded_) {
    const uint32_t begin = b == 0 ? 0 : start_[b - 1];
    std::sort(sorted_.begin() + begin, sorted_.begin() + start_[b], before);
  }
  for (size_t i = 1; i < n; ++i) {
    if (!before(sorted_[i], sorted_[i - 1])) continue;
    const Record v = sorted_[i];
    size_t j = i;
    do {
      sorted_[j] = sorted_[j - 1];
      --j;
    } while (j > 0 && before(v, sorted_[j - 1]));
    sorted_[j] = v;
  }
}

DispersionResult FoldWorkspace::Evaluate(double period) {
  if (!(period > 0)) return {};
  FoldAndSort(period);
  const Record* r = sorted_.data();
  return DispersionPass(
      sorted_.size(), period, [r](size_t i) { return r[i].time; },
      [r](size_t i) { return r[i].magnitude; }, [r](size_t i) { return r[i].cycle; });
}

std::vector<FoldedPoint> FoldWorkspace::FoldedPoints(double period) {
  std::vector<FoldedPoint> points;
  if (!(period > 0)) return points;
  FoldAndSort(period);
  points.reserve(sorted_.size());
  for (const Record& r : sorted_) points.push_back({r.time, r.magnitude, r.cycle, index_[r.point]});
  return points;
}

std::vector<FoldedPoint> Fold(const PeriodData& data, double period, MagnitudeMode mode) {
  FoldWorkspace workspace(data, mode);
  return workspace.FoldedPoints(period);
}

DispersionResult PhaseDispersion(const std::vector<FoldedPoint>& folded, double period) {
  return DispersionPass(
      folded.size(), period, [&](size_t i) { return folded[i].FoldedTime; },
      [&](size_t i) { return folded[i].PlotMagnitude; }, [&](size_t i) { return folded[i].Cycle; });
}

}  // namespace lumenda
