#include <gtest/gtest.h>

#include <cmath>

#include "curve_fixture.h"
#include "curves/star_data_file.h"
#include "curves/variable_display.h"
#include "run/results_format.h"
#include "text/fixed_columns.h"

namespace lumenda {
namespace {

TEST(StarDataFile, KeepsOnlyTheChosenStarsColumn) {
  const auto lines =
      test::NightLines({"11.0", "12.0"}, {"V1", "V10", "CHK"}, test::EvenNight(3),
                       {"01 02 03.4  +11 22 33", "05 06 07.8  -44 55 06", "09 10 11.2  +00 11 22"});
  const auto tables = test::TablesOf(lines);
  const LightCurve curve;
  const GraphSettings settings;
  const auto file = StarDataFile(lines, "V10", tables, curve, settings);
  ASSERT_TRUE(file.ok()) << file.message;
  // The layout is pinned by datos_estrella.txt; here V10 is told from V1 and
  // the file reads back as a results file of that one star.
  const auto& out = file.value;
  ASSERT_EQ(out.size(), 4u + 2u + 2u + 3u);
  ResultsTables reread;
  ASSERT_TRUE(BuildResults(out, reread).ok());
  EXPECT_EQ(reread.lbNomVar, std::vector<std::string>{"V10"});
  EXPECT_EQ(reread.lVarRADec, std::vector<std::string>{"05 06 07.8  -44 55 06"});
  EXPECT_EQ(Field(reread.tFlujos[2], results::TableStarValue(0)),
            Field(tables.tFlujos[2], results::TableStarValue(1)));
}

TEST(StarDataFile, UnknownStarAndFieldPositionFallback) {
  const auto lines = test::NightLines({"11.0"}, {"V10"}, test::EvenNight(2));
  const auto tables = test::TablesOf(lines);
  const LightCurve curve;
  const GraphSettings settings;
  EXPECT_EQ(StarDataFile(lines, "V1", tables, curve, settings).message, "Estrella no encontrada.");
  const auto file = StarDataFile(lines, "V10", tables, curve, settings);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file.value[3], ">>> 12 34 56.7  -05 06 07");
}

TEST(StarDataFile, TrendCorrectionKeepsCountsAndMagnitudeTogether) {
  auto rows = test::EvenNight(3);
  rows[1].counts = {0, 20000};
  const auto lines = test::NightLines({"11.0"}, {"V1", "CHK"}, rows);
  const auto tables = test::TablesOf(lines);
  LightCurve curve;
  curve.TrendSlope = 2.0;
  curve.TrendIntercept = -0.5;
  curve.ChartDayBase = 2454691;
  for (PhotometryMode mode : {PhotometryMode::kRelative, PhotometryMode::kAbsolute}) {
    GraphSettings settings;
    settings.mode = mode;
    const auto file = StarDataFile(lines, "V1", tables, curve, settings);
    ASSERT_TRUE(file.ok());
    for (int i : {0, 2}) {
      const std::string& in = lines[lines.size() - 3 + i];
      const std::string& out = file.value[file.value.size() - 3 + i];
      const double m = *ParseDouble(Field(in, results::RowStarMag(0)));
      const double f = *ParseDouble(Field(in, results::RowStarCounts(0)));
      const double t = CalendarOfDate(Field(in, results::kRowDate)) + 2415018.5 - 2454691;
      const double corr = mode == PhotometryMode::kRelative ? 2.0 * t - 0.5 : 0.0;
      const double m2 = *ParseDouble(Field(out, results::RowStarMag(0)));
      const double f2 = *ParseDouble(Field(out, results::RowStarCounts(0)));
      EXPECT_NEAR(m2, m - corr, 6e-6);
      EXPECT_NEAR(f2, std::round(f * std::pow(10.0, corr / 2.512)), 0.5);
      const double c = *ParseDouble(Field(out, results::kRowCompara));
      EXPECT_NEAR(10 - 2.512 * std::log10(f2 / c), m2, 1e-4);
    }
    // The unmeasured row stays unmeasured.
    EXPECT_EQ(Field(file.value[file.value.size() - 2], results::RowStarMag(0)), "--------");
  }
}

std::vector<std::string> Graph(int stars, int rows) {
  std::vector<std::string> names;
  for (int k = 0; k < stars; ++k) names.push_back("VS_" + std::to_string(k));
  auto night = test::EvenNight(rows);
  for (auto& r : night) {
    r.counts.clear();
    for (int k = 0; k < stars; ++k) r.counts.push_back(10000 * (k + 1) + 37 * r.compara % 997);
  }
  return test::TablesOf(test::NightLines({"11.0"}, names, night)).tInstrumental;
}

TEST(VariableDisplay, GroupWindowAndLabel) {
  struct Case {
    int start, quantity, columns;
    int shownStart, shownLast;
    std::string label;
  };
  for (const Case& c : std::vector<Case>{{0, 5, 3, 0, 2, "1 a 3 de 3"},
                                         {0, 5, 12, 0, 4, "1 a 5 de 12"},
                                         {10, 5, 12, 7, 11, "8 a 12 de 12"},
                                         {15, 3, 12, 9, 11, "10 a 12 de 12"},
                                         {-3, 3, 12, 0, 2, "1 a 3 de 12"}}) {
    const StarGroup g = GroupWindow(c.start, c.quantity, c.columns);
    EXPECT_EQ(g.start, c.shownStart) << c.label;
    EXPECT_EQ(g.last, c.shownLast) << c.label;
    EXPECT_EQ(GroupLabel(true, g, c.columns, 0), c.label);
  }
  EXPECT_EQ(GroupLabel(false, {}, 12, 12), "Total: 12");
  EXPECT_EQ(StepGroupStart(0, 5, -1), 0);
  EXPECT_EQ(StepGroupStart(5, 5, -1), 0);
  EXPECT_EQ(StepGroupStart(5, 5, 1), 10);
  EXPECT_DOUBLE_EQ(StackStep(3, 5), 0.5);
  EXPECT_DOUBLE_EQ(StackStep(1, 3), 1.5);
}

TEST(VariableDisplay, StackedCurvesStartAtTheirOwnLevels) {
  const auto graph = Graph(4, 5);
  ASSERT_EQ(GraphStarCount(graph), 4);
  EXPECT_EQ(GraphStarName(graph, 2), "VS_2");
  StarGroup shown;
  const auto curves = VariableCurves(graph, true, 1, 3, 3, false, {}, &shown);
  EXPECT_EQ(shown.start, 1);
  EXPECT_EQ(shown.last, 3);
  ASSERT_EQ(curves.size(), 3u);
  const double step = StackStep(3, 3);
  for (size_t i = 0; i < curves.size(); ++i) {
    EXPECT_EQ(curves[i].name, "VS_" + std::to_string(i + 1));
    EXPECT_NEAR(curves[i].y.front(), i * step, 1e-9);
    EXPECT_EQ(curves[i].x, (std::vector<double>{0, 1, 2, 3, 4}));
  }
  const auto all = VariableCurves(graph, false, 1, 3, 3, false, {}, &shown);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_DOUBLE_EQ(all[0].y.front(), *GraphMagnitude(graph, 1, 0));
}

TEST(VariableDisplay, StarWithoutFirstValueIsLevelledOnItsFirstValue) {
  auto night = test::EvenNight(3);
  night[0].counts = {0, 20000};
  const auto graph =
      test::TablesOf(test::NightLines({"11.0"}, {"VS_A", "VS_B"}, night)).tInstrumental;
  EXPECT_FALSE(GraphMagnitude(graph, 1, 0));
  EXPECT_NEAR(StackOffset(graph, 0, 0, 0.5), -*GraphMagnitude(graph, 2, 0), 1e-9);
  EXPECT_NEAR(StackOffset(graph, 1, 0, 0.5), 0.5 - *GraphMagnitude(graph, 1, 1), 1e-9);
}

TEST(VariableDisplay, StatisticsAndVerdict) {
  struct Case {
    const char* name;
    std::vector<double> y;
    int sensitivity;
    bool flagged;
  };
  // Slow swing: large scatter, small jumps.
  std::vector<double> swing;
  for (int i = 0; i < 20; ++i) swing.push_back(0.5 * std::sin(i / 6.0));
  // Noise: alternating values, jumps as large as the scatter.
  std::vector<double> noise;
  for (int i = 0; i < 20; ++i) noise.push_back(i % 2 ? 0.1 : -0.1);
  const std::vector<Case> cases = {
      {"swing", swing, 1, true},
      {"noise", noise, 3, false},
      {"flat", std::vector<double>(10, 12.0), 3, false},
      {"tiny swing", {0.0, 0.001, 0.002, 0.003, 0.004, 0.005}, 3, false},
  };
  for (const Case& c : cases) {
    const CurveStatistics s = CurveStats(c.y, c.sensitivity);
    EXPECT_EQ(s.possibleVariable, c.flagged) << c.name;
    EXPECT_EQ(s.flag, c.flagged ? "Posible variable" : "") << c.name;
  }
  // The four texts: mean, deviation, height and their ratio.
  auto texts = [](const CurveStatistics& s) {
    return std::vector<std::string>{s.mean, s.sd, s.height, s.ratio};
  };
  EXPECT_EQ(texts(CurveStats(noise, 1)),
            (std::vector<std::string>{"Promedio: 0.00", "Desv. est: 0.10", "Altura:    0.20",
                                      "D.E./Altura: 0.50"}));
  EXPECT_EQ(CurveStats(std::vector<double>(10, 12.0), 1).ratio, "D.E./Altura: n/d");
  EXPECT_EQ(texts(CurveStats({1, 2, 3}, 1)),
            (std::vector<std::string>{"Promedio : n/d", "Desv. est: n/d", "Altura:    n/d", ""}));
  // The threshold falls with the sensitivity: a ramp with a zigzag has a
  // ratio of 1.358, which passes only at sensitivities 2 and 3.
  std::vector<double> y;
  for (int i = 0; i < 10; ++i) y.push_back(0.1 * i + (i % 2) * 0.23);
  EXPECT_EQ(CurveStats(y, 1).ratio, "D.E./Altura: 1.36");
  EXPECT_FALSE(CurveStats(y, 1).possibleVariable);
  EXPECT_TRUE(CurveStats(y, 2).possibleVariable);
  EXPECT_TRUE(CurveStats(y, 3).possibleVariable);
}

}  // namespace
}  // namespace lumenda
