#include <gtest/gtest.h>

#include <cmath>

#include "period/ephemeris.h"
#include "period/period_results.h"

namespace lumenda {
namespace {

TEST(FormatWithError, DecimalsFollowTheError) {
  struct Case {
    double value;
    double error;
    const char* text;
  };
  const Case cases[] = {
      {2455123.45678, 0.0012, "2455123.457 ± 0.001"},
      {0.35, 0.95, "0 ± 1"},
      {12.3456, 1.7, "12 ± 2"},
      {12.3456, 0.94, "12.3 ± 0.9"},
      {0.514333, 0.00001, "0.51433 ± 0.00001"},
      {0.514333, 0.0000094, "0.514333 ± 0.000009"},
      {1.5, 0.0000000012, "1.500000000 ± 0.000000001"},
      {1.5, 0.0000000001, "1.5 ± 1E-10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatWithError(c.value, c.error), c.text);
  }
}

TEST(MeanAndDeviation, PopulationFigures) {
  EXPECT_FALSE(MeanAndDeviation({}).has_value());
  MeanDeviation one = *MeanAndDeviation({3.5});
  EXPECT_DOUBLE_EQ(one.mean, 3.5);
  EXPECT_EQ(one.deviation, 0);  // rounding below zero is guarded
  MeanDeviation four = *MeanAndDeviation({1, 2, 3, 4});
  EXPECT_DOUBLE_EQ(four.mean, 2.5);
  EXPECT_NEAR(four.deviation, std::sqrt(1.25), 1e-12);
  MeanDeviation same = *MeanAndDeviation({10.1, 10.1, 10.1});
  EXPECT_FALSE(std::isnan(same.deviation));
}

PeriodData WithCentred(const std::vector<double>& values) {
  PeriodData data;
  for (size_t i = 0; i < values.size(); ++i) {
    data.Observations.push_back({2455000.0 + i * 0.1, values[i], 12 + values[i], 0, 0});
  }
  data.SeriesOffsets = {0};
  return data;
}

TEST(EstimateAmplitude, TenFaintestAgainstTenBrightestLeavingOutTheExtreme) {
  // Exactly 11 points: both groups are positions 0-9.
  std::vector<double> eleven = {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 5};
  Amplitude a = *EstimateAmplitude(WithCentred(eleven));
  EXPECT_NEAR(a.amplitude, 0, 1e-12);
  const double spread =
      MeanAndDeviation({0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9})->deviation;
  EXPECT_NEAR(a.error, 2 * spread, 1e-12);

  std::vector<double> values;
  for (int i = 0; i < 10; ++i) values.push_back(-0.5);
  for (int i = 0; i < 30; ++i) values.push_back(0.01 * i - 0.15);
  for (int i = 0; i < 10; ++i) values.push_back(0.4);
  values.push_back(3.0);  // a single outlier: left out of the faint group
  PeriodData data = WithCentred(values);
  data.Observations[0].Deleted = 1;  // deleted points still count
  data.SeriesOffsets = {7};          // offsets are not applied
  Amplitude b = *EstimateAmplitude(data);
  EXPECT_NEAR(b.amplitude, 0.9, 1e-9);
  EXPECT_NEAR(b.error, 0, 1e-6);

  EXPECT_FALSE(EstimateAmplitude(WithCentred({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})).has_value());
}

TEST(SetPhaseOrigin, ClickedPhaseBecomesZeroAndTitleStatesTheResult) {
  std::vector<double> values;
  for (int i = 0; i < 30; ++i) values.push_back(i < 12 ? 0.25 : -0.25);
  PeriodData data = WithCentred(values);
  data.TimeScale = "HJD";
  data.SeriesOffsets = {0, 0};                      // two series
  PhaseOriginInput input{0.5, 0.25, 0, 0.2f, 700};  // period, readout, origin, margin, width
  PhaseOriginResult r = SetPhaseOrigin(data, input);
  EXPECT_EQ(r.phaseOrigin, 0.75f);
  EXPECT_DOUBLE_EQ(r.epoch, 2455000.0 + 0.25 * 0.5);
  EXPECT_DOUBLE_EQ(r.clickedPhase, 0.25);
  EXPECT_NEAR(r.epochError, 2 * 0.5 * 1.4 / 700, 1e-9);  // the margin is single precision
  EXPECT_DOUBLE_EQ(r.periodError, 1.424 * r.epochError / 2);
  ASSERT_TRUE(r.amplitude.has_value());
  EXPECT_EQ(r.resultTitle,
            " - Época HJD: 2455000.125 ± 0.002 - Periodo: 0.500 ± 0.001 - Amplitud: 0.5 ± 0");

  // A click on the current origin keeps it; tiny errors are floored.
  input.readoutPhase = 0.75;
  input.phaseOrigin = 0.75f;
  input.chartWidth = 1000000;
  r = SetPhaseOrigin(data, input);
  EXPECT_EQ(r.phaseOrigin, 0.0f);
  EXPECT_DOUBLE_EQ(r.epoch, 2455000.0);
  EXPECT_DOUBLE_EQ(r.periodError, 0.00001);

  // Too few points for an amplitude: the title says so.
  PeriodData few = WithCentred({0.1, -0.1, 0.2, -0.2, 0.0});
  few.TimeScale = "GJD";
  r = SetPhaseOrigin(few, {0.5, 0.1, 0, 0.2f, 700});
  EXPECT_FALSE(r.amplitude.has_value());
  EXPECT_NE(r.resultTitle.find(" - Época GJD: "), std::string::npos);
  EXPECT_NE(r.resultTitle.find(" - Amplitud: datos insuficientes"), std::string::npos);
}

TEST(PeriodReport, ListsEachPointOnceSortedAsText) {
  std::vector<PlotPoint> phase = {
      {0.75, 0.123, 1, 0}, {-0.25, 0.123, 1, 0}, {0.1, -0.05, 2, 0},
      {1.1, -0.05, 2, 0},  {0.0, 0.0, 3, 0},
  };
  std::vector<std::string> report = PeriodReport("V6 M3", phase, true);
  const std::vector<std::string> expected = {"V6 M3",
                                             "",
                                             "FASE     MAGNITUD",
                                             "0.00000     00.000",
                                             "0.10000    -00.050",
                                             "0.75000     00.123"};
  EXPECT_EQ(report, expected);

  std::vector<PlotPoint> days = {{12.5, 10.25, 1, 0}, {0.25, 9.5, 2, 0}};
  const std::vector<std::string> expectedDays = {"V", "", "PERIODO   MAGNITUD",
                                                 " 0.25000     09.500", "12.50000     10.250"};
  EXPECT_EQ(PeriodReport("V", days, false), expectedDays);
  EXPECT_TRUE(PeriodReport("V", {{1.2, 0, 0, 0}}, true).empty());
}

// JD 2460000.5 is 25/02/2023 00:00.
TEST(ComputeEphemeris, ListsThePhaseBetweenTheDates) {
  struct Case {
    const char* epoch;
    const char* period;
    const char* phase;
    const char* start;
    const char* end;
    std::vector<std::string> times;
  };
  const std::vector<std::string> quarters = {"25/02/2023  06:00", "25/02/2023  12:00",
                                             "25/02/2023  18:00"};
  const std::vector<std::string> shifted = {"25/02/2023  03:00", "25/02/2023  09:00",
                                            "25/02/2023  15:00", "25/02/2023  21:00"};
  const std::vector<std::string> twoDays = {"26/02/2023  12:00", "28/02/2023  00:00"};
  const Case cases[] = {
      // One day: the event at 00:00 of the start date and the one at the
      // end of the end date are both outside.
      {"2460000.50000", "0.25", "0.000", "25/02/2023", "25/02/2023", quarters},
      {"2460000.50000", "0.25", "0.500", "25/02/2023", "25/02/2023", shifted},
      // Epochs decades away give the same list.
      {"2440000.50000", "0.25", "0.000", "25/02/2023", "25/02/2023", quarters},
      {"2480000.50000", "0.25", "0.000", "25/02/2023", "25/02/2023", quarters},
      {"2460000.50000", "1.5", "0.000", "26/02/2023", "28/02/2023", twoDays},
      // A period longer than the interval may list nothing.
      {"2460000.50000", "10", "0.000", "27/02/2023", "27/02/2023", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.epoch << " " << c.period << " " << c.phase);
    EphemerisResult result =
        ComputeEphemeris({"RR Lyr", c.epoch, c.period, c.phase, c.start, c.end});
    ASSERT_TRUE(result.ok()) << result.message;
    std::vector<std::string> expected = {"RR Lyr",
                                         "",
                                         std::string("Época: ") + c.epoch,
                                         std::string("Periodo: ") + c.period,
                                         std::string("Fase: ") + c.phase,
                                         "",
                                         "Horas en TU"};
    expected.insert(expected.end(), c.times.begin(), c.times.end());
    EXPECT_EQ(result.lines, expected);
  }
}

TEST(ComputeEphemeris, RefusesBadDatesAndPeriods) {
  // Each case changes one field of a valid input.
  struct Case {
    std::string EphemerisInput::*field;
    const char* text;
    const char* message;
    EphemerisField focus;
  };
  using I = EphemerisInput;
  const Case cases[] = {
      {&I::startText, "00/00/0000", "Fecha inicial incorrecta.", EphemerisField::kStart},
      {&I::startText, "31/02/2023", "Fecha inicial incorrecta.", EphemerisField::kStart},
      {&I::endText, "00/00/0000", "Fecha final incorrecta.", EphemerisField::kEnd},
      {&I::startText, "03/03/2023", "La fecha inicial no puede ser mayor que la final.",
       EphemerisField::kStart},
      {&I::periodText, "0", "El periodo debe ser mayor que 0.", EphemerisField::kPeriod},
      {&I::periodText, "-0.5", "El periodo debe ser mayor que 0.", EphemerisField::kPeriod},
      {&I::periodText, "x", "\"x\" no es un valor numérico válido.", EphemerisField::kPeriod},
      {&I::epochText, "", "\"\" no es un valor numérico válido.", EphemerisField::kEpoch},
      {&I::phaseText, "a", "\"a\" no es un valor numérico válido.", EphemerisField::kPhase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EphemerisInput input{"RR Lyr", "2460000.5", "0.5", "0.000", "01/03/2023", "02/03/2023"};
    input.*c.field = c.text;
    EphemerisResult result = ComputeEphemeris(input);
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(result.focus, c.focus);
    EXPECT_TRUE(result.lines.empty());
  }
}

TEST(ComputeEphemeris, OpeningValuesAndDefaultDates) {
  EXPECT_DOUBLE_EQ(EphemerisEpoch(2455000.0, 0.75f, 0.5), 2455000.0 - 0.375);
  // Today and a week later: eight calendar days.
  auto [start, end] = DefaultEphemerisDates(44982.7);
  EXPECT_EQ(start, "25/02/2023");
  EXPECT_EQ(end, "04/03/2023");
}

}  // namespace
}  // namespace lumenda
