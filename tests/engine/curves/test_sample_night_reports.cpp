// Acceptance on the simulated sample night: reports and edits of a real run.
#include <gtest/gtest.h>

#include "astro/time.h"
#include "curves/aavso_report.h"
#include "curves/curve_formats.h"
#include "curves/data_editing.h"
#include "curves/general_report.h"
#include "curves/light_curve.h"
#include "image/fits_image.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/save_recover.h"
#include "run/star_list.h"
#include "sample/sample_night.h"
#include "sample_night_run.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;

class SampleNightReports : public ::testing::Test {
 protected:
  static constexpr int kImages = 10;
  // One run of the night for every test here; its folder goes at exit.
  struct Run {
    test::TempDir dir;
    ProcesoOutcome out = test::RunSampleNight(dir.path(), kImages);
  };
  static Run& run() {
    static Run r;
    return r;
  }
  void SetUp() override {
    ASSERT_TRUE(run().out.status.ok()) << run().out.status.message;
    ASSERT_EQ(run().out.tables.tDiferencia.size(), 2u + kImages);
  }
  static int Star(const std::string& name) {
    const auto& names = run().out.tables.lbNomVar;
    auto it = std::find(names.begin(), names.end(), name);
    EXPECT_NE(it, names.end()) << name;
    return static_cast<int>(it - names.begin());
  }
};

TEST_F(SampleNightReports, TextReportDatesAndMagnitudesFollowTheTables) {
  const ResultsTables& tables = run().out.tables;
  GraphSettings settings;
  settings.var1 = Star("PULSANTE");
  settings.scale = TimeScale::kHjd;
  LightCurve curve;
  ASSERT_TRUE(BuildSourceRows(tables, settings, curve).ok());
  ReportSource source{&tables, {}, "OBS", "Lumenda"};
  const auto report = GeneralReport(curve, settings, ReportOptions{}, source).value;
  ASSERT_EQ(report.size(), 2u + 3u + kImages + 3u);
  const SkyPosition position = StarPosition(tables, settings.var1);
  ASSERT_EQ(tables.lVarRADec.size(), tables.lbNomVar.size());
  EXPECT_NE(position.ra, tables.ResultRAText);  // the star's own position
  for (int i = 0; i < kImages; ++i) {
    const std::string& line = report[5 + i];
    const std::string& row = tables.tDiferencia[2 + i];
    const std::string date(Field(row, rf::kTableDate));
    EXPECT_EQ(line.substr(0, 13), HeliocentricJD(DateToJD(date), position.ra, position.dec));
    const double value = *ParseDouble(Field(row, rf::TableStarValue(settings.var1)));
    EXPECT_EQ(Trim(line.substr(15, 10)), FormatFloat("0.000", value)) << line;
  }
  settings.groupImages = 3;
  GroupMeasurements(settings, curve);
  EXPECT_EQ(GeneralReport(curve, settings, ReportOptions{}, source).value.size(),
            2u + 3u + 4u + 3u);
}

TEST_F(SampleNightReports, AavsoReportOfAnAbsoluteEnsembleWithCheckStar) {
  const ResultsTables& tables = run().out.tables;
  ASSERT_TRUE(tables.EnsembleFlag);
  GraphSettings settings;
  settings.mode = PhotometryMode::kAbsolute;
  settings.var1 = Star("ECLIPSANTE");
  settings.var2 = Star("CHK_11.20") + 1;
  LightCurve curve;
  ASSERT_TRUE(BuildSourceRows(tables, settings, curve).ok());
  const AavsoCheck check = CheckAavsoReport(curve, tables.tAbsoluta.empty(), true);
  ASSERT_TRUE(check.accepted) << check.error;
  EXPECT_EQ(check.warning, "");
  AavsoFields fields;
  fields.obscode = "XYZ";
  fields.chart = "X1";
  OpenAavsoDialog(fields, "ECLIPSANTE", "CHK_11.20", curve.EnsembleFlag);
  ASSERT_EQ(ValidateAavsoFields(fields, curve.RelativeMode, curve.EnsembleFlag).message, "");
  const auto report = WriteAavsoReport(fields, curve, FieldPosition(tables), 3, "Lumenda");
  ASSERT_EQ(report.size(), 7u + kImages);
  for (size_t i = 7; i < report.size(); ++i) {
    EXPECT_NE(report[i].find(",STD,ENSEMBLE,na,CHK_11.20,"), std::string::npos) << report[i];
    // The check star is near its catalogue magnitude.
    std::vector<std::string> f;
    std::string rest = report[i];
    for (size_t c; (c = rest.find(',')) != std::string::npos; rest = rest.substr(c + 1))
      f.push_back(rest.substr(0, c));
    EXPECT_NEAR(*ParseDouble(f[10]), 11.20, 0.1);
  }
  for (PhotometryMode mode : {PhotometryMode::kCounts, PhotometryMode::kRelativeFlux}) {
    settings.mode = mode;
    ASSERT_TRUE(BuildSourceRows(tables, settings, curve).ok());
    EXPECT_EQ(CheckAavsoReport(curve, false, true).error, "Error calculando informe AAVSO.");
  }
}

TEST_F(SampleNightReports, RenameAndDeleteKeepFileAndTablesTogether) {
  ResultsTables tables = run().out.tables;
  std::vector<std::string> graph = tables.tInstrumental;
  std::vector<std::string> images = run().out.ListaFotos;
  bool changed = false;
  const std::string path = run().dir.File("instrumental.txt");
  EditTargets targets{path, &tables, &graph, &images, &changed};

  std::vector<std::string> names = tables.lbNomVar;
  names[Star("PULSANTE")] = "RR LYR";
  ASSERT_TRUE(ApplyRenames(targets, tables.lbNomVar, names).ok());
  ASSERT_TRUE(SaveResults(path, run().dir.File("guardado.txt")).ok());
  auto recovered = RecoverResults({run().dir.File("guardado.txt")}, path);
  ASSERT_TRUE(recovered.ok()) << recovered.message;
  EXPECT_EQ(recovered.value.tables.lbNomVar, names);
  EXPECT_EQ(recovered.value.tables.tDiferencia, tables.tDiferencia);
  EXPECT_EQ(recovered.value.tables.tAbsoluta, tables.tAbsoluta);
  EXPECT_EQ(recovered.value.tables.tFlujos, tables.tFlujos);
  EXPECT_EQ(recovered.value.tables.tInstrumental, tables.tInstrumental);

  const std::string image = run().dir.File("noche/") + SampleImageName(4);
  RecordingMessenger yes;
  int removed = 0;
  ASSERT_TRUE(DeleteImageData(targets, image, yes, &removed).ok());
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(images.size(), kImages - 1u);
  ASSERT_TRUE(SaveResults(path, run().dir.File("guardado.txt")).ok());
  recovered = RecoverResults({run().dir.File("guardado.txt")}, path);
  ASSERT_TRUE(recovered.ok()) << recovered.message;
  const ResultsTables& back = recovered.value.tables;
  EXPECT_EQ(recovered.value.ListaFotos, images);
  for (auto [mine, theirs] :
       {std::pair{&tables.tDiferencia, &back.tDiferencia},
        std::pair{&tables.tAbsoluta, &back.tAbsoluta}, std::pair{&tables.tFlujos, &back.tFlujos},
        std::pair{&tables.tInstrumental, &back.tInstrumental}}) {
    ASSERT_EQ(mine->size(), theirs->size());
    for (size_t i = 0; i < mine->size(); ++i) {
      if (!rf::IsDataRow((*mine)[i])) continue;
      // Same image, same date; the recovery renumbers the rows.
      EXPECT_EQ(rf::RowPath((*mine)[i]), rf::RowPath((*theirs)[i]));
      EXPECT_EQ(Field((*mine)[i], rf::kTableDate), Field((*theirs)[i], rf::kTableDate));
      EXPECT_NE(rf::RowPath((*mine)[i]), image);
    }
  }
}

}  // namespace
}  // namespace lumenda
