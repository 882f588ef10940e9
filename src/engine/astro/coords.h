// Sky positions: sexagesimal texts of right ascension and declination, the
// plate solution from pixel to sky, horizontal coordinates and the air mass.
// Angles inside computations are radians; site longitude is positive to the
// west.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "text/result.h"

namespace lumenda {

inline constexpr std::string_view kNullRAText = "00 00 00.0";
inline constexpr std::string_view kNullDecText = "+00 00 00";

// Degrees -> "hh mm ss.s". The angle is first brought into 0..360; seconds
// that round to 60.0 carry into the minutes and those into the hours (24
// wraps to 00). kNullRAText for a value that is not finite.
std::string FormatRA(double degrees);
// Degrees -> "+dd mm ss" ("-" below zero); seconds that round to 60 carry
// into the minutes and those into the degrees. kNullDecText when not finite.
std::string FormatDec(double degrees);

// Typed or header texts ("12 34 56.7", "12:34:56.7", "12h34m56.7s"; for
// declinations also "5d3m7s", sign optional) -> RA text / Dec text, with the
// same carries as FormatRA / FormatDec. An empty text gives the null text. A
// text without three fields, with fields that are not numbers, or with hours
// above 23, degrees above 90, minutes or seconds of 60 or more, fails with a
// Spanish conversion message.
Result<std::string> NormalizeRA(std::string_view text);
Result<std::string> NormalizeDec(std::string_view text);

// The inverse of the texts, read by fixed positions: RA hours in characters
// 1-2, minutes 4-5, seconds 7-10; Dec sign 1, degrees 2-3, minutes 5-6,
// seconds 8-9. Degrees; a failure when a field does not read.
Result<double> RATextToDegrees(std::string_view raText);
Result<double> DecTextToDegrees(std::string_view decText);

// Linear plate solution from the FITS keywords of the same names: CRPIX in
// 1-based pixels, CRVAL, CDELT and CROTA in degrees.
struct PlateSolution {
  double crpix1 = 0, crval1 = 0, cdelt1 = 0, crota1 = 0;
  double crpix2 = 0, crval2 = 0, cdelt2 = 0, crota2 = 0;
};

// Display position (0-based, flipped as shown when flipX / flipY) -> RA text
// and Dec text. Where the declination reaches a pole the right ascension is
// CRVAL1.
std::pair<std::string, std::string> PixelToRADec(const PlateSolution& plate, double x, double y,
                                                 int maxX, int maxY, bool flipX, bool flipY);

struct Horizontal {
  double azimuth;   // 0..2 pi, from the south
  double altitude;  // -pi/2..pi/2
};

// theta: Greenwich sidereal time; lon: west positive; all radians.
Horizontal EquatorialToHorizontal(double theta, double lon, double lat, double ra, double dec);

// Kasten and Young air mass of an altitude (radians). 0 where the formula has
// no value (zenith distance of 96.07995 degrees or more, not finite input).
double AirMass(double altitudeRadians);

// Air mass of a field (ra, dec) seen from a site (lon west positive, lat) at
// calendar time t (UT): sidereal time, altitude, Kasten and Young.
double FieldAirMass(double t, double lon, double lat, double ra, double dec);

}  // namespace lumenda
