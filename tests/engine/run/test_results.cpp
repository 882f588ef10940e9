// The results file: row layout, header block, reordering, the tables built
// from it, the variable search, and saving and recovering it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "results_fixture.h"
#include "run/results_file.h"
#include "run/results_format.h"
#include "run/results_tables.h"
#include "run/save_recover.h"
#include "run/variable_search.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;
using test::FixtureRow;
using test::ResultsLines;

ResultsRow SampleRow() {
  return {7,
          "20150612.12345",
          123456,
          {{54321, 10.92371}, {0, 10000}},
          1.23456,
          4.5,
          812.5,
          12.1,
          "0100.00  0200.00",
          "/datos/noche/img001.fit"};
}

// The layout of the rows is pinned by instrumental.txt and read back by the
// tables of the reference files; here the edge of "not measured".
TEST(ResultsRow, MagnitudesOfAThousandOrMoreAreNotMeasured) {
  ResultsRow r = SampleRow();
  r.stars = {{5, 999.0}, {5, 1000.0}};
  const std::string row = FormatResultsRow(r);
  EXPECT_EQ(Field(row, rf::RowStarMag(0)), "99.99999");  // clamped, still a value
  EXPECT_EQ(Field(row, rf::RowStarMag(1)), "--------");
  EXPECT_EQ(rf::StarCountBeforeAnchor(rf::PlusAnchor(row)), 2);
}

// Overflowing values are clamped so every row keeps the first row's anchors.
TEST(ResultsRow, OverflowingFieldsAreClampedToTheirWidth) {
  struct Case {
    const char* what;
    void (*change)(ResultsRow&);
    Column (*column)(int);
    const char* expected;
  };
  const Case cases[] = {
      {"air mass 100", [](ResultsRow& r) { r.airMass = 100.0; }, rf::RowAirMass, "99.99999"},
      {"air mass NaN", [](ResultsRow& r) { r.airMass = std::nan(""); }, rf::RowAirMass, "00.00000"},
      {"FONDO 100000", [](ResultsRow& r) { r.fondo = 123456.7; }, rf::RowFondo, "99999.99"},
      {"FWHM 250", [](ResultsRow& r) { r.fwhm = 250; }, rf::RowFwhm, "99.99999"},
      {"sky negative", [](ResultsRow& r) { r.skyMag = -3; }, rf::RowSkyMag, "00.00000"},
  };
  const std::string normal = FormatResultsRow(SampleRow());
  for (const Case& c : cases) {
    ResultsRow r = SampleRow();
    c.change(r);
    const std::string row = FormatResultsRow(r);
    const int p = rf::PlusAnchor(row);
    EXPECT_EQ(row.size(), normal.size()) << c.what;
    EXPECT_EQ(row.find('*'), normal.find('*')) << c.what;
    EXPECT_EQ(Trim(Field(row, c.column(p))), c.expected) << c.what;
  }
}

TEST(ResultsFile, ReorderSortsByDateAndRenumbersFromZero) {
  std::vector<std::string> lines = {"12 34 56.7", "+05 06 07", "11.5", "", "", "header", "----"};
  for (const char* row : {"0000  20150612.50000  rest *b", "0001  20150612.40000  rest *a",
                          "0002  20150611.90000  rest *c"})
    lines.push_back(row);
  EXPECT_EQ(CountPreviousRows(lines), 3);
  // Only the data rows move.
  const auto reordered = ReorderResults(lines);
  lines[7] = "0000  20150611.90000  rest *c";
  lines[8] = "0001  20150612.40000  rest *a";
  lines[9] = "0002  20150612.50000  rest *b";
  EXPECT_EQ(reordered, lines);
  EXPECT_EQ(ImageListFromResults(lines)[0].Text(), "20150611.90000 c");
  // Row numbers have four digits: 10000 rows fit, one more does not.
  EXPECT_TRUE(CheckRowCount(10000).ok());
  EXPECT_NE(CheckRowCount(10001).message.find("10000"), std::string::npos);
}

std::vector<std::string> TwoRows(const std::vector<std::string>& comps) {
  return ResultsLines(comps, {"VAR-1", "VS_0010_0020"},
                      {{"20150612.10000", 1200, {{1200, 10.0}, {5, 10000}}, 12.0, 1200, "img0.fit"},
                       {"20150612.20000", 1800, {{3000, 11.0}, {5, 10000}}, 12.4, 900, "img1.fit"}},
                      {"12 34 50.0  -05 06 00", "12 34 51.0  -05 07 00"});
}

TEST(BuildResults, DifferentialAbsoluteAndFluxRows) {
  ResultsTables t;
  ASSERT_TRUE(BuildResults(TwoRows({"11.0 V"}), t).ok());
  EXPECT_EQ(t.ResultRAText, "12 34 56.7");
  EXPECT_EQ(t.ResultDecText, "-05 06 07");
  EXPECT_EQ(t.lVarRADec,
            (std::vector<std::string>{"12 34 50.0  -05 06 00", "12 34 51.0  -05 07 00"}));
  EXPECT_EQ(t.lbNomVar, (std::vector<std::string>{"VAR-1", "VS_0010_0020"}));
  // Catalogue magnitude first, then the mean instrumental magnitudes.
  EXPECT_EQ(t.lbMag, (std::vector<std::string>{"11.0", "10.5000", "0.0000"}));
  EXPECT_FALSE(t.EnsembleFlag);
  EXPECT_TRUE(t.absolutePhotometry);

  // The layout of the tables is pinned by the reference files; here values
  // worked out by hand: magnitudes against the comparison, its catalogue
  // value, counts, the missing column and the transparency.
  ASSERT_EQ(t.tDiferencia.size(), 4u);
  EXPECT_EQ(Field(t.tDiferencia[2], rf::TableStarValue(0)), "-00.50000");
  EXPECT_EQ(Field(t.tAbsoluta[2], rf::TableStarValue(0)), "+11.00000");
  EXPECT_EQ(Field(t.tFlujos[2], rf::TableStarValue(0)), "000001200");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableStarRsr(0)), "00015.81");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableStarValue(0)), "+00.50000");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableTransp(2)), "01.20000");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableCompCounts(2)), "000001800");
  EXPECT_EQ(t.tDiferencia[3][static_cast<size_t>(rf::TableStarMissingMark(1) - 1)], '-');
  // The "C" stands 12 characters before the "*".
  const size_t star = t.tDiferencia[3].find('*');
  EXPECT_EQ(t.tDiferencia[3][star - rf::kTableCompMarkBeforeStar], 'C');
  // Columns that never had a value leave tInstrumental and the search, but
  // not the magnitude tables nor the names.
  EXPECT_EQ(rf::HeaderStarCount(static_cast<int>(t.tInstrumental[0].size())), 1);
  EXPECT_EQ(t.tPosiblesVariables, t.tInstrumental);  // two rows: nothing testable
}

TEST(BuildResults, EnsembleMagnitudeAndNonNumericNames) {
  struct Case {
    std::vector<std::string> comps;
    bool ensemble;
    bool absolute;
    double bigM;
  };
  // Two stars: M = m1 + 2.5 log10(10000 / (S / n)), S = 10000 + 10000 * 10^((m1 - m2) / 2.512).
  const double s = 10000 + 10000 * std::pow(10.0, (11.0 - 12.0) / 2.512);
  const Case cases[] = {
      {{"11.0"}, false, true, 11.0},
      {{"11.0", "12.0 B"}, true, true, 11.0 + 2.5 * std::log10(10000 / (s / 2))},
      {{"11.0", "CAL-2"}, true, false, 10.0},
  };
  for (const Case& c : cases) {
    ResultsTables t;
    ASSERT_TRUE(BuildResults(TwoRows(c.comps), t).ok());
    EXPECT_EQ(t.EnsembleFlag, c.ensemble);
    EXPECT_EQ(t.absolutePhotometry, c.absolute);
    EXPECT_NEAR(t.meanCatalogueMagnitude, c.bigM, 1e-12);
    EXPECT_EQ(t.tAbsoluta.empty(), !c.absolute);
    EXPECT_EQ(t.tDiferencia.size(), 4u);
  }
}

TEST(BuildResults, HeaderOnlyFileGivesEmptyTables) {
  ResultsTables t;
  ASSERT_TRUE(BuildResults(ResultsLines({"11.0"}, {"V"}, {}), t).ok());
  EXPECT_EQ(t.tInstrumental.size(), 1u);
  EXPECT_EQ(t.tDiferencia.size(), 2u);
  EXPECT_EQ(t.lbMag, (std::vector<std::string>{"11.0", "0.0000"}));
  EXPECT_FALSE(BuildResults({"12 34 56.7", "-05 06 07", "garbage"}, t).ok());
}

// A table with one column per series of magnitudes (NaN = not measured).
std::vector<std::string> Table(const std::vector<std::vector<double>>& columns) {
  std::vector<std::string> names;
  for (size_t k = 0; k < columns.size(); ++k) names.push_back("S" + std::to_string(k));
  std::vector<test::FixtureRow> rows(columns.empty() ? 0 : columns[0].size());
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i] = {
        "20150612.1000" + std::to_string(i % 10), 1000, {}, 12.0, 1000, "p" + std::to_string(i)};
    for (const auto& c : columns) rows[i].stars.push_back({100, std::isnan(c[i]) ? 10000 : c[i]});
  }
  auto lines = test::ResultsLines({"10"}, names, rows);
  lines.erase(lines.begin(), lines.begin() + 5);  // field, comparison and blank lines
  lines.erase(lines.begin() + 1);                 // the separator
  return lines;
}

std::vector<std::string> Names(const std::vector<std::string>& table) {
  std::vector<std::string> out;
  for (int k = 0; k < rf::HeaderStarCount(static_cast<int>(table[0].size())); ++k)
    out.push_back(Trim(Field(table[0], rf::HeaderStarName(k))));
  return out;
}

const double N = std::nan("");

TEST(VariableSearch, KeepsColumnsByScatterOverMeanJump) {
  // S0: smooth ramp (variable); S1: alternating noise (not); S2: constant
  // (delta tiny, stays); S3: two values only (untestable, stays); S4: values
  // only in alternate rows (no pairs, stays).
  const auto table = Table({
      {10.0, 10.1, 10.2, 10.3, 10.4, 10.5, 10.6, 10.7},
      {10.0, 10.2, 10.0, 10.2, 10.0, 10.2, 10.0, 10.2},
      {11.0, 11.0, 11.0, 11.0, 11.0, 11.0, 11.0, 11.0},
      {12.0, N, N, N, N, N, N, 12.5},
      {13.0, N, 13.5, N, 13.1, N, 13.7, N},
  });
  const auto out = SearchVariables(table, 1).value;
  EXPECT_EQ(Names(out), (std::vector<std::string>{"S0", "S2", "S3", "S4"}));
  // Everything after the star columns stays, rows keep their fields.
  EXPECT_EQ(rf::RowPath(out[3]), "p2");
  EXPECT_EQ(Field(out[3], rf::RowStarMag(1)), "11.00000");
}

TEST(VariableSearch, LowerSensitivityThresholdOnlyAddsColumns) {
  // Ratios near the thresholds: noise with a slow trend.
  std::vector<std::vector<double>> columns;
  for (int c = 0; c < 12; ++c) {
    std::vector<double> v;
    for (int i = 0; i < 30; ++i)
      v.push_back(10 + 0.004 * c * i + 0.05 * ((i * 7 + c * 3) % 5 - 2) / 2.0);
    columns.push_back(v);
  }
  const auto table = Table(columns);
  const auto s1 = Names(SearchVariables(table, 1).value);
  const auto s2 = Names(SearchVariables(table, 2).value);
  const auto s3 = Names(SearchVariables(table, 3).value);
  for (const auto& [fewer, more] : {std::pair{&s1, &s2}, std::pair{&s2, &s3}})
    for (const auto& n : *fewer) EXPECT_NE(std::find(more->begin(), more->end(), n), more->end());
  EXPECT_LT(s1.size(), s3.size());  // the thresholds matter on this table
}

TEST(VariableSearch, OneOrTwoRowsLeaveTheTableAsItIs) {
  for (size_t rows : {1u, 2u}) {
    std::vector<double> a = {10.0, 10.7}, b = {12.0, 11.1};
    a.resize(rows);
    b.resize(rows);
    const auto table = Table({a, b});
    EXPECT_EQ(SearchVariables(table, 3).value, table) << rows;
  }
}

TEST(VariableSearch, DropEmptyColumnsRemovesNeverMeasuredStars) {
  auto table = Table({{10.0, 10.1, 10.2}, {N, N, N}, {N, 12.0, N}});
  DropEmptyColumns(table);
  EXPECT_EQ(Names(table), (std::vector<std::string>{"S0", "S2"}));
  EXPECT_EQ(Field(table[2], rf::RowStarMag(1)), "12.00000");
  EXPECT_EQ(rf::StarCountBeforeAnchor(rf::PlusAnchor(table[1])), 2);
}

std::vector<std::string> Night(const std::vector<std::string>& dates,
                               const std::vector<std::string>& names = {"VAR-1", "VAR-2"}) {
  std::vector<FixtureRow> rows;
  for (const auto& d : dates) {
    std::vector<RowStar> stars;
    for (size_t k = 0; k < names.size(); ++k) stars.push_back({1000, k == 1 ? 10000 : 10.5});
    rows.push_back({d, 2000, stars, 12.0, 900, "/n/" + d + ".fit"});
  }
  return ResultsLines({"11.0"}, names, rows);
}

std::string Save(const test::TempDir& dir, const std::string& name,
                 const std::vector<std::string>& lines) {
  const std::string path = dir.File(name);
  EXPECT_TRUE(WriteFileAtomic(path, JoinLines(lines)).ok());
  return path;
}

TEST(SaveResults, TxtCopyCsvTableOtherExtensionRefused) {
  test::TempDir dir;
  const std::string src =
      Save(dir, "instrumental.txt", Night({"20150612.10000", "20150612.20000"}));
  ASSERT_TRUE(SaveResults(src, dir.File("copia.txt")).ok());
  EXPECT_EQ(test::ReadBytes(dir.File("copia.txt")), test::ReadBytes(src));

  ASSERT_TRUE(SaveResults(src, dir.File("tabla.csv")).ok());
  EXPECT_EQ(test::ReadBytes(dir.File("tabla.csv")),
            "VAR-1;VAR-2\r\n10.50000;--------\r\n10.50000;--------\r\n");
  // One star: no separator at all.
  EXPECT_EQ(ResultsCsv(Night({"20150612.10000"}, {"SOLA"})),
            (std::vector<std::string>{"SOLA", "10.50000"}));

  for (const char* bad : {"datos.TXT", "datos.dat", "datos"}) {
    const Status s = SaveResults(src, dir.File(bad));
    EXPECT_FALSE(s.ok()) << bad;
    EXPECT_NE(s.message.find(".csv"), std::string::npos);
    EXPECT_FALSE(FileExists(dir.File(bad))) << bad;
  }
}

TEST(CheckResultsFormat, AcceptsResultsRefusesOthers) {
  auto good = Night({"20150612.10000"});
  EXPECT_TRUE(CheckResultsFormat(good));
  struct Case {
    const char* what;
    void (*spoil)(std::vector<std::string>&);
  };
  const Case cases[] = {
      {"header only", [](auto& l) { l.pop_back(); }},
      {"RA too long", [](auto& l) { l[0] += " "; }},
      {"RA without point", [](auto& l) { l[0][8] = '5'; }},
      {"Dec without sign", [](auto& l) { l[1][0] = ' '; }},
      {"Dec short", [](auto& l) { l[1].pop_back(); }},
      {"row without anchor", [](auto& l) { l.back().erase(l.back().find('+'), 1); }},
  };
  for (const Case& c : cases) {
    auto lines = good;
    c.spoil(lines);
    EXPECT_FALSE(CheckResultsFormat(lines)) << c.what;
  }
}

TEST(RecoverResults, MergesSortsRenumbersAndRebuilds) {
  test::TempDir dir;
  const auto a = Save(dir, "a.txt", Night({"20150612.30000", "20150612.10000"}));
  auto second = Night({"20150612.20000"});
  second[0] = "01 00 00.0";  // other field coordinates are accepted
  const auto b = Save(dir, "b.txt", second);
  const std::string out = dir.File("instrumental.txt");
  const auto r = RecoverResults({a, b}, out);
  ASSERT_TRUE(r.ok()) << r.message;
  const auto lines = *ReadTextLines(out);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "12 34 56.7");
  for (int i = 0; i < 3; ++i) {
    const std::string date = "20150612." + std::to_string(i + 1) + "0000";
    EXPECT_EQ(lines[7 + static_cast<size_t>(i)].substr(0, 20),
              "000" + std::to_string(i) + "  " + date);
    EXPECT_EQ(r.value.ListaFotos[static_cast<size_t>(i)].Text(), date + " /n/" + date + ".fit");
  }
  EXPECT_EQ(r.value.ListaFotos.size(), 3u);
  EXPECT_EQ(r.value.tables.tDiferencia.size(), 5u);
}

TEST(RecoverResults, RefusalsAndStopsLeaveTheResultsFileUntouched) {
  test::TempDir dir;
  const std::string out = Save(dir, "instrumental.txt", {"previous"});
  const auto good = Save(dir, "good.txt", Night({"20150612.10000"}));
  const auto headerOnly = Save(dir, "vacio.txt", Night({}));
  const auto otherStars = Save(dir, "otras.txt", Night({"20150612.10000"}, {"VAR-1", "VAR-9"}));
  std::vector<std::string> many = Night({});
  const std::string row = Night({"20150612.10000"}).back();
  many.resize(many.size() + 10001, row);
  const auto tooMany = Save(dir, "muchas.txt", many);
  struct Case {
    std::vector<std::string> files;
    std::string message;
  };
  const Case cases[] = {
      {{headerOnly}, "vacio.txt: Error en formato de datos."},
      {{good, otherStars}, "Error: cabeceras no idénticas."},
      {{tooMany}, "Demasiadas imágenes"},
  };
  for (const Case& c : cases) {
    const auto r = RecoverResults(c.files, out);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
    EXPECT_EQ(test::ReadBytes(out), "previous\r\n");
  }
  EXPECT_FALSE(SameHeaders({good, otherStars}));

  // A stop in the middle of the variable search: no tables, nothing written.
  std::stop_source source;
  const Progress stopAtSecondColumn = [&](const ProgressStep& step) {
    if (step.text == "Buscando posibles variables... 0") source.request_stop();
  };
  const auto r = RecoverResults({good}, out, 1, source.get_token(), stopAtSecondColumn);
  EXPECT_TRUE(r.Interrupted()) << r.message;
  EXPECT_EQ(test::ReadBytes(out), "previous\r\n");
}

}  // namespace
}  // namespace lumenda
