#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

#include "text/number_format.h"

namespace lumenda {
namespace {

struct MaskCase {
  const char* mask;
  double value;
  const char* expected;
};

TEST(FormatFloat, MasksUsedAcrossTheProgram) {
  const MaskCase cases[] = {
      {"0", 2.5, "2"},  // halves go to the even neighbour
      {"0", 3.5, "4"},
      {"0", -2.5, "-2"},
      {"00", 7, "07"},
      {"0000", 123, "0123"},
      {"0000", 12345, "12345"},  // more digits than placeholders are kept
      {"0.0", 0.25, "0.2"},
      {"0.0", 0.75, "0.8"},
      {"0.000", 1.0005, "1.000"},  // 1.0005 is stored just below the half
      {"0.00000", 2451545.0, "2451545.00000"},
      {"00.00", 7.5, "07.50"},
      {"00.00000", 0.8961805555, "00.89618"},
      {"00000.00", 12.345, "00012.35"},
      {"0000.00;-000.00", 3.14159, "0003.14"},
      {"0000.00;-000.00", -3.14159, "-003.14"},
      {"0000.00;-000.00", -0.001, "0000.00"},  // rounds to zero: first section, no sign
      {"+00.00000;-00.00000", 1.5, "+01.50000"},
      {"+00.00000;-00.00000", -1.5, "-01.50000"},
      {"+00.00000", 0.123456, "+00.12346"},
      {" +00.00000; -00.00000", -12.3, " -12.30000"},
      {" 000000000", 1234, " 000001234"},
      {"000000000;-00000000", -42, "-00000042"},
      {"#0", 5, "5"},
      {"#0", 0, "0"},
      {"#0", 123, "123"},
      {"#0.00", 5, "5.00"},
      {"#0.##", 5, "5"},
      {"#0.##", 5.1, "5.1"},
      {"+0.000;-0.000", -0.0004, "+0.000"},
      {"+0.000;-0.000", -0.0006, "-0.001"},
      {" 00.000;-00.000; 00.000", 0.0, " 00.000"},
      {" 00.000;-00.000; 00.000", -1.2345, "-01.234"},
      {" 00.000;-00.000; 00.000", 1.2355, " 01.236"},
      {"0.0000", 0.00005, "0.0001"},  // 0.00005 is stored above the half
      {".00000", 0.5, ".50000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFloat(c.mask, c.value), c.expected) << c.mask << " " << c.value;
  }
}

TEST(FormatFloat, ExactBinaryTiesRoundToEven) {
  EXPECT_EQ(FormatFloat("0.00", 0.125), "0.12");
  EXPECT_EQ(FormatFloat("0.00", 0.375), "0.38");
  EXPECT_EQ(FormatFloat("0", 0.5), "0");
  EXPECT_EQ(FormatFloat("0", 1.5), "2");
  // A number kept as text reads back as its rounded text does.
  EXPECT_EQ(RoundToDecimals(0.125, 2), 0.12);
  // Stored just below and just above the half, while 100 times each is 1.5
  // and 2.5 exactly in double.
  EXPECT_EQ(RoundToDecimals(0.015, 2), 0.01);
  EXPECT_EQ(RoundToDecimals(0.025, 2), 0.03);
  EXPECT_EQ(FormatFloat("0.00", 0.015), "0.01");
  EXPECT_EQ(FormatFloat("0.00", 0.025), "0.03");
  EXPECT_EQ(RoundToDecimals(1234.5678, 2), 1234.57);
  EXPECT_FALSE(std::signbit(RoundToDecimals(-0.004, 2)));
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  // No integer stands for these: a defined answer instead of undefined behaviour.
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<long long>::max());
  EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<long long>::min());
}

TEST(FormatFloat, IgnoresACommaDecimalLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "es_ES.UTF-8") && !std::setlocale(LC_ALL, "es_ES.utf8"))
    GTEST_SKIP() << "no comma-decimal locale installed";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  EXPECT_STREQ(probe, "1,5");  // the locale is really in force
  EXPECT_EQ(FormatFloat("0.00", 1.5), "1.50");
  EXPECT_EQ(FloatToStr(0.25), "0.25");
  EXPECT_EQ(ParseDouble("3.75"), 3.75);
  EXPECT_FALSE(ParseDouble("3,75"));
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(FloatToStr, ShortestGeneralNotation) {
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStr(12.5), "12.5");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(-2.25), "-2.25");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(FloatToStr(1e20), "1E20");
}

TEST(ParseNumbers, AcceptsBlanksAndRejectsJunk) {
  EXPECT_EQ(ParseDouble("  12.5 "), 12.5);
  EXPECT_EQ(ParseDouble("-0.5"), -0.5);
  EXPECT_EQ(ParseDouble("+3"), 3.0);
  EXPECT_EQ(ParseDouble("1e3"), 1000.0);
  EXPECT_EQ(ParseDouble(".5"), 0.5);
  for (const char* bad : {"", "  ", "1.2.3", "12a", "inf", "nan", "1,5", "--1", "+-1"})
    EXPECT_FALSE(ParseDouble(bad)) << bad;
  EXPECT_EQ(ParseInt(" 42 "), 42);
  EXPECT_EQ(ParseInt("-7"), -7);
  for (const char* bad : {"", "4.2", "x", "99999999999999999999"}) EXPECT_FALSE(ParseInt(bad));
  EXPECT_TRUE(IsFloat("1.25"));
  EXPECT_FALSE(IsFloat(""));
  EXPECT_TRUE(IsDigit('7'));
  EXPECT_FALSE(IsDigit('a'));
}

TEST(PadNumber, RightAlignsOrBlanksMissingValues) {
  EXPECT_EQ(PadNumber("12.3456", "0.000", 8), "  12.346");
  EXPECT_EQ(PadNumber("12.3456", "0.000", 3), "12.346");
  EXPECT_EQ(PadNumber("1 .  ", "0.000", 6), "      ");  // blank at length - 2: missing
  EXPECT_EQ(PadNumber("abc", "0.0", 4), "    ");
}

}  // namespace
}  // namespace lumenda
