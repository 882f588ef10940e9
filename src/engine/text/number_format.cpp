#include "text/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace lumenda {
namespace {

std::vector<std::string_view> SplitSections(std::string_view mask) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(mask.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(mask.substr(start));
  return sections;
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
  auto sections = SplitSections(mask);
  const bool negative = std::signbit(value) && value != 0.0;
  size_t index = negative && sections.size() > 1 && !sections[1].empty() ? 1 : 0;
  SectionShape shape = Analyse(sections[index]);
  std::string intDigits, fracDigits;
  Digits(std::fabs(value), shape.decimals, intDigits, fracDigits);
  const bool isZero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;
  if (isZero) {
    // A value that rounds to zero takes the zero section, else the first, unsigned.
    index = sections.size() > 2 && !sections[2].empty() ? 2 : 0;
    shape = Analyse(sections[index]);
    Digits(0.0, shape.decimals, intDigits, fracDigits);
    return Render(sections[index], shape, intDigits, fracDigits);
  }
  std::string out = Render(sections[index], shape, intDigits, fracDigits);
  if (negative && index == 0) out.insert(0, 1, '-');
  return out;
}

double RoundToDecimals(double value, int decimals) {
  if (!std::isfinite(value)) return value;
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
