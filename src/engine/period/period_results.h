// What the period window hands back: epoch, period and amplitude with their
// uncertainties (the result title) and the "Informe" text of the points.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "period/observations.h"
#include "period/phase_diagram.h"

namespace lumenda {

// The value and its error with the decimals the error deserves:
// (2455123.45678, 0.0012) -> "2455123.457 ± 0.001".
std::string FormatWithError(double value, double error);

struct MeanDeviation {
  double mean = 0;
  double deviation = 0;  // population standard deviation
};
// nullopt for an empty array.
std::optional<MeanDeviation> MeanAndDeviation(const std::vector<double>& values);

struct Amplitude {
  double amplitude = 0;
  double error = 0;
};
inline constexpr size_t kAmplitudePoints = 11;
// Mean of the 10 faintest against the 10 brightest centred magnitudes (the
// extreme bright one left out). Needs kAmplitudePoints points: nullopt below.
std::optional<Amplitude> EstimateAmplitude(const PeriodData& data);

struct PhaseOriginInput {
  double period = 0;
  double readoutPhase = 0;  // the "Fase:" read-out where the click fell
  float phaseOrigin = 0;
  float phaseMargin = kDefaultPhaseMargin;
  int chartWidth = 0;  // pixels of the horizontal axis
};
struct PhaseOriginResult {
  double clickedPhase = 0;  // what the read-out shows afterwards
  float phaseOrigin = 0;
  double epoch = 0;
  double epochError = 0;
  double periodError = 0;
  std::optional<Amplitude> amplitude;
  std::string resultTitle;  // " - Época HJD: ... - Periodo: ... - Amplitud: ..."
};
// "Origen": the clicked spot becomes phase 0 and the title states the epoch
// of phase zero at or after the first observation.
PhaseOriginResult SetPhaseOrigin(const PeriodData& data, const PhaseOriginInput& input);

// The report text of the plotted points: name, empty line, header, sorted
// lines. Empty when no point qualifies (the window is then not shown).
std::vector<std::string> PeriodReport(const std::string& starName,
                                      const std::vector<PlotPoint>& points, bool phaseView);

}  // namespace lumenda
