#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "period/phase_diagram.h"
#include "synthetic.h"

namespace lumenda {
namespace {

TEST(SeriesColours, ChosenModuloTwenty) {
  EXPECT_EQ(SeriesColour(24), SeriesColours[4]);
  EXPECT_EQ(SeriesColour(39), SeriesColours[19]);
}

// One observation at t0 and one more at the given phase of P = 1.
std::vector<double> PlottedX(double phase, float origin, float margin) {
  PeriodData data;
  data.Observations = {{2455000.0, 0, 0, 0, 0}, {2455000.0 + phase, 0.5, 0, 0, 0}};
  data.SeriesOffsets = {0};
  std::vector<FoldedPoint> folded = {{2455000.0 + phase, 0.5, 0, 1}};
  std::vector<double> xs;
  for (const PlotPoint& p : PlotPoints(data, folded, 1.0, {true, origin, margin})) {
    EXPECT_EQ(p.time, 2455000.0 + phase);
    EXPECT_EQ(p.y, 0.5);
    xs.push_back(p.x);
  }
  std::sort(xs.begin(), xs.end());
  return xs;
}

TEST(PlotPoints, PhaseViewAddsCopiesInsideTheMargin) {
  struct Case {
    double phase;
    float origin;
    float margin;
    std::vector<double> xs;
  };
  const Case cases[] = {
      {0.1, 0, 0.2f, {0.1, 1.1}},       {0.5, 0, 0.2f, {0.5}},
      {0.9, 0, 0.2f, {-0.1, 0.9}},      {0.0, 0, 0.0f, {0.0}},  // phase 0 at margin 0: drawn once
      {0.5, 0, 1.0f, {-0.5, 0.5, 1.5}}, {0.0, 0, 1.0f, {0.0, 1.0}},  // -1 is not inside the margin
      {0.25, 0.5f, 0.2f, {0.75}},       {0.6, 0.5f, 0.2f, {0.1, 1.1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.phase << " " << c.origin << " " << c.margin);
    std::vector<double> xs = PlottedX(c.phase, c.origin, c.margin);
    ASSERT_EQ(xs.size(), c.xs.size());
    for (size_t i = 0; i < xs.size(); ++i) EXPECT_NEAR(xs[i], c.xs[i], 1e-9);
  }
}

TEST(PlotPoints, DaysViewPlotsFoldedDaysOnce) {
  test::NightPlan plan;
  plan.nights = 3;
  PeriodData data = test::MakeNights(plan);
  std::vector<FoldedPoint> folded = Fold(data, 0.5, MagnitudeMode::kRelative);
  std::vector<PlotPoint> points = PlotPoints(data, folded, 0.5, {});
  ASSERT_EQ(points.size(), data.Observations.size());
  for (size_t i = 0; i < points.size(); ++i) {
    EXPECT_GE(points[i].x, 0);
    EXPECT_LE(points[i].x, 0.5);
    EXPECT_EQ(points[i].series, data.Observations[folded[i].Index].Series);
    // Kept as 15-digit text: well within the 0.000001 d that finds it again.
    EXPECT_NEAR(points[i].time, data.Observations[folded[i].Index].Time, 1e-8);
  }
}

TEST(PhaseMargin, StepsByTenthsWithinZeroAndOne) {
  EXPECT_EQ(ChangePhaseMargin(0, -1), 0.0f);
  EXPECT_EQ(ChangePhaseMargin(1, +1), 1.0f);
  float margin = 0;
  for (int i = 0; i < 10; ++i) margin = ChangePhaseMargin(margin, +1);
  EXPECT_EQ(margin, 1.0f);
  for (int i = 0; i < 8; ++i) margin = ChangePhaseMargin(margin, -1);
  EXPECT_EQ(margin, 0.2f);
  EXPECT_DOUBLE_EQ(ReadoutPhase(-0.2), 0.8);
  EXPECT_DOUBLE_EQ(ReadoutPhase(1.25), 0.25);
  EXPECT_DOUBLE_EQ(ReadoutPhase(0.5), 0.5);
}

std::vector<PlotPoint> Line(const std::vector<double>& ys) {
  std::vector<PlotPoint> points;
  for (size_t i = 0; i < ys.size(); ++i) points.push_back({0.01 * i, ys[i], 2455000.0 + i, 0});
  return points;
}

TEST(RunningMean, AveragesTwoWMinusOnePointsInXOrder) {
  std::vector<PlotPoint> points = Line({-0.1, 0.2, 0.3, -0.4, 0.5});
  std::reverse(points.begin(), points.end());  // the mean sorts them itself
  std::vector<MeanPoint> one = RunningMean(points, 1);
  ASSERT_EQ(one.size(), 5u);
  EXPECT_NEAR(one[0].x, 0, 1e-9);
  EXPECT_NEAR(one[0].y, -0.1, 1e-9);
  EXPECT_NEAR(one[3].y, -0.4, 1e-9);
  std::vector<MeanPoint> two = RunningMean(points, 2);
  ASSERT_EQ(two.size(), 3u);
  EXPECT_NEAR(two[0].x, 0.01, 1e-9);
  EXPECT_NEAR(two[0].y, (-0.1 + 0.2 + 0.3) / 3, 1e-9);
  EXPECT_NEAR(two[2].y, (0.3 - 0.4 + 0.5) / 3, 1e-9);
  EXPECT_EQ(RunningMean(points, 3).size(), 1u);
  EXPECT_TRUE(RunningMean(points, 4).empty());  // fewer than 2w - 1 points
  ValueRange range = VerticalRange(points);
  EXPECT_NEAR(range.min, -0.4 - 0.045, 1e-12);
  EXPECT_NEAR(range.max, 0.5 + 0.045, 1e-12);
}

double DispersionAt(const PeriodData& data, MagnitudeMode mode, double period) {
  return PhaseDispersion(Fold(data, period, mode), period).value;
}

TEST(AdjustSeriesOffsets, BringsShiftedNightsBackTogetherAndAlwaysEnds) {
  test::NightPlan plan;
  plan.nights = 5;
  PeriodData data = test::MakeNights(plan);
  data.SeriesOffsets = {0, 0.12, -0.08, 0.05, -0.15};
  const double before = DispersionAt(data, MagnitudeMode::kAbsolute, plan.period);
  AdjustSeriesOffsets(data, MagnitudeMode::kAbsolute, plan.period, 0.001);
  EXPECT_LT(DispersionAt(data, MagnitudeMode::kAbsolute, plan.period), before * 0.5);
  // One pass, each night against the others as they stand: the spread of
  // 0.27 mag shrinks to a few hundredths.
  auto [lo, hi] = std::minmax_element(data.SeriesOffsets.begin(), data.SeriesOffsets.end());
  EXPECT_LT(*hi - *lo, 0.04);

  // No step or no period: nothing moves.
  const std::vector<double> start = {0.01, -0.02, 0.03, 0, 0};
  for (auto [period, step] : {std::pair{plan.period, 0.0},
                              {plan.period, -0.001},
                              {plan.period, std::nan("")},
                              {0.0, 0.001},
                              {-0.2371, 0.001}}) {
    data.SeriesOffsets = start;
    AdjustSeriesOffsets(data, MagnitudeMode::kRelative, period, step);
    EXPECT_EQ(data.SeriesOffsets, start) << period << " " << step;
  }
  // A night 50 magnitudes away keeps improving step after step: the window
  // stops after its bound of shifts instead of walking there.
  data.SeriesOffsets = {50, 0, 0, 0, 0};
  AdjustSeriesOffsets(data, MagnitudeMode::kRelative, plan.period, 0.001);
  const double moved = 50 - data.SeriesOffsets[0];
  EXPECT_GT(moved, 0.9);
  EXPECT_LE(moved, (kMaxOffsetShifts * 20 + 25) * 0.001 + 1e-9);
}

TEST(DeletePoints, ByClickAndAutomatically) {
  PeriodData data;
  for (int i = 0; i < 30; ++i) {
    data.Observations.push_back({2455000.0 + 0.01 * i, 0.0, 12.0, 0, 0});
  }
  data.Observations.push_back({2455000.0 + 0.01 * 29, 0.0, 12.0, 0, 0});  // same time twice
  data.SeriesOffsets = {0};
  EXPECT_EQ(DeletePointsAt(data, 2455000.29 + 0.0000005), 2);
  EXPECT_EQ(DeletePointsAt(data, 2455000.05 + 0.000002), 0);
  RestoreDeletedPoints(data);
  for (const auto& p : data.Observations) EXPECT_EQ(p.Deleted, 0);

  std::vector<double> ys(31, 0.0);
  ys[15] = 0.03;   // beyond 0.02 of its neighbours' mean
  ys[20] = 0.015;  // within
  ys[3] = 0.5;     // among the first ten: never judged
  std::vector<PlotPoint> points = Line(ys);
  for (size_t i = 0; i < points.size(); ++i) points[i].time = data.Observations[i].Time;
  EXPECT_EQ(AutoDeletePoints(data, points), 1);
  EXPECT_EQ(data.Observations[15].Deleted, 1);
  EXPECT_EQ(data.Observations[20].Deleted, 0);
  EXPECT_EQ(data.Observations[3].Deleted, 0);

  RestoreDeletedPoints(data);
  std::vector<PlotPoint> few(points.begin(), points.begin() + 19);
  few[15].y = 5;
  EXPECT_EQ(AutoDeletePoints(data, few), 0);  // fewer than 20 points
}

}  // namespace
}  // namespace lumenda
