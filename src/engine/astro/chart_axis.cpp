#include "astro/chart_axis.h"

namespace lumenda {
namespace {

bool StrictlyBetween(double position, const ChartAxis& axis) {
  return (position > axis.startPos && position < axis.endPos) ||
         (position < axis.startPos && position > axis.endPos);
}

bool Inside(const ChartAxis& horizontal, const ChartAxis& vertical, double x, double y) {
  return StrictlyBetween(x, horizontal) && StrictlyBetween(y, vertical);
}

// Linear value along the axis, `minimumAtStart` telling whether the
// minimum lies at the start. A degenerate axis gives its start value.
double ValueAt(const ChartAxis& axis, double position, bool minimumAtStart) {
  const double span = axis.endPos - axis.startPos;
  const double fraction = span == 0 ? 0.0 : (position - axis.startPos) / span;
  const double range = axis.maximum - axis.minimum;
  return minimumAtStart ? axis.minimum + fraction * range : axis.maximum - fraction * range;
}

}  // namespace

ChartValue ChartValueAtX(const ChartAxis& horizontal, const ChartAxis& vertical, double x,
                         double y) {
  return {Inside(horizontal, vertical, x, y), ValueAt(horizontal, x, !horizontal.inverted)};
}

ChartValue ChartValueAtY(const ChartAxis& horizontal, const ChartAxis& vertical, double x,
                         double y) {
  // The vertical axis starts at the top: upright axes show their maximum there.
  return {Inside(horizontal, vertical, x, y), ValueAt(vertical, y, vertical.inverted)};
}

}  // namespace lumenda
