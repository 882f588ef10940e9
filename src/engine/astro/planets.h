// Heliocentric positions of the planets (abridged VSOP87, version B: ecliptic
// and equinox J2000.0), the Sun seen from the Earth and the obliquity.
// Arguments are Julian dates; angles in radians, distances in AU.
#pragma once

namespace lumenda {

enum class Planet { Mercury, Venus, Earth, Jupiter, Saturn, Uranus };

// Ecliptic longitude l (0..2 pi), latitude b and radius r.
struct Spherical {
  double l;
  double b;
  double r;
};

struct Rectangular {
  double x;
  double y;
  double z;
};

// Heliocentric ecliptic coordinates of the planet.
Spherical PlanetPosition(Planet planet, double jd);

// Geometric geocentric Sun: the Earth's longitude + pi, latitude negated,
// same distance.
Spherical SunPosition(double jd);

// Mean obliquity of the ecliptic (Laskar's polynomial), radians.
double Obliquity(double jd);

Rectangular SphericalToRectangular(const Spherical& s);
// Longitude brought into 0..2 pi; the origin gives (0, 0, 0).
Spherical RectangularToSpherical(const Rectangular& v);

}  // namespace lumenda
