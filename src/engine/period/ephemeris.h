// Ephemerides: the times at which a periodic star passes a given phase
// between two dates.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lumenda {

// The texts of the ephemeris window, as shown and typed.
struct EphemerisInput {
  std::string starName;
  std::string epochText;   // Julian date of phase zero, "0.00000"
  std::string periodText;  // days, as the period label showed it
  std::string phaseText;   // "0.000"
  std::string startText;   // "dd/mm/yyyy"
  std::string endText;     // "dd/mm/yyyy"
};

enum class EphemerisField { kNone, kStart, kEnd, kEpoch, kPeriod, kPhase };

struct EphemerisResult {
  std::vector<std::string> lines;  // the list, header included
  std::string message;             // empty on success
  EphemerisField focus = EphemerisField::kNone;
  bool ok() const { return message.empty(); }
};

// The longest list of times the window computes.
inline constexpr int kMaxEphemerisTimes = 100000;

// "Calcular": the header lines, then every time of the phase after 00:00 of
// the start date and before the end of the end date, "dd/mm/yyyy  hh:nn".
// An epoch outside the years 1 to 9999, or an interval holding more than
// kMaxEphemerisTimes periods, is refused before anything is computed. With a
// `sink`, each line goes to it as it is computed instead of into `lines`.
EphemerisResult ComputeEphemeris(const EphemerisInput& input,
                                 const std::function<void(const std::string&)>& sink = {});

// Epoch handed to the window: t0 - PhaseOrigin × P (not moved forward).
double EphemerisEpoch(double t0, float phaseOrigin, double period);

// Dates the window proposes while none was set: today and a week later.
std::pair<std::string, std::string> DefaultEphemerisDates(double todayCalendar);

}  // namespace lumenda
