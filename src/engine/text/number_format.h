// Numbers as text: the one formatter and the one parser of the program.
// Always "." as the decimal separator, whatever the locale.
#pragma once

#include <bit>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace lumenda {

// Formats `value` with a picture mask: "0" a mandatory digit, "#" an optional
// digit, "." the decimal point, any other character kept as a literal.
// Sections separated by ";" give the positive, negative and zero forms; with
// no negative section a "-" is put in front. Rounding is to nearest, halves
// to the even neighbour (on the exact binary value).
// Examples: FormatFloat("0000.00;-000.00", -3.14159) == "-003.14",
//           FormatFloat("#0.00", 5) == "5.00".
std::string FormatFloat(std::string_view mask, double value);

// Shortest general notation, 15 significant digits: "0.0001", "1E-5", "12.5".
std::string FloatToStr(double value);

// Integer as decimal text.
std::string IntToStr(long long value);

// Parses a real number, allowing blanks around it; "." only, optional sign,
// optional exponent. nullopt when the whole text is not a number.
std::optional<double> ParseDouble(std::string_view text);

// Parses a whole number (blanks around allowed). nullopt on anything else,
// including overflow of long long.
std::optional<long long> ParseInt(std::string_view text);

// The program's rounding: to the nearest integer, halves to the even
// neighbour. NaN gives 0, and a value beyond the range of long long the
// nearest end of that range.
long long RoundHalfEven(double value);

// The same for |value| below 2^51, unchecked: adding 1.5 * 2^52 rounds like
// nearbyint (the default rounding mode) and leaves the integer in the low
// bits of the sum, with no call into the maths library, so loops of it
// vectorise.
inline long long RoundHalfEvenSmall(double value) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
  constexpr double kRounder = 6755399441055744.0;
  return std::bit_cast<long long>(value + kRounder) - std::bit_cast<long long>(kRounder);
#else
  // Wider intermediate precision would defeat the sum.
  return static_cast<long long>(std::nearbyint(value));
#endif
}

// Rounding of pixel positions, counts and sums: NaN and values beyond 1e12
// go far outside any image (-1e12 or 1e12) instead of to 0, so that a
// failed centre is never taken for pixel 0.
inline long long RoundPixel(double value) {
  if (!(value > -1e12)) return -1000000000000LL;
  if (value > 1e12) return 1000000000000LL;
  return RoundHalfEvenSmall(value);
}

// The value as FormatFloat shows it with `decimals` decimals, read back:
// what a number kept as text holds.
double RoundToDecimals(double value, int decimals);

}  // namespace lumenda

namespace lumenda {

// True for "0".."9".
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// True when the text converts to a real number (an empty text is false).
bool IsFloat(std::string_view text);

// The number in `text` formatted with `mask` and right-aligned with leading
// blanks to `width`. When the character at 1-based position length - 2 is a
// blank (or the text is not a number) the value counts as missing: only
// blanks come out.
std::string PadNumber(std::string_view text, std::string_view mask, int width);

}  // namespace lumenda
