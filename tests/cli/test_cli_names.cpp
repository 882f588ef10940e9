// Star names on the command line: accented names keep every column in its
// place, and names that would break the results file are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "run/results_file.h"
#include "sample/sample_night.h"
#include "text/fixed_columns.h"

namespace lumenda::test {
namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

std::vector<std::string> DataRows(const std::string& text) {
  std::vector<std::string> rows;
  for (const std::string& line : Lines(text))
    if (line.find('*') != std::string::npos) rows.push_back(line);
  return rows;
}

class CliNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteSampleNight(dir.File("noche"), 4, 1).ok());
    stars = ReadBytes(dir.File("noche/estrellas.txt"));
  }
  // The run of the night with the star file `text`, into `results`.
  CliRun Proceso(const std::string& text, const std::string& results) {
    WriteBytes(dir.File("e.txt"), text);
    return RunCliIn(dir, "proceso --estrellas " + dir.File("e.txt") + " --salida " + results + " " +
                             dir.File("noche"));
  }
  std::string Run(const std::string& arguments) {
    const CliRun r = RunCliIn(dir, arguments);
    EXPECT_EQ(r.status, 0) << arguments << "\n" << r.err;
    return r.out;
  }
  TempDir dir;
  std::string stars;
};

TEST_F(CliNames, AccentedNamesGiveTheNumbersOfAsciiNames) {
  const std::string ascii = dir.File("a.txt"), accented = dir.File("b.txt");
  const std::string long18 = "ÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑ";
  ASSERT_EQ(Proceso(stars, ascii).status, 0);
  const std::string named =
      Replace(Replace(stars, "ECLIPSANTE", "ÉCLIPSÑ"), "PULSANTE", long18 + "XYZ");
  const CliRun run = Proceso(named, accented);
  ASSERT_EQ(run.status, 0) << run.err;
  // Names are cut at 18 characters.
  EXPECT_NE(run.err.find("  " + long18 + "  "), std::string::npos) << run.err;
  for (const char* table : {"instrumental", "diferencia", "absoluta", "flujos"}) {
    const std::string a = Run("tabla " + ascii + " --tipo " + table);
    const std::string b = Run("tabla " + accented + " --tipo " + table);
    EXPECT_EQ(DataRows(Replace(b, accented, ascii)), DataRows(a)) << table;
    EXPECT_EQ(CharCount(Lines(b)[0]), CharCount(Lines(a)[0])) << table;
  }
  // The same report but for the second star's name line.
  const std::string report = "informe --formato texto --var1 CHK_11.20 --var2 ";
  auto a = Lines(Run(report + "PULSANTE " + ascii));
  auto b = Lines(Run(report + long18 + " " + accented));
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(b[2], Replace(a[2], "PULSANTE", long18));
  a.erase(a.begin() + 2);
  b.erase(b.begin() + 2);
  EXPECT_EQ(b, a);

  // Renamed to twelve accented letters, the columns still hold their stars.
  Run("renombrar " + ascii + " PULSANTE RR");
  Run("renombrar " + accented + " " + long18 + " ÁÉÍÓÚÑÁÉÍÓÚÑ");
  EXPECT_EQ(Run("informe " + accented + " --formato texto --var1 CHK_11.20"),
            Run("informe " + ascii + " --formato texto --var1 CHK_11.20"));
  a = Lines(Run("informe " + ascii + " --formato texto --var1 RR"));
  b = Lines(Run("informe " + accented + " --formato texto --var1 ÁÉÍÓÚÑÁÉÍÓÚÑ"));
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(b[2], "ÁÉÍÓÚÑÁÉÍÓÚÑ\xC2\xA0");
  EXPECT_EQ(std::vector<std::string>(b.begin() + 3, b.end()),
            std::vector<std::string>(a.begin() + 3, a.end()));
}

TEST_F(CliNames, NamesThatWouldBreakTheResultsFileAreRefused) {
  const std::string results = dir.File("r.txt");
  struct Case {
    std::string from, to, message;
  };
  const Case cases[] = {
      {"ECLIPSANTE", "ECLI*PSANTE",
       "El nombre de estrella \"ECLI*PSANTE\" no puede contener \"*\"."},
      {"10.52", "10*52", "El nombre de estrella \"10*52\" no puede contener \"*\"."},
      {"11.37", ">11.37", "El nombre de estrella \">11.37\" no puede empezar por \">\"."},
      {"PULSANTE", "ECLIPSANTE", "Dos estrellas variables se llaman \"ECLIPSANTE\"."},
  };
  for (const Case& c : cases) {
    const CliRun r = Proceso(Replace(stars, c.from, c.to), results);
    EXPECT_EQ(r.status, 1) << c.to;
    EXPECT_EQ(r.err, dir.File("e.txt") + ": " + c.message + "\n") << c.to;
    EXPECT_FALSE(FileExists(results)) << c.to;
  }

  ASSERT_EQ(Proceso(stars, results).status, 0);
  const std::string before = ReadBytes(results);
  for (const auto& [name, message] : std::vector<std::pair<std::string, std::string>>{
           {"A*B", "El nombre de estrella \"A*B\" no puede contener \"*\"."},
           {"CHK_11.20", "Dos estrellas variables se llaman \"CHK_11.20\"."}}) {
    const CliRun r = RunCliIn(dir, "renombrar " + results + " PULSANTE '" + name + "'");
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.err, message + "\n");
  }
  EXPECT_EQ(ReadBytes(results), before);

  // A file that already holds two stars of one name: which one is meant?
  auto lines = ResultsHeaderBlock("12 34 56.7", "+05 06 07", {"11.0"}, {}, {"V1", "V1"});
  ResultsRow row;
  row.date = "20080812.80000";
  row.compara = 1000;
  row.stars = {{900, 10.1}, {800, 10.2}};
  row.path = "/n/a.fit";
  lines.push_back(FormatResultsRow(row));
  ASSERT_TRUE(WriteFileAtomic(results, JoinLines(lines)).ok());
  const CliRun twice = RunCliIn(dir, "renombrar " + results + " V1 ECL");
  EXPECT_EQ(twice.status, 1);
  EXPECT_EQ(twice.err, "Dos estrellas variables se llaman \"V1\".\n");
  EXPECT_EQ(ReadBytes(results), JoinLines(lines));
}

}  // namespace
}  // namespace lumenda::test
