#include "period/ephemeris.h"

#include <cmath>
#include <optional>

#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace {

EphemerisResult Refuse(std::string message, EphemerisField focus) {
  EphemerisResult result;
  result.message = std::move(message);
  result.focus = focus;
  return result;
}

// Julian dates of 0001-01-01 and 9999-12-31 at 0 h.
constexpr double kFirstJD = 1721425.5;
constexpr double kLastJD = 5373483.5;

std::string NotANumber(const std::string& text) {
  return "\"" + text + "\" no es un valor numérico válido.";
}

}  // namespace

EphemerisResult ComputeEphemeris(const EphemerisInput& input,
                                 const std::function<void(const std::string&)>& sink) {
  std::optional<double> d1 = ParseDateDMY(Trim(input.startText));
  if (!d1) return Refuse("Fecha inicial incorrecta.", EphemerisField::kStart);
  std::optional<double> d2 = ParseDateDMY(Trim(input.endText));
  if (!d2) return Refuse("Fecha final incorrecta.", EphemerisField::kEnd);
  if (*d2 < *d1) {
    return Refuse("La fecha inicial no puede ser mayor que la final.", EphemerisField::kStart);
  }
  std::optional<double> period = ParseDouble(input.periodText);
  if (!period) return Refuse(NotANumber(input.periodText), EphemerisField::kPeriod);
  // Stepping by a period that is not positive would never end.
  if (!(*period > 0)) return Refuse("El periodo debe ser mayor que 0.", EphemerisField::kPeriod);
  std::optional<double> epoch = ParseDouble(input.epochText);
  if (!epoch) return Refuse(NotANumber(input.epochText), EphemerisField::kEpoch);
  // Far outside the calendar a period no longer moves the time at all.
  if (!(*epoch >= kFirstJD && *epoch <= kLastJD))
    return Refuse("La época debe ser una fecha juliana de los años 1 a 9999.",
                  EphemerisField::kEpoch);
  std::optional<double> phase = ParseDouble(input.phaseText);
  if (!phase) return Refuse(NotANumber(input.phaseText), EphemerisField::kPhase);
  const double p = *period;
  const double first = *d1;
  const double last = *d2 + 1;
  if ((last - first) / p > kMaxEphemerisTimes)
    return Refuse("La lista tendría más de " + IntToStr(kMaxEphemerisTimes) +
                      " horas: acorta el intervalo de fechas.",
                  EphemerisField::kEnd);

  EphemerisResult result;
  const auto add = [&](const std::string& line) {
    if (sink)
      sink(line);
    else
      result.lines.push_back(line);
  };
  for (const std::string& line :
       {input.starName, std::string(), "Época: " + input.epochText, "Periodo: " + input.periodText,
        "Fase: " + input.phaseText, std::string(), std::string("Horas en TU")})
    add(line);

  double t = (*epoch - kCalendarToJD) + *phase * p;
  // An epoch years away would take millions of single steps: jump close to
  // the start date first, then step as usual.
  if (t - first > 2 * p) t -= (std::floor((t - first) / p) - 1) * p;
  do {
    t -= p;
  } while (t >= first);
  if (first - t > 2 * p) t += (std::floor((first - t) / p) - 1) * p;
  do {
    if (t > first && t < last) add(FormatDate("dd/mm/yyyy", t) + "  " + FormatTime("hh:nn", t));
    t += p;
  } while (t <= last);
  return result;
}

double EphemerisEpoch(double t0, float phaseOrigin, double period) {
  return t0 - static_cast<double>(phaseOrigin) * period;
}

std::pair<std::string, std::string> DefaultEphemerisDates(double todayCalendar) {
  const double today = std::floor(todayCalendar);
  return {FormatDate("dd/mm/yyyy", today), FormatDate("dd/mm/yyyy", today + 7)};
}

}  // namespace lumenda
