#include <gtest/gtest.h>

#include "period/ephemeris.h"

namespace lumenda {
namespace {

// JD 2460000.5 is 25/02/2023 00:00.
EphemerisInput Input(const char* epoch, const char* period, const char* phase, const char* start,
                     const char* end) {
  return {"RR Lyr", epoch, period, phase, start, end};
}

std::vector<std::string> Times(const EphemerisResult& result) {
  return std::vector<std::string>(result.lines.begin() + 7, result.lines.end());
}

TEST(ComputeEphemeris, ListsThePhaseBetweenTheDates) {
  struct Case {
    const char* epoch;
    const char* period;
    const char* phase;
    const char* start;
    const char* end;
    std::vector<std::string> times;
  };
  const Case cases[] = {
      // One day: the event at 00:00 of the start date and the one at the
      // end of the end date are both outside.
      {"2460000.50000",
       "0.25",
       "0.000",
       "25/02/2023",
       "25/02/2023",
       {"25/02/2023  06:00", "25/02/2023  12:00", "25/02/2023  18:00"}},
      {"2460000.50000",
       "0.25",
       "0.500",
       "25/02/2023",
       "25/02/2023",
       {"25/02/2023  03:00", "25/02/2023  09:00", "25/02/2023  15:00", "25/02/2023  21:00"}},
      // Epochs decades away give the same list.
      {"2440000.50000",
       "0.25",
       "0.000",
       "25/02/2023",
       "25/02/2023",
       {"25/02/2023  06:00", "25/02/2023  12:00", "25/02/2023  18:00"}},
      {"2480000.50000",
       "0.25",
       "0.000",
       "25/02/2023",
       "25/02/2023",
       {"25/02/2023  06:00", "25/02/2023  12:00", "25/02/2023  18:00"}},
      {"2460000.50000",
       "1.5",
       "0.000",
       "26/02/2023",
       "28/02/2023",
       {"26/02/2023  12:00", "28/02/2023  00:00"}},
      // A period longer than the interval may list nothing.
      {"2460000.50000", "10", "0.000", "27/02/2023", "27/02/2023", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.epoch << " " << c.period << " " << c.phase);
    EphemerisResult result = ComputeEphemeris(Input(c.epoch, c.period, c.phase, c.start, c.end));
    ASSERT_TRUE(result.ok()) << result.message;
    ASSERT_GE(result.lines.size(), 7u);
    const std::vector<std::string> header = {"RR Lyr",
                                             "",
                                             std::string("Época: ") + c.epoch,
                                             std::string("Periodo: ") + c.period,
                                             std::string("Fase: ") + c.phase,
                                             "",
                                             "Horas en TU"};
    EXPECT_EQ(std::vector<std::string>(result.lines.begin(), result.lines.begin() + 7), header);
    EXPECT_EQ(Times(result), c.times);
  }
}

TEST(ComputeEphemeris, RefusesBadDatesAndPeriods) {
  struct Case {
    EphemerisInput input;
    const char* message;
    EphemerisField focus;
  };
  const Case cases[] = {
      {Input("2460000.5", "0.5", "0.000", "00/00/0000", "01/03/2023"), "Fecha inicial incorrecta.",
       EphemerisField::kStart},
      {Input("2460000.5", "0.5", "0.000", "31/02/2023", "01/03/2023"), "Fecha inicial incorrecta.",
       EphemerisField::kStart},
      {Input("2460000.5", "0.5", "0.000", "01/03/2023", "00/00/0000"), "Fecha final incorrecta.",
       EphemerisField::kEnd},
      {Input("2460000.5", "0.5", "0.000", "02/03/2023", "01/03/2023"),
       "La fecha inicial no puede ser mayor que la final.", EphemerisField::kStart},
      {Input("2460000.5", "0", "0.000", "01/03/2023", "02/03/2023"),
       "El periodo debe ser mayor que 0.", EphemerisField::kPeriod},
      {Input("2460000.5", "-0.5", "0.000", "01/03/2023", "02/03/2023"),
       "El periodo debe ser mayor que 0.", EphemerisField::kPeriod},
      {Input("2460000.5", "x", "0.000", "01/03/2023", "02/03/2023"),
       "\"x\" no es un valor numérico válido.", EphemerisField::kPeriod},
      {Input("", "0.5", "0.000", "01/03/2023", "02/03/2023"),
       "\"\" no es un valor numérico válido.", EphemerisField::kEpoch},
      {Input("2460000.5", "0.5", "a", "01/03/2023", "02/03/2023"),
       "\"a\" no es un valor numérico válido.", EphemerisField::kPhase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EphemerisResult result = ComputeEphemeris(c.input);
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
