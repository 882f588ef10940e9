#include <gtest/gtest.h>

#include <stop_token>

#include "period/period_session.h"
#include "synthetic.h"
#include "test_support.h"

namespace lumenda {
namespace {

PeriodState OpenedNights(test::TempDir& dir) {
  test::NightPlan plan;
  plan.nightOffsets = {0.0, 0.1, -0.05};
  PeriodState state;
  const Status opened =
      OpenObservations(state, test::WriteNights(test::MakeNights(plan), dir.File(""), false));
  EXPECT_TRUE(opened.ok()) << opened.message;
  return state;
}

// The labels the window shows follow every step of the workflow.
TEST(PeriodSession, WorkflowKeepsTheLabelsInTheState) {
  test::TempDir dir;
  PeriodState state = OpenedNights(dir);
  EXPECT_EQ(state.periodText, FormatFloat("0.00000", state.data.TimeSpan()));
  EXPECT_TRUE(state.search.SearchPending);
  EXPECT_EQ(state.data.StarName, "SINTETICA");
  PhasePicture picture = MakePhasePicture(state, 0);
  EXPECT_EQ(picture.points.size(), state.data.Observations.size());
  EXPECT_EQ(picture.range.xMax, *CurrentPeriod(state));
  EXPECT_EQ(picture.title, "SINTETICA");

  ASSERT_TRUE(BeginSearch(state).ok());
  state.search.MaxPeriod = 0.5;
  const PeriodSearchJob job = MakeSearchJob(state);
  Result<Periodogram> found = SearchPeriods(job);
  ASSERT_TRUE(found.ok());
  ASSERT_TRUE(ApplySearch(state, job, std::move(found.value)).ok());
  ShowPeriodogram(state);
  EXPECT_TRUE(state.periodogramMode);

  PickPeriod(state, PeriodFamily(state.search.Result, 1).front().Period);
  EXPECT_FALSE(state.periodogramMode);
  RefineCurrentPeriod(state);
  EXPECT_NEAR(*CurrentPeriod(state), 0.2371, 0.0003);
  const std::string refined = state.dispersionText;

  // Right then Left by 1E-4 comes back to the refined period, six decimals.
  const std::string period = state.periodText;
  ChangeStep(state, true);
  EXPECT_EQ(state.step, 0.0001);
  state.resultTitle = " - Época";
  ASSERT_TRUE(StepPeriod(state, true));
  EXPECT_TRUE(state.resultTitle.empty());
  ASSERT_TRUE(StepPeriod(state, false));
  EXPECT_EQ(state.periodText, period + "0");
  EXPECT_EQ(state.dispersionText, refined);

  SetPhaseView(state, true);
  const PhaseOriginResult origin = SetOrigin(state, 0.25, 700);
  EXPECT_FLOAT_EQ(state.view.origin, 0.75f);
  EXPECT_EQ(state.resultTitle, origin.resultTitle);
  EXPECT_EQ(MakePhasePicture(state, 10).title, "SINTETICA" + origin.resultTitle);
  EXPECT_FALSE(MakePhasePicture(state, 10).mean.empty());
  const EphemerisInput ephemeris = EphemerisFor(state, -0.25);
  EXPECT_EQ(ephemeris.phaseText, "0.750");
  EXPECT_EQ(ephemeris.periodText, state.periodText);
  EXPECT_EQ(ephemeris.epochText,
            FormatFloat("0.00000", state.data.FirstTime() - 0.75 * *CurrentPeriod(state)));

  // Offsets by hand, then undone.
  ShiftSeriesOffset(state, 1, 0.1);
  EXPECT_EQ(state.data.SeriesOffsets[1], 0.1);
  EXPECT_NE(state.dispersionText, refined);
  ClearSeriesOffsets(state);
  EXPECT_EQ(state.dispersionText, refined);

  // Saved and read back: the same analysis, light-curve view, search pending.
  state.search.SearchPending = false;
  state.step = 0.1;
  ASSERT_TRUE(SavePeriodData(state, dir.File("a.per")).ok());
  PeriodState back;
  back.dispersionText = "0.99999";
  ASSERT_TRUE(RecoverPeriodData(back, dir.File("a.per")).ok());
  EXPECT_EQ(back.periodText, state.periodText);
  EXPECT_EQ(back.dispersionText, state.dispersionText);
  EXPECT_EQ(back.step, 0.00001);
  EXPECT_TRUE(back.search.SearchPending);
  EXPECT_FALSE(back.view.enabled);
  EXPECT_EQ(back.data.Observations.size(), state.data.Observations.size());
}

TEST(PeriodSession, RefusalsLeaveTheStateAsItWas) {
  test::TempDir dir;
  PeriodState state = OpenedNights(dir);
  const std::string period = state.periodText;
  EXPECT_EQ(SetManualPeriod(state, "0.0009").message,
            "El periodo manual no puede ser inferior a 0.001");
  EXPECT_EQ(state.periodText, period);
  lumenda::test::WriteBytes(dir.File("bad.per"), "1\r\nN_VAR\r\n");
  EXPECT_EQ(RecoverPeriodData(state, dir.File("bad.per")).message, "Error en lectura de datos.");
  EXPECT_EQ(state.periodText, period);
  // Left by more than the period keeps it.
  state.step = 10;
  EXPECT_FALSE(StepPeriod(state, false));
  EXPECT_EQ(state.periodText, period);

  SetMagnitudeMode(state, MagnitudeMode::kAbsolute);
  EXPECT_TRUE(state.search.SearchPending);
  // Longer than the data: every point in one cycle, no value.
  ASSERT_TRUE(SetManualPeriod(state, "50.00000").ok());
  SetMagnitudeMode(state, MagnitudeMode::kRelative);
  EXPECT_EQ(state.dispersionText, "No calculado");

  // Files without valid lines leave an empty analysis without a period.
  lumenda::test::WriteBytes(dir.File("vacio.txt"), "nada\r\n");
  EXPECT_EQ(OpenObservations(state, {dir.File("vacio.txt")}).message,
            "No se encontraron datos válidos.");
  EXPECT_FALSE(CurrentPeriod(state));
  EXPECT_TRUE(MakePhasePicture(state, 0).points.empty());
  EXPECT_EQ(BeginSearch(state).message, "No hay observaciones.");
}

// A stop ends the search at its next chunk of trials, whoever asks.
TEST(PeriodSession, StoppedSearchEndsEarlyAndSaysSo) {
  test::TempDir dir;
  PeriodState state = OpenedNights(dir);
  ASSERT_TRUE(BeginSearch(state).ok());
  state.search.IncrementIndex = kDialogIncrementIndex;
  const PeriodSearchJob job = MakeSearchJob(state);
  ASSERT_GT(job.periods.size(), 1000u);
  // Stopped at the first progress: a few chunks of trials at most are done.
  std::stop_source source;
  const Result<Periodogram> stopped = SearchPeriods(
      job, source.get_token(), [&](const ProgressStep&) { source.request_stop(); }, 1);
  EXPECT_TRUE(stopped.Interrupted());
  EXPECT_EQ(stopped.message, "Proceso interrumpido.");
}

}  // namespace
}  // namespace lumenda
