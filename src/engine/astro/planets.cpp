#include "astro/planets.h"

#include <cmath>
#include <numbers>

#include "astro/vsop87_tables.h"

namespace lumenda {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kJ2000 = 2451545.0;

double WrapTwoPi(double angle) {
  double wrapped = std::fmod(angle, kTwoPi);
  if (wrapped < 0) wrapped += kTwoPi;
  // fmod of a tiny negative angle can round back up to exactly 2 pi.
  return wrapped >= kTwoPi ? 0.0 : wrapped;
}

double Evaluate(const vsop87::Variable& variable, double t) {
  double sum = 0.0;
  double tPower = 1.0;
  for (int n = 0; n < variable.count; ++n) {
    const vsop87::Series& series = variable.powers[n];
    double s = 0.0;
    for (int i = 0; i < series.count; ++i) {
      const vsop87::Term& term = series.terms[i];
      s += term.a * std::cos(term.b + term.c * t);
    }
    sum += s * tPower;
    tPower *= t;
  }
  return sum;
}

}  // namespace

Spherical PlanetPosition(Planet planet, double jd) {
  const vsop87::PlanetTables& tables = vsop87::kPlanetTables[static_cast<int>(planet)];
  const double t = (jd - kJ2000) / 365250.0;
  return Spherical{WrapTwoPi(Evaluate(tables.l, t)), Evaluate(tables.b, t), Evaluate(tables.r, t)};
}

Spherical SunPosition(double jd) {
  const Spherical earth = PlanetPosition(Planet::Earth, jd);
  return Spherical{WrapTwoPi(earth.l + std::numbers::pi), -earth.b, earth.r};
}

double Obliquity(double jd) {
  const double u = (jd - kJ2000) / 3652500.0;
  static constexpr double kCoefficients[] = {84381.448, -4680.93, -1.55, 1999.25, -51.38, -249.67,
                                             -39.05,    7.12,     27.87, 5.79,    2.45};
  double seconds = 0.0;
  for (int i = 10; i >= 0; --i) seconds = seconds * u + kCoefficients[i];
  return seconds / 3600.0 * std::numbers::pi / 180.0;
}

Rectangular SphericalToRectangular(const Spherical& s) {
  return Rectangular{s.r * std::cos(s.b) * std::cos(s.l), s.r * std::cos(s.b) * std::sin(s.l),
                     s.r * std::sin(s.b)};
}

Spherical RectangularToSpherical(const Rectangular& v) {
  const double planar = std::hypot(v.x, v.y);
  return Spherical{WrapTwoPi(std::atan2(v.y, v.x)), std::atan2(v.z, planar),
                   std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z)};
}

}  // namespace lumenda
