// Plate solution, horizontal coordinates, air mass and chart read-outs.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "astro/chart_axis.h"
#include "astro/coords.h"
#include "astro/time.h"
#include "text/dates.h"

namespace lumenda {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

TEST(PixelToRADec, ReferencePixelGivesTheReferenceValues) {
  // 18 14 13.5, -37 39 00.
  const PlateSolution plate{.crpix1 = 256.5,
                            .crval1 = 273.55625,
                            .cdelt1 = -0.0005,
                            .crpix2 = 200,
                            .crval2 = -37.65,
                            .cdelt2 = 0.0005};
  // Display position of FITS pixel (256.5, 200): 0-based, and flipped.
  const auto direct = PixelToRADec(plate, 255.5, 199, 511, 399, false, false);
  EXPECT_EQ(direct.first, "18 14 13.5");
  EXPECT_EQ(direct.second, "-37 39 00");
  const auto flipped = PixelToRADec(plate, 511 - 255.5, 399 - 199, 511, 399, true, true);
  EXPECT_EQ(flipped, direct);
}

TEST(PixelToRADec, ScaleRotationAndTheCosineOfTheDeclination) {
  PlateSolution plate{
      .crpix1 = 1, .crval1 = 180, .cdelt1 = -0.001, .crpix2 = 1, .crval2 = 60, .cdelt2 = 0.001};
  // 60 pixels along x: 0.06 degrees of arc, 0.12 degrees of RA at dec 60.
  EXPECT_EQ(PixelToRADec(plate, 60, 0, 99, 99, false, false),
            std::make_pair(FormatRA(180 - 0.12), FormatDec(60)));
  // Rotated by 90 degrees, a step along x moves the declination.
  plate.crota1 = plate.crota2 = 90;
  EXPECT_EQ(PixelToRADec(plate, 60, 0, 99, 99, false, false).second, FormatDec(60.06));
  // Near RA 0 the result stays in 0..24 h.
  plate.crota1 = plate.crota2 = 0;
  plate.crval1 = 0.01;
  plate.crval2 = 0;
  EXPECT_EQ(PixelToRADec(plate, 20, 0, 99, 99, false, false).first, "23 59 57.6");
  // At the pole the right ascension is the reference one, not a division by zero.
  plate.crval2 = 90;
  plate.crval1 = 30;
  EXPECT_EQ(PixelToRADec(plate, 10, 0, 99, 99, false, false),
            std::make_pair(std::string("02 00 00.0"), std::string("+90 00 00")));
}

TEST(EquatorialToHorizontal, VenusOverWashingtonMeridianAndZenith) {
  // Site 77 03 56 W, 38 55 17 N; Venus at 23h09m16.641s, -6 43 11.61 with an
  // hour angle of 64.352133 degrees: azimuth 68.0337 degrees, altitude 15.1249.
  const double lon = (77 + 3 / 60.0 + 56 / 3600.0) * kDegree;
  const double lat = (38 + 55 / 60.0 + 17 / 3600.0) * kDegree;
  const double ra = 347.3193375 * kDegree;
  const double theta = 64.352133 * kDegree + lon + ra;
  const double dec = -(6 + 43 / 60.0 + 11.61 / 3600.0) * kDegree;
  const Horizontal h = EquatorialToHorizontal(theta, lon, lat, ra, dec);
  EXPECT_NEAR(h.azimuth / kDegree, 68.0337, 1e-4);
  EXPECT_NEAR(h.altitude / kDegree, 15.1249, 1e-4);
  // A star on the meridian south of the zenith: azimuth 0 (south), altitude 90 - lat + dec.
  const Horizontal south = EquatorialToHorizontal(1.0, 0.0, 40 * kDegree, 1.0, 10 * kDegree);
  EXPECT_NEAR(south.azimuth, 0.0, 1e-12);
  EXPECT_NEAR(south.altitude / kDegree, 60.0, 1e-9);
  // At the zenith: 90 degrees, not a NaN.
  EXPECT_NEAR(EquatorialToHorizontal(2.0, 0.5, 40 * kDegree, 1.5, 40 * kDegree).altitude / kDegree,
              90.0, 1e-6);
}

TEST(AirMass, KastenAndYoungAtKnownAltitudes) {
  const struct {
    double altitude;
    double airMass;
    double tolerance;
  } cases[] = {{90, 0.99971, 1e-5},
               {60, 1.15399, 1e-5},
               {30, 1.99429, 1e-5},
               {10, 5.58604, 1e-5},
               {0, 37.9196, 1e-4}};
  for (const auto& c : cases)
    EXPECT_NEAR(AirMass(c.altitude * kDegree), c.airMass, c.tolerance) << c.altitude;
  // No value past the formula's horizon: 0, never a NaN.
  for (double altitude : {-6.08, -10.0, -90.0}) EXPECT_EQ(AirMass(altitude * kDegree), 0.0);
  EXPECT_EQ(AirMass(NAN), 0.0);
  // Grows steadily towards the horizon.
  double previous = 0;
  for (double altitude = 90; altitude >= 0; altitude -= 0.5) {
    const double x = AirMass(altitude * kDegree);
    ASSERT_GT(x, previous) << altitude;
    previous = x;
  }
}

TEST(AirMass, OfAFieldFromTheDateAndSite) {
  // The field on the local meridian at the site's latitude is at the zenith.
  const double t = *EncodeDate(2008, 8, 12) + 0.9;
  const double lon = 3.7 * kDegree;
  const double lat = 40.4 * kDegree;
  const double ra = SiderealTime(t) - lon;
  EXPECT_NEAR(FieldAirMass(t, lon, lat, ra, lat), AirMass(std::numbers::pi / 2), 1e-9);
  // Twelve hours of hour angle away it is below the horizon.
  EXPECT_EQ(FieldAirMass(t, lon, lat, ra + std::numbers::pi, -lat), 0.0);
}

TEST(ChartValue, PixelToAxisValues) {
  const ChartAxis horizontal{50, 450, 0, 10, false};
  ChartAxis vertical{20, 220, 8, 12, false};
  const ChartValue x = ChartValueAtX(horizontal, vertical, 250, 100);
  EXPECT_TRUE(x.inside);
  EXPECT_DOUBLE_EQ(x.value, 5);
  // Upright vertical axis: the maximum at the top.
  EXPECT_DOUBLE_EQ(ChartValueAtY(horizontal, vertical, 250, 70).value, 11);
  vertical.inverted = true;  // magnitudes: the minimum at the top
  EXPECT_DOUBLE_EQ(ChartValueAtY(horizontal, vertical, 250, 70).value, 9);
  // Inside means strictly between the ends of both axes.
  const struct {
    double x;
    double y;
    bool inside;
  } cases[] = {{50, 100, false}, {450, 100, false}, {51, 21, true},
               {449, 219, true}, {250, 20, false},  {250, 221, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ChartValueAtX(horizontal, vertical, c.x, c.y).inside, c.inside) << c.x << "," << c.y;
    EXPECT_EQ(ChartValueAtY(horizontal, vertical, c.x, c.y).inside, c.inside) << c.x << "," << c.y;
  }
  // An axis of no length reads its start value and is never inside.
  const ChartAxis flat{100, 100, 3, 4, false};
  const ChartValue degenerate = ChartValueAtX(flat, vertical, 100, 100);
  EXPECT_FALSE(degenerate.inside);
  EXPECT_DOUBLE_EQ(degenerate.value, 3);
}

}  // namespace
}  // namespace lumenda
