#include <gtest/gtest.h>

#include "period/observations.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

TEST(ParseObservationLine, AcceptsAndRejectsLines) {
  struct Case {
    const char* line;
    bool accepted;
    double time;
    double magnitude;
  };
  const Case cases[] = {
      {"2455000.12345  12.345", true, 2455000.12345, 12.345},
      {"2455000.12345\t12.345\t0.004", true, 2455000.12345, 12.345},
      {"2455000.5|11.2|x", true, 2455000.5, 11.2},
      {"  2455000.5 xx -3.5", true, 2455000.5, -3.5},  // text between the fields is skipped
      {"2455000.12345,12.345", false, 0, 0},           // a comma neither numbers nor separates
      {"V1 2455000.1 12.3", false, 0, 0},              // field 1 is the "1" of the name
      {"2455000.1", false, 0, 0},                      // no second field
      {"2455000.1 ", false, 0, 0},
      {"2455000.1abc 12.3", false, 0, 0},  // a field runs to the separator
      {"2460000 12", true, 2460000, 12},
      {"2460000.5 12", true, 2460000.5, 12},  // nights after February 2023 are kept
      {"2488070 12", true, 2488070, 12},
      {"2488070.00001 12", false, 0, 0},
      {"2440000 -28", true, 2440000, -28},
      {"2439999.99999 5", false, 0, 0},
      {"2455000 28", true, 2455000, 28},
      {"2455000 28.001", false, 0, 0},
      {"2455000 -28.001", false, 0, 0},
      {"2455000 1.2.3", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string scale = "x", name = "x";  // already set: left alone
    std::optional<ObservationLine> parsed = ParseObservationLine(c.line, scale, name);
    ASSERT_EQ(parsed.has_value(), c.accepted);
    if (c.accepted) {
      EXPECT_DOUBLE_EQ(parsed->time, c.time);
      EXPECT_DOUBLE_EQ(parsed->magnitude, c.magnitude);
    }
    EXPECT_EQ(scale, "x");
    EXPECT_EQ(name, "x");
  }
}

TEST(ParseObservationLine, TakesTimeScaleAndStarNameWhileEmpty) {
  struct Case {
    const char* line;
    const char* scale;
    const char* name;
  };
  const Case cases[] = {
      {"RR_Lyr HJD MAG", "HJD", "RR_Lyr"},
      {"Estrella FJG", "GJD", "Estrella"},
      {"X FJH GJD", "HJD", "X"},  // FJH is tested after GJD: last match wins
      {"X HJD FJG", "GJD", "X"},
      {"NombreMuyLargoDeMasDeVeinte HJD", "HJD", "NombreMuyLargoDeMasD"},
      {" sin nombre", "", ""},  // text before the first blank is empty
      {"2455000.1  12.3", "", "2455000.1"},
      {"ÁéíóúÁéíóúÁéíóúÁéíóúÑ x", "", "ÁéíóúÁéíóúÁéíóúÁéíóú"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string scale, name;
    ParseObservationLine(c.line, scale, name);
    EXPECT_EQ(scale, c.scale);
    EXPECT_EQ(name, c.name);
  }
  std::string scale = "GJD", name = "Primera";
  ParseObservationLine("Otra HJD", scale, name);
  EXPECT_EQ(scale, "GJD");
  EXPECT_EQ(name, "Primera");
}

TEST(LoadObservationFiles, SeriesFollowFileOrderAndPointsAreSortedByTime) {
  test::TempDir dir;
  // Interleaved times: the series still come from the file order.
  std::vector<std::string> a{"Estrella_A HJD"}, b{"otra cabecera"};
  for (int i = 0; i < 6; ++i) {
    a.push_back("24550" + std::to_string(10 + 2 * i) + ".5  12." + std::to_string(i));
    b.push_back("24550" + std::to_string(11 + 2 * i) + ".25  10.0");
  }
  b.push_back("basura sin numeros");
  lumenda::test::WriteBytes(dir.File("a.txt"), JoinLines(a));
  lumenda::test::WriteBytes(dir.File("b.txt"), JoinLines(b, "\n"));
  PeriodData data;
  data.SeriesOffsets = {5};  // leftovers of a previous analysis are cleared
  data.StarName = "Vieja";
  data.ObserverList = {"Ana"};  // observers come from period data files only
  ASSERT_TRUE(LoadObservationFiles({dir.File("a.txt"), dir.File("b.txt")}, data).ok());
  ASSERT_EQ(data.Observations.size(), 12u);
  EXPECT_EQ(data.StarName, "Estrella_A");
  EXPECT_EQ(data.ObserverList, (std::vector<std::string>{"Ana"}));
  EXPECT_EQ(data.TimeScale, "HJD");
  EXPECT_EQ(data.SeriesOffsets, (std::vector<double>{0, 0}));
  for (size_t i = 0; i < data.Observations.size(); ++i) {
    const ObservationPoint& p = data.Observations[i];
    EXPECT_EQ(p.Series, static_cast<int>(i % 2)) << i;
    if (i > 0) {
      EXPECT_LT(data.Observations[i - 1].Time, p.Time);
    }
    EXPECT_EQ(p.Deleted, 0);
  }
  // Series 0 holds 12.0 ... 12.5 (mean 12.25); series 1 is flat.
  EXPECT_DOUBLE_EQ(data.Observations[0].Time, 2455010.5);
  EXPECT_NEAR(data.Observations[0].CentredMagnitude, -0.25, 1e-12);
  EXPECT_NEAR(data.Observations[10].CentredMagnitude, 0.25, 1e-12);
  EXPECT_NEAR(data.Observations[1].CentredMagnitude, 0, 1e-12);
  EXPECT_NEAR(data.TimeSpan(), 2455021.25 - 2455010.5, 1e-9);
}

TEST(LoadObservationFiles, RefusesFewerThanTenLinesAndEmptyFilesMakeNoSeries) {
  EXPECT_EQ(working_list::FormatLine(2455000.123456, 12.3456, 3), "2455000.12346   12.346  3");
  EXPECT_EQ(working_list::FormatLine(2455000.5, -1.5, 0), "2455000.50000  -01.500  0");
  test::TempDir dir;
  std::vector<std::string> nine;
  for (int i = 0; i < 9; ++i) nine.push_back("245500" + std::to_string(i) + ".5 12");
  lumenda::test::WriteBytes(dir.File("nueve.txt"), JoinLines(nine));
  lumenda::test::WriteBytes(dir.File("vacio.txt"), "sin datos\r\n");
  lumenda::test::WriteBytes(dir.File("uno.txt"), "2455100.123456  13.3456\r\n");

  PeriodData data;
  Status status = LoadObservationFiles({dir.File("nueve.txt")}, data);
  EXPECT_EQ(status.message, "No se encontraron datos válidos.");
  EXPECT_TRUE(data.Empty());
  EXPECT_TRUE(data.StarName.empty());

  status = LoadObservationFiles({dir.File("vacio.txt"), dir.File("nueve.txt"), dir.File("uno.txt")},
                                data);
  ASSERT_TRUE(status.ok()) << status.message;
  // The empty first file gives no series: the series are 0 and 1.
  EXPECT_EQ(data.SeriesCount(), 2);
  EXPECT_EQ(data.Observations.back().Series, 1);
  // Points carry the working list rounding.
  EXPECT_DOUBLE_EQ(data.Observations.back().Time, 2455100.12346);
  EXPECT_DOUBLE_EQ(data.Observations.back().Magnitude, 13.346);
  EXPECT_EQ(data.Observations.front().Series, 0);

  status = LoadObservationFiles({dir.File("no-existe.txt")}, data);
  EXPECT_FALSE(status.ok());
  EXPECT_TRUE(data.Empty());
}

}  // namespace
}  // namespace lumenda
