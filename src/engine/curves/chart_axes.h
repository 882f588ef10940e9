// How the light-curve charts lay out their axes: titles and inversion by
// photometry mode, value formats, label spacing, the date-time formats chosen
// by the span, the pointer read-out, and the colours of "grafico.ini".
#pragma once

#include <cstdint>
#include <string>

#include "curves/graph_settings.h"

namespace lumenda {

// One axis as the charts draw it.
struct AxisLook {
  std::string title;
  bool inverted = false;
  int decimals = 2;           // labels "#0" (0), "#0.0" (1), ...
  int separationPercent = 0;  // least gap between labels, in percent of a label's size
};

// The vertical axis of the "Magnitudes" chart: the mode's title, inverted
// for magnitudes, decimals 1..3 ("#0" for counts), separation 20, 125, 300.
AxisLook MagnitudeAxis(const GraphSettings& settings);

// The horizontal axis: decimals 0..5 and separation 40, 125, 500. Positions
// 4 and 5 of the spin have no separation of their own: `previousSeparation`
// stays.
AxisLook TimeAxis(const GraphSettings& settings, int previousSeparation);

// The "#0.00" text of a decimals count.
std::string ValueFormat(int decimals);

// Span in days of the plotted times over which the horizontal axis becomes a
// date-time axis, and its format: "" for a numeric axis; for "Fecha - Hora"
// "hh:nn:ss" under 0.04 day, "hh:nn" under 1 day, "dd/mm/yyyy" beyond; for
// "Fecha MPC" over 1 day "yyyymmdd".
std::string DateTimeAxisFormat(TimeScale scale, double spanDays);

// The pointer read-out over the chart: "Fecha: " + the time under the
// pointer in the chart's scale (`axisValue` + `dayBase` days): a Julian date
// "0.00000", an MPC date or "dd/mm/yyyy hh:nn:ss".
std::string PointerTimeText(TimeScale scale, double axisValue, int dayBase);

// Distance between labelled ticks of an axis `lengthPixels` long showing
// `span` units, with labels `labelPixels` long and at least
// `separationPercent` of a label between two labels: the least of 1, 2, 5
// times a power of ten that keeps that room.
double AxisTickStep(double span, double lengthPixels, double labelPixels, int separationPercent);

// "grafico.ini" keeps colours with red in the lowest byte; the desktop
// works in 0xRRGGBB.
std::uint32_t RgbOfStoredColour(int stored);
int StoredColourOfRgb(std::uint32_t rgb);

}  // namespace lumenda
