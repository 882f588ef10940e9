#include "run/star_marking.h"

#include <cmath>

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

}  // namespace lumenda
