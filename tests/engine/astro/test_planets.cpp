// Planet positions from the abridged VSOP87 tables, the Sun and the obliquity.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "astro/planets.h"

namespace lumenda {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double AngleGap(double a, double b) {
  const double gap = std::fabs(std::fmod(a - b, kTwoPi));
  return std::min(gap, kTwoPi - gap);
}

struct FullSeriesValue {
  int planet;
  double jd;
  double l, b, r;
  double boundL, boundB, boundR;
};

// The full (untruncated) series at a few dates, written by tools/gen_vsop87.py
// together with the bound of the dropped terms of each planet.
constexpr FullSeriesValue kFullSeries[] = {
#include "vsop87_reference.inc"
};

// The Earth, which the date corrections lean on, is good to a micro-AU.
TEST(PlanetPosition, AbridgedTablesStayWithinTheirTruncationBound) {
  for (const FullSeriesValue& v : kFullSeries) {
    SCOPED_TRACE(std::to_string(v.planet) + " " + std::to_string(v.jd));
    const Spherical p = PlanetPosition(static_cast<Planet>(v.planet), v.jd);
    EXPECT_LE(AngleGap(p.l, v.l), v.boundL);
    EXPECT_NEAR(p.b, v.b, v.boundB);
    EXPECT_NEAR(p.r, v.r, v.boundR);
    if (static_cast<Planet>(v.planet) != Planet::Earth) continue;
    EXPECT_LT(AngleGap(p.l, v.l) * v.r, 1e-6);
    EXPECT_LT(std::fabs(p.b - v.b), 1e-6);
    EXPECT_LT(std::fabs(p.r - v.r), 1e-6);
  }
}

TEST(PlanetPosition, PublishedCheckValuesAtJ2000) {
  // The theory's own check values at JD 2451545.0, where the ecliptic of date
  // is that of J2000; the version B series agree with them to some 1e-8.
  const struct {
    Planet planet;
    double l, b, r;
  } cases[] = {
      {Planet::Mercury, 4.4293481036, -0.0527573409, 0.4664714751},
      {Planet::Venus, 3.1870221833, 0.0569782849, 0.7202129253},
      {Planet::Earth, 1.7519238681, -0.0000039656, 0.9833276819},
      {Planet::Jupiter, 0.6334614186, -0.0205001039, 4.9653813154},
      {Planet::Saturn, 0.7980038761, -0.0401984149, 9.1838483715},
  };
  for (const auto& c : cases) {
    const Spherical p = PlanetPosition(c.planet, 2451545.0);
    const double tolerance = c.planet == Planet::Earth ? 2e-7 : 3e-5;
    EXPECT_NEAR(p.l, c.l, tolerance) << static_cast<int>(c.planet);
    EXPECT_NEAR(p.b, c.b, tolerance) << static_cast<int>(c.planet);
    EXPECT_NEAR(p.r, c.r, tolerance) << static_cast<int>(c.planet);
  }
}

TEST(PlanetPosition, LongitudeInZeroToTwoPiAndTheSunOppositeTheEarth) {
  for (double jd = 2440000.5; jd < 2470000.5; jd += 377.7) {
    for (int planet = 0; planet < 6; ++planet) {
      const double l = PlanetPosition(static_cast<Planet>(planet), jd).l;
      ASSERT_TRUE(l >= 0.0 && l < kTwoPi) << planet << " " << jd;
    }
    const Spherical earth = PlanetPosition(Planet::Earth, jd);
    const Spherical sun = SunPosition(jd);
    EXPECT_NEAR(AngleGap(sun.l, earth.l), std::numbers::pi, 1e-12);
    EXPECT_TRUE(sun.l >= 0.0 && sun.l < kTwoPi) << jd;
    EXPECT_DOUBLE_EQ(sun.b, -earth.b);
    EXPECT_DOUBLE_EQ(sun.r, earth.r);
  }
}

TEST(Obliquity, LaskarPolynomial) {
  constexpr double kArcsecond = std::numbers::pi / 180.0 / 3600.0;
  EXPECT_NEAR(Obliquity(2451545.0), 84381.448 * kArcsecond, 1e-15);
  // 1987 April 10: 23 26 27.407 (worked example of the mean obliquity).
  EXPECT_NEAR(Obliquity(2446895.5), (23 * 3600 + 26 * 60 + 27.407) * kArcsecond, 1e-3 * kArcsecond);
  // One Julian century later: 84381.448 - 46.8093 - 0.000155 + ... arcseconds.
  EXPECT_NEAR(Obliquity(2451545.0 + 36525),
              (84381.448 - 46.8093 - 0.000155 + 0.00199925) * kArcsecond, 1e-6 * kArcsecond);
}

TEST(SphericalRectangular, RoundTripsAndAxes) {
  const Rectangular y = SphericalToRectangular({std::numbers::pi / 2, 0, 2});
  EXPECT_NEAR(y.x, 0, 1e-15);
  EXPECT_NEAR(y.y, 2, 1e-15);
  EXPECT_NEAR(y.z, 0, 1e-15);
  const Spherical back = RectangularToSpherical({0, -1, 1});
  EXPECT_NEAR(back.l, 1.5 * std::numbers::pi, 1e-15);
  EXPECT_NEAR(back.b, std::numbers::pi / 4, 1e-15);
  EXPECT_NEAR(back.r, std::sqrt(2.0), 1e-15);
  const Spherical origin = RectangularToSpherical({0, 0, 0});
  EXPECT_TRUE(origin.l == 0.0 && origin.b == 0.0 && origin.r == 0.0);
  for (double l = 0.1; l < kTwoPi; l += 0.7) {
    for (double b = -1.5; b < 1.5; b += 0.4) {
      const Spherical s = RectangularToSpherical(SphericalToRectangular({l, b, 3.5}));
      EXPECT_NEAR(s.l, l, 1e-12);
      EXPECT_NEAR(s.b, b, 1e-12);
      EXPECT_NEAR(s.r, 3.5, 1e-12);
    }
  }
}

}  // namespace
}  // namespace lumenda
