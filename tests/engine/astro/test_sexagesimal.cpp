// Right ascension and declination texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/coords.h"

namespace lumenda {
namespace {

// Degrees of h m s (or d m s).
double Sexagesimal(double units, double minutes, double seconds) {
  return units + minutes / 60.0 + seconds / 3600.0;
}

TEST(FormatCoordinates, RoundedWithCarriesAndTheSign) {
  const auto ra = FormatRA, dec = FormatDec;
  const struct {
    std::string (*format)(double);
    double degrees;
    const char* expected;
  } cases[] = {{ra, 180, "12 00 00.0"},
               {ra, 0, "00 00 00.0"},
               {ra, 15 * Sexagesimal(5, 3, 7.2), "05 03 07.2"},
               {ra, 15 * Sexagesimal(23, 59, 59.94), "23 59 59.9"},
               // Seconds that round to 60.0 carry into minutes, hours, and past 24 h.
               {ra, 15 * Sexagesimal(1, 59, 59.96), "02 00 00.0"},
               {ra, 15 * Sexagesimal(10, 14, 59.97), "10 15 00.0"},
               {ra, 15 * Sexagesimal(23, 59, 59.96), "00 00 00.0"},
               {ra, 360, "00 00 00.0"},
               {ra, -15, "23 00 00.0"},
               {ra, 375, "01 00 00.0"},
               {ra, NAN, "00 00 00.0"},
               {dec, -0.5, "-00 30 00"},
               {dec, 0, "+00 00 00"},
               {dec, Sexagesimal(5, 3, 7), "+05 03 07"},
               {dec, -Sexagesimal(37, 39, 0), "-37 39 00"},
               {dec, 90, "+90 00 00"},
               {dec, Sexagesimal(0, 59, 59.6), "+01 00 00"},
               {dec, -Sexagesimal(10, 59, 59.5), "-11 00 00"},
               {dec, Sexagesimal(10, 58, 58.4), "+10 58 58"},
               {dec, -Sexagesimal(10, 58, 58.6), "-10 58 59"},
               {dec, INFINITY, "+00 00 00"}};
  for (const auto& c : cases) EXPECT_EQ(c.format(c.degrees), c.expected) << c.degrees;
}

TEST(NormalizeCoordinates, AcceptsBlanksColonsAndLettersKeepingTheSign) {
  const auto ra = NormalizeRA, dec = NormalizeDec;
  const struct {
    Result<std::string> (*normalize)(std::string_view);
    const char* text;
    const char* expected;
  } cases[] = {{ra, "5:3:7.2", "05 03 07.2"},
               {ra, "12h34m56.7s", "12 34 56.7"},
               {ra, "12 34 56.7", "12 34 56.7"},
               {ra, "12:34:56.7", "12 34 56.7"},
               {ra, "  12  34   56.74 ", "12 34 56.7"},
               {ra, "12 34 56", "12 34 56.0"},
               {ra, "", "00 00 00.0"},
               {ra, "10 59 59.96", "11 00 00.0"},
               {ra, "23 59 59.96", "00 00 00.0"},
               {dec, "-00 30 00", "-00 30 00"},
               {dec, "5d3m7s", "+05 03 07"},
               {dec, "+05:03:07", "+05 03 07"},
               {dec, "-37 39 00.4", "-37 39 00"},
               {dec, "-37 39 59.6", "-37 40 00"},
               {dec, "89 59 59.7", "+90 00 00"},
               {dec, "-00 59 59.8", "-01 00 00"},
               {dec, "", "+00 00 00"}};
  for (const auto& c : cases) {
    const Result<std::string> normal = c.normalize(c.text);
    EXPECT_TRUE(normal.ok()) << c.text << ": " << normal.message;
    EXPECT_EQ(normal.value, c.expected) << c.text;
  }
}

TEST(NormalizeCoordinates, TextsWithoutThreeValidFieldsFail) {
  for (const char* text : {"12 34", "12:34", "12h34m", "doce 34 56", "12 34 5x", "24 00 00",
                           "12 60 00", "12 34 60", "-01 00 00", "12 34 56.7 8"}) {
    const Result<std::string> ra = NormalizeRA(text);
    EXPECT_FALSE(ra.ok()) << text;
    EXPECT_EQ(ra.message, "'" + std::string(text) + "' no es una coordenada válida");
  }
  for (const char* text : {"45", "45 30", "91 00 00", "+45 75 00", "45 30 x"})
    EXPECT_FALSE(NormalizeDec(text).ok()) << text;
}

TEST(CoordinateTexts, ReadBackByPosition) {
  EXPECT_DOUBLE_EQ(RATextToDegrees("12 34 56.7").value, 15 * Sexagesimal(12, 34, 56.7));
  EXPECT_DOUBLE_EQ(DecTextToDegrees("-37 39 05").value, -Sexagesimal(37, 39, 5));
  EXPECT_DOUBLE_EQ(DecTextToDegrees("-00 30 00").value, -0.5);
  EXPECT_DOUBLE_EQ(DecTextToDegrees("+05 03 07").value, Sexagesimal(5, 3, 7));
  // Every text written reads back to within its last digit.
  for (double degrees = -89.9; degrees < 90; degrees += 7.77) {
    EXPECT_NEAR(DecTextToDegrees(FormatDec(degrees)).value, degrees, 0.5 / 3600 + 1e-9);
    const double ra = (degrees + 90) * 2;
    EXPECT_NEAR(RATextToDegrees(FormatRA(ra)).value, ra, 15 * 0.05 / 3600 + 1e-9);
  }
  EXPECT_FALSE(RATextToDegrees("12 3").ok());
  EXPECT_FALSE(DecTextToDegrees("+ab 00 00").ok());
}

}  // namespace
}  // namespace lumenda
