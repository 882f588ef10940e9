#include "curves/chart_axes.h"

#include <algorithm>
#include <cmath>

#include "curves/time_scales.h"
#include "text/dates.h"
#include "text/number_format.h"

namespace lumenda {

AxisLook MagnitudeAxis(const GraphSettings& settings) {
  AxisLook axis;
  switch (settings.mode) {
    case PhotometryMode::kRelative:
      axis.title = "Fotometría relativa";
      break;
    case PhotometryMode::kAbsolute:
      axis.title = "Fotometría absoluta";
      break;
    case PhotometryMode::kCounts:
      axis.title = "Flujo absoluto (cuentas)";
      break;
    case PhotometryMode::kRelativeFlux:
      axis.title = "Flujo relativo";
      break;
  }
  axis.inverted = !IsFluxMode(settings.mode);
  axis.decimals =
      settings.mode == PhotometryMode::kCounts ? 0 : std::clamp(settings.yDecimals, 1, 3);
  static constexpr int kSeparation[] = {20, 125, 300};
  axis.separationPercent = kSeparation[std::clamp(settings.ySeparation, 1, 3) - 1];
  return axis;
}

AxisLook TimeAxis(const GraphSettings& settings, int previousSeparation) {
  AxisLook axis;
  axis.decimals = std::clamp(settings.xDecimals, 0, 5);
  static constexpr int kSeparation[] = {40, 125, 500};
  axis.separationPercent = settings.xSeparation >= 1 && settings.xSeparation <= 3
                               ? kSeparation[settings.xSeparation - 1]
                               : previousSeparation;
  return axis;
}

std::string ValueFormat(int decimals) {
  return decimals <= 0 ? "#0" : "#0." + std::string(static_cast<std::size_t>(decimals), '0');
}

std::string DateTimeAxisFormat(TimeScale scale, double spanDays) {
  if (scale == TimeScale::kDateTime) {
    if (spanDays < 0.04) return "hh:nn:ss";
    if (spanDays < 1) return "hh:nn";
    return "dd/mm/yyyy";
  }
  if (scale == TimeScale::kMpc && spanDays > 1) return "yyyymmdd";
  return "";
}

std::string PointerTimeText(TimeScale scale, double axisValue, int dayBase) {
  const double t = axisValue + dayBase;
  std::string text;
  if (scale == TimeScale::kDateTime)
    text = FormatDate("dd/mm/yyyy", t) + " " + FormatTime("hh:nn:ss", t);
  else if (scale == TimeScale::kMpc)
    text = DateOfCalendar(t);
  else
    text = FormatFloat("0.00000", t);
  return "Fecha: " + text;
}

double AxisTickStep(double span, double lengthPixels, double labelPixels, int separationPercent) {
  span = std::abs(span);
  if (!(span > 0) || !(lengthPixels > 0)) return 1.0;
  const double room = std::max(1.0, labelPixels * (1.0 + separationPercent / 100.0));
  const double least = span * room / lengthPixels;  // smallest step that keeps the room
  double power = std::pow(10.0, std::floor(std::log10(least)));
  for (;; power *= 10) {
    for (const double m : {1.0, 2.0, 5.0}) {
      if (m * power >= least * (1 - 1e-12)) return m * power;
    }
  }
}

std::uint32_t RgbOfStoredColour(int stored) {
  const auto v = static_cast<std::uint32_t>(stored);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

int StoredColourOfRgb(std::uint32_t rgb) {
  return static_cast<int>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

}  // namespace lumenda
