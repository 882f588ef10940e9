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
  folded_.resize(time_.size());
  cycle_.resize(time_.size());
  order_.resize(time_.size());
  scratch_.resize(time_.size());
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
  // Keys of about 64 per point on average: points share a key only when
  // their phases nearly coincide. Two digits of half the bits each keep the
  // digit counts small enough for the fastest cache.
  int bits = 6;
  while (bits < 32 && (size_t{1} << (bits - 6)) < n) ++bits;
  const int lowBits = bits / 2;
  const uint32_t lastKey = static_cast<uint32_t>((uint64_t{1} << bits) - 1);
  const uint32_t lowMask = (1u << lowBits) - 1;
  const double scale = std::ldexp(1.0, bits) / period;
  low_.assign(size_t{1} << lowBits, 0);
  high_.assign(size_t{1} << (bits - lowBits), 0);
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
    folded_[i] = folded;
    // Beyond 32 bits only with a span of over two thousand million periods.
    cycle_[i] = static_cast<int32_t>(std::min(k, 2147483647.0));
    // The key never decreases as the folded time grows, and equal folded
    // times share it.
    const double x = (folded - t0_) * scale;
    uint32_t key = 0;
    if (x >= lastKey) {
      key = lastKey;
    } else if (x > 0) {
      key = static_cast<uint32_t>(x);
    }
    order_[i] = static_cast<uint64_t>(key) << 32 | i;
    ++low_[key & lowMask];
    ++high_[key >> lowBits];
  }
  auto starts = [](std::vector<uint32_t>& counts) {
    uint32_t sum = 0;
    for (uint32_t& c : counts) {
      const uint32_t count = c;
      c = sum;
      sum += count;
    }
  };
  starts(low_);
  starts(high_);
  // Both passes are stable, so points of equal key stay in point order.
  for (size_t i = 0; i < n; ++i) {
    const uint64_t v = order_[i];
    scratch_[low_[(v >> 32) & lowMask]++] = v;
  }
  for (size_t i = 0; i < n; ++i) {
    const uint64_t v = scratch_[i];
    order_[high_[v >> (32 + lowBits)]++] = v;
  }
  for (size_t i = 1; i < n;) {
    if ((order_[i] >> 32) != (order_[i - 1] >> 32)) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < n && (order_[end] >> 32) == (order_[i] >> 32)) ++end;
    SortEqualKeys(i - 1, end);
    i = end;
  }
}

// Points sharing a key, by folded time and, being stable, equal times in
// point order. Such runs are short unless phases pile up.
void FoldWorkspace::SortEqualKeys(size_t begin, size_t end) {
  auto earlier = [this](uint64_t a, uint64_t b) {
    return folded_[static_cast<uint32_t>(a)] < folded_[static_cast<uint32_t>(b)];
  };
  if (end - begin > 16) {
    std::stable_sort(order_.begin() + static_cast<ptrdiff_t>(begin),
                     order_.begin() + static_cast<ptrdiff_t>(end), earlier);
    return;
  }
  for (size_t i = begin + 1; i < end; ++i) {
    const uint64_t v = order_[i];
    size_t j = i;
    for (; j > begin && earlier(v, order_[j - 1]); --j) order_[j] = order_[j - 1];
    order_[j] = v;
  }
}

DispersionResult FoldWorkspace::Evaluate(double period) {
  if (!(period > 0)) return {};
  FoldAndSort(period);
  const uint64_t* order = order_.data();
  const double* time = folded_.data();
  const double* magnitude = magnitude_.data();
  const int32_t* cycle = cycle_.data();
  auto point = [order](size_t i) { return static_cast<uint32_t>(order[i]); };
  return DispersionPass(
      order_.size(), period, [=](size_t i) { return time[point(i)]; },
      [=](size_t i) { return magnitude[point(i)]; }, [=](size_t i) { return cycle[point(i)]; });
}

std::vector<FoldedPoint> FoldWorkspace::FoldedPoints(double period) {
  std::vector<FoldedPoint> points;
  if (!(period > 0)) return points;
  FoldAndSort(period);
  points.reserve(order_.size());
  for (const uint64_t v : order_) {
    const auto i = static_cast<uint32_t>(v);
    points.push_back({folded_[i], magnitude_[i], cycle_[i], index_[i]});
  }
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
