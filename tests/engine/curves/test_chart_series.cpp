#include <gtest/gtest.h>

#include "astro/time.h"
#include "curve_fixture.h"
#include "curves/chart_series.h"
#include "curves/curve_formats.h"
#include "curves/time_scales.h"

namespace lumenda {
namespace {

const SkyPosition kField{"12 34 56.7", "-05 06 07"};  // the fixture's field

TEST(TimeScales, DayBaseAndCaptionForShortAndLongRuns) {
  struct Case {
    TimeScale scale;
    std::string last;
    int base;
    std::string caption;
  };
  const std::string first = "20080812.80000";
  const std::vector<Case> cases = {
      {TimeScale::kGjd, "20080812.95000", 2454691, "GJD_UTC: 2454691 +"},
      {TimeScale::kHjd, "20080812.95000", 2454691, "HJD_UTC: 2454691 +"},
      {TimeScale::kBjd, "20080812.95000", 2454691, "BJD_UTC: 2454691 +"},
      {TimeScale::kMpc, "20080812.95000", 39672, "UTC: 20080812 +"},
      {TimeScale::kDateTime, "20080812.95000", 39672, "UTC: 12/08/2008 +"},
      {TimeScale::kGjd, "20080814.80000", 0, "GJD_UTC"},
      {TimeScale::kMpc, "20080813.90000", 0, "UTC"},
  };
  for (const Case& c : cases) {
    const ChartBase base = ChartDayBase(c.scale, first, c.last, kField);
    EXPECT_EQ(base.dayBase, c.base) << c.caption;
    EXPECT_EQ(base.caption, c.caption);
  }
  EXPECT_DOUBLE_EQ(PlotTime(TimeScale::kGjd, "20000101.50000", kField), 2451545.0);
  EXPECT_EQ(ScaleDateText(TimeScale::kDateTime, "20080812.89618", kField), "12/08/2008 21:30:29");
  EXPECT_EQ(ScaleDateText(TimeScale::kHjd, "20080812.89618", kField),
            HeliocentricJD("2454691.39618", kField.ra, kField.dec));
}

std::vector<CurvePoint> Points(const std::vector<std::pair<double, double>>& xy,
                               const std::vector<int>& missing = {}) {
  std::vector<CurvePoint> points;
  for (size_t i = 0; i < xy.size(); ++i) {
    CurvePoint p;
    p.x = xy[i].first;
    if (std::find(missing.begin(), missing.end(), static_cast<int>(i)) == missing.end())
      p.value = xy[i].second;
    points.push_back(p);
  }
  return points;
}

TEST(MovingAverage, GapsBreakTheCurveByDateButNotInAll) {
  // Six points 10 minutes apart, a gap of 3 hours, then four more.
  std::vector<std::pair<double, double>> xy;
  for (int i = 0; i < 6; ++i) xy.push_back({0.3 + i / 144.0, 1.0 * i});
  for (int i = 0; i < 4; ++i) xy.push_back({0.5 + 0.125 + i / 144.0, 10.0 + i});
  const auto points = Points(xy);
  const auto byDate = MovingAverage(points, 3, true);
  const auto all = MovingAverage(points, 3, false);
  // Windows: 8; those spanning the gap do not count by date.
  EXPECT_EQ(all.size(), 7u);
  EXPECT_EQ(byDate.size(), 3u + 1u);
  EXPECT_DOUBLE_EQ(byDate[0].y0, 1.0);
  EXPECT_DOUBLE_EQ(byDate[0].y1, 2.0);
  EXPECT_DOUBLE_EQ(byDate[0].x0, 0.3 + 1 / 144.0);
  for (const Segment& s : byDate) EXPECT_LT(s.x1 - s.x0, 1.0 / 12);
}

TEST(MovingAverage, WindowsNeedAValueInEveryRow) {
  std::vector<std::pair<double, double>> xy;
  for (int i = 0; i < 6; ++i) xy.push_back({i / 144.0, 1.0 * i});
  const auto points = Points(xy, {3});
  // Windows 0..3; windows 1, 2 and 3 hold the missing row 3.
  EXPECT_EQ(MovingAverage(points, 3, true).size(), 0u);
  // In "Todo" the first counting window after a partial one still joins it.
  EXPECT_EQ(MovingAverage(Points(xy, {0}), 3, false).size(), 3u);
  EXPECT_EQ(MovingAverage(Points(xy, {0}), 3, true).size(), 2u);
  EXPECT_EQ(MovingAverage(points, 1, true).size(), 2u + 1u);
}

Mark M(double value) {
  return {static_cast<int>(value * 100) + 1, value};
}

TEST(TrendFit, MarksAreCheckedAndBothIntervalsFitted) {
  // y = 2x + 1 in [1, 2] and [4, 5]; other points far from the line.
  std::vector<std::pair<double, double>> xy = {{0.5, 50}, {1, 3}, {1.5, 4},  {2, 5},
                                               {3, 70},   {4, 9}, {4.5, 10}, {5, 11}};
  const auto points = Points(xy);
  struct Case {
    const char* name;
    std::array<Mark, 4> marks;
    std::string message;
  };
  const std::string bad = "Error en la selección de puntos";
  const std::vector<Case> cases = {
      {"two intervals", {M(1), M(2), M(4), M(5)}, ""},
      {"first interval", {M(1), M(2), Mark{}, Mark{}}, ""},
      {"mark 3 equal to mark 2", {M(1), M(2), M(2), M(2.5)}, ""},
      {"mark 2 missing", {M(1), Mark{}, Mark{}, Mark{}}, bad},
      {"only mark 3", {M(1), M(2), M(4), Mark{}}, bad},
      {"reversed", {M(2), M(1), Mark{}, Mark{}}, bad},
      {"mark 3 left of 2", {M(1), M(2), M(1.5), M(5)}, bad},
      {"mark 3 right of 4", {M(1), M(2), M(5), M(4)}, bad},
      {"no point", {M(2.2), M(2.8), Mark{}, Mark{}}, "Error calculando recta (cantidad=0)"},
      {"one point", {M(2.8), M(3.2), Mark{}, Mark{}}, "Error calculando recta (cantidad=1)"},
  };
  for (const Case& c : cases) {
    const auto fit = FitTrend(c.marks, points);
    EXPECT_EQ(fit.message, c.message) << c.name;
    if (c.message.empty()) {
      EXPECT_NEAR(fit.value.slope, 2.0, 1e-12) << c.name;
      EXPECT_NEAR(fit.value.intercept, 1.0, 1e-12) << c.name;
    }
  }
}

TEST(TrendFit, PointsAtOneTimeGiveNoLine) {
  const auto points = Points({{1, 3}, {1, 4}, {1, 5}});
  EXPECT_EQ(FitTrend({M(0.5), M(1.5), Mark{}, Mark{}}, points).message,
            "Error calculando recta (cantidad=3)");
}

TEST(ChartPoints, ShiftsApplyInRelativeModesOnly) {
  const auto tables = test::TablesOf(test::NightLines({"11.0"}, {"V1", "CHK"}, test::EvenNight(3)));
  for (PhotometryMode mode :
       {PhotometryMode::kRelative, PhotometryMode::kRelativeFlux, PhotometryMode::kAbsolute}) {
    GraphSettings settings;
    settings.mode = mode;
    settings.var2 = 2;
    const LightCurve curve = test::Build(tables, settings);
    const auto plain = StarPoints(curve, settings, kField, 1);
    settings.shift1 = 3;
    settings.step1 = "0.1";
    const auto shifted = StarPoints(curve, settings, kField, 1);
    const auto second = StarPoints(curve, settings, kField, 2);
    const double expected = mode == PhotometryMode::kRelative       ? -0.3
                            : mode == PhotometryMode::kRelativeFlux ? 0.3
                                                                    : 0.0;
    ASSERT_EQ(shifted.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_NEAR(*shifted[i].value - *plain[i].value, expected, 1e-9);
      EXPECT_NEAR(*second[i].value, *ParseDouble(Field(curve.GroupedRows[2 + i], curve::kValue2)),
                  1e-9);
      EXPECT_EQ(shifted[i].label, "/noche/img" + std::to_string(i) + ".fit");
    }
  }
}

TEST(PointInspection, TextsOfTheClickedGroup) {
  auto rows = test::EvenNight(3);
  rows[0].counts = {0, 20000};  // Variable 1 has no point in the first group
  const auto tables = test::TablesOf(test::NightLines({"11.0"}, {"V1", "CHK"}, rows));
  GraphSettings settings;
  settings.var2 = 2;
  LightCurve curve = test::Build(tables, settings);
  // The first point of Variable 1 is the second group.
  const auto info = InspectPoint(curve, settings, kField, "V1", 1, 0);
  ASSERT_TRUE(info);
  const std::string& row = curve.GroupedRows[3];
  const std::string date(Field(row, curve::kDate));
  EXPECT_EQ(info->mpcDate, "Fecha MPC: " + date);
  EXPECT_EQ(info->universalTime, "TU: 12/08/2008   19:16:59");
  EXPECT_EQ(info->julianDate,
            "Fecha Juliana: " + HeliocentricJD(DateToJD(date), kField.ra, kField.dec));
  EXPECT_EQ(info->value,
            "Magnitud relativa: " + FormatFloat("0.000", *ParseDouble(Field(row, curve::kValue1))) +
                " +/- " + FormatFloat("0.000", *ParseDouble(Field(row, curve::kError1))));
  EXPECT_EQ(info->folder, "/noche/");
  EXPECT_EQ(info->fileName, "img1.fit");
  EXPECT_EQ(info->imagePath, "/noche/img1.fit");
  EXPECT_TRUE(info->canDelete);
  // Variable 2 is measured everywhere: its first point is the first group.
  EXPECT_EQ(InspectPoint(curve, settings, kField, "CHK", 2, 0)->fileName, "img0.fit");
  EXPECT_FALSE(InspectPoint(curve, settings, kField, "V1", 1, 2));

  // A grouped point has no image.
  settings.groupImages = 3;
  settings.mode = PhotometryMode::kCounts;
  ASSERT_TRUE(BuildSourceRows(tables, settings, curve).ok());
  const auto grouped = InspectPoint(curve, settings, kField, "V1", 1, 0);
  EXPECT_EQ(grouped->folder, "---");
  EXPECT_EQ(grouped->fileName, "---");
  EXPECT_FALSE(grouped->canDelete);
  EXPECT_EQ(grouped->value, "Flujo absoluto: " + FormatFloat("0", 51050));
}

TEST(ChartRanges, MarginAndErrorBarsWidenTheVerticalRange) {
  std::vector<CurvePoint> a(2), b(1);
  a[0].value = 1.0;
  a[0].error = 0.5;
  a[1].value = 3.0;
  a[1].error = 0.1;
  b[0].value = 2.0;
  b[0].error = 4.0;
  std::vector<CurvePoint> none(1);  // no value: ignored
  const Range bars = VerticalRange({a, none}, true, 5);
  EXPECT_NEAR(bars.low, 0.5 - 0.13, 1e-12);
  EXPECT_NEAR(bars.high, 3.1 + 0.13, 1e-12);
  const Range plain = VerticalRange({a, b}, false, 50);
  EXPECT_NEAR(plain.low, 0.0, 1e-12);
  EXPECT_NEAR(plain.high, 4.0, 1e-12);
  const Range conditions = ConditionsRange({1.0, 2.0, 1.5});
  EXPECT_NEAR(conditions.low, 0.8, 1e-12);
  EXPECT_NEAR(conditions.high, 2.2, 1e-12);
}

TEST(ChartRanges, ConditionsPerImageWithDrift) {
  auto rows = test::EvenNight(3);
  auto lines = test::NightLines({"11.0"}, {"V1"}, rows);
  // Move the first comparison star of the third image by (+1.5, -2.25).
  std::string& last = lines.back();
  const size_t at = last.find("0100.00  0200.00");
  last.replace(at, 16, "0101.50  0197.75");
  const auto tables = test::TablesOf(lines);
  GraphSettings settings;
  settings.groupImages = 3;  // the conditions are per image, not per group
  const LightCurve curve = test::Build(tables, settings);
  const ConditionsSeries c = Conditions(curve, settings, kField);
  ASSERT_EQ(c.x.size(), 3u);
  EXPECT_NEAR(c.x[1] - c.x[0], 5.0 / 1440, 1e-5);
  EXPECT_NEAR(c.airMass[2], 1.22, 1e-9);
  EXPECT_NEAR(c.fwhm[0], 3.0, 1e-9);
  EXPECT_EQ(c.driftX, (std::vector<double>{0, 0, 1.5}));
  EXPECT_EQ(c.driftY, (std::vector<double>{0, 0, -2.25}));
  EXPECT_NEAR(c.transparency[0] + c.transparency[1] + c.transparency[2], 3.0, 1e-4);
}

}  // namespace
}  // namespace lumenda
