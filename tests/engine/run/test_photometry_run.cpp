// The image list and field coordinates, and the run on small synthetic
// frames: tracking, series, stops and tolerances.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "image/fits_writer.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/star_list.h"
#include "synthetic_sky.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;
using test::PlantedStar;
constexpr double kDeg = std::numbers::pi / 180;

void WriteFrame(const std::string& path, const std::string& dateObs) {
  FitsImage16 img;
  img.width = 8;
  img.height = 8;
  img.pixels.assign(64, 100);
  if (!dateObs.empty())
    img.cards = {StringCard("DATE-OBS", dateObs), NumberCard("EXPTIME", "0.0", 60)};
  ASSERT_TRUE(WriteFits16(path, img).ok());
}

TEST(ImageList, SortedByDateUndatedFirstEqualDatesByPath) {
  test::TempDir dir;
  WriteFrame(dir.File("c.fit"), "2015-06-12T01:00:00");
  WriteFrame(dir.File("b.fit"), "2015-06-12T00:30:00");
  WriteFrame(dir.File("a.fit"), "2015-06-12T01:00:00");
  WriteFrame(dir.File("sin_fecha.fit"), "");
  std::vector<long long> counts;
  // A file chosen twice is listed once.
  const auto list =
      ListImages({dir.File("c.fit"), dir.File("b.fit"), dir.File("a.fit"),
                  dir.File("sin_fecha.fit"), dir.File("b.fit")},
                 0, {}, [&](const ProgressStep& step) { counts.push_back(step.done); });
  ASSERT_TRUE(list.ok()) << list.message;
  std::vector<std::string> lines;
  for (const ImageListItem& item : list.value) lines.push_back(item.Text());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "00000000.00000 " + dir.File("sin_fecha.fit"),
                       "20150612.02118 " + dir.File("b.fit"),
                       "20150612.04201 " + dir.File("a.fit"),
                       "20150612.04201 " + dir.File("c.fit"),
                   }));
  EXPECT_EQ(counts, (std::vector<long long>{1, 2, 3, 4}));
  EXPECT_EQ(list.value[1].FileName(), "b.fit");

  const auto bad = ListImages({dir.File("b.fit"), dir.File("nada.fit")}, 0);
  EXPECT_FALSE(bad.ok());
  EXPECT_EQ(bad.message.rfind("nada.fit: ", 0), 0u) << bad.message;
}

TEST(FieldCoordinates, TextsReadByPositionWithHemispheres) {
  CoordinateTexts north;
  north.ar = "12 30 36.0";
  north.dec = "45 30 00";
  north.lat = "40 24 00";
  north.lon = "003 41 00";
  north.res = "02.00";
  CoordinateTexts south = north;
  south.dec = "00 30 00";  // the sign applies to the whole value
  south.decSign = south.latSign = 'S';
  south.lonSide = 'E';
  const double lon = 3 + 41.0 / 60;
  const std::pair<CoordinateTexts, FieldCoordinates> cases[] = {
      {north, {187.65, 45.5, 40.4, lon, 2.0, "12 30 36.0", "+45 30 00"}},
      {south, {187.65, -0.5, -40.4, -lon, 2.0, "12 30 36.0", "-00 30 00"}},
  };
  for (const auto& [texts, want] : cases) {
    const auto f = ParseCoordinateTexts(texts);
    ASSERT_TRUE(f.ok()) << f.message;
    EXPECT_NEAR(f.value.ra / kDeg, want.ra, 1e-9);
    EXPECT_NEAR(f.value.dec / kDeg, want.dec, 1e-9);
    EXPECT_NEAR(f.value.latitude / kDeg, want.latitude, 1e-9);
    EXPECT_NEAR(f.value.longitude / kDeg, want.longitude, 1e-9);
    EXPECT_DOUBLE_EQ(f.value.scale, want.scale);
    EXPECT_EQ(f.value.FieldRAText + f.value.FieldDecText, want.FieldRAText + want.FieldDecText);
  }
  north.ar = "12 3x 36.0";
  EXPECT_EQ(ParseCoordinateTexts(north).message, "'3x' no es un valor numérico válido");
}

TEST(FieldCoordinates, PrefilledFromTheHeaderAndSettings) {
  test::TempDir dir;
  test::WriteSynthImage(dir.File("a.fit"), {}, 0);  // OBJCTRA 20 15 30.0, OBJCTDEC +38 20 00
  TPlaca image;
  ASSERT_TRUE(image.LoadHeader(dir.File("a.fit")));
  Settings s;
  s.lat = "40 24 00";
  s.lat2 = "S";
  s.lon2 = "E";
  const CoordinateTexts t = CoordinateTextsFromHeader(image, s);
  EXPECT_EQ(t.ar + "|" + t.dec + "|" + t.lat + "|" + t.res, "20 15 30.0|38 20 00|40 24 00|02.00");
  EXPECT_EQ(std::string({t.decSign, t.latSign, t.lonSide}), "NSE");
}

const PlantedStar kC1{30, 30, 20000}, kC2{70, 70, 20000}, kV{50, 50, 10000};
const std::vector<std::string> kVar = {"0050.00  0050.00  VAR-1"};
const std::vector<std::string> kCal = {"0030.00  0030.00  11.0", "0070.00  0070.00  11.0"};

class RunTest : public ::testing::Test {
 protected:
  // One frame per star layout, five minutes apart; returns the image list.
  std::vector<ImageListItem> Frames(const std::vector<std::vector<PlantedStar>>& frames,
                                    int firstMinute = 0, const std::string& prefix = "img") {
    std::vector<std::string> paths;
    for (size_t i = 0; i < frames.size(); ++i) {
      paths.push_back(dir.File(prefix + std::to_string(i) + ".fit"));
      test::WriteSynthImage(paths.back(), frames[i], firstMinute + static_cast<int>(i) * 5);
    }
    auto list = ListImages(paths, 0);
    EXPECT_TRUE(list.ok()) << list.message;
    return list.value;
  }

  RunJob Job(std::vector<ImageListItem> lista, std::vector<std::string> var = kVar,
             std::vector<std::string> cal = kCal) {
    RunJob job;
    job.ListaFotos = std::move(lista);
    job.stars.variables = ParseStarEntries(var);
    job.stars.comparisons = ParseStarEntries(cal);
    job.settings.aperture = ApertureSettings{5, 3, 5, false, false};
    job.settings.minAdu = 1000;
    job.field = {(20 + 15.5 / 60) * 15 * kDeg,
                 (38 + 1.0 / 3) * kDeg,
                 40.4 * kDeg,
                 3.68 * kDeg,
                 2.0,
                 "20 15 30.0",
                 "+38 20 00"};
    job.instrumentalPath = dir.File("instrumental.txt");
    job.starsPath = dir.File("estrellas.txt");
    return job;
  }

  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (const auto& l :
         ReadTextLines(dir.File("instrumental.txt")).value_or(std::vector<std::string>{}))
      if (rf::IsDataRow(l)) rows.push_back(l);
    return rows;
  }

  test::TempDir dir;
};

TEST_F(RunTest, FirstSeriesTracksStarsAndWritesOneRowPerImage) {
  // The variable drifts one pixel per image; it has half the counts of the
  // comparison mean, so m = 10 + 2.512 log10(2).
  const auto lista =
      Frames({{kC1, kC2, kV}, {kC1, kC2, {51, 50.5, 10000}}, {kC1, kC2, {52, 51, 10000}}});
  RunJob job = Job(lista);
  std::vector<std::string> seen;
  const Progress progress = [&](const ProgressStep& step) {
    if (step.line == ProgressLine::kOverall) seen.push_back(step.text);
  };
  const ProcesoOutcome out = Proceso(job, {}, progress);
  ASSERT_TRUE(out.status.ok()) << out.status.message;
  EXPECT_FALSE(out.run.aborted);
  EXPECT_EQ(seen, (std::vector<std::string>{"0 - img0.fit", "1 - img1.fit", "2 - img2.fit"}));

  const auto lines = *ReadTextLines(dir.File("instrumental.txt"));
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
            (std::vector<std::string>{"20 15 30.0", "+38 20 00", "11.0"}));
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(Field(rows[i], rf::kRowNum), rf::FormatRowNum(static_cast<int>(i)));
    EXPECT_NEAR(*ParseDouble(Field(rows[i], rf::RowStarMag(0))), 10 + 2.512 * std::log10(2.0), 0.01)
        << rows[i];
    const int p = rf::PlusAnchor(rows[i]);
    EXPECT_EQ(p, 54);
    const double airMass = *ParseDouble(Field(rows[i], rf::RowAirMass(p)));
    EXPECT_TRUE(airMass > 1.0 && airMass < 1.6) << airMass;
    EXPECT_EQ(Trim(Field(rows[i], rf::RowFondo(p))), "00025.00");  // 100 ADU / (2"/px)^2
    EXPECT_EQ(Field(rows[i], rf::RowPosition(p)), "0030.00  0030.00");
  }
  // The tracked position is saved after every image.
  const auto stars = *ReadTextLines(dir.File("estrellas.txt"));
  ASSERT_EQ(stars.size(), 3u);
  const StarFileStar v = ParseStarFileLine(stars[0]);
  EXPECT_NEAR(v.x, 52, 0.05);
  EXPECT_NEAR(v.y, 51, 0.05);
  EXPECT_EQ(job.stars.variables[0].name, "VAR-1");
  EXPECT_EQ(out.tables.tDiferencia.size(), 5u);
  EXPECT_EQ(out.ListaFotos.size(), 3u);
  EXPECT_EQ(out.ListaFotos.back(), lista.back());
}

TEST_F(RunTest, FollowingSeriesAppendsAndReorderingRenumbersByDate) {
  const auto first = Frames({{kC1, kC2, kV}, {kC1, kC2, kV}}, 60, "b");
  RunJob job = Job(first);
  ASSERT_TRUE(RunPhotometry(job).status.ok());
  // Before the rows are renumbered the run writes NUM = index + previous rows.
  job.PrimeraSerie = false;
  ASSERT_TRUE(RunPhotometry(job).status.ok());
  auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(Field(rows[2], rf::kRowNum), "0002");
  EXPECT_EQ(Field(rows[3], rf::kRowNum), "0003");

  // A following series taken earlier in the night: after the run all rows
  // are in date order and numbered from 0000.
  job.PrimeraSerie = true;
  ASSERT_TRUE(Proceso(job).status.ok());
  const auto second = Frames({{kC1, kC2, kV}, {kC1, kC2, kV}}, 0, "a");
  job.ListaFotos = second;
  job.PrimeraSerie = false;
  const ProcesoOutcome out = Proceso(job);
  ASSERT_TRUE(out.status.ok()) << out.status.message;
  EXPECT_EQ(out.run.previousRows, 2);
  rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(Field(rows[i], rf::kRowNum), rf::FormatRowNum(static_cast<int>(i)));
    EXPECT_EQ(rf::RowPath(rows[i]), (i < 2 ? second[i] : first[i - 2]).path);
  }
  EXPECT_EQ(out.ListaFotos.size(), 4u);
}

TEST_F(RunTest, UserStarLeavingStopsTheRunKeepingEarlierRows) {
  // The variable walks three pixels per image towards the right edge: the
  // usable area ends at 99 - 5 - 2 = 92.
  std::vector<std::vector<PlantedStar>> frames;
  for (double x : {86, 89, 92, 95}) frames.push_back({kC1, kC2, {x, 50, 10000}});
  RunJob job = Job(Frames(frames), {"0086.00  0050.00  VAR-1"});
  const ProcesoOutcome out = Proceso(job);
  EXPECT_TRUE(out.status.ok());
  ASSERT_TRUE(out.run.aborted);
  const std::string text =
      "Error en imagen:\nimg3.fit\n\nVAR-1 Fuera de limites (2)\nX: 95.0, Y: 50.0\n\n"
      "Proceso terminado.";
  EXPECT_EQ(out.run.abortText, text);
  EXPECT_EQ(Rows().size(), 3u);
  EXPECT_EQ(out.tables.tDiferencia.size(), 5u);  // the kept rows are used
}

TEST_F(RunTest, StopBetweenImagesLeavesTheResultsFileAsItWas) {
  const auto lista = Frames({{kC1, kC2, kV}, {kC1, kC2, kV}, {kC1, kC2, kV}});
  test::WriteBytes(dir.File("instrumental.txt"), "anterior\n");
  RunJob job = Job(lista);
  std::stop_source source;
  const Progress progress = [&](const ProgressStep& step) {
    if (step.line == ProgressLine::kOverall && step.done == 1) source.request_stop();
  };
  const ProcesoOutcome out = Proceso(job, source.get_token(), progress);
  EXPECT_TRUE(out.status.Interrupted()) << out.status.message;
  EXPECT_EQ(out.status.message, "Proceso interrumpido.");
  EXPECT_EQ(test::ReadBytes(dir.File("instrumental.txt")), "anterior\n");
  // The star file holds the positions of the last image measured, whole.
  const auto stars = ReadStarFile(dir.File("estrellas.txt"));
  ASSERT_TRUE(stars.ok()) << stars.message;
  EXPECT_EQ(stars.value.size(), 3u);
}

TEST_F(RunTest, AutoStarLeavingIsToleratedAndStaysLost) {
  std::vector<std::vector<PlantedStar>> frames;
  for (double x : {86, 89, 95, 89}) frames.push_back({kC1, kC2, kV, {x, 50, 10000}});
  RunJob job = Job(Frames(frames), {kVar[0], "0086.00  0050.00  VS_0086_0050"});
  const ProcesoOutcome out = Proceso(job);
  ASSERT_TRUE(out.status.ok());
  EXPECT_FALSE(out.run.aborted);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_NE(Field(rows[1], rf::RowStarMag(1)), "--------");
  EXPECT_EQ(Field(rows[2], rf::RowStarMag(1)), "--------");
  // Once lost, even when it comes back into the field.
  EXPECT_EQ(Field(rows[3], rf::RowStarMag(1)), "--------");
  EXPECT_EQ(StarEntryText(job.stars.variables[1]), "-100.00  -100.00  VS_0086_0050");
  EXPECT_EQ(out.tables.tDiferencia[5].substr(40, 20), "  -------- ---------");
}

TEST_F(RunTest, FaintAutoStarBelowMinimumCountsIsTolerated) {
  const auto lista = Frames({{kC1, kC2, kV, {60, 30, 500}}});
  RunJob job = Job(lista, {kVar[0], "0060.00  0030.00  VS_0060_0030"});
  ASSERT_TRUE(Proceso(job).status.ok());
  EXPECT_EQ(Field(Rows()[0], rf::RowStarMag(1)), "--------");
  // The same faint star marked by the user is measured.
  job = Job(lista, {"0060.00  0030.00  FAINT"}, {kCal[0]});
  ASSERT_TRUE(Proceso(job).status.ok());
  EXPECT_NE(Field(Rows()[0], rf::RowStarMag(0)), "--------");
}

TEST_F(RunTest, ComparisonCountsMayHalveButNotFall) {
  // The bounds are inclusive: exactly k or 1/k times the previous mean passes.
  EXPECT_TRUE(ComparisonCountsStable(2000, 1000, 0.5));
  EXPECT_FALSE(ComparisonCountsStable(2000, 999, 0.5));
  EXPECT_TRUE(ComparisonCountsStable(1000, 2000, 0.5));
  EXPECT_FALSE(ComparisonCountsStable(1000, 2001, 0.5));
  EXPECT_TRUE(ComparisonCountsStable(1000, 300, 0.3));
  EXPECT_FALSE(ComparisonCountsStable(1000, 299, 0.3));
  const std::pair<double, bool> cases[] = {
      {11000, false}, {9000, true}, {35000, false}, {45000, true}};
  for (const auto& [secondFlux, stops] : cases) {
    const auto lista = Frames({{kC1, kV}, {{30, 30, secondFlux}, kV}});
    RunJob job = Job(lista, kVar, {kCal[0]});
    const RunOutcome out = RunPhotometry(job);
    EXPECT_EQ(out.aborted, stops) << secondFlux;
    if (!stops) continue;
    EXPECT_NE(out.abortText.find("\n\nCuentas en estrellas de calibrado\nADUCALI: "),
              std::string::npos)
        << out.abortText;
    EXPECT_NE(out.abortText.find(", ADUANT: "), std::string::npos);
    EXPECT_EQ(out.rowsWritten, 1);
  }
}

TEST_F(RunTest, ComparisonOutsideStopsWithItsMessage) {
  const auto lista = Frames({{kC1, kV}, {{4, 30, 20000}, kV}});
  RunJob job = Job(lista, kVar, {"0005.00  0030.00  11.0"});
  const RunOutcome out = RunPhotometry(job);
  ASSERT_TRUE(out.aborted);
  EXPECT_EQ(out.abortText.rfind("Error en imagen:\nimg0.fit\n\n11.0 Fuera de limites\nX: ", 0), 0u)
      << out.abortText;
  EXPECT_EQ(out.rowsWritten, 0);
  EXPECT_EQ(Rows().size(), 0u);
}

TEST_F(RunTest, LinearityReportListsStarsAboveTheLevel) {
  RunJob job = Job(Frames({{kC1, kC2, kV}}), kVar, {kCal[0]});
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
  const auto lista = Frames({{kC1, kC2, kV}, {kC1, kC2, kV}});
  const std::string results = dir.File("instrumental.txt");
  // Missing stars.
  RunJob job = Job(lista, {}, {kCal[0]});
  ProcesoOutcome out = Proceso(job);
  EXPECT_EQ(out.status.message,
            "Debes seleccionar al menos una estrella de calibrado y una variable.");
  EXPECT_EQ(out.status.kind, FailureKind::kRefusal);
  EXPECT_FALSE(FileExists(results));
  // A following series without previous results.
  job = Job(lista, kVar, {kCal[0]});
  job.PrimeraSerie = false;
  EXPECT_EQ(RunPhotometry(job).status.message, "Datos anteriores no encontrados.");
  // A following series of other stars.
  job.PrimeraSerie = true;
  ASSERT_TRUE(RunPhotometry(job).status.ok());
  job.PrimeraSerie = false;
  RunJob other = Job(lista, {"0050.00  0050.00  VAR-9"}, {kCal[0]});
  other.PrimeraSerie = false;
  const std::string kept = test::ReadBytes(results);
  EXPECT_NE(RunPhotometry(other).status.message.find("no son las de los datos anteriores"),
            std::string::npos);
  EXPECT_EQ(test::ReadBytes(results), kept);
  // A following series that would number a row 10000.
  std::vector<std::string> big = {
      "20 15 30.0", "+38 20 00", "11.0",
      "",           "",          " NUM       FECHA MPC    COMPARA               VAR-1",
      "----"};
  big.resize(big.size() + 9999, "0000  20150612.00000  x  + 1 *p");
  ASSERT_TRUE(WriteFileAtomic(results, JoinLines(big)).ok());
  const std::string before = test::ReadBytes(results);
  const RunOutcome r = RunPhotometry(job);
  EXPECT_FALSE(r.status.ok());
  EXPECT_NE(r.status.message.find("10000"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(results), before);
}

TEST(RowAirMass, ZeroWhenTheFieldIsFarBelowTheHorizon) {
  FieldCoordinates f;
  f.latitude = 40 * kDeg;
  f.dec = -85 * kDeg;
  EXPECT_EQ(RowAirMass("20150612.00000", f), 0.0);
  f.dec = 40 * kDeg;
  EXPECT_GE(RowAirMass("20150612.00000", f), 1.0);
}

}  // namespace
}  // namespace lumenda
