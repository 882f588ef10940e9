// Dates of the program: the mid-exposure date of an image, the MPC date text
// (yyyymmdd.ddddd), Julian dates, the heliocentric and barycentric
// corrections and the sidereal time.
//
// Failures: the plain functions never throw. Where a text does not convert
// they return the null value documented beside them; the Try... forms return
// the same result as a Result carrying the Spanish conversion message, for
// callers that must stop and tell the user.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "text/result.h"

namespace lumenda {

// Header lookup: the keyword's cleaned value, "" when absent.
using KeywordLookup = std::function<std::string(const std::string&)>;

inline constexpr std::string_view kNullDateText = "00000000.00000";
inline constexpr std::string_view kNullJDText = "0000000.00000";
// Light time for one astronomical unit used by both corrections (500 s).
inline constexpr double kLightTimePerAU = 0.005787;

// MPC date of the middle of the exposure, shifted by `cTiempoSeconds`.
// Tries DATE-OBS (or DATE-LOC) with date and time plus EXPTIME (or
// EXPOSURE); then DATE-OBS with TIME-OBS (or UT-START) plus the exposure;
// then DATE-OBS with date and time and no exposure. kNullDateText when the
// header lacks what is needed, and also when a value present does not read
// as a date, time or number (the image counts as undated).
std::string MidExposureDate(const KeywordLookup& keyword, double cTiempoSeconds);
// Same, but a value that does not convert is a failure with its message.
Result<std::string> TryMidExposureDate(const KeywordLookup& keyword, double cTiempoSeconds);

// MPC date text -> JD text "0.00000". kNullDateText gives kNullJDText, and
// so does a text that does not read.
std::string DateToJD(std::string_view mpc);
Result<std::string> TryDateToJD(std::string_view mpc);

// MPC date text -> calendar time value (days since 1899-12-30). 0 for a
// date of "00000000" and for a text that does not read.
double DateStringToDateTime(std::string_view mpc);
Result<double> TryDateStringToDateTime(std::string_view mpc);

// Calendar time value -> MPC date text. A fraction that rounds to 1.00000
// carries into the next day. kNullDateText for a value that is not finite
// or falls outside the years 1-9999.
std::string DateTimeToDateString(double t);

// JD text, RA text ("hh mm ss.s") and Dec text ("+dd mm ss") -> HJD text
// "0000000.00000" (Sun from the abridged VSOP87 Earth). "" when a text does
// not read.
std::string HeliocentricJD(std::string_view jd, std::string_view ra, std::string_view dec);
Result<std::string> TryHeliocentricJD(std::string_view jd, std::string_view ra,
                                      std::string_view dec);
// Same, to the barycentre of the solar system (mass-weighted planets).
std::string BarycentricJD(std::string_view jd, std::string_view ra, std::string_view dec);
Result<std::string> TryBarycentricJD(std::string_view jd, std::string_view ra,
                                     std::string_view dec);

// The corrections on numbers: JD, right ascension and declination in
// radians -> HJD / BJD, unrounded.
double HeliocentricDate(double jd, double ra, double dec);
double BarycentricDate(double jd, double ra, double dec);

// Greenwich mean sidereal time (radians, 0..2 pi) of a calendar time value
// in UT.
double SiderealTime(double t);

}  // namespace lumenda
