#include "period/period_chart.h"

#include <algorithm>
#include <cmath>

#include "text/number_format.h"

namespace lumenda {

namespace {

// The dispersions of [first, last) widened by a 20th of their spread.
ChartRange Widened(Periodogram::const_iterator first, Periodogram::const_iterator last) {
  if (first == last) return {};
  auto [lo, hi] = std::minmax_element(
      first, last, [](const auto& a, const auto& b) { return a.Dispersion < b.Dispersion; });
  const double pad = (hi->Dispersion - lo->Dispersion) / 20;
  return {first->Period, std::prev(last)->Period, lo->Dispersion - pad, hi->Dispersion + pad};
}

}  // namespace

ChartRange PeriodogramRange(const Periodogram& periodogram) {
  return Widened(periodogram.begin(), periodogram.end());
}

ChartRange PeriodogramRangeAround(const Periodogram& periodogram, double period) {
  const double from = period - period / 20;
  const double to = period + period / 20;
  auto first = std::lower_bound(periodogram.begin(), periodogram.end(), from,
                                [](const auto& p, double v) { return p.Period < v; });
  auto last = std::upper_bound(first, periodogram.end(), to,
                               [](double v, const auto& p) { return v < p.Period; });
  ChartRange range = first == last ? PeriodogramRange(periodogram) : Widened(first, last);
  range.xMin = from;
  range.xMax = to;
  return range;
}

int AxisDecimalPlaces(int decimals) {
  return std::clamp(decimals, 0, 4);
}

double HorizontalIncrement(int decimals) {
  static constexpr double kIncrements[] = {1, 0.1, 0.001, 0.0001, 0.00001};
  return kIncrements[AxisDecimalPlaces(decimals)];
}

int LabelSeparation(int position) {
  static constexpr int kSeparations[] = {20, 125, 500};
  return kSeparations[std::clamp(position, 1, 3) - 1];
}

std::vector<PeriodMinimum> PeriodFamily(const Periodogram& periodogram, size_t count) {
  std::vector<PeriodMinimum> family;
  const size_t n = periodogram.size();
  if (n == 0 || count == 0) return family;
  auto value = [&](size_t i) { return periodogram[i].Dispersion; };

  std::vector<size_t> candidates;
  for (size_t i = 1; i + 1 < n; ++i) {
    // Strict on the left, so a flat bottom is one candidate.
    if (value(i) < value(i - 1) && value(i) <= value(i + 1)) candidates.push_back(i);
  }
  if (candidates.empty()) {
    candidates.push_back(static_cast<size_t>(
        std::min_element(periodogram.begin(), periodogram.end(),
                         [](const auto& a, const auto& b) { return a.Dispersion < b.Dispersion; }) -
        periodogram.begin()));
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](size_t a, size_t b) { return value(a) < value(b); });

  const ChartRange range = PeriodogramRange(periodogram);
  // PeriodogramRange widened the spread by a 10th in all: undo it.
  const double rise = (range.yMax - range.yMin) / 1.1 / 20;

  // The curve must climb by `rise` between a dip and any deeper point on
  // either side; a side that reaches the end first does not count.
  auto separate = [&](size_t i) {
    const double v = value(i);
    for (int direction : {-1, 1}) {
      double highest = v;
      for (size_t j = i;;) {
        if (direction < 0 ? j == 0 : j + 1 == n) break;
        j = direction < 0 ? j - 1 : j + 1;
        if (value(j) < v) {
          if (highest - v < rise) return false;
          break;
        }
        highest = std::max(highest, value(j));
      }
    }
    return true;
  };

  for (size_t i : candidates) {
    if (family.size() == count) break;
    if (family.empty() || separate(i)) {
      family.push_back({periodogram[i].Period, periodogram[i].Dispersion, 1});
    }
  }
  // The base of the ratios: the shortest dip listed of which the deepest is
  // a whole multiple, so a family P, 2P, 3P... reads as whole numbers.
  const double deepest = family.front().Period;
  double base = deepest;
  for (const PeriodMinimum& m : family) {
    const double multiple = deepest / m.Period;
    const double whole = std::round(multiple);
    if (whole >= 2 && std::abs(multiple - whole) < 0.01 * whole && m.Period < base) {
      base = m.Period;
    }
  }
  for (PeriodMinimum& m : family) m.Ratio = m.Period / base;
  return family;
}

std::string PeriodMinimumText(const PeriodMinimum& minimum) {
  return FormatFloat("0.00000", minimum.Period) + "  " +
         FormatFloat("0.00000", minimum.Dispersion) + "  ×" + FormatFloat("0.00", minimum.Ratio);
}

}  // namespace lumenda
