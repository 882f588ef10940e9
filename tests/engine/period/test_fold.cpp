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
}

TEST(FoldTime, BoundariesOfTheCycle) {
  const double t0 = 2455000.3;
  struct Case {
    double time;
    int32_t cycle;
  };
  const double p = 0.1;
  // A time exactly at t0 + P stays at phase 1 in cycle 0.
  const Case cases[] = {
      {t0, 0}, {t0 + p, 0}, {t0 + 0.05, 0}, {(t0 + p) + 0.05, 1}, {(t0 + p) + 0.15, 2}};
  for (const Case& c : cases) {
    FoldedTime expected = SubtractionFold(c.time, t0, p);
    FoldedTime got = FoldTime(c.time, t0, p);
    EXPECT_EQ(got.cycle, c.cycle);
    EXPECT_EQ(expected.cycle, c.cycle);
    EXPECT_EQ(got.time, expected.time);
  }
  // t0 + 2P ends at t0 + P in cycle 1, not at t0 in cycle 2.
  EXPECT_EQ(FoldTime(t0 + 0.25, t0, 0.125).cycle, 1);
  EXPECT_EQ(FoldTime(t0 + 0.25, t0, 0.125).time, t0 + 0.125);
  // Not a period: the time is left alone.
  EXPECT_EQ(FoldTime(t0 + 5, t0, 0).cycle, 0);
  EXPECT_EQ(FoldTime(t0 + 5, t0, -1).time, t0 + 5);
}

TEST(FoldTime, AgreesWithSubtractionOnRealisticTimes) {
  test::Noise noise(7);
  const double t0 = 2459800.61234;
  int compared = 0;
  for (double period : {0.0734567, 0.2371, 0.514333, 1.2358, 9.87654}) {
    for (int i = 0; i < 2000; ++i) {
      const double time = t0 + 40 * noise.Uniform();
      FoldedTime expected = SubtractionFold(time, t0, period);
      FoldedTime got = FoldTime(time, t0, period);
      // Subtracting one period at a time rounds at every step; away from a
      // cycle boundary the two agree on the cycle and to a few microseconds.
      if (std::min(expected.time - t0, t0 + period - expected.time) < 1e-7) continue;
      ++compared;
      ASSERT_EQ(got.cycle, expected.cycle) << time << " " << period;
      ASSERT_NEAR(got.time, expected.time, 1e-7) << time << " " << period;
    }
  }
  EXPECT_GT(compared, 9900);
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
  PeriodData data = test::MakeData(test::MakeNights(plan));
  std::vector<FoldedPoint> folded = Fold(data, 0.6, MagnitudeMode::kRelative);
  ASSERT_EQ(folded.size(), data.Observations.size());
  for (const FoldedPoint& f : folded) EXPECT_EQ(f.Cycle, 0);
  DispersionResult result = PhaseDispersion(folded, 0.6);
  EXPECT_FALSE(result.valid);
  EXPECT_EQ(result.bins, 0);
}

TEST(Fold, UsesModeOffsetsAndLeavesDeletedPointsOut) {
  PeriodData data;
  for (int i = 0; i < 6; ++i) {
    ObservationPoint p;
    p.Time = 2455000.0 + 0.25 * i;
    p.Magnitude = 12 + i;
    p.CentredMagnitude = i;
    p.Series = i % 2;
    data.Observations.push_back(p);
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

// The statistic by the plain route: fold, stable sort by folded time, pass.
DispersionResult PlainDispersion(const PeriodData& data, double period) {
  std::vector<FoldedPoint> points;
  const double t0 = data.FirstTime();
  for (size_t i = 0; i < data.Observations.size(); ++i) {
    const ObservationPoint& p = data.Observations[i];
    if (p.Deleted) continue;
    FoldedTime f = FoldTime(p.Time, t0, period);
    points.push_back({f.time, data.PlotMagnitude(p, MagnitudeMode::kRelative), f.cycle,
                      static_cast<int32_t>(i)});
  }
  std::stable_sort(points.begin(), points.end(), [](const FoldedPoint& a, const FoldedPoint& b) {
    return a.FoldedTime < b.FoldedTime;
  });
  return PhaseDispersion(points, period);
}

TEST(FoldWorkspace, GivesTheSameNumbersAsTheOneOffFold) {
  test::NightPlan plan;
  plan.nightOffsets = {0, 0.1, -0.05};
  PeriodData smooth = test::MakeData(test::MakeNights(plan));
  smooth.Observations[17].Deleted = 1;
  smooth.SeriesOffsets[2] = 0.03;
  // Times on a regular grid pile up at the same phases for periods that
  // are multiples of the spacing: crowded buckets and exact ties.
  PeriodData grid;
  for (int i = 0; i < 3000; ++i) {
    ObservationPoint p;
    p.Time = 2455000.0 + i * 0.0078125;
    p.CentredMagnitude = std::sin(i * 0.37);
    p.Series = i / 1000;
    grid.Observations.push_back(p);
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
      DispersionResult plain = PlainDispersion(*data, period);
      EXPECT_EQ(fast.valid, once.valid);
      EXPECT_EQ(fast.bins, once.bins);
      EXPECT_EQ(fast.value, once.value);
      EXPECT_EQ(fast.bins, plain.bins);
      EXPECT_EQ(fast.value, plain.value);
    }
    EXPECT_FALSE(workspace.Evaluate(0).valid);
    EXPECT_FALSE(workspace.Evaluate(-0.5).valid);
  }
}

}  // namespace
}  // namespace lumenda
