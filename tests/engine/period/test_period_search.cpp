#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stop_token>

#include "period/fold.h"
#include "period/period_search.h"
#include "synthetic.h"
#include "test_support.h"
#include "text/fixed_columns.h"

namespace lumenda {
namespace {

TEST(RangeDialog, CountsTrialPeriodsOnTheGeometricGrid) {
  struct Case {
    const char* min;
    const char* max;
    double increment;
    std::optional<int> count;
  };
  const Case cases[] = {
      {"0.10", "1.00", 1, 4},  // 0.1, 0.2, 0.4, 0.8
      {"0.10", "0.80", 1, 4},  // the maximum itself is a trial
      {"0.10", "0.79", 1, 3},
      {"0.10", "1.00", 0.1, 25},  // 0.1 * 1.1^24 = 0.985
      {"0.10", "0.10", 1, 1},
      {"0.009", "1.00", 1, std::nullopt},
      {"0.10", "0.00", 1, std::nullopt},
      {"abc", "1.00", 1, std::nullopt},
      {"0.10", "", 1, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << " " << c.max << " " << c.increment);
    EXPECT_EQ(CountTrialPeriods(c.min, c.max, c.increment), c.count);
  }
  // The default search on a 9.3-day span: the grid has a constant ratio.
  std::vector<double> periods = TrialPeriods(0.1, 9.3, 0.001);
  EXPECT_EQ(periods.size(), static_cast<size_t>(std::ceil(std::log(93.0) / std::log(1.001))));
  EXPECT_EQ(static_cast<int>(periods.size()), CountTrialPeriods("0.10", "09.30", 0.001));
  EXPECT_EQ(periods.front(), 0.1);
  EXPECT_LE(periods.back(), 9.3);
  EXPECT_GT(periods.back() * 1.001, 9.3);
  for (size_t i = 1; i < periods.size(); ++i) {
    ASSERT_NEAR(periods[i] / periods[i - 1], 1.001, 1e-12);
  }
  EXPECT_TRUE(TrialPeriods(0, 1, 0.1).empty());
}

TEST(RangeDialog, RefusesToCloseOnBadRanges) {
  struct Case {
    const char* min;
    const char* max;
    const char* message;
    RangeField focus;
  };
  const Case cases[] = {
      {"0.10", "01.00", "", RangeField::kNone},
      {"0.00", "01.00", "El periodo mínimo debe ser mayor que 0.", RangeField::kMinimum},
      {"0.00", "00.00", "El periodo mínimo debe ser mayor que 0.", RangeField::kMinimum},
      {"0.10", "00.00", "El periodo máximo debe ser mayor que 0.", RangeField::kMaximum},
      {"0.50", "00.50", "El periodo máximo debe ser mayor que el mínimo.", RangeField::kMinimum},
      {"0.90", "00.50", "El periodo máximo debe ser mayor que el mínimo.", RangeField::kMinimum},
      {" . ", "01.00", "El periodo mínimo debe ser mayor que 0.", RangeField::kMinimum},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.min << " " << c.max);
    RangeCheck check = CheckPeriodRange(c.min, c.max);
    EXPECT_EQ(check.status.message, c.message);
    EXPECT_EQ(check.focus, c.focus);
  }
  EXPECT_EQ(IncrementIndexOf("0.001"), 3);
  EXPECT_EQ(IncrementIndexOf("1"), 0);
  EXPECT_EQ(IncrementIndexOf("0.002"), std::nullopt);
}

PeriodData SmallData(int points, double span) {
  PeriodData data;
  for (int i = 0; i < points; ++i) {
    ObservationPoint p;
    p.Time = 2455000 + span * i / (points - 1);
    p.Series = i % 2;
    p.Magnitude = 10 + p.Series + std::sin(i * 1.7) * 0.1;
    data.Observations.push_back(p);
  }
  for (int s = 0; s < 2; ++s) {
    double sum = 0;
    for (const auto& p : data.Observations) sum += p.Series == s ? p.Magnitude : 0;
    for (auto& p : data.Observations) {
      if (p.Series == s) p.CentredMagnitude = p.Magnitude - sum / (points / 2);
    }
  }
  data.SeriesOffsets = {0, 0};
  return data;
}

TEST(PrepareSearch, AlignsNightsAndChecksTheSpan) {
  SearchState state;
  PeriodData shortData = SmallData(20, 0.019);
  EXPECT_EQ(PrepareSearch(shortData, state).message, "Datos insuficuentes");

  PeriodData longData = SmallData(20, 150);
  state = SearchState{};
  ASSERT_TRUE(PrepareSearch(longData, state).ok());
  EXPECT_EQ(state.MaxPeriod, 99.99);

  PeriodData data = SmallData(40, 3.456);
  double before = 0;
  for (const auto& p : data.Observations) before += p.Magnitude;
  state = SearchState{};
  ASSERT_TRUE(PrepareSearch(data, state).ok());
  EXPECT_NEAR(state.MaxPeriod, 3.456, 1e-9);
  EXPECT_EQ(MinPeriodText(state), "0.10");
  EXPECT_EQ(MaxPeriodText(state), "03.46");
  double after = 0;
  for (const auto& p : data.Observations) {
    after += p.Magnitude;
    // The offset between the two series is gone, the overall level kept.
    EXPECT_NEAR(p.Magnitude - p.CentredMagnitude, before / 40, 1e-12);
  }
  EXPECT_NEAR(after, before, 1e-9);
  PeriodData again = data;
  ASSERT_TRUE(PrepareSearch(again, state).ok());
  for (size_t i = 0; i < data.Observations.size(); ++i) {
    EXPECT_NEAR(again.Observations[i].Magnitude, data.Observations[i].Magnitude, 1e-12);
  }
}

TEST(PrepareSearch, RangeChangesDecideWhetherToSearchAgain) {
  SearchState state;
  state.SearchPending = false;
  state.MinPeriod = 0.1;
  state.MaxPeriod = 3.456;
  state.IncrementIndex = 3;
  ApplyRange(state, "0.10", "03.46", 3);
  EXPECT_FALSE(state.SearchPending);  // same texts: the old periodogram again
  EXPECT_DOUBLE_EQ(state.MaxPeriod, 3.46);
  ApplyRange(state, "0.10", "03.46", 4);
  EXPECT_TRUE(state.SearchPending);
  state.SearchPending = false;
  ApplyRange(state, "0.20", "03.46", 4);
  EXPECT_TRUE(state.SearchPending);
  EXPECT_DOUBLE_EQ(state.MinPeriod, 0.2);
}

TEST(RunPeriodSearch, RefusesInTheWindowsOrder) {
  struct Case {
    bool withData;
    std::optional<std::string> min, max;
    int increment;
    const char* message;
  };
  const Case cases[] = {
      {false, std::nullopt, std::nullopt, 3, "No hay observaciones."},
      {true, "0.00", std::nullopt, 3, "El periodo mínimo debe ser mayor que 0."},
      {true, std::nullopt, std::nullopt, 6, "Incremento no válido."},
      {true, std::nullopt, std::nullopt, 3, "Datos insuficientes."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    PeriodData data = c.withData ? SmallData(60, 1.0) : PeriodData{};
    SearchState state;
    EXPECT_EQ(
        RunPeriodSearch(data, state, MagnitudeMode::kRelative, c.min, c.max, c.increment).message,
        c.message);
  }
}

TEST(GridSearch, ParallelRunEqualsSequentialRunAndStopsWhenAsked) {
  test::NightPlan plan;
  plan.nightOffsets = {0, 0.08, -0.04, 0.02};
  PeriodData data = test::MakeNights(plan);
  std::vector<double> periods = TrialPeriods(0.1, data.TimeSpan(), 0.001);
  long long lastDone = 0;
  size_t calls = 0;
  const Result<Periodogram> one = GridSearch(data, MagnitudeMode::kRelative, periods, {}, {}, 1);
  const Result<Periodogram> many = GridSearch(
      data, MagnitudeMode::kRelative, periods, {},
      [&](const ProgressStep& step) {
        EXPECT_EQ(step.total, static_cast<long long>(periods.size()));
        EXPECT_GE(step.done, lastDone);
        EXPECT_EQ(step.text, FormatFloat("0.00000", step.value));
        lastDone = step.done;
        ++calls;
      },
      3);
  ASSERT_TRUE(one.ok() && many.ok());
  ASSERT_GT(one.value.size(), 1000u);
  ASSERT_EQ(one.value.size(), many.value.size());
  for (size_t i = 0; i < one.value.size(); ++i) {
    ASSERT_EQ(one.value[i].Period, many.value[i].Period) << i;
    ASSERT_EQ(one.value[i].Dispersion, many.value[i].Dispersion) << i;
    if (i > 0) {
      ASSERT_LT(one.value[i - 1].Period, one.value[i].Period);
    }
  }
  EXPECT_EQ(lastDone, static_cast<long long>(periods.size()));
  EXPECT_GT(calls, 1u);

  // A stop asked for at the first report ends the grid: the reporting
  // thread sees it before its next chunk, however far the others got while
  // it waited for a core, and a stopped search keeps the previous
  // periodogram.
  std::stop_source stop;
  long long atStop = -1;
  int reportsAfterStop = 0;
  const Result<Periodogram> stopped = GridSearch(
      data, MagnitudeMode::kRelative, periods, stop.get_token(),
      [&](const ProgressStep& step) {
        if (atStop >= 0) {
          ++reportsAfterStop;
          return;
        }
        atStop = step.done;
        stop.request_stop();
      },
      3);
  EXPECT_TRUE(stopped.Interrupted());
  EXPECT_LT(atStop, static_cast<long long>(periods.size()));
  EXPECT_EQ(reportsAfterStop, 0);
  // One asked for before it starts evaluates nothing.
  bool reported = false;
  EXPECT_TRUE(GridSearch(
                  data, MagnitudeMode::kRelative, periods, stop.get_token(),
                  [&](const ProgressStep&) { reported = true; }, 3)
                  .Interrupted());
  EXPECT_FALSE(reported);
  SearchState state;
  state.Result = one.value;
  ASSERT_TRUE(PrepareSearch(data, state).ok());
  EXPECT_TRUE(FinishSearch(data, state, MagnitudeMode::kRelative, stop.get_token()).Interrupted());
  EXPECT_TRUE(state.SearchPending);
  EXPECT_EQ(state.Result.size(), one.value.size());
}

// The bytes of every value, for test::Digest.
class Digest {
 public:
  template <typename T>
  void Add(const T& value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof(T));
  }
  std::string Text() const { return test::Digest(bytes_); }

 private:
  std::string bytes_;
};

// Periodograms and folded orders pinned to the last bit, as the search gave
// them before it was made faster: the trials, their order of summation and
// the order of points of equal phase must not change.
TEST(GridSearch, PeriodogramsAndFoldsMatchTheirDigests) {
  test::NightPlan plan;
  plan.nightOffsets = {0, 0.08, -0.04, 0.02};
  const PeriodData nights = test::MakeNights(plan);

  plan.nights = 30;
  plan.pointsPerNight = 300;
  plan.nightLength = 0.35;
  PeriodData longRun = test::MakeNights(plan);
  // Offsets of the absolute mode, and deleted points.
  for (size_t s = 0; s < longRun.SeriesOffsets.size(); ++s)
    longRun.SeriesOffsets[s] = 0.01 * static_cast<double>(s % 5);
  for (size_t i = 0; i < longRun.Observations.size(); i += 7) longRun.Observations[i].Deleted = 1;

  // Times on a grid of 1/64 day, out of order: whole-grid periods pile
  // phases up exactly, so many points share a folded time.
  PeriodData grid;
  for (int i = 0; i < 3000; ++i) {
    const int slot = (i * 7919) % 3000;
    const double m = 12 + 0.2 * test::Pulse(slot / 64.0 / 0.3);
    grid.Observations.push_back({2455000.0 + slot / 64.0, m - 12, m, slot / 640, 0});
  }
  grid.SeriesOffsets.assign(5, 0.0);

  struct Case {
    const char* name;
    const PeriodData& data;
    MagnitudeMode mode;
    double increment;
    const char* periodogram;
  };
  const Case cases[] = {
      {"eight nights", nights, MagnitudeMode::kRelative, 0.001, "07b6ab6689dca5ac"},
      {"thirty nights, offsets, deletions", longRun, MagnitudeMode::kAbsolute, 0.01,
       "b25a8185b7df4985"},
      {"grid of times, out of order", grid, MagnitudeMode::kRelative, 0.01, "c1c61870ba7ee1b8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> periods = TrialPeriods(0.1, 20, c.increment);
    for (int k = 1; k <= 64; ++k) periods.push_back(k / 64.0);
    Digest digest;
    const Result<Periodogram> found = GridSearch(c.data, c.mode, periods, {}, {}, 2);
    ASSERT_TRUE(found.ok());
    for (const PeriodogramPoint& p : found.value) {
      digest.Add(p.Period);
      digest.Add(p.Dispersion);
    }
    EXPECT_EQ(digest.Text(), c.periodogram);
  }

  Digest folds;
  for (double period : {0.25, 0.3, 1.0 / 64, 7.0 / 64}) {
    for (const FoldedPoint& p : Fold(grid, period, MagnitudeMode::kRelative)) {
      folds.Add(p.FoldedTime);
      folds.Add(p.PlotMagnitude);
      folds.Add(p.Cycle);
      folds.Add(p.Index);
    }
  }
  EXPECT_EQ(folds.Text(), "8dfc12a209968dc4");
}

TEST(DeepestMinima, ListsLocalMinimaDeepestFirst) {
  Periodogram curve;
  const double values[] = {5, 3, 4, 2, 2, 6, 1, 7, 0.5};
  for (int i = 0; i < 9; ++i) curve.push_back({0.1 * (i + 1), values[i]});
  Periodogram minima = DeepestMinima(curve, 5);
  ASSERT_EQ(minima.size(), 3u);  // the end points are not minima
  EXPECT_DOUBLE_EQ(minima[0].Period, 0.7);
  EXPECT_DOUBLE_EQ(minima[1].Period, 0.4);  // a flat bottom counts once
  EXPECT_DOUBLE_EQ(minima[2].Period, 0.2);
  EXPECT_EQ(DeepestMinima(curve, 1).size(), 1u);
  Periodogram falling{{0.1, 3}, {0.2, 2}, {0.3, 1}};
  ASSERT_EQ(DeepestMinima(falling, 5).size(), 1u);
  EXPECT_DOUBLE_EQ(DeepestMinima(falling, 5)[0].Period, 0.3);
}

TEST(PeriodSearch, FindsTheTruePeriodOnSyntheticNights) {
  struct Case {
    double period;
    std::vector<double> offsets;
    bool oneSeries;  // all nights in one file: the refined deepest dip is within 0.1 %
  };
  const Case cases[] = {
      {0.2371, {}, false},
      {0.2371, {0, 0.15, -0.1, 0.05}, false},
      {0.1613, {0, -0.2, 0.12}, false},
      {0.3047, {0.3, 0, -0.3}, false},
      {0.1877, {}, true},
      {0.2371, {}, true},
      {0.4123, {}, true},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.period << " " << c.oneSeries);
    test::NightPlan plan;
    plan.period = c.period;
    plan.nightOffsets = c.offsets;
    plan.nightLength = std::max(0.8, 3.2 * c.period);
    PeriodData data;
    ASSERT_TRUE(LoadObservationFiles(
                    test::WriteNights(test::MakeNights(plan), dir.path(), c.oneSeries), data)
                    .ok());
    ASSERT_EQ(data.SeriesCount(), c.oneSeries ? 1 : plan.nights);
    SearchState state;
    ASSERT_TRUE(RunPeriodSearch(data, state, MagnitudeMode::kRelative, std::nullopt, std::nullopt,
                                kDialogIncrementIndex)
                    .ok());
    const Periodogram minima = DeepestMinima(state.Result, 5);
    EXPECT_TRUE(std::any_of(minima.begin(), minima.end(), [&](const PeriodogramPoint& m) {
      return std::abs(m.Period - c.period) <= 0.002 * c.period;
    }));
    if (!c.oneSeries) continue;
    PeriodogramPoint deepest = DeepestMinima(state.Result, 1).at(0);
    Refinement refined =
        RefinePeriod(data, MagnitudeMode::kRelative, deepest.Period, deepest.Dispersion);
    EXPECT_NEAR(refined.period, c.period, c.period * 0.001);
    EXPECT_LE(refined.value, deepest.Dispersion);
  }
}

TEST(RefinePeriod, KeepsTheStartOnTiesAndSkipsPeriodsAtOrBelowZero) {
  test::NightPlan plan;
  PeriodData data = test::MakeNights(plan);
  // "---" shown: the first valid trial below 100 is taken, then only
  // strictly better ones.
  Refinement fromNothing = RefinePeriod(data, MagnitudeMode::kRelative, 0.2371, std::nullopt);
  EXPECT_LT(fromNothing.value, 100);
  EXPECT_NEAR(fromNothing.period, 0.2371, 0.001);
  // A start that nothing beats stays.
  Refinement kept = RefinePeriod(data, MagnitudeMode::kRelative, 0.2371, 0.0);
  EXPECT_EQ(kept.period, 0.2371);
  EXPECT_EQ(kept.value, 0.0);
  // Around a tiny period half the scan lies at or below zero.
  Refinement tiny = RefinePeriod(data, MagnitudeMode::kRelative, 0.0004, std::nullopt);
  EXPECT_GT(tiny.period, 0);
}

TEST(ManualPeriod, ChecksDataAndLowerBound) {
  PeriodData none;
  EXPECT_EQ(CheckManualPeriod(none, "01.00000").message, "No hay observaciones.");
  PeriodData data = SmallData(20, 1);
  EXPECT_EQ(CheckManualPeriod(data, "00.00099").message,
            "El periodo manual no puede ser inferior a 0.001");
  EXPECT_EQ(CheckManualPeriod(data, "00.00100").value, 0.001);
  EXPECT_EQ(CheckManualPeriod(data, "01.50000").value, 1.5);
  EXPECT_FALSE(CheckManualPeriod(data, "  .     ").ok());
}

TEST(ArrowKeys, StepsAndPeriodChanges) {
  // Up to the largest step and down to the smallest, each ending held.
  const char* texts[] = {"(0.0001)", "(0.001)",  "(0.01)", "(0.1)", "(1)",
                         "(10)",     "(10)",     "(1)",    "(0.1)", "(0.01)",
                         "(0.001)",  "(0.0001)", "(1E-5)", "(1E-5)"};
  double step = 0.00001;
  EXPECT_EQ(StepText(step), "(1E-5)");
  for (size_t i = 0; i < std::size(texts); ++i) {
    step = i < 7 ? StepUp(step) : StepDown(step);
    EXPECT_EQ(StepText(step), texts[i]) << i;
  }
  EXPECT_EQ(StepRight(0.5, 0.001), 0.501);
  EXPECT_EQ(StepLeft(0.5, 0.001), 0.499);
  EXPECT_EQ(StepLeft(0.5, 1), std::nullopt);  // a step larger than the period
  EXPECT_EQ(StepLeft(0.5, 0.5), std::nullopt);
  EXPECT_EQ(StepRight(-2, 1), std::nullopt);
  EXPECT_EQ(StepRight(0.1234567, 0.00001), 0.123467);  // the label shows six decimals
}

// The search on published light curves with known periods.
// The published files count days from an offset; the reader takes Julian
// dates only, so the offset is added back when writing its input.
std::string WriteObservationFile(const std::string& source, double dayOffset,
                                 const std::string& target) {
  std::optional<std::vector<std::string>> lines = ReadTextLines(source);
  EXPECT_TRUE(lines.has_value()) << source;
  std::vector<std::string> out{"Estrella HJD MAG"};
  for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
    std::string text = Trim(line);
    size_t blank = text.find(' ');
    if (text.empty() || blank == std::string::npos) continue;
    std::optional<double> time = ParseDouble(text.substr(0, blank));
    std::string rest = Trim(text.substr(blank));
    std::optional<double> magnitude = ParseDouble(rest.substr(0, rest.find(' ')));
    if (!time || !magnitude) continue;
    out.push_back(FormatFloat("0.000000", *time + dayOffset) + " " +
                  FormatFloat("0.0000", *magnitude));
  }
  lumenda::test::WriteBytes(target, JoinLines(out));
  return target;
}

TEST(RealLightCurves, FindsTheKnownPeriods) {
  LUMENDA_REQUIRE_REAL_DATA();
  const std::string dir = test::RealDataDir() + "period-search-lightcurves/";
  struct Case {
    const char* file;
    double offset;
    double period;
    double tolerance;  // of the refined period, days
  };
  const Case cases[] = {
      // RR Lyrae V6 in M3: 211 points over 45 days.
      {"vartools_M3.V006.lc", 2450000, 0.514333, 0.0002},
      // Published estimates of the second star spread from 1.2344 to 1.2358 d.
      {"vartools_EXAMPLES_2.txt", 2400000, 1.2351, 0.0015},
  };
  test::TempDir temp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    PeriodData data;
    Status loaded = LoadObservationFiles(
        {WriteObservationFile(dir + c.file, c.offset, temp.File("obs.txt"))}, data);
    ASSERT_TRUE(loaded.ok()) << loaded.message;
    SearchState state;
    Status searched = RunPeriodSearch(data, state, MagnitudeMode::kRelative, std::nullopt,
                                      std::nullopt, kDialogIncrementIndex);
    ASSERT_TRUE(searched.ok()) << searched.message;
    Periodogram minima = DeepestMinima(state.Result, 5);
    ASSERT_FALSE(minima.empty());
    // The deepest dip is the true period (the grid steps by 0.1 %), and the
    // refinement from its shown value lands on it.
    EXPECT_NEAR(minima[0].Period, c.period, c.period * 0.002);
    const double start = *ParseDouble(FormatFloat("0.00000", minima[0].Period));
    Refinement refined = RefinePeriod(data, MagnitudeMode::kRelative, start, std::nullopt);
    EXPECT_NEAR(refined.period, c.period, c.tolerance);
    EXPECT_LE(refined.value, minima[0].Dispersion);
  }
}

}  // namespace
}  // namespace lumenda
