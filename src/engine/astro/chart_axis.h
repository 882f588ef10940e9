// Pixel position on a chart -> axis value, as pure functions of the axis
// extents (the light-curve and period windows read the pointer with them).
#pragma once

namespace lumenda {

// One axis as drawn: the pixel positions of its two ends and its value range.
// For the horizontal axis the start is the left end; for the vertical axis
// the start is the upper end.
struct ChartAxis {
  double startPos = 0;
  double endPos = 0;
  double minimum = 0;
  double maximum = 0;
  // Inverted axes run from the maximum at the start to the minimum; a
  // vertical axis that is not inverted has its maximum at the top.
  bool inverted = false;
};

struct ChartValue {
  bool inside = false;  // strictly inside both axes' extents
  double value = 0;
};

// Value of the horizontal axis under the pixel (x, y).
ChartValue ChartValueAtX(const ChartAxis& horizontal, const ChartAxis& vertical, double x,
                         double y);
// Value of the vertical axis under the pixel (x, y).
ChartValue ChartValueAtY(const ChartAxis& horizontal, const ChartAxis& vertical, double x,
                         double y);

}  // namespace lumenda
