// The workflow of the main window through the session: list, mark, run,
// with the files and tables the engine's own run gives.
#include <gtest/gtest.h>

#include <stop_token>

#include "sample_night_run.h"
#include "session_fixture.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

constexpr int kImages = 6;

TEST(SessionWorkflow, FirstSeriesGivesTheEngineRunsFilesAndTables) {
  test::TempDir dir;
  const ProcesoOutcome reference = test::RunSampleNight(dir.path(), kImages);
  ASSERT_TRUE(reference.status.ok()) << reference.status.message;

  Session session;
  test::PrepareSampleSession(session, dir.File("user/"), dir.File("noche/"), kImages);
  EXPECT_EQ(StarCountText(session.run.stars), "3 / 3");
  ASSERT_EQ(session.run.images.size(), static_cast<size_t>(kImages));
  EXPECT_EQ(session.run.images[0].FileName(), "muestra_001.fit");

  std::vector<ProgressStep> steps;
  auto run = ProcessImages(MakeRunJob(session), 1, {},
                           [&](const ProgressStep& step) { steps.push_back(step); });
  ASSERT_TRUE(run.ok()) << run.message;
  EXPECT_TRUE(run.value.stopped.ok());
  EXPECT_EQ(run.value.rowsWritten, kImages);
  ApplyRun(session.run, std::move(run.value));

  EXPECT_EQ(test::ReadBytes(ResultsFilePath(session)),
            test::ReadBytes(dir.File("instrumental.txt")));
  EXPECT_EQ(test::ReadBytes(StarsFilePath(session)), test::ReadBytes(dir.File("estrellas.txt")));
  EXPECT_EQ(session.run.results.tDiferencia, reference.tables.tDiferencia);
  EXPECT_EQ(session.run.results.tPosiblesVariables, reference.tables.tPosiblesVariables);
  EXPECT_EQ(session.run.results.lbNomVar, reference.tables.lbNomVar);
  EXPECT_EQ(session.run.images, reference.ListaFotos);
  EXPECT_EQ(session.run.lastImage, reference.ListaFotos.back());

  // The tracked positions are what "estrellas.txt" holds.
  auto tracked = ReadStarFile(StarsFilePath(session));
  ASSERT_TRUE(tracked.ok());
  EXPECT_EQ(SplitStarFile(tracked.value).variables, session.run.stars.variables);

  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front().text, "0 - muestra_001.fit");
  EXPECT_EQ(steps.back().text, "Finalizado");
  EXPECT_EQ(steps.back().Percent(), 100);
}

TEST(SessionWorkflow, RefusalsAndStopsChangeNoFile) {
  test::TempDir dir;
  ASSERT_TRUE(WriteSampleNight(dir.File("noche"), 2, 1).ok());
  Session session;
  test::PrepareSampleSession(session, dir.File("user/"), dir.File("noche/"), 2);

  // A stop asked for before the run starts.
  std::stop_source stop;
  stop.request_stop();
  auto stopped = ProcessImages(MakeRunJob(session), 1, stop.get_token());
  EXPECT_TRUE(stopped.Interrupted());
  EXPECT_EQ(stopped.message, "Proceso interrumpido.");
  EXPECT_FALSE(FileExists(ResultsFilePath(session)));

  // No comparison star: refused, with the selection warning.
  session.run.stars.comparisons.clear();
  auto refused = ProcessImages(MakeRunJob(session));
  EXPECT_EQ(refused.kind, FailureKind::kRefusal);
  EXPECT_EQ(refused.message,
            "Debes seleccionar al menos una estrella de calibrado y una variable.");
  EXPECT_FALSE(FileExists(ResultsFilePath(session)));

  // A missing image is named in the listing's failure.
  auto listed = ListImages({dir.File("noche/muestra_001.fit"), dir.File("noche/falta.fit")}, 0);
  EXPECT_EQ(listed.kind, FailureKind::kIo);
  EXPECT_EQ(listed.message.rfind("falta.fit: ", 0), 0u) << listed.message;
}

TEST(SessionStars, MarkedStarsAreKeptAsTheirEntriesRoundThem) {
  StarLists stars;
  ASSERT_TRUE(AddStar(stars, StarRole::kVariable, 101.23456, 99.995, "V1").ok());
  ASSERT_TRUE(AddStar(stars, StarRole::kComparison, 12.005, 7.5, "10.52").ok());
  EXPECT_EQ(StarEntryText(stars.variables[0]), FormatStarEntry(101.23456, 99.995, "V1"));
  EXPECT_EQ(StarEntryText(stars.comparisons[0]), FormatStarEntry(12.005, 7.5, "10.52"));
  EXPECT_EQ(stars.variables[0].x, 101.23);

  test::TempDir dir;
  ASSERT_TRUE(SaveStarFile(dir.File("e.txt"), stars).ok());
  EXPECT_EQ(test::ReadBytes(dir.File("e.txt")),
            "V 0101.23  0100.00  V1\r\nC 0012.01  0007.50  10.52\r\n");
  RemoveStar(stars, StarRole::kComparison, 0);
  RemoveStar(stars, StarRole::kComparison, 5);
  EXPECT_FALSE(stars.Complete());
  EXPECT_EQ(SaveStarFile(dir.File("e.txt"), stars).message,
            "Debes seleccionar al menos una estrella de calibrado y una variable.");
}

}  // namespace
}  // namespace lumenda
