#include <gtest/gtest.h>

#include "period/ephemeris.h"

namespace lumenda {
namespace {

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
