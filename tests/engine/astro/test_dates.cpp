// Mid-exposure dates, MPC date texts, Julian dates and sidereal time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <string>

#include "astro/time.h"
#include "text/dates.h"

namespace lumenda {
namespace {

using Header = std::map<std::string, std::string>;

KeywordLookup LookupIn(const Header& header) {
  return [&header](const std::string& key) {
    const auto found = header.find(key);
    return found == header.end() ? std::string() : found->second;
  };
}

double Date(int year, int month, int day) {
  return *EncodeDate(year, month, day);
}

// "KEY=value|KEY=value" as a header.
Header H(const std::string& cards) {
  Header header;
  for (size_t start = 0; start < cards.size();) {
    const size_t end = std::min(cards.find('|', start), cards.size());
    const std::string card = cards.substr(start, end - start);
    header[card.substr(0, card.find('='))] = card.substr(card.find('=') + 1);
    start = end + 1;
  }
  return header;
}

TEST(MidExposureDate, HeaderFormsGiveTheMiddleOfTheExposure) {
  const struct {
    const char* header;
    double cTiempo;
    const char* expected;
  } cases[] = {{"DATE-OBS=2008-08-12T21:30:00|EXPTIME=60", 0, "20080812.89618"},
               {"DATE-OBS=2008-08-12T21:30:00|EXPTIME=60", -30, "20080812.89583"},
               {"DATE-OBS=2008-08-12T21:30:00|EXPOSURE=60", 0, "20080812.89618"},
               // The fraction of a second after an iso time is not read.
               {"DATE-OBS=2008-08-12T21:30:00.900|EXPTIME=60", 0, "20080812.89618"},
               {"DATE-LOC=2008-08-12T21:30:00|EXPTIME=60", 0, "20080812.89618"},
               {"DATE-OBS=12/08/2008|TIME-OBS=21:30:00|EXPOSURE=60", 0, "20080812.89618"},
               {"DATE-OBS=2008-08-12|UT-START=21:30:00|EXPTIME=60", 0, "20080812.89618"},
               {"DATE-OBS=2008-08-12|TIME-OBS=21:29:59.5|EXPTIME=61", 0, "20080812.89618"},
               // An eight-character date is too short.
               {"DATE-OBS=12/08/08|TIME-OBS=21:30:00|EXPOSURE=60", 0, "00000000.00000"},
               // Without exposure: no half-exposure term, or an undated image.
               {"DATE-OBS=2008-08-12T21:30:00", 0, "20080812.89583"},
               {"DATE-LOC=2008-08-12T21:30:00", 0, "00000000.00000"},
               {"DATE-OBS=2008-08-12|TIME-OBS=21:30:00", 0, "00000000.00000"},
               {"", 0, "00000000.00000"},
               // The last half second of the day, or the correction, carries into the next date.
               {"DATE-OBS=2008-12-31|TIME-OBS=23:59:59.7|EXPTIME=0", 0, "20090101.00000"},
               {"DATE-OBS=2008-08-12T23:59:30|EXPTIME=60", 60, "20080813.00069"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    const Header header = H(c.header);
    EXPECT_EQ(MidExposureDate(LookupIn(header), c.cTiempo), c.expected);
    const Result<std::string> checked = TryMidExposureDate(LookupIn(header), c.cTiempo);
    EXPECT_TRUE(checked.ok());
    EXPECT_EQ(checked.value, c.expected);
  }
}

TEST(MidExposureDate, UnreadableValuesAreConversionErrorsAndUndatedImages) {
  const std::pair<const char*, const char*> cases[] = {
      {"DATE-OBS=2008-13-12T21:30:00|EXPTIME=60", "'2008-13-12T21:30:00' no es una fecha válida"},
      {"DATE-OBS=2008-08-12T25:30:00|EXPTIME=60", "'2008-08-12T25:30:00' no es una hora válida"},
      {"DATE-OBS=2008-08-12T21:30:00|EXPTIME=sesenta", "'sesenta' no es un valor numérico válido"},
      {"DATE-OBS=31/02/2008|TIME-OBS=21:30:00|EXPTIME=60", "'31/02/2008' no es una fecha válida"},
      {"DATE-OBS=2008-08-12|TIME-OBS=21h30m00s|EXPTIME=60", "'21h30m00s' no es una hora válida"},
      {"DATE-OBS=2008-08-12 21:30|TIME-OBS=21:30:60|EXPTIME=60",
       "'21:30:60' no es una hora válida"},
      {"DATE-OBS=AAAA-BB-CCTDD:EE:FF", "'AAAA-BB-CCTDD:EE:FF' no es una fecha válida"}};
  for (const auto& [cards, message] : cases) {
    const Header header = H(cards);
    const Result<std::string> checked = TryMidExposureDate(LookupIn(header), 0);
    EXPECT_FALSE(checked.ok()) << message;
    EXPECT_EQ(checked.message, message);
    EXPECT_EQ(MidExposureDate(LookupIn(header), 0), "00000000.00000") << message;
  }
}

TEST(DateTimeToDateString, WritesDateAndFiveDecimalsCarryingWholeDays) {
  const struct {
    double t;
    const char* expected;
  } cases[] = {{Date(2008, 8, 12) + 0.896180, "20080812.89618"},
               {Date(2000, 1, 1) + 0.5, "20000101.50000"},
               {Date(2008, 8, 12), "20080812.00000"},
               {Date(2008, 8, 12) + 0.999994, "20080812.99999"},
               {Date(2008, 8, 12) + 0.999996, "20080813.00000"},
               {Date(2008, 12, 31) + 0.9999999, "20090101.00000"},
               {Date(2008, 2, 28) + 0.999999, "20080229.00000"},
               {Date(1850, 6, 1) + 0.25, "18500601.25000"},
               {std::nan(""), "00000000.00000"},
               {1e12, "00000000.00000"}};
  for (const auto& c : cases) EXPECT_EQ(DateTimeToDateString(c.t), c.expected) << c.t;
}

TEST(DateStringToDateTime, ReadsDateAndFractionOrFailsWithItsMessage) {
  EXPECT_DOUBLE_EQ(DateStringToDateTime("20080812.89618"), Date(2008, 8, 12) + 0.89618);
  EXPECT_DOUBLE_EQ(DateStringToDateTime("19000101.00000"), 2.0);
  EXPECT_EQ(DateStringToDateTime("00000000.00000"), 0.0);
  for (const char* text : {"20080812.89618", "20000101.50000", "19991231.99999", "20240229.00001"})
    EXPECT_EQ(DateTimeToDateString(DateStringToDateTime(text)), text);
  for (const char* text :
       {"20081312.50000", "2008081x.50000", "20080812,50000", "20080812.5x000", "", "hoy"}) {
    const Result<double> t = TryDateStringToDateTime(text);
    EXPECT_FALSE(t.ok()) << text;
    EXPECT_EQ(t.message, "'" + std::string(text) + "' no es una fecha válida");
    EXPECT_EQ(DateStringToDateTime(text), 0.0);
  }
}

TEST(DateToJD, JulianDateTextsWithFiveDecimals) {
  const struct {
    const char* mpc;
    const char* jd;
  } cases[] = {{"20000101.50000", "2451545.00000"},
               {"00000000.00000", "0000000.00000"},
               {"20080812.89618", "2454691.39618"},
               {"18991230.00000", "2415018.50000"},
               {"19871004.81000", "2447073.31000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(DateToJD(c.mpc), c.jd) << c.mpc;
    EXPECT_EQ(TryDateToJD(c.mpc).value, c.jd) << c.mpc;
  }
  EXPECT_FALSE(TryDateToJD("2008-08-12").ok());
  EXPECT_EQ(DateToJD("2008-08-12"), "0000000.00000");
}

TEST(SiderealTime, MatchesTheWorkedExamplesOfGreenwichMeanSiderealTime) {
  constexpr double kDegree = std::numbers::pi / 180.0;
  // 1987 April 10 at 0 h UT: 13h10m46.3668s; at 19:21:00 UT: 8h34m57.0896s.
  const double midnight = Date(1987, 4, 10);
  EXPECT_NEAR(SiderealTime(midnight), 197.693195 * kDegree, 2e-8);
  EXPECT_NEAR(SiderealTime(midnight + (19 + 21 / 60.0) / 24.0), 128.7378734 * kDegree, 2e-8);
  // Always brought into 0..2 pi.
  for (double t = Date(1990, 1, 1); t < Date(2030, 1, 1); t += 123.4567) {
    const double theta = SiderealTime(t);
    EXPECT_GE(theta, 0.0);
    EXPECT_LT(theta, 2 * std::numbers::pi);
  }
}

}  // namespace
}  // namespace lumenda
