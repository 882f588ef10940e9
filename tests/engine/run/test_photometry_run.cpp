// The run on small synthetic frames: tracking, series, stops and tolerances.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/star_list.h"
#include "synthetic_images.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;
using test::SynthStar;

constexpr double kDeg = std::numbers::pi / 180;

class RunTest : public ::testing::Test {
 protected:
  // One frame per star layout; returns the image list.
  std::vector<std::string> Frames(const std::vector<std::vector<SynthStar>>& frames,
                                  int firstMinute = 0, const std::string& prefix = "img") {
    std::vector<std::string> paths;
    for (size_t i = 0; i < frames.size(); ++i) {
      const std::string path = dir.File(prefix + std::to_string(i) + ".fit");
      test::WriteSynthImage(path, frames[i], firstMinute + static_cast<int>(i) * 5);
      paths.push_back(path);
    }
    TPlaca image;
    auto list = BuildImageList(paths, 0, image);
    EXPECT_TRUE(list.ok()) << list.message;
    return list.value;
  }

  RunJob Job(std::vector<std::string> lista, std::vector<std::string> var,
             std::vector<std::string> cal) {
    RunJob job;
    job.ListaFotos = std::move(lista);
    job.lbVar = std::move(var);
    job.lbCali = std::move(cal);
    job.settings.aperture = ApertureSettings{5, 3, 5, false, false};
    job.settings.minAdu = 1000;
    job.field.ra = (20 + 15.5 / 60) * 15 * kDeg;
    job.field.dec = (38 + 1.0 / 3) * kDeg;
    job.field.latitude = 40.4 * kDeg;
    job.field.longitude = 3.68 * kDeg;
    job.field.scale = 2.0;
    job.field.FieldRAText = "20 15 30.0";
    job.field.FieldDecText = "+38 20 00";
    job.instrumentalPath = dir.File("instrumental.txt");
    job.starsPath = dir.File("estrellas.txt");
    return job;
  }

  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    const auto lines = ReadTextLines(dir.File("instrumental.txt"));
    if (!lines) return rows;
    for (const auto& l : *lines)
      if (rf::IsDataRow(l)) rows.push_back(l);
    return rows;
  }

  test::TempDir dir;
  RecordingMessenger messenger;
};

const SynthStar kC1{30, 30, 20000}, kC2{70, 70, 20000};

TEST_F(RunTest, FirstSeriesTracksStarsAndWritesOneRowPerImage) {
  // The variable drifts one pixel per image; it has half the counts of the
  // comparison mean, so m = 10 + 2.512 log10(2).
  const auto lista = Frames(
      {{kC1, kC2, {50, 50, 10000}}, {kC1, kC2, {51, 50.5, 10000}}, {kC1, kC2, {52, 51, 10000}}});
  RunJob job =
      Job(lista, {"0050.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"});
  std::vector<std::string> seen;
  RunProgress progress;
  progress.image = [&](int i, const std::string& name) {
    seen.push_back(std::to_string(i) + " - " + name);
  };
  const ProcesoOutcome out = Proceso(job, messenger, progress);
  ASSERT_TRUE(out.status.ok()) << out.status.message;
  EXPECT_FALSE(out.run.aborted);
  EXPECT_EQ(messenger.log, "");
  EXPECT_EQ(seen, (std::vector<std::string>{"0 - img0.fit", "1 - img1.fit", "2 - img2.fit"}));

  const auto lines = *ReadTextLines(dir.File("instrumental.txt"));
  EXPECT_EQ(lines[0], "20 15 30.0");
  EXPECT_EQ(lines[1], "+38 20 00");
  EXPECT_EQ(lines[2], "11.0");
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  const double expected = 10 + 2.512 * std::log10(2.0);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(Field(rows[i], rf::kRowNum), rf::FormatRowNum(static_cast<int>(i)));
    EXPECT_NEAR(*ParseDouble(Field(rows[i], rf::RowStarMag(0))), expected, 0.01) << rows[i];
    const int p = rf::PlusAnchor(rows[i]);
    EXPECT_EQ(p, 54);
    const double airMass = *ParseDouble(Field(rows[i], rf::RowAirMass(p)));
    EXPECT_GT(airMass, 1.0);
    EXPECT_LT(airMass, 1.6);
    EXPECT_EQ(Trim(Field(rows[i], rf::RowFondo(p))), "00025.00");  // 100 ADU / (2"/px)^2
    EXPECT_EQ(Field(rows[i], rf::RowPosition(p)), "0030.00  0030.00");
  }
  // The tracked position is saved after every image.
  const auto stars = *ReadTextLines(dir.File("estrellas.txt"));
  ASSERT_EQ(stars.size(), 3u);
  const StarFileStar v = ParseStarFileLine(stars[0]);
  EXPECT_NEAR(v.x, 52, 0.05);
  EXPECT_NEAR(v.y, 51, 0.05);
  EXPECT_EQ(job.lbVar[0].substr(18), "VAR-1");

  EXPECT_EQ(out.tables.tDiferencia.size(), 5u);
  EXPECT_EQ(out.ListaFotos.size(), 3u);
  EXPECT_EQ(out.eFoto1, lista.back());
}

TEST_F(RunTest, FollowingSeriesAppendsAndReorderingRenumbersByDate) {
  const auto first = Frames({{kC1, kC2, {50, 50, 10000}}, {kC1, kC2, {50, 50, 10000}}}, 60, "b");
  RunJob job =
      Job(first, {"0050.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"});
  ASSERT_TRUE(Proceso(job, messenger).status.ok());
  // The following series was taken earlier in the night: after the run all
  // rows are in date order and numbered from 0000.
  const auto second = Frames({{kC1, kC2, {50, 50, 10000}}, {kC1, kC2, {50, 50, 10000}}}, 0, "a");
  job.ListaFotos = second;
  job.PrimeraSerie = false;
  const ProcesoOutcome out = Proceso(job, messenger);
  ASSERT_TRUE(out.status.ok()) << out.status.message;
  EXPECT_EQ(out.run.previousRows, 2);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(Field(rows[i], rf::kRowNum), rf::FormatRowNum(static_cast<int>(i)));
    EXPECT_EQ(rf::RowPath(rows[i]), EntryPath(i < 2 ? second[i] : first[i - 2]));
  }
  EXPECT_EQ(out.ListaFotos.size(), 4u);
}

TEST_F(RunTest, RowsNumberedBeforeTheRunIsAppendedWhenTheyCount) {
  // Before the rows are renumbered the run writes NUM = index + previous
  // rows; check the raw file of a following series that stops at once.
  const auto lista = Frames({{kC1, kC2, {50, 50, 10000}}, {kC1, kC2, {50, 50, 10000}}});
  RunJob job =
      Job(lista, {"0050.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"});
  ASSERT_TRUE(RunPhotometry(job).status.ok());
  job.PrimeraSerie = false;
  ASSERT_TRUE(RunPhotometry(job).status.ok());
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(Field(rows[2], rf::kRowNum), "0002");
  EXPECT_EQ(Field(rows[3], rf::kRowNum), "0003");
}

TEST_F(RunTest, UserStarLeavingStopsTheRunKeepingEarlierRows) {
  // The variable walks three pixels per image towards the right edge: the
  // usable area ends at 99 - 5 - 2 = 92.
  const auto lista = Frames({{kC1, kC2, {86, 50, 10000}},
                             {kC1, kC2, {89, 50, 10000}},
                             {kC1, kC2, {92, 50, 10000}},
                             {kC1, kC2, {95, 50, 10000}}});
  RunJob job =
      Job(lista, {"0086.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"});
  const ProcesoOutcome out = Proceso(job, messenger);
  EXPECT_TRUE(out.status.ok());
  ASSERT_TRUE(out.run.aborted);
  const std::string text =
      "Error en imagen:\nimg3.fit\n\nVAR-1 Fuera de limites (2)\nX: 95.0, Y: 50.0\n\n"
      "Proceso terminado.";
  EXPECT_EQ(out.run.abortText, text);
  EXPECT_EQ(messenger.log, "E:" + text + "\n");
  EXPECT_EQ(Rows().size(), 3u);
  EXPECT_EQ(out.tables.tDiferencia.size(), 5u);  // the kept rows are used
}

TEST_F(RunTest, AutoStarLeavingIsToleratedAndStaysLost) {
  const auto lista = Frames({{kC1, kC2, {50, 50, 10000}, {86, 50, 10000}},
                             {kC1, kC2, {50, 50, 10000}, {89, 50, 10000}},
                             {kC1, kC2, {50, 50, 10000}, {95, 50, 10000}},
                             {kC1, kC2, {50, 50, 10000}, {89, 50, 10000}}});
  RunJob job = Job(lista, {"0050.00  0050.00  VAR-1", "0086.00  0050.00  VS_0086_0050"},
                   {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"});
  const ProcesoOutcome out = Proceso(job, messenger);
  ASSERT_TRUE(out.status.ok());
  EXPECT_FALSE(out.run.aborted);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_NE(Field(rows[1], rf::RowStarMag(1)), "--------");
  EXPECT_EQ(Field(rows[2], rf::RowStarMag(1)), "--------");
  // Once lost, even when it comes back into the field.
  EXPECT_EQ(Field(rows[3], rf::RowStarMag(1)), "--------");
  EXPECT_EQ(job.lbVar[1], "-100.00  -100.00  VS_0086_0050");
  EXPECT_EQ(out.tables.tDiferencia[5].substr(40, 20), "  -------- ---------");
}

TEST_F(RunTest, FaintAutoStarBelowMinimumCountsIsTolerated) {
  const auto lista = Frames({{kC1, kC2, {50, 50, 10000}, {60, 30, 500}}});
  RunJob job = Job(lista, {"0050.00  0050.00  VAR-1", "0060.00  0030.00  VS_0060_0030"},
                   {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"});
  job.settings.minAdu = 1000;
  const ProcesoOutcome out = Proceso(job, messenger);
  ASSERT_TRUE(out.status.ok());
  EXPECT_EQ(Field(Rows()[0], rf::RowStarMag(1)), "--------");
  // The same faint star marked by the user is measured.
  job = Job(lista, {"0060.00  0030.00  FAINT"}, {"0030.00  0030.00  11.0"});
  ASSERT_TRUE(Proceso(job, messenger).status.ok());
  EXPECT_NE(Field(Rows()[0], rf::RowStarMag(0)), "--------");
}

TEST_F(RunTest, ComparisonCountsMayHalveButNotFall) {
  struct Case {
    double secondFlux;
    bool stops;
  };
  // The bounds are inclusive: exactly k or 1/k times the previous mean passes.
  EXPECT_TRUE(ComparisonCountsStable(2000, 1000, 0.5));
  EXPECT_FALSE(ComparisonCountsStable(2000, 999, 0.5));
  EXPECT_TRUE(ComparisonCountsStable(1000, 2000, 0.5));
  EXPECT_FALSE(ComparisonCountsStable(1000, 2001, 0.5));
  EXPECT_TRUE(ComparisonCountsStable(1000, 300, 0.3));
  EXPECT_FALSE(ComparisonCountsStable(1000, 299, 0.3));
  for (const Case c :
       {Case{11000, false}, Case{9000, true}, Case{35000, false}, Case{45000, true}}) {
    const auto lista =
        Frames({{{30, 30, 20000}, {50, 50, 10000}}, {{30, 30, c.secondFlux}, {50, 50, 10000}}});
    RunJob job = Job(lista, {"0050.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0"});
    const RunOutcome out = RunPhotometry(job);
    EXPECT_EQ(out.aborted, c.stops) << c.secondFlux;
    if (c.stops) {
      EXPECT_NE(out.abortText.find("\n\nCuentas en estrellas de calibrado\nADUCALI: "),
                std::string::npos)
          << out.abortText;
      EXPECT_NE(out.abortText.find(", ADUANT: "), std::string::npos);
      EXPECT_EQ(out.rowsWritten, 1);
    }
  }
}

TEST_F(RunTest, ComparisonOutsideStopsWithItsMessage) {
  const auto lista =
      Frames({{{30, 30, 20000}, {50, 50, 10000}}, {{4, 30, 20000}, {50, 50, 10000}}});
  RunJob job = Job(lista, {"0050.00  0050.00  VAR-1"}, {"0005.00  0030.00  11.0"});
  const RunOutcome out = RunPhotometry(job);
  ASSERT_TRUE(out.aborted);
  EXPECT_EQ(out.abortText.rfind("Error en imagen:\nimg0.fit\n\n11.0 Fuera de limites\nX: ", 0), 0u)
      << out.abortText;
  EXPECT_EQ(out.rowsWritten, 0);
  EXPECT_EQ(Rows().size(), 0u);
}

TEST_F(RunTest, LinearityReportListsStarsAboveTheLevel) {
  const auto lista = Frames({{kC1, kC2, {50, 50, 10000}}});
  RunJob job = Job(lista, {"0050.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0"});
  job.settings.lsat = 1000;  // the comparison peaks near 1400, the variable near 700
  const RunOutcome out = RunPhotometry(job);
  ASSERT_EQ(out.linearity.size(), 3u);
  EXPECT_EQ(out.linearity[0], "img0.fit");
  const std::string& line = out.linearity[1];
  ASSERT_GT(line.size(), 22u);
  EXPECT_EQ(line.substr(line.size() - 22), "  0030.0  0030.0  11.0");
  EXPECT_GT(*ParseInt(line.substr(0, line.size() - 22)), 1000);
  EXPECT_EQ(out.linearity[2], "");
}

TEST_F(RunTest, RefusalsBeforeAnythingIsWritten) {
  const auto lista = Frames({{kC1, kC2, {50, 50, 10000}}, {kC1, kC2, {50, 50, 10000}}});
  // Missing stars.
  RunJob job = Job(lista, {}, {"0030.00  0030.00  11.0"});
  ProcesoOutcome out = Proceso(job, messenger);
  EXPECT_EQ(out.status.message,
            "Debes seleccionar al menos una estrella de calibrado y una variable.");
  EXPECT_EQ(messenger.log, "W:" + out.status.message + "\n");
  EXPECT_FALSE(FileExists(dir.File("instrumental.txt")));
  // A following series without previous results.
  job = Job(lista, {"0050.00  0050.00  VAR-1"}, {"0030.00  0030.00  11.0"});
  job.PrimeraSerie = false;
  EXPECT_EQ(RunPhotometry(job).status.message, "Datos anteriores no encontrados.");
  // A following series of other stars.
  job.PrimeraSerie = true;
  ASSERT_TRUE(RunPhotometry(job).status.ok());
  job.PrimeraSerie = false;
  RunJob other = Job(lista, {"0050.00  0050.00  VAR-9"}, {"0030.00  0030.00  11.0"});
  other.PrimeraSerie = false;
  const std::string kept = test::ReadBytes(dir.File("instrumental.txt"));
  EXPECT_NE(RunPhotometry(other).status.message.find("no son las de los datos anteriores"),
            std::string::npos);
  EXPECT_EQ(test::ReadBytes(dir.File("instrumental.txt")), kept);
  // A following series that would number a row 10000.
  std::vector<std::string> big = {
      "20 15 30.0", "+38 20 00", "11.0",
      "",           "",          " NUM       FECHA MPC    COMPARA               VAR-1",
      "----"};
  for (int i = 0; i < 9999; ++i) big.push_back("0000  20150612.00000  x  + 1 *p");
  ASSERT_EQ(WriteFileAtomic(dir.File("instrumental.txt"), JoinLines(big)), "");
  const std::string before = test::ReadBytes(dir.File("instrumental.txt"));
  const RunOutcome r = RunPhotometry(job);
  EXPECT_FALSE(r.status.ok());
  EXPECT_NE(r.status.message.find("10000"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(dir.File("instrumental.txt")), before);
}

TEST(RowAirMass, ZeroWhenTheFieldIsFarBelowTheHorizon) {
  FieldCoordinates f;
  f.latitude = 40 * kDeg;
  f.dec = -85 * kDeg;
  EXPECT_EQ(RowAirMass("20150612.00000", f), 0.0);
  f.dec = 40 * kDeg;
  f.ra = 0;
  const double x = RowAirMass("20150612.00000", f);
  EXPECT_GE(x, 1.0);
}

}  // namespace
}  // namespace lumenda
