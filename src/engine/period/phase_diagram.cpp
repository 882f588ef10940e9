#include "period/phase_diagram.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

Rgb SeriesColour(int series) {
  const int n = static_cast<int>(SeriesColours.size());
  return SeriesColours[static_cast<size_t>(((series % n) + n) % n)];
}

std::vector<PlotPoint> PlotPoints(const PeriodData& data, const std::vector<FoldedPoint>& folded,
                                  double period, const PhaseView& view) {
  std::vector<PlotPoint> points;
  const double t0 = data.FirstTime();
  const double origin = view.origin;
  const double margin = view.margin;
  for (const FoldedPoint& f : folded) {
    const ObservationPoint& observation = data.Observations[static_cast<size_t>(f.Index)];
    // The picture keeps the time as the shortest text, as its lists do.
    const double time = ParseDouble(FloatToStr(observation.Time)).value_or(observation.Time);
    auto add = [&](double x) { points.push_back({x, f.PlotMagnitude, time, observation.Series}); };
    if (!view.enabled) {
      add(f.FoldedTime - t0);
      continue;
    }
    const double phase = (f.FoldedTime - t0) / period + origin;
    add(phase);
    if (phase + 1 < 1 + margin) add(phase + 1);
    if (phase - 1 > -margin) add(phase - 1);
    if (phase + 2 < 1 + margin) add(phase + 2);
    if (phase - 2 > -margin) add(phase - 2);
  }
  return points;
}

float ChangePhaseMargin(float margin, int direction) {
  // Tenths are kept exact, so ten presses of "+" from 0 reach 1, not 0.9999.
  const double tenths =
      static_cast<double>(RoundHalfEven(margin * 10.0)) + (direction > 0 ? 1 : -1);
  return static_cast<float>(std::clamp(tenths, 0.0, 10.0) / 10.0);
}

double ReadoutPhase(double x) {
  if (x < 0) return x + 1;
  if (x > 1) return x - 1;
  return x;
}

ValueRange VerticalRange(const std::vector<PlotPoint>& points) {
  if (points.empty()) return {};
  double lo = points.front().y, hi = points.front().y;
  for (const PlotPoint& p : points) {
    lo = std::min(lo, p.y);
    hi = std::max(hi, p.y);
  }
  const double pad = (hi - lo) / 20;
  return {lo - pad, hi + pad};
}

namespace {

// Text lists sorted as text put the points in x order; the values are read
// back from the text, so they carry its rounding.
constexpr Column kListX{1, 10};  // x + 1000, "0000.00000"
constexpr int kListYFrom = 12;

std::string ListX(double x) {
  return FormatFloat("0000.00000", x + 1000);
}

}  // namespace

std::vector<MeanPoint> RunningMean(const std::vector<PlotPoint>& points, int halfWidth) {
  std::vector<MeanPoint> means;
  if (halfWidth < 1) return means;
  std::vector<std::string> list;
  list.reserve(points.size());
  for (const PlotPoint& p : points) list.push_back(ListX(p.x) + " " + FormatFloat("00.00000", p.y));
  std::sort(list.begin(), list.end());
  std::vector<double> xs, ys;
  for (const std::string& entry : list) {
    xs.push_back(ParseDouble(Field(entry, kListX)).value_or(0) - 1000);
    ys.push_back(ParseDouble(FieldFrom(entry, kListYFrom)).value_or(0));
  }
  const long count = static_cast<long>(list.size());
  const long w = halfWidth;
  for (long i = w - 1; i <= count - w; ++i) {
    double sx = 0, sy = 0;
    for (long j = i - w + 1; j <= i + w - 1; ++j) {
      sx += xs[static_cast<size_t>(j)];
      sy += ys[static_cast<size_t>(j)];
    }
    const double n = static_cast<double>(2 * w - 1);
    means.push_back({sx / n, sy / n});
  }
  return means;
}

void AdjustSeriesOffsets(PeriodData& data, MagnitudeMode mode, double period, double step) {
  if (!(period > 0) || !(step > 0) || !std::isfinite(step)) return;
  FoldWorkspace workspace(data, mode);
  // The window and the last best step carry over from one series to the next.
  int lo = -25, hi = 25, bestK = 0;
  for (int s = 0; s < data.SeriesCount(); ++s) {
    double bestValue = 99;
    const double base = data.SeriesOffsets[static_cast<size_t>(s)];
    double best = base;
    for (int shifts = 0;; ++shifts) {
      for (int k = lo; k <= hi; ++k) {
        const double offset = base + k * step;
        workspace.SetSeriesOffset(s, offset);
        DispersionResult result = workspace.Evaluate(period);
        if (result.valid && result.value < bestValue) {
          bestValue = result.value;
          best = offset;
          bestK = k;
        }
      }
      // A dispersion that keeps improving would move the window for ever.
      if (shifts == kMaxOffsetShifts) break;
      if (bestK == lo) {
        lo -= 20;
        hi -= 20;
      } else if (bestK == hi) {
        lo += 20;
        hi += 20;
      } else {
        break;
      }
    }
    data.SeriesOffsets[static_cast<size_t>(s)] = best;
    workspace.SetSeriesOffset(s, best);
  }
}

int DeletePointsAt(PeriodData& data, double time) {
  int deleted = 0;
  for (ObservationPoint& point : data.Observations) {
    if (std::abs(point.Time - time) <= 0.000001) {
      point.Deleted = 1;
      ++deleted;
    }
  }
  return deleted;
}

int AutoDeletePoints(PeriodData& data, const std::vector<PlotPoint>& points) {
  std::vector<std::string> list;
  list.reserve(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    list.push_back(ListX(points[i].x) + " " + FormatFloat("000.00000;-00.00000", points[i].y) +
                   "=" + IntToStr(static_cast<long long>(i)));
  }
  std::sort(list.begin(), list.end());
  const long count = static_cast<long>(list.size());
  std::vector<double> ys;
  std::vector<size_t> index;
  for (const std::string& entry : list) {
    // Only the first 8 characters of y are read back: 4 decimals.
    ys.push_back(ParseDouble(Copy(entry, kListYFrom, 8)).value_or(0));
    index.push_back(static_cast<size_t>(
        ParseInt(FieldFrom(entry, static_cast<int>(entry.find('=')) + 2)).value_or(0)));
  }
  int marked = 0;
  for (long i = 10; i <= count - 10; ++i) {
    double sum = 0;
    int n = 0;
    for (long j = std::max(0L, i - 5); j <= std::min(count - 1, i + 5); ++j) {
      sum += ys[static_cast<size_t>(j)];
      ++n;
    }
    if (std::abs(ys[static_cast<size_t>(i)] - sum / n) <= 0.02) continue;
    const double time = points[index[static_cast<size_t>(i)]].time;
    ObservationPoint* last = nullptr;
    for (ObservationPoint& point : data.Observations) {
      if (std::abs(point.Time - time) <= 0.000001) last = &point;
    }
    if (last && !last->Deleted) {
      last->Deleted = 1;
      ++marked;
    }
  }
  return marked;
}

void RestoreDeletedPoints(PeriodData& data) {
  for (ObservationPoint& point : data.Observations) point.Deleted = 0;
}

}  // namespace lumenda
