#include <gtest/gtest.h>

#include <cmath>

#include "curve_fixture.h"
#include "curves/curve_formats.h"
#include "curves/light_curve.h"
#include "run/results_format.h"
#include "text/fixed_columns.h"

namespace lumenda {
namespace {

using test::Build;
using test::EvenNight;
using test::NightLines;
using test::TablesOf;

double Num(std::string_view row, Column c) {
  return ParseDouble(Field(row, c)).value();
}

TEST(LightCurve, GroupSizesFollowImagesAndMinutes) {
  struct Case {
    const char* name;
    bool minutes;
    int n;
    std::vector<std::string> sizes;
  };
  const std::vector<Case> cases = {
      {"3 images", false, 3, {"03", "03", "03", "01"}},
      {"10 images", false, 10, {"10"}},
      {"4 images", false, 4, {"04", "04", "02"}},
      // Rows 9 minutes apart: 18 minutes start a new group exactly at the limit.
      {"18 minutes", true, 18, {"02", "02", "02", "02", "02"}},
      {"19 minutes", true, 19, {"03", "03", "03", "01"}},
      {"1 minute", true, 1, {"01", "01", "01", "01", "01", "01", "01", "01", "01", "01"}},
  };
  auto rows = EvenNight(10);
  for (int i = 0; i < 10; ++i) rows[i].date = test::DateAt(9.0 * i);
  const auto tables = TablesOf(NightLines({"11.0"}, {"V1", "CHK"}, rows));
  for (const Case& c : cases) {
    GraphSettings settings;
    settings.groupByMinutes = c.minutes;
    (c.minutes ? settings.groupMinutes : settings.groupImages) = c.n;
    const LightCurve curve = Build(tables, settings);
    std::vector<std::string> sizes;
    for (size_t i = 2; i < curve.GroupedRows.size(); ++i)
      sizes.emplace_back(Field(curve.GroupedRows[i], curve::kCount));
    EXPECT_EQ(sizes, c.sizes) << c.name;
    // Only single-image groups carry the image path.
    for (size_t i = 2; i < curve.GroupedRows.size(); ++i)
      EXPECT_EQ(curve.GroupedRows[i].find('*') != std::string::npos,
                Field(curve.GroupedRows[i], curve::kCount) == "01")
          << c.name;
  }
}

TEST(LightCurve, FluxModesUseTheirOwnValuesAndErrorsAndGiveNoAavsoRows) {
  const auto tables = TablesOf(NightLines({"11.0"}, {"V1"}, EvenNight(2)));
  struct Case {
    PhotometryMode mode;
    bool aavso;
  };
  for (Case c : {Case{PhotometryMode::kCounts, false}, Case{PhotometryMode::kRelativeFlux, false},
                 Case{PhotometryMode::kRelative, true}, Case{PhotometryMode::kAbsolute, true}}) {
    GraphSettings settings;
    settings.mode = c.mode;
    const LightCurve curve = Build(tables, settings);
    EXPECT_EQ(curve.AavsoRows.empty(), !c.aavso);
    const std::string& row = curve.GroupedRows[2];
    if (c.mode == PhotometryMode::kCounts) {
      // " 000050000" and an error of counts / RSR.
      EXPECT_EQ(Field(row, curve::kValue1), " 000050000");
      const double rsr = Num(tables.tFlujos[2], results::TableStarRsr(0));
      EXPECT_EQ(Field(row, curve::kError1), FormatFloat("0000000", 50000 / rsr));
    }
  }
}

TEST(LightCurve, AbsoluteModeWithoutCatalogueNamesFallsBackToRelative) {
  const auto tables = TablesOf(NightLines({"C1 estrella"}, {"V1"}, EvenNight(3)));
  ASSERT_TRUE(tables.tAbsoluta.empty());
  GraphSettings settings;
  LightCurve curve = Build(tables, settings);
  const auto before = curve.GroupedRows;
  settings.mode = PhotometryMode::kAbsolute;
  const Status status = BuildSourceRows(tables, settings, curve);
  EXPECT_EQ(status.message,
            "Nombre de estrellas de calibrado no numérico,\r\ninforme de fotometría absoluta no "
            "disponible.");
  EXPECT_EQ(settings.mode, PhotometryMode::kRelative);
  EXPECT_EQ(curve.GroupedRows, before);
}

TEST(LightCurve, AavsoRowsCarryCountsMagnitudesAndCheckStar) {
  const auto tables = TablesOf(NightLines({"11.0", "12.0"}, {"V1", "CHK"}, EvenNight(2)));
  struct Case {
    PhotometryMode mode;
    int var2;
  };
  for (Case c : {Case{PhotometryMode::kAbsolute, 0}, Case{PhotometryMode::kAbsolute, 2},
                 Case{PhotometryMode::kRelative, 0}}) {
    GraphSettings settings;
    settings.mode = c.mode;
    settings.var2 = c.var2;
    const LightCurve curve = Build(tables, settings);
    ASSERT_EQ(curve.AavsoRows.size(), 2u);
    const std::string& a = curve.AavsoRows[0];
    const std::string& g = curve.GroupedRows[2];
    EXPECT_EQ(Field(a, curve::kAavsoDate), Field(g, curve::kDate));
    EXPECT_NEAR(Num(a, curve::kAavsoCmag), -2.512 * std::log10(100000.0), 6e-6);
    if (c.mode == PhotometryMode::kAbsolute)
      EXPECT_NEAR(Num(a, curve::kAavsoMag), Num(g, curve::kValue1), 6e-6);
    else  // relative: the counts given back by the RSR, against the comparison counts
      EXPECT_NEAR(
          Num(a, curve::kAavsoMag),
          -2.512 * std::log10(
                       3 * std::pow(2 * Num(tables.tDiferencia[2], results::TableStarRsr(0)), 2)) +
              2.512 * std::log10(100000.0),
          1e-4);
    EXPECT_NEAR(Num(a, curve::kAavsoKmag), c.var2 ? Num(g, curve::kValue2) : 99.0, 6e-6);
    EXPECT_NEAR(Num(a, curve::kAavsoAirMass), 1.2, 6e-6);
    EXPECT_EQ(a.size(), 69u);
  }
}

TEST(LightCurve, GroupWithoutVariable1KeepsVariable2AndNoAavsoRow) {
  auto rows = EvenNight(2);
  rows[1].counts = {0, 20000};
  const auto tables = TablesOf(NightLines({"11.0"}, {"V1", "CHK"}, rows));
  GraphSettings settings;
  settings.var2 = 2;
  const LightCurve curve = Build(tables, settings);
  ASSERT_EQ(curve.GroupedRows.size(), 4u);
  EXPECT_EQ(curve.GroupedRows[3].substr(26, 28), std::string(28, ' '));
  EXPECT_TRUE(ParseDouble(Field(curve.GroupedRows[3], curve::kValue2)).has_value());
  EXPECT_EQ(curve.AavsoRows.size(), 1u);
  // Neither star measured: no row at all.
  settings.var2 = 0;
  EXPECT_EQ(Build(tables, settings).GroupedRows.size(), 3u);
}

TEST(LightCurve, TrendCorrectionSubtractsTheLineAtTheGroupTime) {
  const auto tables = TablesOf(NightLines({"11.0"}, {"V1"}, EvenNight(3)));
  GraphSettings settings;
  LightCurve plain = Build(tables, settings);
  struct Case {
    PhotometryMode mode;
    TimeScale scale;
    double offset;  // what the date adds before the day base
    double plus;
  };
  for (Case c : {Case{PhotometryMode::kRelative, TimeScale::kGjd, 2415018.5, 0.0},
                 Case{PhotometryMode::kRelative, TimeScale::kMpc, 0.0, 0.0},
                 Case{PhotometryMode::kRelativeFlux, TimeScale::kHjd, 2415018.5, 1.0}}) {
    settings.mode = c.mode;
    settings.scale = c.scale;
    LightCurve base = Build(tables, settings);
    LightCurve corrected = base;
    corrected.TrendSlope = 0.5;
    corrected.TrendIntercept = 0.1;
    corrected.ChartDayBase = c.offset > 0 ? 2454690 : 39671;
    GroupMeasurements(settings, corrected);
    for (size_t i = 2; i < corrected.GroupedRows.size(); ++i) {
      const double t = CalendarOfDate(Field(base.GroupedRows[i], curve::kDate)) + c.offset -
                       corrected.ChartDayBase;
      EXPECT_NEAR(Num(corrected.GroupedRows[i], curve::kValue1),
                  Num(base.GroupedRows[i], curve::kValue1) - (0.5 * t + 0.1) + c.plus, 2e-5);
    }
  }
}

TEST(LightCurve, StarPositionPrefersTheStarsOwnSkyEntry) {
  const auto withSky = TablesOf(NightLines({"11.0"}, {"V1", "V2"}, EvenNight(2),
                                           {"01 02 03.4  +11 22 33", "05 06 07.8  -44 55 06"}));
  EXPECT_EQ(StarPosition(withSky, 1).ra, "05 06 07.8");
  EXPECT_EQ(StarPosition(withSky, 1).dec, "-44 55 06");
  const auto without = TablesOf(NightLines({"11.0"}, {"V1", "V2"}, EvenNight(2)));
  EXPECT_EQ(StarPosition(without, 1).ra, "12 34 56.7");
  EXPECT_EQ(StarPosition(without, 1).dec, "-05 06 07");
}

}  // namespace
}  // namespace lumenda
