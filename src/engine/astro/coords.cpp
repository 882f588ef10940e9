// Plate solution, horizontal coordinates and air mass.
#include "astro/coords.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "astro/time.h"

namespace lumenda {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

}  // namespace

std::pair<std::string, std::string> PixelToRADec(const PlateSolution& plate, double x, double y,
                                                 int maxX, int maxY, bool flipX, bool flipY) {
  if (flipX) x = maxX - x;
  if (flipY) y = maxY - y;
  const double dx = x + 1 - plate.crpix1;
  const double dy = y + 1 - plate.crpix2;
  const double rho = (plate.crota1 + plate.crota2) / 2.0 * kRadiansPerDegree;
  const double xi = dx * std::cos(rho) - dy * std::sin(rho);
  const double eta = dx * std::sin(rho) + dy * std::cos(rho);
  const double dec = plate.cdelt2 * eta + plate.crval2;
  // At a pole every right ascension is the same place.
  const double cosDec = std::cos(dec * kRadiansPerDegree);
  const double ra =
      std::fabs(cosDec) < 1e-12 ? plate.crval1 : plate.cdelt1 * xi / cosDec + plate.crval1;
  return {FormatRA(ra), FormatDec(dec)};
}

Horizontal EquatorialToHorizontal(double theta, double lon, double lat, double ra, double dec) {
  const double hourAngle = theta - lon - ra;
  double azimuth = std::atan2(std::sin(hourAngle),
                              std::cos(hourAngle) * std::sin(lat) - std::tan(dec) * std::cos(lat));
  if (azimuth < 0) azimuth += 2.0 * std::numbers::pi;
  // Rounding can push the sine a hair past 1 at the zenith.
  const double sine = std::clamp(
      std::sin(lat) * std::sin(dec) + std::cos(lat) * std::cos(dec) * std::cos(hourAngle), -1.0,
      1.0);
  return Horizontal{azimuth, std::asin(sine)};
}

double AirMass(double altitudeRadians) {
  const double zenithDistance = 90.0 - altitudeRadians / kRadiansPerDegree;
  const double base = 96.07995 - zenithDistance;
  if (!(base > 0)) return 0.0;
  const double airMass =
      1.0 / (std::cos(zenithDistance * kRadiansPerDegree) + 0.50572 * std::pow(base, -1.6364));
  return (std::isfinite(airMass) && airMass > 0) ? airMass : 0.0;
}

double FieldAirMass(double t, double lon, double lat, double ra, double dec) {
  return AirMass(EquatorialToHorizontal(SiderealTime(t), lon, lat, ra, dec).altitude);
}

}  // namespace lumenda
