// Sexagesimal texts of right ascension and declination.
#include <cmath>
#include <string>

#include "astro/conversion_errors.h"
#include "astro/coords.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

using astro_detail::NotACoordinate;

// Whole units, minutes and the seconds text of `mask`; seconds that the mask
// rounds up to 60 are carried, minutes of 60 likewise.
struct Sexagesimal {
  long long units;
  long long minutes;
  std::string seconds;
};

Sexagesimal Carry(long long units, long long minutes, double seconds, std::string_view mask) {
  std::string secondsText = FormatFloat(mask, seconds);
  if (secondsText.starts_with("60")) {
    secondsText = FormatFloat(mask, 0.0);
    ++minutes;
  }
  if (minutes >= 60) {
    minutes -= 60;
    ++units;
  }
  return {units, minutes, secondsText};
}

// Splits an angle (non-negative) into units, minutes and seconds, with the
// small guard that keeps 12.0 from reading as 11 59 59.99999.
Sexagesimal Split(double value, std::string_view mask) {
  const double guarded = value + 1e-10;
  const double units = std::floor(guarded);
  const double m = (guarded - units) * 60.0;
  const double minutes = std::floor(m);
  const double seconds = (m - minutes) * 60.0;
  return Carry(static_cast<long long>(units), static_cast<long long>(minutes), seconds, mask);
}

std::string Join(long long units, const Sexagesimal& s) {
  return FormatFloat("00", static_cast<double>(units)) + " " +
         FormatFloat("00", static_cast<double>(s.minutes)) + " " + s.seconds;
}

struct Fields {
  bool negative = false;
  long long first = 0;
  long long second = 0;
  double third = 0;
};

// Three fields separated by blanks, ":" or letters. `unitLetter` is "h" for
// right ascensions and "d" for declinations.
Result<Fields> ReadFields(std::string_view text, char unitLetter) {
  std::string cleaned;
  for (char c : text) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower == 's') continue;
    if (c == ':' || lower == unitLetter || lower == 'm' || c == '\t')
      cleaned += ' ';
    else
      cleaned += c;
  }
  // Runs of blanks count as one separator.
  std::string fieldsText;
  for (char c : Trim(cleaned)) {
    if (c == ' ' && !fieldsText.empty() && fieldsText.back() == ' ') continue;
    fieldsText += c;
  }
  const size_t firstBlank = fieldsText.find(' ');
  const size_t secondBlank =
      firstBlank == std::string::npos ? std::string::npos : fieldsText.find(' ', firstBlank + 1);
  if (secondBlank == std::string::npos) return Result<Fields>::Fail(NotACoordinate(text));
  const std::string_view all = fieldsText;
  const auto first = ParseInt(all.substr(0, firstBlank));
  const auto second = ParseInt(all.substr(firstBlank + 1, secondBlank - firstBlank - 1));
  const auto third = ParseDouble(all.substr(secondBlank + 1));
  if (!first || !second || !third || *second < 0 || *second >= 60 || !(*third >= 0) || *third >= 60)
    return Result<Fields>::Fail(NotACoordinate(text));
  return Result<Fields>::Ok({fieldsText[0] == '-', *first, *second, *third});
}

}  // namespace

std::string FormatRA(double degrees) {
  if (!std::isfinite(degrees)) return std::string(kNullRAText);
  double wrapped = std::fmod(degrees, 360.0);
  if (wrapped < 0) wrapped += 360.0;
  const Sexagesimal s = Split(wrapped / 15.0, "00.0");
  return Join(s.units % 24, s);
}

std::string FormatDec(double degrees) {
  if (!std::isfinite(degrees)) return std::string(kNullDecText);
  const char sign = degrees >= 0 ? '+' : '-';
  const Sexagesimal s = Split(std::fabs(degrees), "00");
  return sign + Join(s.units, s);
}

Result<std::string> NormalizeRA(std::string_view text) {
  if (Trim(text).empty()) return Result<std::string>::Ok(std::string(kNullRAText));
  const Result<Fields> fields = ReadFields(text, 'h');
  if (!fields.ok()) return Result<std::string>::Fail(fields.message);
  const Fields& f = fields.value;
  if (f.negative || f.first > 23) return Result<std::string>::Fail(NotACoordinate(text));
  const Sexagesimal s = Carry(f.first, f.second, f.third, "00.0");
  return Result<std::string>::Ok(Join(s.units % 24, s));
}

Result<std::string> NormalizeDec(std::string_view text) {
  if (Trim(text).empty()) return Result<std::string>::Ok(std::string(kNullDecText));
  const Result<Fields> fields = ReadFields(text, 'd');
  if (!fields.ok()) return Result<std::string>::Fail(fields.message);
  const Fields& f = fields.value;
  const long long degrees = f.first < 0 ? -f.first : f.first;
  if (degrees > 90) return Result<std::string>::Fail(NotACoordinate(text));
  const Sexagesimal s = Carry(degrees, f.second, f.third, "00");
  return Result<std::string>::Ok((f.negative ? "-" : "+") + Join(s.units, s));
}

Result<double> RATextToDegrees(std::string_view raText) {
  const auto hours = ParseInt(Copy(raText, 1, 2));
  const auto minutes = ParseInt(Copy(raText, 4, 2));
  const auto seconds = ParseDouble(Copy(raText, 7, 4));
  if (!hours || !minutes || !seconds) return Result<double>::Fail(NotACoordinate(raText));
  return Result<double>::Ok((*hours + *minutes / 60.0 + *seconds / 3600.0) * 15.0);
}

Result<double> DecTextToDegrees(std::string_view decText) {
  const auto degrees = ParseInt(Copy(decText, 2, 2));
  const auto minutes = ParseInt(Copy(decText, 5, 2));
  const auto seconds = ParseDouble(Copy(decText, 8, 2));
  if (!degrees || !minutes || !seconds) return Result<double>::Fail(NotACoordinate(decText));
  const double value = *degrees + *minutes / 60.0 + *seconds / 3600.0;
  return Result<double>::Ok(decText.starts_with('-') ? -value : value);
}

}  // namespace lumenda
