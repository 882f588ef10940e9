#include <gtest/gtest.h>

#include "curve_fixture.h"
#include "curves/data_editing.h"
#include "run/results_format.h"
#include "run/results_tables.h"
#include "run/variable_search.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

// A results file on disk with its tables, the window's copy and image list.
struct Workspace {
  test::TempDir dir;
  std::string path;
  ResultsTables tables;
  std::vector<std::string> graph;
  std::vector<ImageListItem> images;
  bool changed = false;

  explicit Workspace(const std::vector<std::string>& names, std::vector<test::NightRow> rows) {
    path = dir.File("instrumental.txt");
    const auto lines = test::NightLines({"11.0", "12.0"}, names, rows);
    EXPECT_TRUE(WriteFileAtomic(path, JoinLines(lines)).ok());
    tables = test::TablesOf(lines);
    graph = tables.tInstrumental;
    for (const auto& r : rows) images.push_back({r.date, r.path});
  }
  EditTargets Targets() { return {path, &tables, &graph, &images, &changed}; }
  std::vector<std::string> File() { return *ReadTextLines(path); }
};

std::vector<test::NightRow> RowsWithPaths(const std::vector<std::string>& paths) {
  auto rows = test::EvenNight(static_cast<int>(paths.size()));
  for (size_t i = 0; i < paths.size(); ++i) rows[i].path = paths[i];
  return rows;
}

int Rows(const std::vector<std::string>& lines) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), results::IsDataRow));
}

TEST(DeleteImageData, RemovesOnlyTheRowsOfThatExactPath) {
  const std::vector<std::string> paths = {"/n/a.fit", "/n/a.fits", "/n/xa.fit", "/n/a.fit.bak",
                                          "/n/b.fit"};
  Workspace w({"V1", "CHK"}, RowsWithPaths(paths));
  const Result<int> removed = DeleteImageData(w.Targets(), "/n/a.fit");
  ASSERT_TRUE(removed.ok()) << removed.message;
  EXPECT_EQ(removed.value, 1);
  EXPECT_TRUE(w.changed);
  const auto file = w.File();
  using Table = const std::vector<std::string>*;
  for (Table table :
       std::vector<Table>{&file, &w.tables.tDiferencia, &w.tables.tAbsoluta, &w.tables.tFlujos,
                          &w.tables.tInstrumental, &w.tables.tPosiblesVariables, &w.graph}) {
    std::vector<std::string> left;
    for (const auto& line : *table)
      if (results::IsDataRow(line)) left.emplace_back(results::RowPath(line));
    EXPECT_EQ(left, std::vector<std::string>(paths.begin() + 1, paths.end()));
  }
  ASSERT_EQ(w.images.size(), 4u);
  EXPECT_EQ(w.images[0].path, "/n/a.fits");
  // Remaining rows keep their numbers: 0001..0004.
  std::vector<std::string> nums;
  for (const auto& line : file)
    if (results::IsDataRow(line)) nums.emplace_back(Field(line, results::kRowNum));
  EXPECT_EQ(nums, (std::vector<std::string>{"0001", "0002", "0003", "0004"}));
  // The saved file, recovered, gives the same rows as the edited tables
  // (their values stay as they were: nothing is recomputed).
  ResultsTables rebuilt;
  ASSERT_TRUE(BuildResults(file, rebuilt).ok());
  EXPECT_EQ(rebuilt.tInstrumental, w.tables.tInstrumental);
  auto keys = [](const std::vector<std::string>& table) {
    std::vector<std::string> k;
    for (const auto& line : table)
      if (results::IsDataRow(line))
        k.push_back(std::string(Field(line, results::kTableNumDate)) + "*" +
                    std::string(results::RowPath(line)));
    return k;
  };
  EXPECT_EQ(keys(rebuilt.tFlujos), keys(w.tables.tFlujos));
  EXPECT_EQ(keys(rebuilt.tDiferencia), keys(w.tables.tDiferencia));
  EXPECT_EQ(keys(rebuilt.tAbsoluta), keys(w.tables.tAbsoluta));
}

TEST(DeleteImageData, EmptyPathChangesNothingAndAMissingFileOnlyTheLists) {
  Workspace w({"V1"}, RowsWithPaths({"/n/a.fit", "/n/b.fit"}));
  const auto before = w.File();
  const auto tablesBefore = w.tables.tDiferencia;
  ASSERT_TRUE(DeleteImageData(w.Targets(), "").ok());
  EXPECT_FALSE(w.changed);
  EXPECT_EQ(w.File(), before);
  EXPECT_EQ(w.tables.tDiferencia, tablesBefore);
  EXPECT_EQ(w.images.size(), 2u);

  std::remove(w.path.c_str());
  ASSERT_TRUE(DeleteImageData(w.Targets(), "/n/b.fit").ok());
  EXPECT_FALSE(FileExists(w.path));
  EXPECT_EQ(Rows(w.tables.tDiferencia), 1);
  EXPECT_EQ(w.images.size(), 1u);
}

TEST(RenameInHeader, RenamesWholeNamesInOrderKeepingTheWidth) {
  struct Case {
    const char* name;
    std::vector<std::string> oldNames, newNames, expected;
  };
  const std::vector<Case> cases = {
      {"simple", {"V1", "CHK"}, {"ALGOL", "CHK"}, {"ALGOL", "CHK"}},
      {"V1 beside V10", {"V1", "V10"}, {"RR", "V10"}, {"RR", "V10"}},
      {"chain A to B, B to C", {"A", "B"}, {"B", "C"}, {"C", "C"}},
      {"long old name", {"ABCDEFGHIJKLMNO", "V2"}, {"ALGOL", "V2"}, {"ALGOL", "V2"}},
      {"new name wider than 12",
       {"V1", "V2"},
       {"NSV 12345 ABCDE", "V2"},
       {"NSV 12345 ABCDE", "V2"}},
      {"name inside a name with blank", {"433", "433 EROS"}, {"X", "433 EROS"}, {"X", "433 EROS"}},
  };
  for (const Case& c : cases) {
    auto lines = test::NightLines({"11.0"}, c.oldNames, test::EvenNight(2));
    ResultsTables tables = test::TablesOf(lines);
    std::vector<std::string> derived = tables.tDiferencia;
    const auto before = lines;
    RenameInHeader(lines, c.oldNames, c.newNames);
    RenameInHeader(derived, c.oldNames, c.newNames);
    for (size_t i = 0; i < lines.size(); ++i)
      EXPECT_EQ(lines[i].size(), before[i].size()) << c.name;
    EXPECT_EQ(derived[0].size(), tables.tDiferencia[0].size()) << c.name;
    ResultsTables renamed;
    ASSERT_TRUE(BuildResults(lines, renamed).ok());
    EXPECT_EQ(renamed.lbNomVar, c.expected) << c.name;
    EXPECT_EQ(renamed.tDiferencia[0], derived[0]) << c.name;
    // Only the header line changes.
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].find("FECHA MPC") == std::string::npos) {
        EXPECT_EQ(lines[i], before[i]);
      }
  }
}

TEST(RenameInHeader, ListWithoutHeaderIsLeftAlone) {
  std::vector<std::string> lines = {"11.0", "12.0", "V1"};
  RenameInHeader(lines, {"V1"}, {"X"});
  EXPECT_EQ(lines, (std::vector<std::string>{"11.0", "12.0", "V1"}));
}

TEST(ApplyRenames, FileAndEveryTableAgreeAfterwards) {
  Workspace w({"V1", "CHK"}, test::EvenNight(4));
  w.tables.tPosiblesVariables = w.tables.tInstrumental;
  w.graph = w.tables.tInstrumental;
  ASSERT_TRUE(ApplyRenames(w.Targets(), {"V1", "CHK"}, {"ALGOL", "CHK"}).ok());
  EXPECT_TRUE(w.changed);
  EXPECT_EQ(w.tables.lbNomVar, (std::vector<std::string>{"ALGOL", "CHK"}));
  ResultsTables rebuilt;
  ASSERT_TRUE(BuildResults(w.File(), rebuilt).ok());
  EXPECT_EQ(rebuilt.lbNomVar, w.tables.lbNomVar);
  EXPECT_EQ(rebuilt.tDiferencia, w.tables.tDiferencia);
  EXPECT_EQ(rebuilt.tAbsoluta, w.tables.tAbsoluta);
  EXPECT_EQ(rebuilt.tFlujos, w.tables.tFlujos);
  EXPECT_EQ(rebuilt.tInstrumental, w.tables.tInstrumental);
  EXPECT_EQ(w.graph[0], w.tables.tInstrumental[0]);
  EXPECT_EQ(w.tables.tDiferencia[0].substr(20, 20), PadLeft("ALGOL", 20));
}

TEST(CheckRenameAvailable, NeedsTheResultsFileAndStarNames) {
  test::TempDir dir;
  EXPECT_EQ(CheckRenameAvailable(dir.path(), {"V1"}).message,
            "Archivo \"instrumental.txt\" no localizado.");
  ASSERT_TRUE(WriteFileAtomic(dir.File("instrumental.txt"), "x\r\n").ok());
  EXPECT_EQ(CheckRenameAvailable(dir.path(), {}).message, "Nombres de variables no localizazados.");
  EXPECT_TRUE(CheckRenameAvailable(dir.path(), {"V1"}).ok());
}

TEST(RenameEditText, UpperCaseAndTwelveCharacters) {
  EXPECT_EQ(RenameEditText("algol"), "ALGOL");
  EXPECT_EQ(RenameEditText("abcdefghijklmn"), "ABCDEFGHIJKL");
}

}  // namespace
}  // namespace lumenda
