// "Guardar datos..." and "Recuperar datos...".
#include <gtest/gtest.h>

#include "results_fixture.h"
#include "run/results_format.h"
#include "run/save_recover.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

using test::FixtureRow;
using test::ResultsLines;

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
  EXPECT_EQ(WriteFileAtomic(path, JoinLines(lines)), "");
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

  for (const char* bad : {"datos.TXT", "datos.dat", "datos"}) {
    const Status s = SaveResults(src, dir.File(bad));
    EXPECT_FALSE(s.ok()) << bad;
    EXPECT_NE(s.message.find(".csv"), std::string::npos);
    EXPECT_FALSE(FileExists(dir.File(bad))) << bad;
  }
}

TEST(SaveResults, CsvOfOneStarHasNoSeparator) {
  const auto csv = ResultsCsv(Night({"20150612.10000"}, {"SOLA"}));
  EXPECT_EQ(csv, (std::vector<std::string>{"SOLA", "10.50000"}));
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
  EXPECT_EQ(lines[7].substr(0, 20), "0000  20150612.10000");
  EXPECT_EQ(lines[8].substr(0, 20), "0001  20150612.20000");
  EXPECT_EQ(lines[9].substr(0, 20), "0002  20150612.30000");
  EXPECT_EQ(r.value.ListaFotos, (std::vector<std::string>{"20150612.10000 /n/20150612.10000.fit",
                                                          "20150612.20000 /n/20150612.20000.fit",
                                                          "20150612.30000 /n/20150612.30000.fit"}));
  EXPECT_EQ(r.value.tables.tDiferencia.size(), 5u);
}

TEST(RecoverResults, RefusalsLeaveTheResultsFileUntouched) {
  test::TempDir dir;
  const std::string out = Save(dir, "instrumental.txt", {"previous"});
  const auto good = Save(dir, "good.txt", Night({"20150612.10000"}));
  const auto headerOnly = Save(dir, "vacio.txt", Night({}));
  const auto otherStars = Save(dir, "otras.txt", Night({"20150612.10000"}, {"VAR-1", "VAR-9"}));
  std::vector<std::string> many = Night({});
  const std::string row = Night({"20150612.10000"}).back();
  for (int i = 0; i < 10001; ++i) many.push_back(row);
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
  EXPECT_TRUE(SameHeaders({good, good}));
  EXPECT_FALSE(SameHeaders({good, otherStars}));
}

}  // namespace
}  // namespace lumenda
