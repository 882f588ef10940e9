// Calendar time values (days since 1899-12-30 00:00, fraction = time of day)
// and their texts: "dd/mm/yyyy", "yyyymmdd", "yyyy-mm-dd", "hh:nn:ss", "hh:nn".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumenda {

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Julian date = calendar time value + kCalendarToJD.
inline constexpr double kCalendarToJD = 2415018.5;

// nullopt for an invalid date (month 13, 31 February, year < 1 or > 9999).
std::optional<double> EncodeDate(int year, int month, int day);
// Fraction of a day; nullopt when out of range (hour 24, minute 60, ...).
std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond = 0);
// Date part of a calendar time value (floor of it); year 0 (no date) for a
// value far outside the years 1 to 9999 or not a number.
CivilDate DecodeDate(double calendarTime);
// Time part, rounded to the nearest millisecond (midnight for no number).
TimeOfDay DecodeTime(double calendarTime);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Formats the date part: pattern letters "dd", "mm", "yyyy" (also "yy"),
// other characters literal. FormatDate("dd/mm/yyyy", t) -> "12/08/2008".
std::string FormatDate(std::string_view pattern, double calendarTime);
// Formats the time part: "hh", "nn", "ss" (and "zzz" milliseconds).
std::string FormatTime(std::string_view pattern, double calendarTime);

// "dd/mm/yyyy" (day and month may have one digit) -> calendar date value.
std::optional<double> ParseDateDMY(std::string_view text);
// "hh:nn:ss" or "hh:nn" -> fraction of a day.
std::optional<double> ParseTime(std::string_view text);

}  // namespace lumenda
