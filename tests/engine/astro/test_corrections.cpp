// Heliocentric and barycentric Julian dates.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "astro/coords.h"
#include "astro/time.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// Reference values from astropy 5.2 (Time.light_travel_time, builtin ERFA
// ephemeris, geocentre, JD taken as TDB), rescaled from the exact light time
// of 499.0048 s per AU to the program's 0.005787 d per AU.
struct CorrectionCase {
  double jd;
  const char* ra;
  const char* dec;
  double hjd;
  double bjd;
};
constexpr CorrectionCase kAstropy[] = {
    {2454691.39618, "18 14 13.5", "-37 39 00", 2454691.40001916, 2454691.39999173},
    {2451545.00000, "05 03 07.2", "+05 03 07", 2451545.00490409, 2451545.00487872},
    {2460389.50000, "12 00 00.0", "+89 00 00", 2460389.50011902, 2460389.50011296},
    {2457188.75000, "00 30 00.0", "-60 00 00", 2457188.75133945, 2457188.75134973},
    {2462837.25000, "21 45 30.0", "+12 30 45", 2462837.24946511, 2462837.24945841}};

// The texts are 13 characters and agree with the independent values within
// their rounding (5e-6 d) plus the model's error: 1e-7 d for the Sun from the
// abridged Earth; 1.5e-5 d for the barycentre, where Mars stands on Jupiter's
// position and Neptune on Uranus's (the larger part of that error).
TEST(HeliocentricJD, AgreesWithAstropyRoundedAndUnrounded) {
  for (const CorrectionCase& c : kAstropy) {
    SCOPED_TRACE(std::string(c.ra) + " " + c.dec);
    const std::string jd = FormatFloat("0.00000", c.jd);
    const std::string hjd = HeliocentricJD(jd, c.ra, c.dec);
    const std::string bjd = BarycentricJD(jd, c.ra, c.dec);
    EXPECT_EQ(hjd.size(), 13u) << hjd;
    EXPECT_EQ(bjd.size(), 13u) << bjd;
    EXPECT_NEAR(ParseDouble(hjd).value_or(-1), c.hjd, 5.1e-6) << jd;
    EXPECT_NEAR(ParseDouble(bjd).value_or(-1), c.bjd, 2e-5) << jd;
    const double ra = RATextToDegrees(c.ra).value * kDegree;
    const double dec = DecTextToDegrees(c.dec).value * kDegree;
    EXPECT_NEAR(HeliocentricDate(c.jd, ra, dec), c.hjd, 1e-7);
    EXPECT_NEAR(BarycentricDate(c.jd, ra, dec), c.bjd, 1.5e-5);
  }
}

// Independent low-precision Sun (Meeus, Astronomical Algorithms, ch. 25,
// accurate to 0.01 degrees), its longitude moved from the equinox of date to
// J2000, and the J2000 obliquity.
double LowPrecisionHeliocentric(double jd, double ra, double dec) {
  const double t = (jd - 2451545.0) / 36525.0;
  const double l0 = 280.46646 + 36000.76983 * t + 0.0003032 * t * t;
  const double m = (357.52911 + 35999.05029 * t - 0.0001537 * t * t) * kDegree;
  const double e = 0.016708634 - 0.000042037 * t;
  const double c = (1.914602 - 0.004817 * t - 0.000014 * t * t) * std::sin(m) +
                   (0.019993 - 0.000101 * t) * std::sin(2 * m) + 0.000289 * std::sin(3 * m);
  const double longitude = (l0 + c - 1.397 * t) * kDegree;
  const double nu = m + c * kDegree;
  const double r = 1.000001018 * (1 - e * e) / (1 + e * std::cos(nu));
  const double eps = 23.4392911 * kDegree;
  // Unit vector to the Sun and to the star, both equatorial.
  const double sx = std::cos(longitude);
  const double sy = std::sin(longitude) * std::cos(eps);
  const double sz = std::sin(longitude) * std::sin(eps);
  const double cosine =
      sx * std::cos(dec) * std::cos(ra) + sy * std::cos(dec) * std::sin(ra) + sz * std::sin(dec);
  return jd - 0.005787 * r * cosine;
}

TEST(HeliocentricJD, FollowsAnIndependentSunOverThirtyYears) {
  const double stars[][2] = {{0, 0}, {90, 23.4}, {200, -45}, {275, 66}, {45, -89}};
  for (double jd = 2451545.0; jd < 2462502.0; jd += 37.3) {
    for (const auto& star : stars) {
      const double ra = star[0] * kDegree;
      const double dec = star[1] * kDegree;
      ASSERT_NEAR(HeliocentricDate(jd, ra, dec), LowPrecisionHeliocentric(jd, ra, dec), 2e-6)
          << jd << " " << star[0] << " " << star[1];
    }
  }
}

TEST(BarycentricJD, DiffersFromHeliocentricByTheSunsWobbleOnly) {
  // The Sun stays within about 0.01 AU of the barycentre: 5 s of light time.
  for (double jd = 2451545.0; jd < 2462502.0; jd += 91.7) {
    const double gap = BarycentricDate(jd, 1.0, 0.3) - HeliocentricDate(jd, 1.0, 0.3);
    ASSERT_LT(std::fabs(gap), 0.0099 * 0.005787) << jd;
  }
}

TEST(HeliocentricJD, UnreadableTextsFail) {
  const struct {
    const char* jd;
    const char* ra;
    const char* dec;
    const char* message;
  } cases[] = {
      {"2454691,39618", "18 14 13.5", "-37 39 00",
       "'2454691,39618' no es un valor numérico válido"},
      {"2454691.39618", "1x 14 13.5", "-37 39 00", "'1x 14 13.5' no es una coordenada válida"},
      {"2454691.39618", "18 14 13.5", "", "'' no es una coordenada válida"}};
  for (const auto& c : cases) {
    const Result<std::string> hjd = TryHeliocentricJD(c.jd, c.ra, c.dec);
    const Result<std::string> bjd = TryBarycentricJD(c.jd, c.ra, c.dec);
    EXPECT_FALSE(hjd.ok());
    EXPECT_EQ(hjd.message, c.message);
    EXPECT_EQ(bjd.message, c.message);
    EXPECT_EQ(HeliocentricJD(c.jd, c.ra, c.dec), "");
    EXPECT_EQ(BarycentricJD(c.jd, c.ra, c.dec), "");
  }
}

}  // namespace
}  // namespace lumenda
