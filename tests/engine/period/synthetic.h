// Synthetic multi-night light curves for the period tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "period/observations.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda::test {

struct NightPlan {
  double period = 0.2371;  // days
  double amplitude = 0.3;  // half of peak to peak, magnitudes
  double firstTime = 2455000.3;
  int nights = 8;
  double nightLength = 0.8;   // days; > 3 cycles
  double nightSpacing = 1.0;  // days between night starts
  int pointsPerNight = 100;
  double noise = 0.004;              // magnitudes
  std::vector<double> nightOffsets;  // zero point per night (cycled)
  uint64_t seed = 12345;
};

// Deterministic noise, the same with every standard library.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed * 2862933555777941757ULL + 3037000493ULL) {}
  double Uniform() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) * (1.0 / 9007199254740992.0);
  }
  double Gaussian() {
    double u1 = Uniform(), u2 = Uniform();
    if (u1 < 1e-300) u1 = 1e-300;
    return std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

 private:
  uint64_t state_;
};

// An asymmetric pulsation (fast rise, slow decline), so the folded curve
// has one clear shape per cycle.
inline double Pulse(double phase) {
  const double x = phase - std::floor(phase);
  return x < 0.2 ? 1 - 2 * x / 0.2 : -1 + 2 * (x - 0.2) / 0.8;
}

// One series per night, sorted by time, magnitudes centred on each night's mean.
inline PeriodData MakeNights(const NightPlan& plan) {
  Noise noise(plan.seed);
  PeriodData data;
  for (int j = 0; j < plan.nights; ++j) {
    const double start = plan.firstTime + j * plan.nightSpacing + 0.05 * noise.Uniform();
    const double offset =
        plan.nightOffsets.empty() ? 0 : plan.nightOffsets[j % plan.nightOffsets.size()];
    const size_t first = data.Observations.size();
    double sum = 0;
    for (int i = 0; i < plan.pointsPerNight; ++i) {
      const double t = start + plan.nightLength * (i + 0.5 * noise.Uniform()) / plan.pointsPerNight;
      const double m = 12.0 + plan.amplitude * Pulse((t - plan.firstTime) / plan.period) + offset +
                       plan.noise * noise.Gaussian();
      data.Observations.push_back({t, 0, m, j, 0});
      sum += m;
    }
    for (size_t i = first; i < data.Observations.size(); ++i) {
      data.Observations[i].CentredMagnitude =
          data.Observations[i].Magnitude - sum / plan.pointsPerNight;
    }
  }
  data.SeriesOffsets.assign(static_cast<size_t>(plan.nights), 0.0);
  SortByTime(data.Observations);
  return data;
}

// Writes one file per night (or one file for all) into `dir`: a header line
// naming the star, then "time  mag". Returns the paths.
inline std::vector<std::string> WriteNights(const PeriodData& data, const std::string& dir,
                                            bool oneFile) {
  std::vector<std::string> paths;
  for (int j = 0; j < (oneFile ? 1 : data.SeriesCount()); ++j) {
    std::vector<std::string> lines{"SINTETICA HJD MAG"};
    for (const ObservationPoint& p : data.Observations) {
      if (!oneFile && p.Series != j) continue;
      lines.push_back(FormatFloat("0.00000", p.Time) + "  " + FormatFloat("0.000", p.Magnitude));
    }
    paths.push_back(dir + (oneFile ? std::string("todo") : "noche" + std::to_string(j)) + ".txt");
    if (!WriteFileAtomic(paths.back(), JoinLines(lines)).ok()) return {};
  }
  return paths;
}

}  // namespace lumenda::test
