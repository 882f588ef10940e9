// lumenda-cli tiempo, run as a user would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "astro/coords.h"
#include "cli_runner.h"
#include "test_support.h"
#include "text/number_format.h"

namespace {

using TimeRun = lumenda::test::CliRun;

TimeRun RunTiempo(const std::string& arguments) {
  return lumenda::test::RunCli("tiempo " + arguments);
}

// Value of the line "NAME value", or "" when absent.
std::string Value(const std::string& out, const std::string& name) {
  const std::string key = name + " ";
  for (size_t start = 0; start < out.size();) {
    const size_t end = out.find('\n', start);
    const std::string line = out.substr(start, end - start);
    if (line.rfind(key, 0) == 0) return line.substr(key.size());
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

double Number(const std::string& text) {
  const auto value = lumenda::ParseDouble(text);
  return value ? *value : -1e300;
}

TEST(CliTiempo, JulianDateAlone) {
  const TimeRun run = RunTiempo("20080812.89618");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "JD 2454691.39618\n");
  EXPECT_EQ(RunTiempo("20000101.50000").out, "JD 2451545.00000\n");
  EXPECT_EQ(RunTiempo("00000000.00000").out, "JD 0000000.00000\n");
}

TEST(CliTiempo, SiteGivesGreenwichSiderealTime) {
  // 1987 April 10, 0 h UT: 13h10m46.3668s.
  const TimeRun run = RunTiempo("19870410.00000 --lat '38 55 17 N' --lon '077 03 56 W'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "JD 2446895.50000\nTSG 13.179546\n");
}

TEST(CliTiempo, FieldAndSiteGiveCorrectionsAltitudeAndAirMass) {
  const TimeRun run = RunTiempo(
      "20080812.89618 --ar '18 14 13.5' --dec '-37 39 00' --lat '40 24 00 N' --lon '003 41 00 "
      "W'");
  ASSERT_EQ(run.status, 0) << run.err;
  // One "NAME value" per line, in this order.
  const char* names[] = {"JD", "HJD", "BJD", "TSG", "ALTURA", "MASA_AIRE"};
  size_t start = 0;
  for (const char* name : names) {
    EXPECT_EQ(run.out.compare(start, std::string(name).size() + 1, std::string(name) + " "), 0)
        << name << " in\n"
        << run.out;
    start = run.out.find('\n', start) + 1;
  }
  EXPECT_EQ(start, run.out.size());
  // astropy: HJD 2454691.400019, BJD 2454691.399992 (light time rescaled to
  // 500 s per AU); the barycentre is good to 1.5e-5 d.
  EXPECT_EQ(Value(run.out, "HJD"), "2454691.40002");
  EXPECT_EQ(Value(run.out, "BJD").size(), 13u);
  EXPECT_NEAR(Number(Value(run.out, "BJD")), 2454691.399992, 2e-5);
  // Greenwich mean sidereal time by the whole-date formula: 18.9548353 h.
  EXPECT_EQ(Value(run.out, "TSG"), "18.954835");
  // The field sets low in the south-west of Madrid.
  EXPECT_NEAR(Number(Value(run.out, "ALTURA")), 11.68, 0.01);
  EXPECT_NEAR(Number(Value(run.out, "MASA_AIRE")), 4.830, 0.002);
}

TEST(CliTiempo, WorkedExampleOfVenusOverWashington) {
  // Altitude 15.1249 degrees with the apparent sidereal time; the mean one
  // used here lowers it by under 0.001 degrees. Kasten and Young: 3.7830.
  const TimeRun run = RunTiempo(
      "19870410.80625 --ar 23:09:16.641 --dec -6d43m11.61s --lat '38 55 17 N' --lon '77 03 56 W'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NEAR(Number(Value(run.out, "ALTURA")), 15.1249, 0.0012);
  EXPECT_EQ(Value(run.out, "ALTURA").size(), 7u);
  EXPECT_NEAR(Number(Value(run.out, "MASA_AIRE")), 3.7830, 0.001);
  EXPECT_EQ(Value(run.out, "MASA_AIRE").size(), 7u);
}

TEST(CliTiempo, CoordinateFormsGiveTheSameCorrections) {
  const std::string blanks = RunTiempo("20080812.89618 --ar '18 14 13.5' --dec '-37 39 00'").out;
  const std::string letters = RunTiempo("20080812.89618 --ar 18h14m13.5s --dec -37d39m00s").out;
  const std::string colons = RunTiempo("20080812.89618 --ar 18:14:13.5 --dec -37:39:00").out;
  EXPECT_NE(Value(blanks, "HJD"), "");
  EXPECT_EQ(blanks, letters);
  EXPECT_EQ(blanks, colons);
}

TEST(CliTiempo, EastLongitudeAndSouthLatitudeAreNegated) {
  // A field whose RA is the local sidereal time of 60 E and whose declination
  // is the site's 30 S stands at the zenith; a wrong sign on either is far off.
  const std::string site = "--lat '30 00 00 S' --lon '060 00 00 E'";
  const double gmst = Number(Value(RunTiempo("20080812.50000 " + site).out, "TSG"));
  ASSERT_GE(gmst, 0.0);
  const std::string ra = lumenda::FormatRA((gmst + 4.0) * 15.0);
  const TimeRun run = RunTiempo("20080812.50000 --ar '" + ra + "' --dec '-30 00 00' " + site);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NEAR(Number(Value(run.out, "ALTURA")), 90.0, 0.001) << run.out;
  EXPECT_EQ(Value(run.out, "MASA_AIRE"), "0.99971");
}

TEST(CliTiempo, UnreadableInputsFailWithSpanishMessages) {
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"2008-08-12", "'2008-08-12' no es una fecha válida"},
      {"20080812.89618 --ar '18 14 13.5'", "Las coordenadas del campo necesitan --ar y --dec"},
      {"20080812.89618 --lat '40 24 00 N'", "El lugar de observación necesita --lat y --lon"},
      {"20080812.89618 --ar '18 14' --dec '-37 39 00'", "'18 14' no es una coordenada válida"},
      {"20080812.89618 --lat '40 24 00 X' --lon '003 41 00 W'", "Latitud no válida"},
      {"20080812.89618 --lat '40 24 00 N' --lon '200 00 00 W'", "Longitud no válida"},
      {"00000000.00000 --ar '18 14 13.5' --dec '-37 39 00'", "La fecha MPC es nula"},
  };
  for (const auto& c : cases) {
    const TimeRun run = RunTiempo(c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
  }
}

}  // namespace
