// lumenda-cli simular: the sample night from the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_runner.h"

namespace {

using lumenda::test::CliRun;
using lumenda::test::ReadBytes;
using lumenda::test::TempDir;

// stdout and stderr together, as a user reads them in a terminal.
CliRun Cli(const std::string& args) {
  CliRun run = lumenda::test::RunCli(args);
  run.out += run.err;
  return run;
}

// The night itself (same seed, same bytes) is the engine's; here the options reach it.
TEST(CliSimulate, ImagesAndSeedReachTheNight) {
  TempDir dir;
  const CliRun a = Cli("simular " + dir.File("a") + " --imagenes 2 --semilla 5");
  ASSERT_EQ(a.status, 0) << a.out;
  EXPECT_NE(a.out.find("IMAGENES 2\n"), std::string::npos) << a.out;
  EXPECT_NE(a.out.find("VERDAD " + dir.File("a/verdad.txt")), std::string::npos) << a.out;
  EXPECT_FALSE(std::filesystem::exists(dir.File("a/muestra_003.fit")));
  ASSERT_EQ(Cli("simular " + dir.File("c") + " --imagenes 2 --semilla 6").status, 0);
  EXPECT_NE(ReadBytes(dir.File("a/muestra_001.fit")), ReadBytes(dir.File("c/muestra_001.fit")));
}

TEST(CliSimulate, BadArgumentsGiveSpanishMessagesAndStatus1) {
  TempDir dir;
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"--imagenes 0", "El número de imágenes debe estar entre 1 y 80."},
      {"--imagenes 81", "El número de imágenes debe estar entre 1 y 80."},
      {"--imagenes diez", "El número de imágenes debe estar entre 1 y 80."},
      {"--semilla -1", "La semilla debe ser un número entero entre 0 y 4294967295."},
      {"--semilla 1.5", "La semilla debe ser un número entero entre 0 y 4294967295."},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli("simular " + dir.File("x") + " " + c.args);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << c.args << ": " << run.out;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("x/muestra_001.fit")));

  lumenda::test::WriteBytes(dir.File("fichero"), "x");
  const CliRun blocked = Cli("simular " + dir.File("fichero/sub") + " --imagenes 1");
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.out.find("No se puede crear la carpeta"), std::string::npos) << blocked.out;
}

}  // namespace
