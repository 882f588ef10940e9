#include "run/star_marking.h"

#include <cmath>

#include "image/find_stars.h"

namespace lumenda {

void RelocateStarFile(const TPlaca& image, const ApertureSettings& aperture,
                      const std::vector<std::string>& starFileLines, const PositionMap& map,
                      std::vector<std::string>& lbVar, std::vector<std::string>& lbCali) {
  RelocateStars(
      starFileLines, map,
      [&](Point p) -> std::optional<Point> {
        const StarMeasurement m = MeasureStar(image, aperture, p.x, p.y);
        if (!std::isfinite(m.x) || !std::isfinite(m.y)) return std::nullopt;
        return Point{m.x, m.y};
      },
      [&](Point p) { return InsideMargin(image, aperture, p.x, p.y); }, lbVar, lbCali);
}

int LocateAllStars(TPlaca& image, const ApertureSettings& aperture, int minAdu, int lsat,
                   double minRsr, std::vector<std::string>& lbVar,
                   const std::vector<std::string>& lbCali, std::string& message) {
  const std::vector<std::string> found = FindStars(image, 0, minAdu, lsat, minRsr, message);
  return AddAutoStars(
      found, image.Width(), image.Height(), aperture.flipX, aperture.flipY,
      [&](Point p) { return InsideMargin(image, aperture, p.x, p.y); }, lbVar, lbCali);
}

}  // namespace lumenda
