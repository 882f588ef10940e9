#include <gtest/gtest.h>

#include "curves/chart_axes.h"

namespace lumenda {
namespace {

TEST(ChartAxes, VerticalAxisFollowsThePhotometryMode) {
  struct Case {
    PhotometryMode mode;
    const char* title;
    bool inverted;
    int decimals;
  };
  const Case cases[] = {
      {PhotometryMode::kRelative, "Fotometría relativa", true, 3},
      {PhotometryMode::kAbsolute, "Fotometría absoluta", true, 3},
      {PhotometryMode::kRelativeFlux, "Flujo relativo", false, 3},
      {PhotometryMode::kCounts, "Flujo absoluto (cuentas)", false, 0},
  };
  for (const Case& c : cases) {
    GraphSettings settings;
    settings.mode = c.mode;
    settings.yDecimals = 3;
    settings.ySeparation = 2;
    const AxisLook axis = MagnitudeAxis(settings);
    EXPECT_EQ(axis.title, c.title);
    EXPECT_EQ(axis.inverted, c.inverted) << c.title;
    EXPECT_EQ(axis.decimals, c.decimals) << c.title;
    EXPECT_EQ(axis.separationPercent, 125);
  }
  EXPECT_EQ(ValueFormat(0), "#0");
  EXPECT_EQ(ValueFormat(5), "#0.00000");

  GraphSettings settings;
  settings.xSeparation = 3;
  EXPECT_EQ(TimeAxis(settings, 40).separationPercent, 500);
  settings.xSeparation = 4;  // no separation of its own: the previous one stays
  EXPECT_EQ(TimeAxis(settings, 125).separationPercent, 125);
}

TEST(ChartAxes, DateTimeFormatIsChosenByTheSpan) {
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kDateTime, 0.039), "hh:nn:ss");
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kDateTime, 0.04), "hh:nn");
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kDateTime, 0.99), "hh:nn");
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kDateTime, 1.0), "dd/mm/yyyy");
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kMpc, 1.0), "");
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kMpc, 1.5), "yyyymmdd");
  EXPECT_EQ(DateTimeAxisFormat(TimeScale::kHjd, 30), "");
}

TEST(ChartAxes, PointerReadOutShowsTheTimeInTheChartsScale) {
  // 2008-08-12 is calendar day 39672; JD 2454690.5 at its midnight.
  EXPECT_EQ(PointerTimeText(TimeScale::kHjd, 0.75, 2454690), "Fecha: 2454690.75000");
  EXPECT_EQ(PointerTimeText(TimeScale::kGjd, 2454690.123456, 0), "Fecha: 2454690.12346");
  EXPECT_EQ(PointerTimeText(TimeScale::kDateTime, 0.5, 39672), "Fecha: 12/08/2008 12:00:00");
  EXPECT_EQ(PointerTimeText(TimeScale::kMpc, 0.25, 39672), "Fecha: 20080812.25000");
}

TEST(ChartAxes, TickStepKeepsRoomForTheLabels) {
  // 300 px for 1 unit with 40 px labels and 20 % between them: at least
  // 0.16 units apart, so 0.2.
  EXPECT_DOUBLE_EQ(AxisTickStep(1.0, 300, 40, 20), 0.2);
  EXPECT_DOUBLE_EQ(AxisTickStep(1.0, 300, 40, 300), 1.0);
  EXPECT_DOUBLE_EQ(AxisTickStep(-0.05, 500, 30, 0), 0.005);
  EXPECT_DOUBLE_EQ(AxisTickStep(10000, 600, 60, 125), 5000);
  EXPECT_DOUBLE_EQ(AxisTickStep(0, 600, 60, 125), 1.0);
}

TEST(ChartAxes, StoredColoursKeepRedInTheLowestByte) {
  EXPECT_EQ(RgbOfStoredColour(255), 0xFF0000u);
  EXPECT_EQ(RgbOfStoredColour(8388608), 0x000080u);
  EXPECT_EQ(RgbOfStoredColour(15329511), 0xE7E8E9u);
  EXPECT_EQ(StoredColourOfRgb(0x000080u), 8388608);
  EXPECT_EQ(StoredColourOfRgb(RgbOfStoredColour(0x123456)), 0x123456);
}

}  // namespace
}  // namespace lumenda
