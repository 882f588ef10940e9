#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "period/fold.h"
#include "synthetic.h"

namespace lumenda {
namespace {

// Folding as first described: one period at a time.
FoldedTime SubtractionFold(double time, double t0, double period) {
  int32_t k = 0;
  while (time > t0 + period) {
    time -= period;
    ++k;
  }
  return {time, k};
}

TEST(FoldTime, MatchesSubtractionExactlyOnEdgeValues) {
  // Dyadic periods and offsets keep every subtraction exact, so both ways
  // must agree to the last bit, boundaries included.
  const double t0 = 2455000.0;
  const double tiny = std::ldexp(1.0, -20);
  for (double period : {0.125, 0.25, 0.5, 1.0, 3.0, 7.5}) {
    for (int m = 0; m <= 60; ++m) {
      for (double delta : {0.0, tiny, -tiny, period / 2}) {
        const double time = t0 + m * period + delta;
        if (time < t0) continue;
        SCOPED_TRACE(testing::Message() << "P=" << period << " m=" << m << " d=" << delta);
        FoldedTime expected = SubtractionFold(time, t0, period);
        FoldedTime got = FoldTime(time, t0, period);
        EXPECT_EQ(got.cycle, expected.cycle);
        EXPECT_EQ(got.time, expected.time);
        EXPECT_GE(got.time, t0);
        EXPECT_LE(got.time, t0 + period);
      }
    }
  }
  // A non-dyadic period: a time computed as t0 + P stays at phase 1 in cycle 0.
  const double p = 0.1;
  for (auto [time, cycle] : {std::pair{t0 + p, 0}, {(t0 + p) + 0.05, 1}, {(t0 + p) + 0.15, 2}}) {
    EXPECT_EQ(FoldTime(time, t0, p).cycle, cycle) << time;
    EXPECT_EQ(FoldTime(time, t0, p).time, SubtractionFold(time, t0, p).time) << time;
  }
  // Not a period: the time is left alone.
  EXPECT_EQ(FoldTime(t0 + 5, t0, 0).cycle, 0);
  EXPECT_EQ(FoldTime(t0 + 5, t0, -1).time, t0 + 5);
}

// Builds folded points by hand: pairs of points from two cycles.
std::vector<FoldedPoint> Pairs(int pairs, double t0, bool mixed) {
  std::vector<FoldedPoint> points;
  for (int b = 0; b < pairs; ++b) {
    points.push_back({t0 + b * 0.02, 0.0, 0, 0});
    points.push_back({t0 + b * 0.02 + 0.01, 0.2, mixed ? 1 : 0, 0});  // exactly at x0 + w
  }
  return points;
}

TEST(PhaseDispersion, CountsOnlyClosedMixedBinsAndNeedsMoreThanForty) {
  const double t0 = 2455000.0;
  const double binValue = std::sqrt(0.01 + 0.000001);
  struct Case {
    int pairs;
    bool mixed;
    bool valid;
    int bins;
  };
  // P = 1, w = 0.01: every pair is one bin; the last bin stays open and is
  // not evaluated.
  const Case cases[] = {
      {42, true, true, 41}, {41, true, false, 40}, {43, true, true, 42}, {80, false, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pairs);
    DispersionResult result = PhaseDispersion(Pairs(c.pairs, t0, c.mixed), 1.0);
    EXPECT_EQ(result.valid, c.valid);
    EXPECT_EQ(result.bins, c.bins);
    if (c.valid) {
      EXPECT_NEAR(result.value, binValue, 1e-12);
    } else {
      EXPECT_EQ(result.value, 0);
    }
  }
  EXPECT_FALSE(PhaseDispersion({}, 1.0).valid);
}

TEST(PhaseDispersion, SpanShorterThanThePeriodGivesNoMixedBin) {
  test::NightPlan plan;
  plan.nights = 1;
  plan.nightLength = 0.5;
  std::vector<FoldedPoint> folded = Fold(test::MakeNights(plan), 0.6, MagnitudeMode::kRelative);
  ASSERT_EQ(folded.size(), 100u);
  for (const FoldedPoint& f : folded) EXPECT_EQ(f.Cycle, 0);
  EXPECT_EQ(PhaseDispersion(folded, 0.6).bins, 0);
  EXPECT_FALSE(PhaseDispersion(folded, 0.6).valid);
}

TEST(Fold, UsesModeOffsetsAndLeavesDeletedPointsOut) {
  PeriodData data;
  for (int i = 0; i < 6; ++i) {
    data.Observations.push_back({2455000.0 + 0.25 * i, 1.0 * i, 12.0 + i, i % 2, 0});
  }
  data.SeriesOffsets = {0, 0.5};
  data.Observations[2].Deleted = 1;
  std::vector<FoldedPoint> relative = Fold(data, 0.5, MagnitudeMode::kRelative);
  std::vector<FoldedPoint> absolute = Fold(data, 0.5, MagnitudeMode::kAbsolute);
  ASSERT_EQ(relative.size(), 5u);
  // Folded times: 0, .25, (.5 deleted), .75->.25, 1->.5, 1.25->.25; sorted,
  // equal times in observation order.
  const int expectedIndex[] = {0, 1, 3, 5, 4};
  const double expectedTime[] = {0, 0.25, 0.25, 0.25, 0.5};
  const int expectedCycle[] = {0, 0, 1, 2, 1};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(relative[i].Index, expectedIndex[i]);
    EXPECT_EQ(relative[i].FoldedTime, 2455000.0 + expectedTime[i]);
    EXPECT_EQ(relative[i].Cycle, expectedCycle[i]);
    const int k = expectedIndex[i];
    const double offset = k % 2 ? 0.5 : 0.0;
    EXPECT_EQ(relative[i].PlotMagnitude, k + offset);
    EXPECT_EQ(absolute[i].PlotMagnitude, 12 + k + offset);
  }
  EXPECT_TRUE(Fold(data, 0, MagnitudeMode::kRelative).empty());
}

TEST(FoldWorkspace, GivesTheSameNumbersAsTheOneOffFold) {
  test::NightPlan plan;
  plan.nightOffsets = {0, 0.1, -0.05};
  PeriodData smooth = test::MakeNights(plan);
  smooth.Observations[17].Deleted = 1;
  smooth.SeriesOffsets[2] = 0.03;
  // Times on a regular grid pile up at the same phases for periods that
  // are multiples of the spacing: crowded buckets and exact ties.
  PeriodData grid;
  for (int i = 0; i < 3000; ++i) {
    grid.Observations.push_back({2455000.0 + i * 0.0078125, std::sin(i * 0.37), 0, i / 1000, 0});
  }
  grid.SeriesOffsets = {0, 0, 0};
  // A hand-edited period data file may hold its points out of time order.
  PeriodData shuffled = smooth;
  for (size_t i = 0; i + 7 < shuffled.Observations.size(); i += 7) {
    std::swap(shuffled.Observations[i], shuffled.Observations[i + 5]);
  }
  for (const PeriodData* data : {&smooth, &grid, &shuffled}) {
    FoldWorkspace workspace(*data, MagnitudeMode::kRelative);
    for (double period : {0.0625, 0.1, 0.125, 0.2371, 0.25, 0.4742, 1.0, 2.5}) {
      SCOPED_TRACE(period);
      DispersionResult fast = workspace.Evaluate(period);
      DispersionResult once =
          PhaseDispersion(Fold(*data, period, MagnitudeMode::kRelative), period);
      EXPECT_EQ(fast.valid, once.valid);
      EXPECT_EQ(fast.bins, once.bins);
      EXPECT_EQ(fast.value, once.value);
    }
    EXPECT_FALSE(workspace.Evaluate(0).valid);
    EXPECT_FALSE(workspace.Evaluate(-0.5).valid);
  }
}

}  // namespace
}  // namespace lumenda
