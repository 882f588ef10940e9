// Long work as the desktop runs it: on a worker thread, its progress read on
// another thread, a stop asked for in the middle. `make tsan` runs these
// under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "../period/synthetic.h"
#include "run/photometry_run.h"
#include "run/run_pipeline.h"
#include "session_fixture.h"
#include "test_support.h"

namespace lumenda {
namespace {

using namespace std::chrono_literals;

// Reads the mailbox the way a window's timer does, until the work is done.
std::vector<ProgressStep> DrainUntil(ProgressMailbox& mailbox, const std::atomic<bool>& done) {
  std::vector<ProgressStep> seen;
  for (;;) {
    const bool last = done.load();
    for (ProgressLine line : {ProgressLine::kOverall, ProgressLine::kItem, ProgressLine::kStage})
      if (auto step = mailbox.Take(line)) seen.push_back(*step);
    if (last) return seen;
    std::this_thread::sleep_for(1ms);
  }
}

// A sample night of `images` images in `dir`, set up as a user would.
void PrepareNight(const test::TempDir& dir, int images, Session& session) {
  ASSERT_TRUE(WriteSampleNight(dir.File("noche"), images, 1).ok());
  test::PrepareSampleSession(session, dir.File("user/"), dir.File("noche/"), images);
}

TEST(Concurrency, ImageListingStopsWhenAskedFromAnotherThread) {
  test::TempDir dir;
  ASSERT_TRUE(WriteSampleNight(dir.File("noche"), 3, 1).ok());
  const std::vector<std::string> paths = test::SampleNightPaths(dir.File("noche/"), 3);

  // The worker waits at its second file until the stop has been asked for,
  // so the stop lands in the middle whatever the speed of the machine.
  std::mutex mutex;
  std::condition_variable wake;
  bool stopAsked = false;
  ProgressMailbox mailbox;
  std::stop_source stop;
  std::atomic<bool> done{false};
  Result<std::vector<ImageListItem>> result;
  std::thread worker([&] {
    result = ListImages(paths, 0, stop.get_token(), [&](const ProgressStep& step) {
      mailbox.Post(step);
      if (step.done == 2) {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return stopAsked; });
      }
    });
    done = true;
  });
  for (;;) {
    auto step = mailbox.Take(ProgressLine::kOverall);
    if (step && step->done >= 2) break;
    std::this_thread::sleep_for(1ms);
  }
  stop.request_stop();
  {
    std::lock_guard lock(mutex);
    stopAsked = true;
  }
  wake.notify_all();
  worker.join();
  EXPECT_TRUE(result.Interrupted());
  EXPECT_EQ(result.message, kInterruptedText);
  EXPECT_TRUE(result.value.empty());
}

TEST(Concurrency, RunOnAWorkerReportsEveryImageToAnotherThread) {
  test::TempDir dir;
  constexpr int kImages = 5;
  Session session;
  PrepareNight(dir, kImages, session);

  ProgressMailbox mailbox;
  std::atomic<bool> done{false};
  Result<RunResult> result;
  std::jthread worker([&, job = MakeRunJob(session), progress = mailbox.Callback()] {
    result = ProcessImages(job, 1, {}, progress);
    done = true;
  });
  const std::vector<ProgressStep> seen = DrainUntil(mailbox, done);
  worker.join();
  ASSERT_TRUE(result.ok()) << result.message;
  ApplyRun(session.run, std::move(result.value));
  EXPECT_EQ(session.run.images.size(), static_cast<size_t>(kImages));
  // The window's last look shows the run finished.
  bool finished = false;
  for (const ProgressStep& step : seen)
    if (step.line == ProgressLine::kOverall) finished = step.text == "Finalizado";
  EXPECT_TRUE(finished);
}

// A long star list is measured with another thread reading the next image
// and helpers sharing the stars; no star's column may depend on that.
TEST(Concurrency, LongStarListMeasuresEveryStarAsAShortOne) {
  test::TempDir dir;
  constexpr int kImages = 4;
  Session session;
  PrepareNight(dir, kImages, session);
  RunJob shortJob = MakeRunJob(session);
  shortJob.settings.minAdu = 0;  // the copies below keep their magnitudes
  shortJob.instrumentalPath = dir.File("short.txt");
  shortJob.starsPath = dir.File("short-stars.txt");
  RunJob longJob = shortJob;
  longJob.instrumentalPath = dir.File("long.txt");
  longJob.starsPath = dir.File("long-stars.txt");
  // Field-star copies of the variables, after them.
  const size_t variables = shortJob.stars.variables.size();
  std::vector<size_t> copied;
  for (size_t k = 0; longJob.stars.Count() < kThreadedStars; ++k) {
    const StarEntry& s = shortJob.stars.variables[k % variables];
    longJob.stars.variables.push_back({s.x, s.y, "VS_" + std::to_string(k)});
    copied.push_back(k % variables);
  }
  const RunOutcome shortRun = RunPhotometry(shortJob);
  const RunOutcome longRun = RunPhotometry(longJob);
  ASSERT_TRUE(shortRun.status.ok() && longRun.status.ok());
  ASSERT_EQ(shortRun.rowsWritten, kImages);
  ASSERT_EQ(longRun.rowsWritten, kImages);

  std::vector<std::string> shortRows, longRows;
  for (const std::string& line : shortRun.resultsLines)
    if (line.find('*') != std::string::npos) shortRows.push_back(line);
  for (const std::string& line : longRun.resultsLines)
    if (line.find('*') != std::string::npos) longRows.push_back(line);
  ASSERT_EQ(longRows.size(), shortRows.size());
  const size_t starsEnd = 31 + 20 * variables;  // after the last variable's column
  for (size_t i = 0; i < shortRows.size(); ++i) {
    std::string expected = shortRows[i].substr(0, starsEnd);
    for (size_t v : copied) expected += shortRows[i].substr(31 + 20 * v, 20);
    expected += shortRows[i].substr(starsEnd);
    EXPECT_EQ(longRows[i], expected);
  }
}

TEST(Concurrency, PeriodSearchOnAWorkerEqualsTheSearchInPlace) {
  test::NightPlan plan;
  plan.nights = 4;
  PeriodState state;
  state.data = test::MakeNights(plan);
  ASSERT_TRUE(PrepareSearch(state.data, state.search).ok());
  ApplyRange(state.search, "0.10", "01.00", 3);

  PeriodState inPlace = state;
  ASSERT_TRUE(FinishSearch(inPlace.data, inPlace.search, inPlace.mode).ok());

  ProgressMailbox mailbox;
  std::atomic<bool> done{false};
  const PeriodSearchJob job = MakeSearchJob(state);
  Result<Periodogram> found;
  std::jthread worker([&] {
    found = SearchPeriods(job, {}, mailbox.Callback(), 2);
    done = true;
  });
  const std::vector<ProgressStep> seen = DrainUntil(mailbox, done);
  worker.join();
  ASSERT_TRUE(found.ok());
  ASSERT_TRUE(ApplySearch(state, job, std::move(found.value)).ok());
  ASSERT_EQ(state.search.Result.size(), inPlace.search.Result.size());
  for (size_t i = 0; i < state.search.Result.size(); ++i) {
    ASSERT_EQ(state.search.Result[i].Period, inPlace.search.Result[i].Period);
    ASSERT_EQ(state.search.Result[i].Dispersion, inPlace.search.Result[i].Dispersion);
  }
  EXPECT_FALSE(state.search.SearchPending);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().done, seen.back().total);
  EXPECT_EQ(seen.back().text, FormatFloat("0.00000", seen.back().value));
}

}  // namespace
}  // namespace lumenda
