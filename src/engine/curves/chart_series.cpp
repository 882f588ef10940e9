#include "curves/chart_series.h"

#include <algorithm>
#include <cmath>

#include "curves/curve_formats.h"
#include "run/results_format.h"
#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace {

constexpr double kTwoHours = 1.0 / 12.0;

struct StarColumns {
  Column value;
  int mark;
  Column error;
};

StarColumns ColumnsOf(int star) {
  if (star == 2) return {curve::kValue2, curve::kValue2Mark, curve::kError2};
  return {curve::kValue1, curve::kValue1Mark, curve::kError1};
}

std::optional<double> ValueOf(std::string_view row, const StarColumns& columns) {
  const std::string_view mark = Field(row, {columns.mark, columns.mark});
  if (mark.empty() || mark == " ") return std::nullopt;
  return ParseDouble(Field(row, columns.value));
}

// Grouped row of the `point`-th plotted point of a star: the chart numbers
// only the points that have a value.
int RowOfPoint(const LightCurve& curve, int star, int point) {
  const StarColumns columns = ColumnsOf(star);
  int seen = 0;
  for (size_t i = curve::kHeaderLines; i < curve.GroupedRows.size(); ++i) {
    const std::string& row = curve.GroupedRows[i];
    if (!ValueOf(row, columns)) continue;
    if (seen++ == point) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

ChartBase SetChartDayBase(LightCurve& curve, const GraphSettings& settings,
                          const SkyPosition& field) {
  curve.ChartDayBase = 0;
  if (curve.GroupedRows.size() <= static_cast<size_t>(curve::kHeaderLines))
    return {0, ScaleCaption(settings.scale)};
  const ChartBase base =
      ChartDayBase(settings.scale, Field(curve.GroupedRows[curve::kHeaderLines], curve::kDate),
                   Field(curve.GroupedRows.back(), curve::kDate), field);
  curve.ChartDayBase = base.dayBase;
  return base;
}

std::vector<CurvePoint> StarPoints(const LightCurve& curve, const GraphSettings& settings,
                                   const SkyPosition& field, int star) {
  const StarColumns columns = ColumnsOf(star);
  double shift = star == 2 ? ShiftOf(settings.step2, settings.shift2)
                           : ShiftOf(settings.step1, settings.shift1);
  if (settings.mode == PhotometryMode::kRelative)
    shift = -shift;
  else if (settings.mode != PhotometryMode::kRelativeFlux)
    shift = 0.0;
  std::vector<CurvePoint> points;
  for (size_t i = curve::kHeaderLines; i < curve.GroupedRows.size(); ++i) {
    const std::string& row = curve.GroupedRows[i];
    CurvePoint p;
    p.x = PlotTime(settings.scale, Field(row, curve::kDate), field) - curve.ChartDayBase;
    if (const size_t at = row.find('*'); at != std::string::npos) p.label = row.substr(at + 1);
    if (auto v = ValueOf(row, columns)) {
      p.value = *v + shift;
      p.error = ParseDouble(Field(row, columns.error)).value_or(0.0);
    }
    points.push_back(std::move(p));
  }
  return points;
}

Range VerticalRange(const std::vector<std::vector<CurvePoint>>& series, bool errorBars,
                    int margin) {
  double low = 0.0, high = 0.0;
  bool any = false;
  for (const auto& points : series) {
    for (const CurvePoint& p : points) {
      if (!p.value) continue;
      const double e = errorBars ? p.error : 0.0;
      if (!any || *p.value - e < low) low = *p.value - e;
      if (!any || *p.value + e > high) high = *p.value + e;
      any = true;
    }
  }
  const double m = (high - low) * margin / 100.0;
  return {low - m, high + m};
}

ConditionsSeries Conditions(const LightCurve& curve, const GraphSettings& settings,
                            const SkyPosition& field) {
  namespace r = results;
  ConditionsSeries c;
  const int n = curve.starCount;
  double x0 = 0.0, y0 = 0.0;
  for (size_t i = 0; i < curve.SourceRows.size(); ++i) {
    const std::string& row = curve.SourceRows[i];
    auto number = [&](Column column) { return ParseDouble(Field(row, column)).value_or(0.0); };
    const std::string_view position = Field(row, r::TablePosition(n));
    const double x = ParseDouble(Copy(position, 1, 7)).value_or(0.0);
    const double y = ParseDouble(Copy(position, 10, 7)).value_or(0.0);
    if (i == 0) {
      x0 = x;
      y0 = y;
    }
    c.x.push_back(PlotTime(settings.scale, Field(row, r::kTableDate), field) - curve.ChartDayBase);
    c.airMass.push_back(number(r::TableAirMass(n)));
    c.transparency.push_back(number(r::TableTransp(n)));
    c.fwhm.push_back(number(r::TableFwhm(n)));
    c.background.push_back(number(r::TableFondo(n)));
    c.driftX.push_back(x - x0);
    c.driftY.push_back(y - y0);
  }
  return c;
}

Range ConditionsRange(const std::vector<double>& values) {
  if (values.empty()) return {};
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  const double m = (*high - *low) / 5.0;
  return {*low - m, *high + m};
}

std::vector<Segment> MovingAverage(const std::vector<CurvePoint>& points, int length, bool byDate) {
  std::vector<Segment> segments;
  const int w = std::max(1, length);
  const int n = static_cast<int>(points.size());
  bool prevCounts = false, prevAny = false;
  double prevX = 0.0, prevY = 0.0;
  for (int i = 0; i + w <= n; ++i) {
    int valued = 0;
    double sx = 0.0, sy = 0.0;
    for (int j = i; j < i + w; ++j) {
      if (!points[j].value) continue;
      ++valued;
      sx += points[j].x;
      sy += *points[j].value;
    }
    const bool any = valued > 0;
    bool counts = valued == w;
    if (byDate && counts && points[i + w - 1].x - points[i].x > kTwoHours) counts = false;
    const double x = any ? sx / valued : 0.0;
    const double y = any ? sy / valued : 0.0;
    if (i > 0 && counts) {
      const bool join = byDate ? prevCounts && std::fabs(x - prevX) < kTwoHours : prevAny;
      if (join) segments.push_back({prevX, prevY, x, y});
    }
    prevCounts = counts;
    prevAny = any;
    prevX = x;
    prevY = y;
  }
  return segments;
}

Result<Trend> FitTrend(const std::array<Mark, 4>& marks, const std::vector<CurvePoint>& points) {
  const bool secondInterval = marks[2].set();
  bool valid = marks[0].set() && marks[1].set() && marks[2].set() == marks[3].set() &&
               marks[0].value <= marks[1].value;
  if (valid && secondInterval)
    valid = marks[2].value >= marks[1].value && marks[2].value <= marks[3].value;
  if (!valid) return Result<Trend>::Fail("Error en la selección de puntos");

  std::vector<std::pair<double, double>> chosen;
  for (const CurvePoint& p : points) {
    if (!p.value) continue;
    const bool first = p.x >= marks[0].value && p.x <= marks[1].value;
    const bool second = secondInterval && p.x >= marks[2].value && p.x <= marks[3].value;
    if (first || second) chosen.emplace_back(p.x, *p.value);
  }
  const double n = static_cast<double>(chosen.size());
  double mx = 0.0, my = 0.0;
  for (auto [x, y] : chosen) {
    mx += x;
    my += y;
  }
  // Centred sums: the same line as the textbook formula, without its loss of
  // precision on Julian dates.
  double sxx = 0.0, sxy = 0.0;
  if (n > 0) {
    mx /= n;
    my /= n;
    for (auto [x, y] : chosen) {
      sxx += (x - mx) * (x - mx);
      sxy += (x - mx) * (y - my);
    }
  }
  if (n < 2 || !(sxx > 0.0))
    return Result<Trend>::Fail("Error calculando recta (cantidad=" +
                               IntToStr(static_cast<long long>(chosen.size())) + ")");
  Trend trend;
  trend.slope = sxy / sxx;
  trend.intercept = my - trend.slope * mx;
  return Result<Trend>::Ok(trend);
}

std::optional<PointInspection> InspectPoint(const LightCurve& curve, const GraphSettings& settings,
                                            const SkyPosition& field, const std::string& starName,
                                            int star, int point) {
  const int index = RowOfPoint(curve, star, point);
  if (index < 0) return std::nullopt;
  const std::string& row = curve.GroupedRows[index];
  const StarColumns columns = ColumnsOf(star);
  const double value = ParseDouble(Field(row, columns.value)).value_or(0.0);
  const double error = ParseDouble(Field(row, columns.error)).value_or(0.0);
  const std::string_view date = Field(row, curve::kDate);
  const double t = CalendarOfDate(date);

  PointInspection info;
  info.starName = starName;
  info.universalTime = "TU: " + FormatDate("dd/mm/yyyy", t) + "   " + FormatTime("hh:nn:ss", t);
  info.mpcDate = "Fecha MPC: " + std::string(date);
  info.julianDate = "Fecha Juliana: " + ScaleDateText(TimeScale::kHjd, date, field);
  switch (settings.mode) {
    case PhotometryMode::kRelative:
      info.value = "Magnitud relativa: " + FormatFloat("0.000", value) + " +/- " +
                   FormatFloat("0.000", error);
      break;
    case PhotometryMode::kAbsolute:
      info.value = "Magnitud absoluta: " + FormatFloat("0.000", value) + " +/- " +
                   FormatFloat("0.000", error);
      break;
    case PhotometryMode::kRelativeFlux:
      info.value = "Flujo relativo: " + FormatFloat("0.000", value);
      break;
    case PhotometryMode::kCounts:
      info.value = "Flujo absoluto: " + FormatFloat("0", value);
      break;
  }
  const size_t star_ = row.find('*');
  if (star_ == std::string::npos) {
    info.folder = info.fileName = "---";
    return info;
  }
  info.imagePath = row.substr(star_ + 1);
  const size_t slash = info.imagePath.find_last_of("\\/");
  info.folder = slash == std::string::npos ? "" : info.imagePath.substr(0, slash + 1);
  info.fileName = slash == std::string::npos ? info.imagePath : info.imagePath.substr(slash + 1);
  info.canDelete = !info.imagePath.empty();
  return info;
}

}  // namespace lumenda
