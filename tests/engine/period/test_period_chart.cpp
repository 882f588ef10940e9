#include <gtest/gtest.h>

#include <cmath>

#include "period/period_chart.h"
#include "synthetic.h"

namespace lumenda {
namespace {

TEST(PeriodogramRange, WholeCurveOrAroundAPeriodWidenedByATwentieth) {
  const Periodogram curve = {{1.0, 0.30}, {1.5, 0.10}, {2.0, 0.50}, {3.0, 0.20}, {4.0, 0.40}};
  EXPECT_EQ(PeriodogramRange(curve), (ChartRange{1.0, 4.0, 0.08, 0.52}));
  // 2 ± 0.1 holds one trial: no spread, nothing added.
  EXPECT_EQ(PeriodogramRangeAround(curve, 2.0), (ChartRange{1.9, 2.1, 0.5, 0.5}));
  // 1.5 ± 0.075 holds none: the whole vertical range.
  const ChartRange empty = PeriodogramRangeAround(curve, 1.6);
  EXPECT_DOUBLE_EQ(empty.xMin, 1.52);
  EXPECT_DOUBLE_EQ(empty.xMax, 1.68);
  EXPECT_DOUBLE_EQ(empty.yMin, 0.08);
  EXPECT_DOUBLE_EQ(empty.yMax, 0.52);
  const ChartRange pair = PeriodogramRangeAround({{0.95, 0.2}, {1.0, 0.1}, {1.2, 0.9}}, 1.0);
  EXPECT_DOUBLE_EQ(pair.yMin, 0.095);
  EXPECT_DOUBLE_EQ(pair.yMax, 0.205);
  EXPECT_EQ(PeriodogramRange({}), ChartRange{});
}

TEST(AxisSettings, SpinPositionsMapToDecimalsIncrementsAndSeparations) {
  const double increments[] = {1, 0.1, 0.001, 0.0001, 0.00001};
  for (int d = 0; d <= 4; ++d) {
    EXPECT_EQ(AxisDecimalPlaces(d), d);
    EXPECT_EQ(HorizontalIncrement(d), increments[d]);
  }
  EXPECT_EQ(AxisDecimalPlaces(9), 4);
  EXPECT_EQ(LabelSeparation(1), 20);
  EXPECT_EQ(LabelSeparation(2), 125);
  EXPECT_EQ(LabelSeparation(3), 500);
}

// The dips of a periodogram built from a sum of narrow wells.
Periodogram Wells(const std::vector<std::pair<double, double>>& wells) {
  Periodogram curve;
  for (double p = 0.1; p <= 3.0; p *= 1.001) {
    double d = 0.05;
    for (auto [centre, depth] : wells)
      d -= depth * std::exp(-std::pow((p - centre) / (0.004 * centre), 2));
    curve.push_back({p, d});
  }
  return curve;
}

TEST(PeriodFamily, SeparateDipsDeepestFirstWithRatiosToTheFamilyBase) {
  // A dip at 0.5 and its multiples, with ripples at the bottom of the deepest.
  Periodogram curve = Wells({{1.0, 0.040}, {0.5, 0.030}, {1.5, 0.020}, {2.0, 0.010}});
  for (PeriodogramPoint& p : curve) {
    if (std::abs(p.Period - 1) < 0.01) p.Dispersion += 0.0005 * std::sin(p.Period * 3000);
  }
  ASSERT_GT(DeepestMinima(curve, 20).size(), 4u);
  const std::vector<PeriodMinimum> family = PeriodFamily(curve, 8);
  ASSERT_EQ(family.size(), 4u);
  const double periods[] = {1.0, 0.5, 1.5, 2.0};
  for (size_t i = 0; i < family.size(); ++i) {
    EXPECT_NEAR(family[i].Period, periods[i], 0.002) << i;
    EXPECT_NEAR(family[i].Ratio, periods[i] / 0.5, 0.01) << i;
  }
  EXPECT_EQ(PeriodFamily(curve, 2).size(), 2u);
  // 0.67 is no whole fraction of the deepest: the deepest is the base.
  const std::vector<PeriodMinimum> alias = PeriodFamily(Wells({{1.0, 0.04}, {0.67, 0.03}}), 5);
  ASSERT_EQ(alias.size(), 2u);
  EXPECT_NEAR(alias[0].Ratio, 1, 1e-12);
  EXPECT_NEAR(alias[1].Ratio, 0.67, 0.002);
  EXPECT_EQ(PeriodMinimumText({1.0, 0.0123456, 2.0}), "1.00000  0.01235  ×2.00");
  // A curve without a dip still has its deepest point.
  const std::vector<PeriodMinimum> falling = PeriodFamily({{1, 0.3}, {2, 0.2}, {3, 0.1}}, 5);
  ASSERT_EQ(falling.size(), 1u);
  EXPECT_EQ(falling[0].Period, 3);
  EXPECT_TRUE(PeriodFamily({}, 5).empty());
}

// Short nights, each centred on its own mean: the statistic ranks 7P first
// (as measured on real nightly files), and the list shows the whole family
// with the true period as the base of the ratios.
TEST(PeriodFamily, NightlyMeansShowTheTrueSignalAmongItsMultiples) {
  test::NightPlan plan;
  plan.period = 0.2391;
  plan.nights = 30;
  plan.nightLength = 0.19;
  plan.pointsPerNight = 40;
  plan.amplitude = 0.2;
  PeriodData data = test::MakeNights(plan);
  SearchState state;
  ASSERT_TRUE(RunPeriodSearch(data, state, MagnitudeMode::kRelative, std::nullopt, std::nullopt,
                              kDialogIncrementIndex)
                  .ok());
  const std::vector<PeriodMinimum> family = PeriodFamily(state.Result, 6);
  ASSERT_EQ(family.size(), 6u);
  EXPECT_NEAR(family[0].Period, 7 * 0.2391, 0.003);
  EXPECT_NEAR(family[1].Period, 0.2391, 0.0003);
  for (const PeriodMinimum& m : family) {
    EXPECT_NEAR(m.Ratio, std::round(m.Ratio), 0.01) << PeriodMinimumText(m);
  }
  EXPECT_NEAR(family[0].Ratio, 7, 0.01);
}

}  // namespace
}  // namespace lumenda
