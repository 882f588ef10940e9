#include "text/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

namespace lumenda {
namespace {

// The positive, negative and zero sections of a mask (text after a third
// ";" is never used).
struct Sections {
  std::string_view text[3];
  size_t size = 0;
};
Sections SplitSections(std::string_view mask) {
  Sections sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.text[sections.size++] = mask.substr(start, i - start);
      if (sections.size == 3) return sections;
      start = i + 1;
    }
  }
  sections.text[sections.size++] = mask.substr(start);
  return sections;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// |value| * 10^decimals rounded to a whole number, when the product is small
// enough to be exact within 10^-7 and far enough from a half that its
// rounding is the rounding of the exact value; nullopt otherwise.
std::optional<long long> ScaledWhole(double value, int decimals) {
  if (decimals < 0 || decimals > 9) return std::nullopt;
  const double scaled = value * kPowersOfTen[decimals];
  if (!(std::fabs(scaled) < 2147483648.0)) return std::nullopt;
  const long long whole = RoundHalfEvenSmall(scaled);
  if (std::fabs(std::fabs(scaled - static_cast<double>(whole)) - 0.5) < 1e-6) return std::nullopt;
  return whole;
}

struct SectionShape {
  int intPlaceholders = 0;
  int minIntDigits = 0;
  int decimals = 0;
  int mandatoryDecimals = 0;
  bool hasPoint = false;
};

SectionShape Analyse(std::string_view section) {
  SectionShape shape;
  bool afterPoint = false;
  bool seenIntZero = false;
  char quote = 0;
  for (char c : section) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      shape.hasPoint = true;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        ++shape.decimals;
        if (c == '0') shape.mandatoryDecimals = shape.decimals;
      } else {
        ++shape.intPlaceholders;
        if (c == '0') seenIntZero = true;
        if (seenIntZero) ++shape.minIntDigits;
      }
    }
  }
  return shape;
}

// Digits of |value| rounded to `decimals` places (exact binary value,
// ties to even): integer digits without leading zeros, and the decimals.
void Digits(double absValue, int decimals, std::string& intDigits, std::string& fracDigits) {
  if (const auto whole = ScaledWhole(absValue, decimals)) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, *whole);
    std::string_view text(buf, res.ptr - buf);
    const size_t d = static_cast<size_t>(decimals);
    fracDigits.assign(d > text.size() ? d - text.size() : 0, '0');
    fracDigits += text.substr(text.size() > d ? text.size() - d : 0);
    // No leading zero: the whole part of a value below 1 is empty.
    intDigits = text.size() > d && *whole != 0 ? std::string(text.substr(0, text.size() - d)) : "";
    return;
  }
  char buf[400];
  auto res = std::to_chars(buf, buf + sizeof buf, absValue, std::chars_format::fixed, decimals);
  std::string_view text(buf, res.ptr - buf);
  size_t point = text.find('.');
  std::string_view ip = text.substr(0, point);
  fracDigits = point == std::string_view::npos ? "" : std::string(text.substr(point + 1));
  size_t nz = ip.find_first_not_of('0');
  intDigits = nz == std::string_view::npos ? "" : std::string(ip.substr(nz));
}

std::string Render(std::string_view section, const SectionShape& shape, std::string intDigits,
                   std::string fracDigits) {
  if (static_cast<int>(intDigits.size()) < shape.minIntDigits)
    intDigits.insert(0, shape.minIntDigits - intDigits.size(), '0');
  while (static_cast<int>(fracDigits.size()) > shape.mandatoryDecimals && !fracDigits.empty() &&
         fracDigits.back() == '0')
    fracDigits.pop_back();

  const int nInt = static_cast<int>(intDigits.size());
  const int skip = shape.intPlaceholders - nInt;  // placeholders left empty
  std::string out;
  int intIndex = 0;
  int fracIndex = 0;
  bool afterPoint = false;
  char quote = 0;
  for (char c : section) {
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else {
        out += c;
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      if (intIndex == 0 && shape.intPlaceholders == 0) out += intDigits;
      if (!fracDigits.empty()) out += '.';
    } else if ((c == '0' || c == '#') && !afterPoint) {
      if (intIndex == 0 && skip < 0) out += intDigits.substr(0, -skip);
      int digit = intIndex - skip;
      if (digit >= 0 && digit < nInt) out += intDigits[digit];
      ++intIndex;
    } else if (c == '0' || c == '#') {
      if (fracIndex < static_cast<int>(fracDigits.size())) out += fracDigits[fracIndex];
      ++fracIndex;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

long long RoundHalfEven(double value) {
  // 2^63: the first double beyond long long.
  constexpr double kLimit = 9223372036854775808.0;
  if (value > -2251799813685248.0 && value < 2251799813685248.0) return RoundHalfEvenSmall(value);
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= kLimit) return std::numeric_limits<long long>::max();
  if (rounded < -kLimit) return std::numeric_limits<long long>::min();
  return static_cast<long long>(rounded);
}

std::string FormatFloat(std::string_view mask, double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  const Sections sections = SplitSections(mask);
  const bool negative = std::signbit(value) && value != 0.0;
  size_t index = negative && sections.size > 1 && !sections.text[1].empty() ? 1 : 0;
  SectionShape shape = Analyse(sections.text[index]);
  std::string intDigits, fracDigits;
  Digits(std::fabs(value), shape.decimals, intDigits, fracDigits);
  const bool isZero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;
  if (isZero) {
    // A value that rounds to zero takes the zero section, else the first, unsigned.
    index = sections.size > 2 && !sections.text[2].empty() ? 2 : 0;
    shape = Analyse(sections.text[index]);
    Digits(0.0, shape.decimals, intDigits, fracDigits);
    return Render(sections.text[index], shape, intDigits, fracDigits);
  }
  std::string out = Render(sections.text[index], shape, intDigits, fracDigits);
  if (negative && index == 0) out.insert(0, 1, '-');
  return out;
}

double RoundToDecimals(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  // The text's digits are then those of the whole number, and reading them
  // gives the double nearest to whole / 10^decimals, as the division does.
  if (const auto whole = ScaledWhole(value, decimals)) {
    const double out = static_cast<double>(*whole) / kPowersOfTen[decimals];
    return out == 0 ? 0.0 : out;
  }
  char buf[400];
  const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  double out = 0;
  std::from_chars(buf, end.ptr, out);
  return out == 0 ? 0.0 : out;  // no "-0"
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  std::string text(buf, res.ptr - buf);
  size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  int exponent = std::atoi(text.c_str() + e + 1);
  return mantissa + "E" + std::to_string(exponent);
}

std::string IntToStr(long long value) {
  return std::to_string(value);
}

namespace {
std::string_view TrimBlanks(std::string_view text) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}
}  // namespace

std::optional<double> ParseDouble(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  }
  // from_chars would accept "inf"/"nan" spellings; numbers in files never use them.
  for (char c : text) {
    if (!(IsDigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return std::nullopt;
  }
  double value = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<long long> ParseInt(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsFloat(std::string_view text) {
  return ParseDouble(text).has_value();
}

std::string PadNumber(std::string_view text, std::string_view mask, int width) {
  const int len = static_cast<int>(text.size());
  auto value = ParseDouble(text);
  if ((len >= 3 && text[len - 3] == ' ') || !value) return std::string(std::max(width, 0), ' ');
  std::string formatted = FormatFloat(mask, *value);
  if (static_cast<int>(formatted.size()) < width)
    formatted.insert(0, width - formatted.size(), ' ');
  return formatted;
}

}  // namespace lumenda
