// lumenda-cli informe, renombrar, borrar-imagen.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cli_runner.h"
#include "results_fixture.h"

namespace {

using lumenda::test::Lines;
using lumenda::test::ReadBytes;
using lumenda::test::TempDir;
using CliResult = lumenda::test::CliRun;
constexpr auto Cli = lumenda::test::RunCliIn;

// A results file of four images and two stars, comparison names `comps`.
std::string WriteResults(const TempDir& dir, const std::vector<std::string>& comps,
                         const std::vector<std::string>& paths) {
  const char* dates[] = {"20080812.80000", "20080812.80347", "20080812.80694", "20080812.81042"};
  std::vector<lumenda::test::FixtureRow> rows;
  for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
    rows.push_back({dates[i], 100000, {}, 12, 1000, paths[i], 1.2});
    for (long long f : {50000LL + 900 * i, 20000LL})
      rows.back().stars.push_back({f, 10.0 - 2.512 * std::log10(f / 100000.0)});
  }
  auto lines = lumenda::test::ResultsLines(comps, {"V1", "CHK"}, rows);
  lines[1] = "+05 06 07";
  const std::string path = dir.File("instrumental.txt");
  EXPECT_TRUE(lumenda::WriteFileAtomic(path, lumenda::JoinLines(lines)).ok());
  return path;
}

class CliReport : public ::testing::Test {
 protected:
  TempDir dir;
  std::string results =
      WriteResults(dir, {"11.0 V", "12.0 V"}, {"/n/a.fit", "/n/a.fits", "/n/xa.fit", "/n/b.fit"});
};

// The reference files hold the default columns; here the options that change them.
TEST_F(CliReport, TextReportOptionsChangeScaleDecimalsAndColumns) {
  const CliResult grouped =
      Cli(dir, "informe " + results +
                   " --formato texto --var1 V1 --agrupar imagenes:3 --escala mpc --decimales 5 "
                   "--sin orden cantidad rsr airmass transparencia fwhm fondo");
  ASSERT_EQ(grouped.status, 0) << grouped.err;
  const auto g = Lines(grouped.out);
  ASSERT_EQ(g.size(), 2u + 3u + 2u + 3u);
  EXPECT_EQ(g[3], "FECHA MPC              MAG      +/-");
  EXPECT_EQ(g[5].size(), 35u);
  EXPECT_EQ(g[5].substr(0, 14), "20080812.80347");  // mean date of 3 images
  EXPECT_EQ(g[5].substr(14, 2), "  ");
  EXPECT_EQ(g[5][25 - 5], '.');  // five decimals
}

TEST_F(CliReport, RefusalsEndWithStatusOne) {
  struct Case {
    const char* name;
    std::string args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"flux AAVSO", "--formato aavso --modo cuentas --var1 V1", "Error calculando informe AAVSO."},
      {"ensemble relative", "--formato aavso --var1 V1 --var2 CHK --obscode X --chart Y",
       "Informe tipo \"ensemble\" no disponible. Es necesario:\n- Seleccionar \"Fotometría "
       "absoluta\" en Magnitudes / Configuración\n- Seleccionar una estrella de control"},
      {"no OBSCODE", "--formato aavso --modo absoluta --var1 V1 --var2 CHK --chart Y",
       "El campo OBSCODE no puede quedar vacío"},
      {"CdR relative", "--formato cdr --var1 V1",
       "Informe CdR solo disponible para fotometría absoluta."},
      {"unknown star", "--formato texto --var1 V9", "Estrella no encontrada."},
      {"bad grouping", "--formato texto --var1 V1 --agrupar horas:2",
       "Agrupación no válida: horas:2"},
      {"bad column", "--formato texto --var1 V1 --sin nombre", "Columna no válida: nombre"},
      {"CdR filter", "--formato cdr --modo absoluta --var1 V1 --filtro ZZ", "Filtro no válido: ZZ"},
      {"no decimals", "--formato texto --var1 V1 --decimales 0",
       "Decimales fuera de rango (1 a 5)."},
      {"ALCDEF in flux", "--formato alcdef --modo flujo --var1 V1",
       "Informe ALCDEF no disponible con flujos."},
  };
  for (const Case& c : cases) {
    const CliResult r = Cli(dir, "informe " + results + " " + c.args);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, c.message + "\n") << c.name;
    EXPECT_EQ(r.out, "") << c.name;
  }
}

TEST_F(CliReport, AbsoluteModeNeedsNumericComparisonNames) {
  TempDir other;
  const std::string named = WriteResults(other, {"ESTRELLA A", "12.0"}, {"/n/a.fit", "/n/b.fit"});
  const CliResult r = Cli(other, "informe " + named + " --formato texto --modo absoluta");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Nombre de estrellas de calibrado no numérico,\r\ninforme de fotometría absoluta no "
            "disponible.\n");
}

TEST_F(CliReport, RelativeAavsoWarnsAndWritesDifferentialRows) {
  TempDir single;
  const std::string one = WriteResults(single, {"11.0"}, {"/n/a.fit", "/n/b.fit"});
  const CliResult r =
      Cli(single, "informe " + one + " --formato aavso --var1 V1 --obscode X --chart Y --cname C1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "Informe AAVSO de fotometría diferencial disponible,\nsin embargo, AAVSO prefiere la "
            "fotometría absoluta.\n\n- Puedes seleccionar \"Fotometría absoluta\" en Magnitudes / "
            "Configuración\n");
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_NE(lines[8].find(",U,NO,DIF,C1,"), std::string::npos) << lines[8];
  EXPECT_NE(lines[8].find(",na,na,1.200,na,Y,na"), std::string::npos) << lines[8];
}

TEST_F(CliReport, AlcdefContactsAndSettingsFiltersPersist) {
  const CliResult alcdef = Cli(dir, "informe " + results +
                                        " --formato alcdef --var1 V1 --contacto Ana "
                                        "--comentario 'uno' --filtro R --banda V");
  ASSERT_EQ(alcdef.status, 0) << alcdef.err;
  const auto a = Lines(alcdef.out);
  EXPECT_EQ(a.front(), "STARTMETADATA");
  EXPECT_EQ(a.back(), "ENDDATA");
  for (const char* line : {"CONTACTNAME=Ana", "COMMENT=uno", "FILTER=R", "MAGBAND=V"})
    EXPECT_NE(std::find(a.begin(), a.end(), line), a.end()) << line;
  EXPECT_EQ(std::count_if(a.begin(), a.end(),
                          [](const std::string& l) { return l.rfind("DATA=", 0) == 0; }),
            4);
  // The contact fields are kept in "ast.ini" for the next report.
  EXPECT_EQ(ReadBytes(dir.File("home/ast.ini")),
            "CONTACTNAME=Ana\r\nCONTACTINFO=\r\nOBSERVERS=\r\n");
  const CliResult again = Cli(dir, "informe " + results + " --formato alcdef --var1 V1");
  EXPECT_NE(again.out.find("CONTACTNAME=Ana\n"), std::string::npos);

  // Filter indices of the settings beyond their lists stay within them.
  lumenda::test::WriteBytes(dir.File("home/lumenda2.ini"),
                            "A_FILTER=99\r\nCDR_FIL=99\r\nA_OBSCODE=X\r\nA_CHART=Y\r\n");
  const auto far = Lines(Cli(dir, "informe " + results + " --formato cdr --modo absoluta").out);
  ASSERT_GT(far.size(), 7u);
  EXPECT_EQ(far[7], "FIL MI: Optec Wing C");
  const CliResult aavso =
      Cli(dir, "informe " + results + " --formato aavso --modo absoluta --var2 CHK");
  EXPECT_NE(aavso.out.find(",MI,NO,STD,"), std::string::npos) << aavso.out << aavso.err;
}

TEST_F(CliReport, RenombrarRewritesTheHeaderInPlace) {
  const std::string before = ReadBytes(results);
  CliResult r = Cli(dir, "renombrar " + results + " V1 algol");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = *lumenda::ReadTextLines(results);
  const auto header = std::find_if(lines.begin(), lines.end(),
                                   [](const std::string& l) { return l.rfind(" NUM", 0) == 0; });
  ASSERT_NE(header, lines.end());
  EXPECT_EQ(*header, " NUM       FECHA MPC    COMPARA               ALGOL                 CHK");
  EXPECT_EQ(ReadBytes(results).size(), before.size());
  r = Cli(dir, "informe " + results + " --formato texto --var1 ALGOL");
  EXPECT_EQ(r.status, 0) << r.err;

  struct Case {
    std::string args, message;
  };
  for (const Case& c : std::vector<Case>{
           {"V1 X", "Estrella no encontrada."},
           {"CHK ABCDEFGHIJKLM", "El nombre nuevo no puede tener más de 12 caracteres."},
           {"CHK ' '", "El nombre nuevo no puede quedar vacío."}}) {
    r = Cli(dir, "renombrar " + results + " " + c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_EQ(r.err, c.message + "\n");
  }
}

TEST_F(CliReport, ImagePathsKeepTheirBytesThroughEveryRewrite) {
  // A Latin-1 file name, which is not UTF-8.
  const std::string odd = "/n/im\xE1gen.fit";
  results = WriteResults(dir, {"11.0 V"}, {"/n/a.fit", odd, "/n/b.fit", "/n/c.fit"});
  const std::string before = ReadBytes(results);
  ASSERT_EQ(Cli(dir, "guardar " + results + " " + dir.File("copia.txt")).status, 0);
  EXPECT_EQ(ReadBytes(dir.File("copia.txt")), before);
  ASSERT_EQ(Cli(dir, "renombrar " + results + " V1 VAR").status, 0);
  EXPECT_NE(ReadBytes(results).find("*" + odd + "\r\n"), std::string::npos);
  const CliResult del = Cli(dir, "borrar-imagen " + results + " '" + odd + "'");
  EXPECT_EQ(del.status, 0) << del.err;
  EXPECT_EQ(ReadBytes(results).find(odd), std::string::npos);
}

TEST_F(CliReport, BorrarImagenRemovesOnlyThatImage) {
  CliResult r = Cli(dir, "borrar-imagen " + results + " /n/a.fit");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = ReadBytes(results);
  // Which rows match the path is the engine's; here the command does it.
  EXPECT_EQ(text.find("*/n/a.fit\r\n"), std::string::npos);
  EXPECT_NE(text.find("0001  20080812.80347"), std::string::npos);  // numbers kept
  r = Cli(dir, "borrar-imagen " + results + " /n/a.fit");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Imagen no encontrada en los resultados.\n");
  EXPECT_EQ(ReadBytes(results), text);
  r = Cli(dir, "borrar-imagen " + dir.File("no-existe.txt") + " /n/b.fit");
  EXPECT_EQ(r.status, 1);
}

}  // namespace
