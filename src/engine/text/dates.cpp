#include "text/dates.h"

#include <cmath>

#include "text/number_format.h"

namespace lumenda {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

CivilDate CivilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp + (mp < 10 ? 3 : -9);
  return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 1899-12-30 in days from 1970-01-01.
constexpr long long kEpochOffset = -25569;

std::string Two(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

std::string Pad(int v, int width) {
  std::string s = std::to_string(v);
  while (static_cast<int>(s.size()) < width) s.insert(0, 1, '0');
  return s;
}

bool ReadNumber(std::string_view text, int& value) {
  auto v = ParseInt(text);
  if (!v || text.empty() || text.front() == ' ' || text.back() == ' ') return false;
  if (*v < -1000000 || *v > 1000000) return false;
  value = static_cast<int>(*v);
  return true;
}

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<double> EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
}

std::optional<double> EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return std::nullopt;
  return ((hour * 3600.0 + minute * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

CivilDate DecodeDate(double calendarTime) {
  // Far beyond the years 1 to 9999 there is no date to give (nor an integer
  // to hold the day).
  if (!(std::fabs(calendarTime) < 1e9)) return CivilDate{};
  return CivilFromDays(static_cast<long long>(std::floor(calendarTime)) + kEpochOffset);
}

TimeOfDay DecodeTime(double calendarTime) {
  if (!std::isfinite(calendarTime)) return TimeOfDay{};
  double fraction = calendarTime - std::floor(calendarTime);
  long long ms = std::llround(fraction * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  TimeOfDay t;
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  return t;
}

std::string FormatDate(std::string_view pattern, double calendarTime) {
  CivilDate d = DecodeDate(calendarTime);
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    std::string_view rest = pattern.substr(i);
    if (rest.starts_with("yyyy")) {
      out += Pad(d.year, 4);
      i += 4;
    } else if (rest.starts_with("yy")) {
      out += Two(d.year % 100);
      i += 2;
    } else if (rest.starts_with("mm")) {
      out += Two(d.month);
      i += 2;
    } else if (rest.starts_with("dd")) {
      out += Two(d.day);
      i += 2;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

std::string FormatTime(std::string_view pattern, double calendarTime) {
  TimeOfDay t = DecodeTime(calendarTime);
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    std::string_view rest = pattern.substr(i);
    if (rest.starts_with("zzz")) {
      out += Pad(t.millisecond, 3);
      i += 3;
    } else if (rest.starts_with("hh")) {
      out += Two(t.hour);
      i += 2;
    } else if (rest.starts_with("nn")) {
      out += Two(t.minute);
      i += 2;
    } else if (rest.starts_with("ss")) {
      out += Two(t.second);
      i += 2;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

std::optional<double> ParseDateDMY(std::string_view text) {
  size_t a = text.find('/');
  if (a == std::string_view::npos) return std::nullopt;
  size_t b = text.find('/', a + 1);
  if (b == std::string_view::npos) return std::nullopt;
  int day = 0, month = 0, year = 0;
  std::string_view yearText = text.substr(b + 1);
  while (!yearText.empty() && yearText.back() == ' ') yearText.remove_suffix(1);
  std::string_view dayText = text.substr(0, a);
  while (!dayText.empty() && dayText.front() == ' ') dayText.remove_prefix(1);
  if (!ReadNumber(dayText, day) || !ReadNumber(text.substr(a + 1, b - a - 1), month) ||
      !ReadNumber(yearText, year))
    return std::nullopt;
  if (yearText.size() <= 2) year += year < 50 ? 2000 : 1900;
  return EncodeDate(year, month, day);
}

std::optional<double> ParseTime(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  size_t a = text.find(':');
  if (a == std::string_view::npos) return std::nullopt;
  size_t b = text.find(':', a + 1);
  int h = 0, m = 0, s = 0;
  if (!ReadNumber(text.substr(0, a), h)) return std::nullopt;
  if (b == std::string_view::npos) {
    if (!ReadNumber(text.substr(a + 1), m)) return std::nullopt;
  } else {
    if (!ReadNumber(text.substr(a + 1, b - a - 1), m)) return std::nullopt;
    // Seconds may carry a fraction ("21:30:00.5").
    auto sec = ParseDouble(text.substr(b + 1));
    if (!sec || *sec < 0 || *sec >= 60) return std::nullopt;
    auto base = EncodeTime(h, m, 0);
    if (!base) return std::nullopt;
    return *base + *sec / 86400.0;
  }
  return EncodeTime(h, m, s);
}

}  // namespace lumenda
