// What the light-curve chart shows, computed without a chart: the points of
// the two stars, the moving averages, the trend fit from the marks and the
// texts of an inspected point.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "curves/graph_settings.h"
#include "curves/light_curve.h"
#include "text/result.h"

namespace lumenda {

// One plotted point of a star; `value` absent when the group has none.
struct CurvePoint {
  double x = 0.0;
  std::optional<double> value;
  double error = 0.0;
  std::string label;  // image path of a single-image group
};

// The time base of the chart: ChartDayBase of the first and last grouped
// rows, stored in `curve`, and the caption of the time scale ("HJD_UTC:
// 2454691 +"). Without data rows the base is 0 and the caption bare.
ChartBase SetChartDayBase(LightCurve& curve, const GraphSettings& settings,
                          const SkyPosition& field);

// Plot times (minus the day base) and shifted values of Variable 1 (`star` 1)
// or Variable 2 (`star` 2), one point per grouped row.
std::vector<CurvePoint> StarPoints(const LightCurve& curve, const GraphSettings& settings,
                                   const SkyPosition& field, int star);

// Vertical range of the chart: the smallest and largest value (including the
// error bars when shown) widened by `margin` percent of their span on both sides.
struct Range {
  double low = 0.0;
  double high = 0.0;
};
Range VerticalRange(const std::vector<std::vector<CurvePoint>>& series, bool errorBars, int margin);

// The conditions page: per source row (one per image), its plot time, air
// mass, relative transparency, FWHM, sky background and the drift in X and Y
// of the first comparison star from the first image. Each chart's range is its
// data's range widened by a fifth on both sides.
struct ConditionsSeries {
  std::vector<double> x, airMass, transparency, fwhm, background, driftX, driftY;
};
ConditionsSeries Conditions(const LightCurve& curve, const GraphSettings& settings,
                            const SkyPosition& field);
Range ConditionsRange(const std::vector<double>& values);

struct Segment {
  double x0, y0, x1, y1;
};

// Moving-average segments over windows of `length` consecutive points.
// By date ("Fecha"): a window counts only when all its points have a value and
// span at most 2 hours, and consecutive counting windows are joined when
// their mean times are less than 2 hours apart. "Todo": a counting window is
// joined to the previous one whenever that one had any value.
std::vector<Segment> MovingAverage(const std::vector<CurvePoint>& points, int length, bool byDate);

// A mark of the inclination correction: pixel abscissa (0 = not set) and the
// axis value there.
struct Mark {
  int pixel = 0;
  double value = 0.0;
  bool set() const { return pixel != 0; }
};

struct Trend {
  double slope = 0.0;
  double intercept = 0.0;
};

// "Corregir": checks the marks and fits a line by least squares through the
// values of `points` between marks 1 and 2 and, when mark 3 is set, between
// marks 3 and 4. A fit without a defined slope is refused like an empty one.
Result<Trend> FitTrend(const std::array<Mark, 4>& marks, const std::vector<CurvePoint>& points);

// Texts of the image-data window for a clicked point (grouped row index
// `point`, star 1 or 2).
struct PointInspection {
  std::string starName;
  std::string universalTime;  // "TU: dd/mm/yyyy   hh:nn:ss"
  std::string mpcDate;        // "Fecha MPC: ..."
  std::string julianDate;     // "Fecha Juliana: " + HJD
  std::string value;          // by mode
  std::string folder;         // path up to and including the last separator, or "---"
  std::string fileName;       // after it, or "---"
  std::string imagePath;      // SelectedImagePath ("" when none)
  bool canDelete = false;
};

std::optional<PointInspection> InspectPoint(const LightCurve& curve, const GraphSettings& settings,
                                            const SkyPosition& field, const std::string& starName,
                                            int star, int point);

}  // namespace lumenda
