#include <gtest/gtest.h>

#include "curve_fixture.h"
#include "curves/graph_settings.h"
#include "curves/light_curve.h"
#include "curves/summary.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

TEST(GraphSettingsFile, SavesTheTwentyThreeKeysInOrderAndRecoversThem) {
  test::TempDir dir;
  GraphSettings changed;
  EXPECT_EQ(LoadGraphSettings(dir.path(), changed).message, "Preferencias no definidas.");
  // Every key away from its default, within its spin range.
  const std::string text =
      "VPOS=10\r\nHPOS=-20\r\nVTAM=700\r\nHTAM=900\r\nCFONDO=123\r\nCV1=1\r\nTV1=9\r\n"
      "EV1=5\r\nCV2=2\r\nTV2=1\r\nEV3=0\r\nCM1=3\r\nTM1=1\r\nSM1=4\r\nVM1=1\r\nCM2=4\r\n"
      "TM2=7\r\nSM2=0\r\nVM2=1\r\nMMP=17\r\nCAM=5\r\nTAM=8\r\nCFO=6\r\n";
  ASSERT_TRUE(ApplyGraphSettingsText(text, changed).ok());
  ASSERT_TRUE(SaveGraphSettings(dir.path(), changed).ok());
  EXPECT_EQ(test::ReadBytes(dir.File("grafico.ini")), text);
  GraphSettings back;
  ASSERT_TRUE(LoadGraphSettings(dir.path(), back).ok());
  EXPECT_EQ(GraphSettingsText(back), GraphSettingsText(changed));
}

TEST(GraphSettingsFile, ReadingAppliesOnlyTheKeysItFinds) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;
    void (*check)(const GraphSettings&);
  };
  const std::vector<Case> cases = {
      {"one key", "TV1=7\r\n", "",
       [](const GraphSettings& s) {
         GraphSettings expected;
         expected.var1Size = 7;
         EXPECT_EQ(GraphSettingsText(s), GraphSettingsText(expected));
       }},
      {"visible non-zero", "VM1=2\nVM2=0\n", "",
       [](const GraphSettings& s) {
         EXPECT_TRUE(s.average1Visible);
         EXPECT_FALSE(s.average2Visible);
       }},
      {"unknown, lower case and no equals", "tv1=9\nXX=1\nTV2\nMMP=5\n", "",
       [](const GraphSettings& s) {
         EXPECT_EQ(s.var1Size, 4);
         EXPECT_EQ(s.averageLength, 5);
       }},
      {"out of the spin range", "TV1=50\nMMP=0\nTAM=9\n", "",
       [](const GraphSettings& s) {
         EXPECT_EQ(s.var1Size, 10);
         EXPECT_EQ(s.averageLength, 1);
         EXPECT_EQ(s.conditionsLineWidth, 8);
       }},
      {"conversion error stops", "TV1=6\nTV2=x5\nMMP=9\n", "'x5' no es un valor entero válido.",
       [](const GraphSettings& s) {
         EXPECT_EQ(s.var1Size, 6);
         EXPECT_EQ(s.var2Size, 4);
         EXPECT_EQ(s.averageLength, 3);
       }},
  };
  for (const Case& c : cases) {
    GraphSettings settings;
    EXPECT_EQ(ApplyGraphSettingsText(c.text, settings).message, c.message) << c.name;
    c.check(settings);
  }
}

TEST(GraphSettings, DefaultLookRestoresColoursSizesAndStyles) {
  GraphSettings settings;
  settings.var1Colour = settings.var2Colour = settings.average1Colour = 7;
  settings.var1Size = settings.average2Width = 9;
  settings.var2Style = settings.average1Style = 3;
  settings.averageLength = 11;
  settings.windowTop = 1;
  RestoreDefaultLook(settings);
  GraphSettings expected;
  expected.averageLength = 11;  // not part of the look
  expected.windowTop = 1;
  EXPECT_EQ(GraphSettingsText(settings), GraphSettingsText(expected));
}

TEST(GraphSettings, DashedLinesAreOnePixelWide) {
  GraphSettings settings;
  SetAverageWidth(settings, 1, 5);
  SetAverageStyle(settings, 1, 2);
  EXPECT_EQ(settings.average1Width, 1);
  EXPECT_EQ(settings.average1Style, 2);
  SetAverageWidth(settings, 1, 3);
  EXPECT_EQ(settings.average1Style, 0);
  EXPECT_EQ(settings.average1Width, 3);
  // A width of 1 keeps the dashed style; line 2 is independent.
  SetAverageStyle(settings, 2, 4);
  SetAverageWidth(settings, 2, 1);
  EXPECT_EQ(settings.average2Style, 4);
  EXPECT_EQ(settings.average1Width, 3);
}

TEST(Summary, StatisticsOfTheSourceRowsBeforeGrouping) {
  auto rows = test::EvenNight(4);
  rows[2].counts = {0, 20000};
  const auto tables = test::TablesOf(test::NightLines({"11.0"}, {"V1", "CHK"}, rows));
  GraphSettings settings;
  settings.groupImages = 4;
  LightCurve curve = test::Build(tables, settings);
  std::vector<double> v;
  for (int i : {2, 3, 5}) v.push_back(ParseDouble(tables.tDiferencia[i].substr(31, 9)).value());
  const double mean = (v[0] + v[1] + v[2]) / 3;
  const double maxV = std::max({v[0], v[1], v[2]}), minV = std::min({v[0], v[1], v[2]});
  double q = 0;
  for (double x : v) q += (x - mean) * (x - mean);
  const StarSummary s = FillSummary(curve.SourceRows, 0, "V1");
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.name, "V1");
  EXPECT_EQ(s.values[0], FormatFloat("0.000", maxV));
  EXPECT_EQ(s.values[1], FormatFloat("0.000", minV));
  EXPECT_EQ(s.values[2], FormatFloat("0.000", maxV - minV));
  EXPECT_EQ(s.values[3], FormatFloat("0.000", minV + (maxV - minV) / 2));
  EXPECT_EQ(s.values[4], FormatFloat("0.000", mean));
  EXPECT_EQ(s.values[5], FormatFloat("0.000", std::sqrt(q / 3)));

  // Counts are far above 1000: the minimum is the smallest count.
  settings.mode = PhotometryMode::kCounts;
  curve = test::Build(tables, settings);
  EXPECT_EQ(FillSummary(curve.SourceRows, 1, "CHK").values[1], "20000.000");
  EXPECT_EQ(FillSummary(curve.SourceRows, 0, "V1").values[0], "52100.000");
}

TEST(Summary, NoValueOrNoStarShowsDashes) {
  auto rows = test::EvenNight(2);
  for (auto& r : rows) r.counts = {0, 20000};
  const auto tables = test::TablesOf(test::NightLines({"11.0"}, {"V1", "CHK"}, rows));
  GraphSettings settings;
  const LightCurve curve = test::Build(tables, settings);
  for (int k : {0, -1}) {
    const StarSummary s = FillSummary(curve.SourceRows, k, "V1");
    EXPECT_EQ(s.name, "---");
    for (const auto& v : s.values) EXPECT_EQ(v, "---");
  }
  EXPECT_EQ(AppendToComment("", "Máximo:"), "Máximo:");
  EXPECT_EQ(AppendToComment("Máximo:", "12.345"), "Máximo: 12.345");
}

}  // namespace
}  // namespace lumenda
