// What the period window's chart shows besides the points: the ranges of the
// periodogram (whole, or around a period), the axis settings of the spin
// controls, and the list of the deepest dips with their ratios, so that a
// family P, 2P, 3P... shows at a glance.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "period/period_search.h"

namespace lumenda {

struct ChartRange {
  double xMin = 0;
  double xMax = 0;
  double yMin = 0;
  double yMax = 0;
  bool operator==(const ChartRange&) const = default;
};

// The periodogram as first shown: every trial across, the dispersions
// widened by a 20th of their spread above and below. All zero when empty.
ChartRange PeriodogramRange(const Periodogram& periodogram);

// The periodogram around one period: P - P/20 to P + P/20 across, the
// dispersions of the trials inside widened as above. When no trial falls
// inside, the whole periodogram's vertical range.
ChartRange PeriodogramRangeAround(const Periodogram& periodogram, double period);

// The axis spin controls of the phase picture.
struct AxisSettings {
  int verticalDecimals = 2;      // 0-3
  int verticalSeparation = 1;    // 1-3
  int horizontalDecimals = 1;    // 0-4
  int horizontalSeparation = 1;  // 1-3
};

// "Decimales:": the decimal places of an axis's labels (0-4; the vertical
// spin stops at 3).
int AxisDecimalPlaces(int decimals);
// Horizontal "Decimales:": the least step between labels, 1, 0.1, 0.001,
// 0.0001, 0.00001 (the list skips 0.01).
double HorizontalIncrement(int decimals);
// "Separación:" 1-3: the least room between labels, in percent of a
// label's size: 20, 125, 500.
int LabelSeparation(int position);

// One dip of the list beside the periodogram.
struct PeriodMinimum {
  double Period = 0;
  double Dispersion = 0;
  // Period over the base of the family: the shortest period listed of which
  // the deepest is a whole multiple (within 1 %), else the deepest itself.
  double Ratio = 1;
};

// Separate dips, deepest first, at most `count`. A local minimum counts as a
// dip of its own when the curve rises between it and every deeper one by at
// least a 20th of the periodogram's spread; the wiggles at the bottom of a
// dip are the same dip.
std::vector<PeriodMinimum> PeriodFamily(const Periodogram& periodogram, size_t count);

// A line of the list: period, dispersion and ratio, "0.00000  0.00000  x0.00".
std::string PeriodMinimumText(const PeriodMinimum& minimum);

}  // namespace lumenda
