// lumenda-cli periodo and efemerides, run as a user would.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "period/period_file.h"

namespace {

using lumenda::FormatFloat;
using lumenda::ParseDouble;

using lumenda::test::CliRun;
using lumenda::test::Lines;
using lumenda::test::RunCli;

// Four nights of a 0.2371-day sawtooth star in one file (one series).
std::string WriteStar(const std::string& path, int points = 400) {
  std::vector<std::string> lines{"SINTETICA HJD MAG"};
  for (int i = 0; i < points; ++i) {
    const int night = i * 4 / points;
    const double t = 2459500.3 + night + 0.8 * (i % (points / 4)) / (points / 4.0) +
                     0.0007 * std::sin(i * 12.9898);
    const double phase = std::fmod((t - 2459500.3) / 0.2371, 1.0);
    const double m = 12 + 0.3 * (phase < 0.2 ? 1 - 10 * phase : -1 + 2.5 * (phase - 0.2));
    lines.push_back(FormatFloat("0.00000", t) + "  " + FormatFloat("0.000", m));
  }
  lumenda::test::WriteBytes(path, lumenda::JoinLines(lines));
  return path;
}

TEST(CliPeriodo, ListsMinimaAndTheRefinedBest) {
  lumenda::test::TempDir dir;
  const std::string file = WriteStar(dir.File("v.txt"));
  const std::string per = dir.File("v.per");
  const CliRun run = RunCli("periodo --mejores 3 --guardar " + per + " " + file);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  const std::regex minimum(R"(\d+\.\d{5} \d+\.\d{5})");
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(std::regex_match(lines[i], minimum)) << lines[i];
  std::smatch best;
  ASSERT_TRUE(std::regex_match(lines[3], best, std::regex(R"(MEJOR (\d+\.\d{5}) (\d+\.\d{5}))")))
      << lines[3];
  const double period = ParseDouble(best[1].str()).value_or(0);
  EXPECT_NEAR(period, 0.2371, 0.2371 * 0.001);

  // The saved analysis holds the refined period and every point.
  lumenda::Result<lumenda::PeriodFileContent> saved = lumenda::ReadPeriodFile(per);
  ASSERT_TRUE(saved.ok()) << saved.message;
  EXPECT_EQ(saved.value.periodText, best[1].str());
  EXPECT_EQ(saved.value.data.Observations.size(), 400u);
}

TEST(CliPeriodo, DispersionAtOnePeriod) {
  lumenda::test::TempDir dir;
  const std::string file = WriteStar(dir.File("v.txt"));
  CliRun run = RunCli("periodo --periodo 0.2371 " + file);
  ASSERT_EQ(run.status, 0) << run.err;
  std::smatch match;
  ASSERT_TRUE(std::regex_match(run.out, match, std::regex(R"(0\.23710 (\d\.\d{5})\n)"))) << run.out;
  // Four nights within one 5-day cycle: no bin mixes cycles, no value.
  run = RunCli("periodo --periodo 5 " + file);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "5.00000 ---\n");
}

TEST(CliPeriodo, RefusalsEndWithStatusOne) {
  lumenda::test::TempDir dir;
  const std::string file = WriteStar(dir.File("v.txt"));
  const std::string few = dir.File("pocos.txt");
  lumenda::test::WriteBytes(few, "2459500.1 12\r\n2459500.2 12.1\r\n");
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {few, "No se encontraron datos válidos.\n"},
      {dir.File("no-existe.txt"),
       "No se puede leer el fichero \"" + dir.File("no-existe.txt") + "\".\n"},
      {"--periodo 0.0009 " + file, "El periodo manual no puede ser inferior a 0.001\n"},
      {"--periodo 1e300 " + file, "El periodo manual no puede ser superior a 99.99999\n"},
      {"--max 1e300 " + file, "El periodo máximo no puede ser mayor que 99.99.\n"},
      {"--max 100 --incremento 0.00001 " + file,
       "El periodo máximo no puede ser mayor que 99.99.\n"},
      {"--min 2 --max 1 " + file, "El periodo máximo debe ser mayor que el mínimo.\n"},
      {"--incremento 0.5 " + file,
       "Incremento no válido: 0.5 (valores: 1, 0.1, 0.01, 0.001, 0.0001, 0.00001).\n"},
      {"--mejores 0 " + file, "--mejores debe ser un número entero mayor que 0.\n"},
      {"--min 0.10 --max 0.11 --incremento 0.1 " + file, "Datos insuficientes.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CliRun run = RunCli("periodo " + c.arguments, "timeout 20");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");
  }
}

// The listing is pinned by the reference files and the date and period rules
// are the engine's; here its messages reach the user, and runaway lists stop.
TEST(CliEfemerides, RefusalsEndWithStatusOne) {
  struct Case {
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {"--epoca 2460000.5 --periodo 0.5 --desde 32/01/2023 --hasta 01/02/2023",
       "Fecha inicial incorrecta.\n"},
      {"--epoca abc --periodo 1 --desde 01/02/2023 --hasta 01/02/2023",
       "\"abc\" no es un valor numérico válido.\n"},
      // Lists that would never end, or fill the memory, are refused at once.
      {"--epoca 2460000.5 --periodo 1e-12 --desde 01/02/2023 --hasta 01/02/2023",
       "La lista tendría más de 100000 horas: acorta el intervalo de fechas.\n"},
      {"--epoca 2460000.5 --periodo 0.01 --desde 01/01/0001 --hasta 31/12/9999",
       "La lista tendría más de 100000 horas: acorta el intervalo de fechas.\n"},
      {"--epoca 1e300 --periodo 1 --desde 01/02/2023 --hasta 01/02/2023",
       "La época debe ser una fecha juliana de los años 1 a 9999.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CliRun run = RunCli(std::string("efemerides ") + c.arguments, "timeout 20");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
