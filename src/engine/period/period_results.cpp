#include "period/period_results.h"

#include <algorithm>
#include <cmath>

#include "text/number_format.h"

namespace lumenda {

std::string FormatWithError(double value, double error) {
  // An error below 0.95 keeps one significant digit once rounded.
  static constexpr struct {
    double from;
    const char* mask;
  } kFormats[] = {
      {0.95, "0"},
      {0.095, "0.0"},
      {0.0095, "0.00"},
      {0.00095, "0.000"},
      {0.000095, "0.0000"},
      {0.0000095, "0.00000"},
      {0.00000095, "0.000000"},
      {0.000000095, "0.0000000"},
      {0.0000000095, "0.00000000"},
      {0.00000000095, "0.000000000"},
  };
  for (const auto& format : kFormats) {
    if (error >= format.from) {
      return FormatFloat(format.mask, value) + " ± " + FormatFloat(format.mask, error);
    }
  }
  return FloatToStr(value) + " ± " + FloatToStr(error);
}

std::optional<MeanDeviation> MeanAndDeviation(const std::vector<double>& values) {
  if (values.empty()) return std::nullopt;
  double s = 0, s2 = 0;
  for (double v : values) {
    s += v;
    s2 += v * v;
  }
  const double n = static_cast<double>(values.size());
  const double mean = s / n;
  // The absolute value guards against rounding just below zero.
  return MeanDeviation{mean, std::sqrt(std::abs(s2 / n - mean * mean))};
}

std::optional<Amplitude> EstimateAmplitude(const PeriodData& data) {
  const size_t n = data.Observations.size();
  if (n < kAmplitudePoints) return std::nullopt;
  std::vector<double> values;
  values.reserve(n);
  for (const ObservationPoint& point : data.Observations) {
    values.push_back(ParseDouble(FormatFloat("0.0000000", point.CentredMagnitude))
                         .value_or(point.CentredMagnitude));
  }
  std::sort(values.begin(), values.end());
  const std::vector<double> low(values.begin(), values.begin() + 10);
  // The ten before the largest: the single most extreme faint value is left out.
  const std::vector<double> high(values.end() - 11, values.end() - 1);
  const MeanDeviation a = *MeanAndDeviation(low);
  const MeanDeviation b = *MeanAndDeviation(high);
  return Amplitude{std::abs(b.mean - a.mean), a.deviation + b.deviation};
}

PhaseOriginResult SetPhaseOrigin(const PeriodData& data, const PhaseOriginInput& input) {
  PhaseOriginResult result;
  const double period = input.period;
  const double t0 = data.FirstTime();
  const double clicked = input.readoutPhase - input.phaseOrigin;
  const int width = std::max(1, input.chartWidth);
  // Two pixels of the horizontal axis, in days.
  result.epochError = 2 * (period * (1 + 2 * static_cast<double>(input.phaseMargin))) / width;
  result.clickedPhase = clicked;
  double origin = -clicked;
  if (origin > 1) origin -= 1;
  if (origin < 0) origin += 1;
  result.phaseOrigin = static_cast<float>(origin);
  double epoch = t0 - result.phaseOrigin * period;
  if (epoch < t0) epoch += period;
  result.epoch = epoch;
  result.periodError = 1.424 * result.epochError / std::max(1, data.SeriesCount());
  if (result.periodError < 0.00001) result.periodError = 0.00001;
  result.amplitude = EstimateAmplitude(data);
  const std::string amplitude =
      result.amplitude ? FormatWithError(result.amplitude->amplitude, result.amplitude->error)
                       : std::string("datos insuficientes");
  result.resultTitle =
      " - Época " + data.TimeScale + ": " + FormatWithError(epoch, result.epochError) +
      " - Periodo: " + FormatWithError(period, result.periodError) + " - Amplitud: " + amplitude;
  return result;
}

std::vector<std::string> PeriodReport(const std::string& starName,
                                      const std::vector<PlotPoint>& points, bool phaseView) {
  std::vector<std::string> lines;
  for (const PlotPoint& p : points) {
    std::string x;
    if (phaseView) {
      // Copies beyond [0, 1) are left out, so each observation appears once.
      if (!(p.x >= 0 && p.x < 1)) continue;
      x = FormatFloat("0.00000", p.x);
    } else {
      x = FormatFloat("00.00000", p.x);
      if (!x.empty() && x[0] == '0') x[0] = ' ';
    }
    lines.push_back(x + "    " + FormatFloat(" 00.000;-00.000; 00.000", p.y));
  }
  if (lines.empty()) return {};
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> text{starName, "",
                                phaseView ? "FASE     MAGNITUD" : "PERIODO   MAGNITUD"};
  text.insert(text.end(), lines.begin(), lines.end());
  return text;
}

}  // namespace lumenda
