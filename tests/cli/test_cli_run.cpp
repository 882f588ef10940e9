// lumenda-cli proceso, tabla, guardar, recuperar.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "sample/sample_night.h"
#include "synthetic_sky.h"

namespace {

using lumenda::test::ReadBytes;
using lumenda::test::TempDir;
using lumenda::test::WriteBytes;

using CliResult = lumenda::test::CliRun;
constexpr auto Cli = lumenda::test::RunCliIn;

size_t DataRows(const std::string& path) {
  size_t n = 0;
  if (const auto lines = lumenda::ReadTextLines(path))
    for (const auto& l : *lines) n += l.find('*') != std::string::npos;
  return n;
}

class CliRun : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(lumenda::WriteSampleNight(dir.File("noche"), 6, 1).ok()); }
  std::string Proceso(const std::string& extra = "") {
    return "proceso --estrellas " + dir.File("noche/estrellas.txt") +
           " --lat \"40 24 00 N\" --lon \"003 41 00 W\" --res 2 --salida " + results + " " + extra;
  }
  TempDir dir;
  std::string results = dir.File("instrumental.txt");
};

TEST_F(CliRun, ProcesoRunsAFolderAndReportsProgress) {
  // A folder given twice is still one list of images.
  const CliResult r = Cli(dir, Proceso(dir.File("noche") + " " + dir.File("noche/")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");  // no linearity report on the sample night
  EXPECT_NE(r.err.find("0 - muestra_001.fit\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("5 - muestra_006.fit\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Resultados: " + results), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Imágenes: 6 de 6\n"), std::string::npos) << r.err;
  EXPECT_EQ(DataRows(results), 6u);
  // Rows keep full paths (the reference files write the folder as "/ruta/").
  EXPECT_NE(lumenda::ReadTextLines(results)->back().find("*" + dir.File("noche/muestra_006.fit")),
            std::string::npos);

  // A following series appends and renumbers.
  const CliResult s = Cli(dir, Proceso("--siguiente " + dir.File("noche/muestra_001.fit")));
  ASSERT_EQ(s.status, 0) << s.err;
  EXPECT_EQ(DataRows(results), 7u);
}

TEST_F(CliRun, ProcesoFailuresAndStoppedRun) {
  struct Case {
    std::string args;
    int status;
    std::string err;
  };
  WriteBytes(dir.File("mal.txt"), "hola\n");
  const Case cases[] = {
      {Proceso("--siguiente " + dir.File("noche")), 1, "Datos anteriores no encontrados."},
      {"proceso --estrellas " + dir.File("mal.txt") + " " + dir.File("noche"), 1,
       "Error en formato de datos."},
      {"proceso --estrellas " + dir.File("noche/estrellas.txt") + " --lat 40 " + dir.File("noche"),
       1, "Formato de latitud no válido"},
      {Proceso(dir.File("nada.fit")), 1, "nada.fit"},
      // Impossible sites and scales, as `tiempo` refuses them.
      {"proceso --estrellas " + dir.File("noche/estrellas.txt") +
           " --lat \"99 99 99 N\" --lon \"003 41 00 W\" " + dir.File("noche"),
       1, "Latitud no válida: '99 99 99 N'"},
      {"proceso --estrellas " + dir.File("noche/estrellas.txt") +
           " --lat \"40 24 00 N\" --lon \"999 99 99 W\" " + dir.File("noche"),
       1, "Longitud no válida: '999 99 99 W'"},
      {"proceso --estrellas " + dir.File("noche/estrellas.txt") + " --res 0 " + dir.File("noche"),
       1, "Resolución no válida: '0'"},
      {"proceso --estrellas " + dir.File("noche/estrellas.txt") + " --res -2 " + dir.File("noche"),
       1, "Resolución no válida: '-2'"},
  };
  for (const Case& c : cases) {
    const CliResult r = Cli(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
  // The same site stored in the settings.
  WriteBytes(dir.File("home/lumenda2.ini"), "LAT=99 99 99\r\n");
  const CliResult site =
      Cli(dir, "proceso --estrellas " + dir.File("noche/estrellas.txt") + " " + dir.File("noche"));
  EXPECT_EQ(site.status, 1);
  EXPECT_NE(site.err.find("Latitud no válida: '99 99 99 N'"), std::string::npos) << site.err;
  std::filesystem::remove(dir.File("home/lumenda2.ini"));

  // A star that walks out of the field stops the run with status 2; the
  // rows before it stay. With the default aperture (10 px) the usable area
  // of a 100 px frame ends at 87.
  std::string files;
  for (int i = 0; i < 4; ++i) {
    const std::string path = dir.File("s" + std::to_string(i) + ".fit");
    lumenda::test::WriteSynthImage(
        path, {{30, 30, 20000}, {70, 70, 20000}, {80.0 + 3 * i, 50, 10000}}, i * 5);
    files += " " + path;
  }
  WriteBytes(dir.File("e.txt"),
             "V 0080.00  0050.00  VAR-1\nC 0030.00  0030.00  11.0\nC 0070.00  0070.00  11.0\n");
  const CliResult r =
      Cli(dir, "proceso --estrellas " + dir.File("e.txt") + " --salida " + results + files);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("Error en imagen:\ns3.fit\n\nVAR-1 Fuera de limites (2)\nX: 89.0, Y: "
                       "50.0\n\nProceso terminado.\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(DataRows(results), 3u);
}

TEST_F(CliRun, TablaGuardarRecuperar) {
  ASSERT_EQ(Cli(dir, Proceso(dir.File("noche"))).status, 0);
  // What the tables and the .csv copy hold is pinned by the reference files.
  EXPECT_EQ(Cli(dir, "tabla " + results + " --tipo otra").status, 1);
  EXPECT_EQ(Cli(dir, "tabla " + results + " --tipo diferencia --sensibilidad 4").status, 1);

  ASSERT_EQ(Cli(dir, "guardar " + results + " " + dir.File("copia.txt")).status, 0);
  EXPECT_EQ(ReadBytes(dir.File("copia.txt")), ReadBytes(results));
  ASSERT_EQ(Cli(dir, "guardar " + results + " " + dir.File("tabla.csv")).status, 0);
  const CliResult bad = Cli(dir, "guardar " + results + " " + dir.File("tabla.xls"));
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("Extensión no admitida"), std::string::npos);

  const std::string merged = dir.File("fusion.txt");
  const CliResult rec = Cli(dir, "recuperar --salida " + merged + " " + dir.File("copia.txt") +
                                     " " + dir.File("copia.txt"));
  ASSERT_EQ(rec.status, 0) << rec.err;
  EXPECT_EQ(rec.out, "12 filas en " + merged + "\n");
  EXPECT_EQ(DataRows(merged), 12u);
  const CliResult wrong = Cli(dir, "recuperar --salida " + merged + " " + dir.File("tabla.csv"));
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("tabla.csv: Error en formato de datos."), std::string::npos)
      << wrong.err;
  EXPECT_EQ(DataRows(merged), 12u);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A following series (into the user folder) that is killed, or meets a full
// disk, leaves the results file as it was; the next run completes it.
TEST_F(CliRun, InterruptedFollowingSeriesLeavesTheResultsWhole) {
  const std::string home = dir.File("home/");
  const std::string file = home + "instrumental.txt";
  const std::string stars = " --estrellas " + dir.File("noche/estrellas.txt") +
                            " --lat \"40 24 00 N\" --lon \"003 41 00 W\" ";
  auto images = [&](int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) out += " " + dir.File("noche/" + lumenda::SampleImageName(i));
    return out;
  };
  // The later half of the night first.
  ASSERT_EQ(Cli(dir, "proceso" + stars + images(4, 6)).status, 0);
  const std::string before = ReadBytes(file);
  // Room for about one more row.
  const std::string limit = "ulimit -f " + std::to_string(before.size() / 512 + 1) + "; ";
  const std::string user = "LUMENDA_DIR=" + lumenda::test::Quote(home);
  const std::string following = "proceso --siguiente" + stars + images(1, 3);

  const CliResult killed = lumenda::test::RunCli(following, limit + user);
  EXPECT_NE(killed.status, 0);
  EXPECT_EQ(ReadBytes(file), before);

  const CliResult full = lumenda::test::RunCli(following, "trap '' XFSZ; " + limit + user);
  EXPECT_EQ(full.status, 1) << full.err;
  EXPECT_EQ(Count(full.err, "instrumental.txt"), 1u) << full.err;  // the message, once
  EXPECT_EQ(ReadBytes(file), before);

  ASSERT_EQ(Cli(dir, following).status, 0);
  const auto lines = *lumenda::ReadTextLines(file);
  std::vector<std::string> rows;
  for (const std::string& line : lines)
    if (line.find('*') != std::string::npos) rows.push_back(line);
  ASSERT_EQ(rows.size(), 6u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].substr(0, 4), lumenda::FormatFloat("0000", static_cast<double>(i)));
    EXPECT_NE(rows[i].find("muestra_00" + std::to_string(i + 1) + ".fit"), std::string::npos)
        << rows[i];
  }
  // What the killed run left beside the file went at the next start.
  for (const auto& entry : std::filesystem::directory_iterator(home))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

// Rewrites follow a symbolic link to the results file instead of replacing
// the link; a star file that cannot be written is named once, after the
// results, which hold every measured image.
TEST_F(CliRun, WritesGoThroughLinksAndFailuresNameTheFile) {
  std::filesystem::create_directories(dir.File("datos"));
  const std::string target = dir.File("datos/instrumental.txt");
  const std::string link = dir.File("enlace.txt");
  std::filesystem::create_symlink(target, link);
  const std::string stars =
      "proceso --estrellas " + dir.File("noche/estrellas.txt") + " --res 2 --salida " + link + " ";
  ASSERT_EQ(Cli(dir, stars + dir.File("noche/muestra_001.fit")).status, 0);
  ASSERT_EQ(Cli(dir, stars + "--siguiente " + dir.File("noche/muestra_002.fit")).status, 0);
  ASSERT_EQ(Cli(dir, "renombrar " + link + " PULSANTE RR").status, 0);
  ASSERT_EQ(Cli(dir, "borrar-imagen " + link + " " + dir.File("noche/muestra_001.fit")).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(DataRows(target), 1u);
  EXPECT_NE(ReadBytes(target).find("  RR  "), std::string::npos);

  // The star file of the user folder cannot be written.
  std::filesystem::remove(dir.File("home/estrellas.txt"));
  std::filesystem::create_directories(dir.File("home/estrellas.txt"));
  const CliResult r = Cli(dir, stars + dir.File("noche"));
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(Count(r.err, "estrellas.txt"), 1u) << r.err;
  EXPECT_EQ(r.err.find("Error en imagen"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Imágenes: 6 de 6\n"), std::string::npos) << r.err;
  EXPECT_EQ(DataRows(target), 6u);
}

}  // namespace
