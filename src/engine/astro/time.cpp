#include "astro/time.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "astro/conversion_errors.h"
#include "astro/coords.h"
#include "astro/planets.h"
#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

using astro_detail::NotADate;
using astro_detail::NotANumber;
using astro_detail::NotATime;
using astro_detail::ReadDigits;

constexpr double kSecondsPerDay = 86400.0;

// "yyyy?mm?dd" at the start of `text` (header dates).
std::optional<double> ReadIsoDate(std::string_view text) {
  const auto year = ReadDigits(Copy(text, 1, 4));
  const auto month = ReadDigits(Copy(text, 6, 2));
  const auto day = ReadDigits(Copy(text, 9, 2));
  if (!year || !month || !day) return std::nullopt;
  return EncodeDate(*year, *month, *day);
}

// "hh:mm:ss" in characters 12-19 of a combined date and time; any fraction
// of the second after them is not read.
std::optional<double> ReadIsoTime(std::string_view text) {
  const auto hour = ReadDigits(Copy(text, 12, 2));
  const auto minute = ReadDigits(Copy(text, 15, 2));
  const auto second = ReadDigits(Copy(text, 18, 2));
  if (!hour || !minute || !second) return std::nullopt;
  return EncodeTime(*hour, *minute, *second);
}

// "h:m:s" with a real number of seconds (TIME-OBS, UT-START).
std::optional<double> ReadClockTime(std::string_view text) {
  const size_t first = text.find(':');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const auto hours = ParseInt(text.substr(0, first));
  const auto minutes = ParseInt(text.substr(first + 1, second - first - 1));
  const auto seconds = ParseDouble(text.substr(second + 1));
  if (!hours || !minutes || !seconds) return std::nullopt;
  if (*hours < 0 || *hours > 23 || *minutes < 0 || *minutes > 59 || !(*seconds >= 0) ||
      *seconds >= 60)
    return std::nullopt;
  return ((*hours * 60.0 + *minutes) * 60.0 + *seconds) / kSecondsPerDay;
}

Result<double> CombinedDateTime(const std::string& text) {
  const auto date = ReadIsoDate(text);
  if (!date) return Result<double>::Fail(NotADate(text));
  const auto time = ReadIsoTime(text);
  if (!time) return Result<double>::Fail(NotATime(text));
  return Result<double>::Ok(*date + *time);
}

Result<double> Exposure(const std::string& text) {
  const auto seconds = ParseDouble(text);
  if (!seconds || !std::isfinite(*seconds)) return Result<double>::Fail(NotANumber(text));
  return Result<double>::Ok(*seconds);
}

// Reads the JD, RA and Dec texts of the two corrections.
struct CorrectionInput {
  double jd = 0;
  double ra = 0;
  double dec = 0;
};

Result<CorrectionInput> ReadCorrectionInput(std::string_view jd, std::string_view ra,
                                            std::string_view dec) {
  const auto jdValue = ParseDouble(jd);
  if (!jdValue || !std::isfinite(*jdValue)) return Result<CorrectionInput>::Fail(NotANumber(jd));
  const Result<double> raDegrees = RATextToDegrees(ra);
  if (!raDegrees.ok()) return Result<CorrectionInput>::Fail(raDegrees.message);
  const Result<double> decDegrees = DecTextToDegrees(dec);
  if (!decDegrees.ok()) return Result<CorrectionInput>::Fail(decDegrees.message);
  constexpr double kRadians = std::numbers::pi / 180.0;
  return Result<CorrectionInput>::Ok(
      {*jdValue, raDegrees.value * kRadians, decDegrees.value * kRadians});
}

// Light time, in days, saved by moving the observer from the Earth to a point
// at ecliptic longitude `lambda` and distance `distance` from it, for a star at
// (ra, dec). The point's latitude is neglected.
double LightTimeTowards(double lambda, double distance, double obliquity, double ra, double dec) {
  double alpha = std::atan2(std::sin(lambda) * std::cos(obliquity), std::cos(lambda));
  if (alpha < 0) alpha += 2.0 * std::numbers::pi;
  const double delta = std::asin(std::sin(lambda) * std::sin(obliquity));
  return kLightTimePerAU * distance *
         (std::sin(dec) * std::sin(delta) + std::cos(dec) * std::cos(delta) * std::cos(ra - alpha));
}

Result<std::string> FormatCorrected(const Result<CorrectionInput>& input,
                                    double (*correct)(double, double, double)) {
  if (!input.ok()) return Result<std::string>::Fail(input.message);
  const double value = correct(input.value.jd, input.value.ra, input.value.dec);
  return Result<std::string>::Ok(FormatFloat("0000000.00000", value));
}

}  // namespace

Result<std::string> TryMidExposureDate(const KeywordLookup& keyword, double cTiempoSeconds) {
  const double correction = cTiempoSeconds / kSecondsPerDay;
  std::string exposureText = keyword("EXPTIME");
  if (exposureText.empty()) exposureText = keyword("EXPOSURE");
  const bool hasExposure = !exposureText.empty();
  const std::string dateObs = keyword("DATE-OBS");
  const std::string dateText = dateObs.empty() ? keyword("DATE-LOC") : dateObs;

  std::optional<double> t;
  if (dateText.size() >= 19 && hasExposure) {
    const Result<double> dateTime = CombinedDateTime(dateText);
    if (!dateTime.ok()) return Result<std::string>::Fail(dateTime.message);
    const Result<double> exposure = Exposure(exposureText);
    if (!exposure.ok()) return Result<std::string>::Fail(exposure.message);
    t = dateTime.value + exposure.value / 2.0 / kSecondsPerDay + correction;
  } else {
    std::string timeText = keyword("TIME-OBS");
    if (timeText.empty()) timeText = keyword("UT-START");
    if (dateObs.size() >= 10 && timeText.size() >= 8 && hasExposure) {
      const bool isoOrder = dateObs[2] >= '0' && dateObs[2] <= '9';
      const std::optional<double> date = isoOrder ? ReadIsoDate(dateObs) : ParseDateDMY(dateObs);
      if (!date) return Result<std::string>::Fail(NotADate(dateObs));
      const std::optional<double> time = ReadClockTime(timeText);
      if (!time) return Result<std::string>::Fail(NotATime(timeText));
      const Result<double> exposure = Exposure(exposureText);
      if (!exposure.ok()) return Result<std::string>::Fail(exposure.message);
      t = *date + *time + exposure.value / 2.0 / kSecondsPerDay + correction;
    } else if (dateObs.size() >= 19 && !hasExposure) {
      const Result<double> dateTime = CombinedDateTime(dateObs);
      if (!dateTime.ok()) return Result<std::string>::Fail(dateTime.message);
      t = dateTime.value + correction;
    }
  }
  if (!t) return Result<std::string>::Ok(std::string(kNullDateText));
  return Result<std::string>::Ok(DateTimeToDateString(*t));
}

std::string MidExposureDate(const KeywordLookup& keyword, double cTiempoSeconds) {
  Result<std::string> date = TryMidExposureDate(keyword, cTiempoSeconds);
  return date.ok() ? std::move(date.value) : std::string(kNullDateText);
}

std::string DateTimeToDateString(double t) {
  if (!std::isfinite(t)) return std::string(kNullDateText);
  double day = std::floor(t);
  std::string fraction = FormatFloat("0.00000", t - day);
  // The last half second of a day belongs to the next date, not to "x.00000"
  // of this one written as "1.00000".
  if (fraction[0] == '1') {
    day += 1;
    fraction = "0.00000";
  }
  const CivilDate date = DecodeDate(day);
  if (date.year < 1 || date.year > 9999) return std::string(kNullDateText);
  return FormatDate("yyyymmdd", day) + fraction.substr(1);
}

Result<double> TryDateStringToDateTime(std::string_view mpc) {
  const std::string text = Trim(mpc);
  if (Copy(text, 1, 8) == "00000000") return Result<double>::Ok(0.0);
  const auto year = ReadDigits(Copy(text, 1, 4));
  const auto month = ReadDigits(Copy(text, 5, 2));
  const auto day = ReadDigits(Copy(text, 7, 2));
  const std::optional<double> date =
      (year && month && day) ? EncodeDate(*year, *month, *day) : std::nullopt;
  if (!date) return Result<double>::Fail(NotADate(text));
  const std::string fractionText = "0" + std::string(Copy(text, 9, 6));
  double fraction = 0;
  if (fractionText != "0") {
    const auto parsed = ParseDouble(fractionText);
    if (fractionText[1] != '.' || !parsed || !(*parsed >= 0) || *parsed >= 1)
      return Result<double>::Fail(NotADate(text));
    fraction = *parsed;
  }
  return Result<double>::Ok(*date + fraction);
}

double DateStringToDateTime(std::string_view mpc) {
  const Result<double> t = TryDateStringToDateTime(mpc);
  return t.ok() ? t.value : 0.0;
}

Result<std::string> TryDateToJD(std::string_view mpc) {
  if (Trim(mpc) == kNullDateText) return Result<std::string>::Ok(std::string(kNullJDText));
  const Result<double> t = TryDateStringToDateTime(mpc);
  if (!t.ok()) return Result<std::string>::Fail(t.message);
  return Result<std::string>::Ok(FormatFloat("0.00000", t.value + kCalendarToJD));
}

std::string DateToJD(std::string_view mpc) {
  Result<std::string> jd = TryDateToJD(mpc);
  return jd.ok() ? std::move(jd.value) : std::string(kNullJDText);
}

double HeliocentricDate(double jd, double ra, double dec) {
  const Spherical sun = SunPosition(jd);
  return jd - LightTimeTowards(sun.l, sun.r, Obliquity(jd), ra, dec);
}

double BarycentricDate(double jd, double ra, double dec) {
  const Rectangular mercury = SphericalToRectangular(PlanetPosition(Planet::Mercury, jd));
  const Rectangular venus = SphericalToRectangular(PlanetPosition(Planet::Venus, jd));
  const Rectangular earth = SphericalToRectangular(PlanetPosition(Planet::Earth, jd));
  const Rectangular jupiter = SphericalToRectangular(PlanetPosition(Planet::Jupiter, jd));
  const Rectangular saturn = SphericalToRectangular(PlanetPosition(Planet::Saturn, jd));
  const Rectangular uranus = SphericalToRectangular(PlanetPosition(Planet::Uranus, jd));
  // Mass ratios to the Sun. Mars rides on Jupiter's position and Neptune on
  // Uranus's: the tables hold only these six planets.
  struct Weighted {
    double ratio;
    const Rectangular* position;
  };
  const Weighted terms[] = {
      {1 / 6023658.33, &mercury}, {1 / 408524.719, &venus},    {1 / 333001.0, &earth},
      {1 / 3098704.59, &jupiter}, {1 / 1048.348644, &jupiter}, {1 / 3498.9018, &saturn},
      {1 / 22903.951, &uranus},   {1 / 19413.26, &uranus},
  };
  Rectangular barycentre{0, 0, 0};
  for (const Weighted& term : terms) {
    barycentre.x += term.ratio * term.position->x;
    barycentre.y += term.ratio * term.position->y;
    barycentre.z += term.ratio * term.position->z;
  }
  const Spherical fromEarth = RectangularToSpherical(
      {barycentre.x - earth.x, barycentre.y - earth.y, barycentre.z - earth.z});
  return jd - LightTimeTowards(fromEarth.l, fromEarth.r, Obliquity(jd), ra, dec);
}

Result<std::string> TryHeliocentricJD(std::string_view jd, std::string_view ra,
                                      std::string_view dec) {
  return FormatCorrected(ReadCorrectionInput(jd, ra, dec), HeliocentricDate);
}

Result<std::string> TryBarycentricJD(std::string_view jd, std::string_view ra,
                                     std::string_view dec) {
  return FormatCorrected(ReadCorrectionInput(jd, ra, dec), BarycentricDate);
}

std::string HeliocentricJD(std::string_view jd, std::string_view ra, std::string_view dec) {
  Result<std::string> hjd = TryHeliocentricJD(jd, ra, dec);
  return hjd.ok() ? std::move(hjd.value) : std::string();
}

std::string BarycentricJD(std::string_view jd, std::string_view ra, std::string_view dec) {
  Result<std::string> bjd = TryBarycentricJD(jd, ra, dec);
  return bjd.ok() ? std::move(bjd.value) : std::string();
}

double SiderealTime(double t) {
  const double day = std::floor(t);
  const double jd0 = day + kCalendarToJD;
  const double centuries = (jd0 - 2451545.0) / 36525.0;
  double degrees =
      100.46061837 + 36000.770053608 * centuries + 0.000387933 * centuries * centuries -
      centuries * centuries * centuries / 38710000.0 + (t - day) * 360.0 * 1.00273790935;
  degrees = std::fmod(degrees, 360.0);
  if (degrees < 0) degrees += 360.0;
  const double radians = degrees * std::numbers::pi / 180.0;
  return radians >= 2.0 * std::numbers::pi ? 0.0 : radians;
}

}  // namespace lumenda
