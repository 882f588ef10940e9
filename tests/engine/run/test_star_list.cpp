// Star-list entries, star files, relocation, and marking stars on images
// (relocation of a star file and "Todas").
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "image/find_stars.h"
#include "run/run_state.h"
#include "run/star_list.h"
#include "run/star_marking.h"
#include "synthetic_sky.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

TEST(StarEntry, FormatsAndParsesByColumn) {
  EXPECT_EQ(FormatStarEntry(123.456, 7.5, "VAR-1"), "0123.46  0007.50  VAR-1");
  const StarEntry e = ParseStarEntry("0123.46  0007.50  11.52 V");  // names may hold spaces
  EXPECT_EQ(FormatStarEntry(e.x, e.y, e.name), "0123.46  0007.50  11.52 V");
  EXPECT_EQ(AutoStarName(123.4, 56.7), "VS_0123_0057");
  EXPECT_FALSE(IsAutoStar("V_S"));
}

TEST(StarFile, WriteReadCheck) {
  test::TempDir dir;
  const std::string path = dir.File("estrellas.txt");
  EXPECT_FALSE(WriteStarFile(path, {{}, {{1, 1, "11"}}}).ok());
  const StarLists stars{{{10, 20, "VAR-1"}}, {{30, 40, "11.5"}}};
  ASSERT_TRUE(WriteStarFile(path, stars).ok());
  EXPECT_EQ(test::ReadBytes(path), "V 0010.00  0020.00  VAR-1\r\nC 0030.00  0040.00  11.5\r\n");
  const auto lines = ReadStarFile(path);
  ASSERT_TRUE(lines.ok());
  const StarLists read = SplitStarFile(lines.value);
  EXPECT_EQ(read.variables, stars.variables);
  EXPECT_EQ(read.comparisons, stars.comparisons);

  const std::vector<std::vector<std::string>> bad = {
      {"V 0010.00  0020.00  A", ""},
      {"X 0010.00  0020.00  A"},
      {"V 001000  0020.00  A"},
      {"V 0010.00  002000  A"},
      {},
  };
  for (const auto& b : bad) EXPECT_FALSE(CheckStarFileFormat(b));
  test::WriteBytes(dir.File("mal.txt"), "hola\r\n");
  EXPECT_EQ(ReadStarFile(dir.File("mal.txt")).message, "Error en formato de datos.");
}

// What the selection dialog and the rename window are told about a name.
TEST(StarNames, MarkersOfTheResultsFileAreRefused) {
  for (const char* name : {"RR LYR", "ÑANDÚ", "10.52 V", "-1.46", "VS_0012_0034", "V1  "})
    EXPECT_TRUE(CheckStarName(name).ok()) << name;
  const std::pair<const char*, const char*> refused[] = {
      {"", "El nombre de la estrella no puede quedar vacío."},
      {"   ", "El nombre de la estrella no puede quedar vacío."},
      {"A*B", "El nombre de estrella \"A*B\" no puede contener \"*\"."},
      {"+11.2", "El nombre de estrella \"+11.2\" no puede contener \"+\"."},
      {"A\tB", "El nombre de estrella \"A\tB\" no puede contener caracteres de control."},
      {" NUM", "El nombre de estrella \" NUM\" no puede empezar por un espacio."},
      {">>> 12", "El nombre de estrella \">>> 12\" no puede empezar por \">\"."},
      {"--", "El nombre de estrella \"--\" no puede empezar por \"--\"."},
  };
  for (const auto& [name, message] : refused) EXPECT_EQ(CheckStarName(name).message, message);
  // Variables are told apart by their names as the results file holds them
  // (18 characters); comparison stars may share a catalogue magnitude.
  EXPECT_EQ(CheckStarLists({{{1, 1, "ABCDEFGHIJKLMNOPQRS1"}, {2, 2, "ABCDEFGHIJKLMNOPQRS2"}},
                            {{3, 3, "11.2"}}})
                .message,
            "Dos estrellas variables se llaman \"ABCDEFGHIJKLMNOPQR\".");
  EXPECT_TRUE(CheckStarLists({{{1, 1, "V1"}}, {{3, 3, "11.2"}, {4, 4, "11.2"}}}).ok());
}

TEST(StarFile, ReferencesFromTheFirstTwoLines) {
  struct Case {
    std::vector<std::string> lines;
    bool ref2;
  };
  const Case cases[] = {
      {{"V 0010.00  0020.00  VAR-1", "V 0030.00  0040.00  VAR-2"}, true},
      {{"V 0010.00  0020.00  VAR-1", "C 0030.00  0040.00  11.5"}, false},
      {{"V 0010.00  0020.00  VAR-1", "V 0030.00  0040.00  VS_0030_0040"}, false},
      {{"V 0010.00  0020.00  VAR-1"}, false},
  };
  for (const Case& c : cases) {
    const auto r = StarFileReferences(c.lines);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->ref1.name, "VAR-1");
    EXPECT_EQ(r->ref2.has_value(), c.ref2) << c.lines.back();
  }
  EXPECT_EQ(LocatePrompt(StarFileReferences(cases[0].lines)->ref1),
            "Localiza y marca estrella: VAR-1  (X: 10  Y: 20).");
}

TEST(PositionMap, TranslationScaleRotationAndCoincidentReferences) {
  const PositionMap shift({10, 20}, {15, 18});
  EXPECT_TRUE(shift.IsTranslation());
  const Point a = shift({100, 100});
  EXPECT_DOUBLE_EQ(a.x, 105);
  EXPECT_DOUBLE_EQ(a.y, 98);

  // Rotated by 90 degrees and scaled by 2 about reference 1.
  const PositionMap turn({0, 0}, {50, 50}, {10, 0}, {50, 70});
  EXPECT_FALSE(turn.IsTranslation());
  EXPECT_NEAR(turn.Scale(), 2.0, 1e-12);
  EXPECT_NEAR(turn.Rotation(), std::numbers::pi / 2, 1e-12);
  const Point b = turn({0, 5});
  EXPECT_NEAR(b.x, 40, 1e-9);
  EXPECT_NEAR(b.y, 50, 1e-9);

  const PositionMap same({10, 20}, {15, 18}, {10, 20}, {40, 40});
  EXPECT_TRUE(same.IsTranslation());
  EXPECT_DOUBLE_EQ(same({0, 0}).x, 5);
}

TEST(Relocation, LostStarsGoToMinusOneHundred) {
  const std::vector<std::string> file = {"V 0010.00  0020.00  VAR-1", "C 0050.00  0050.00  11.5",
                                         "V 0090.00  0020.00  VS_0090_0020",
                                         "V 0050.00  0080.00  FUERA"};
  const InsideArea inside = [](Point p) {
    return p.x >= 12 && p.x <= 87 && p.y >= 12 && p.y <= 87;
  };
  // The measured centre is half a pixel off the prediction; a star predicted
  // at y 85 drifts out when re-centred.
  const Recentre recentre = [](Point p) -> std::optional<Point> {
    return Point{p.x + 0.5, p.y > 84 ? 88.0 : p.y};
  };
  std::vector<std::string> var, cal;
  RelocateStars(file, PositionMap({10, 20}, {15, 25}), recentre, inside, var, cal);
  EXPECT_EQ(var,
            (std::vector<std::string>{"0015.50  0025.00  VAR-1", "-100.00  -100.00  VS_0090_0020",
                                      "-100.00  -100.00  FUERA"}));
  EXPECT_EQ(cal, (std::vector<std::string>{"0055.50  0055.00  11.5"}));
}

TEST(AutoStars, MergeSkipsMarkedKeysAndOutsideStars) {
  std::vector<std::string> var = {"0010.40  0020.40  VAR-1"};
  const std::vector<std::string> cal = {"0030.00  0030.00  11.5"};
  const std::vector<std::string> found = {
      "  10.00    20.00   12000   100   50.0   60.0   2.5   ",  // same key as VAR-1
      "  11.00    20.00   12000   100   50.0   60.0   2.5   ",  // one pixel away
      "  30.20    29.80   12000   100   50.0   60.0   2.5   ",  // the comparison
      "   2.00    50.00   12000   100   50.0   60.0   2.5   ",  // outside
  };
  const InsideArea inside = [](Point p) { return p.x >= 5 && p.y >= 5; };
  EXPECT_EQ(AddAutoStars(found, 100, 100, false, false, inside, var, cal), 1);
  EXPECT_EQ(var.back(), "0011.00  0020.00  VS_0011_0020");
  // With FLIPX the same line lands at 99 - x.
  std::vector<std::string> var2;
  EXPECT_EQ(AddAutoStars({found[3]}, 100, 100, true, false, inside, var2, {}), 1);
  EXPECT_EQ(var2[0], "0097.00  0050.00  VS_0097_0050");
}

const ApertureSettings kAp{5, 3, 5, false, false};

TEST(StarMarking, RelocationFollowsAShiftedFieldAndTodasAddsTheUnmarkedStars) {
  test::TempDir dir;
  // The whole field moved by (+6, -4) since the star file was saved.
  test::WriteSynthImage(dir.File("a.fit"), {{36, 26, 20000}, {76, 66, 20000}, {56, 46, 10000}}, 0);
  test::WriteSynthImage(dir.File("b.fit"),
                        {{30, 30, 40000}, {70, 70, 40000}, {50, 50, 30000}, {30, 70, 30000}}, 0);
  TPlaca a, b;
  ASSERT_TRUE(a.LoadFile(dir.File("a.fit")) && b.LoadFile(dir.File("b.fit")));
  const std::vector<std::string> file = {"V 0050.00  0050.00  VAR-1", "C 0030.00  0030.00  11.0",
                                         "C 0070.00  0070.00  11.5",
                                         "V 0095.00  0050.00  VS_0095_0050"};
  const auto refs = StarFileReferences(file);
  ASSERT_TRUE(refs && !refs->ref2);
  // The user clicks about one pixel off the star.
  const StarMeasurement click = MeasureStar(a, kAp, 57, 45);
  std::vector<std::string> var, cal;
  RelocateStarFile(a, kAp, file, PositionMap({refs->ref1.x, refs->ref1.y}, {click.x, click.y}), var,
                   cal);
  EXPECT_EQ(var, (std::vector<std::string>{"0056.00  0046.00  VAR-1",
                                           "-100.00  -100.00  VS_0095_0050"}));  // out of frame
  EXPECT_EQ(cal, (std::vector<std::string>{"0036.00  0026.00  11.0", "0076.00  0066.00  11.5"}));

  // "Todas" on the image b: the marked stars stay, the other two join as
  // "VS_" variables.
  StarLists marked;
  marked.variables = {ParseStarEntry("0050.00  0050.00  VAR-1")};
  marked.comparisons = {ParseStarEntry("0030.00  0030.00  11.0")};
  const auto found = FindStars(b, StarSearch{1000, 50000, 5, 0});
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(AddFieldStars(marked, found.value, b, kAp), 2);
  ASSERT_EQ(marked.variables.size(), 3u);
  EXPECT_EQ(StarEntryText(marked.variables[1]), "0030.00  0070.00  VS_0030_0070");
  EXPECT_EQ(StarEntryText(marked.variables[2]), "0070.00  0070.00  VS_0070_0070");
}

}  // namespace
}  // namespace lumenda
