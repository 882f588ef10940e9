// lumenda-cli tiempo, run as a user would.
#include <gtest/gtest.h>

#include <string>

#include "astro/coords.h"
#include "cli_runner.h"

namespace {

using lumenda::test::CliRun;
using lumenda::test::Number;
using lumenda::test::Value;

CliRun RunTiempo(const std::string& arguments) {
  return lumenda::test::RunCli("tiempo " + arguments);
}

TEST(CliTiempo, JulianDateAloneOrWithTheSiderealTimeOfASite) {
  const std::pair<const char*, const char*> cases[] = {
      {"20080812.89618", "JD 2454691.39618\n"},
      {"20000101.50000", "JD 2451545.00000\n"},
      {"00000000.00000", "JD 0000000.00000\n"},
      // 1987 April 10, 0 h UT: 13h10m46.3668s.
      {"19870410.00000 --lat '38 55 17 N' --lon '077 03 56 W'",
       "JD 2446895.50000\nTSG 13.179546\n"},
  };
  for (const auto& [arguments, out] : cases) {
    const CliRun run = RunTiempo(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, out);
  }
}

TEST(CliTiempo, FieldAndSiteGiveCorrectionsAltitudeAndAirMass) {
  const CliRun run = RunTiempo(
      "20080812.89618 --ar '18 14 13.5' --dec '-37 39 00' --lat '40 24 00 N' --lon '003 41 00 "
      "W'");
  ASSERT_EQ(run.status, 0) << run.err;
  // astropy: HJD 2454691.400019, BJD 2454691.399992 (the barycentre is good to
  // 1.5e-5 d); sidereal time by the whole-date formula 18.9548353 h; the field
  // sets low in the south-west of Madrid.
  EXPECT_EQ(run.out,
            "JD 2454691.39618\nHJD 2454691.40002\nBJD 2454691.40000\nTSG 18.954835\n"
            "ALTURA 11.6807\nMASA_AIRE 4.83045\n");
}

TEST(CliTiempo, EastLongitudeAndSouthLatitudeAreNegated) {
  // A field whose RA is the local sidereal time of 60 E and whose declination
  // is the site's 30 S stands at the zenith; a wrong sign on either is far off.
  const std::string site = "--lat '30 00 00 S' --lon '060 00 00 E'";
  const double gmst = Number(Value(RunTiempo("20080812.50000 " + site).out, "TSG"));
  ASSERT_GE(gmst, 0.0);
  const std::string ra = lumenda::FormatRA((gmst + 4.0) * 15.0);
  const CliRun run = RunTiempo("20080812.50000 --ar '" + ra + "' --dec '-30 00 00' " + site);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NEAR(Number(Value(run.out, "ALTURA")), 90.0, 0.001) << run.out;
  EXPECT_EQ(Value(run.out, "MASA_AIRE"), "0.99971");
}

TEST(CliTiempo, UnreadableInputsFailWithSpanishMessages) {
  const std::pair<const char*, const char*> cases[] = {
      {"2008-08-12", "'2008-08-12' no es una fecha válida"},
      {"20080812.89618 --ar '18 14 13.5'", "Las coordenadas del campo necesitan --ar y --dec"},
      {"20080812.89618 --lat '40 24 00 N'", "El lugar de observación necesita --lat y --lon"},
      {"20080812.89618 --ar '18 14' --dec '-37 39 00'", "'18 14' no es una coordenada válida"},
      {"20080812.89618 --lat '40 24 00 X' --lon '003 41 00 W'", "Latitud no válida"},
      {"20080812.89618 --lat '40 24 00 N' --lon '200 00 00 W'", "Longitud no válida"},
      {"00000000.00000 --ar '18 14 13.5' --dec '-37 39 00'", "La fecha MPC es nula"},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(arguments);
    const CliRun run = RunTiempo(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
}

}  // namespace
