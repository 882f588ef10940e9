// Marking stars on the first image: the selection dialog's read-outs and
// rules, and the image window's marking and relocation.
#include <gtest/gtest.h>

#include <cmath>

#include "run/series_checks.h"
#include "run/star_selection.h"
#include "synthetic_sky.h"
#include "test_support.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

std::vector<std::string> Texts(const std::vector<StarEntry>& list) {
  std::vector<std::string> out;
  for (const StarEntry& e : list) out.push_back(StarEntryText(e));
  return out;
}

using test::MakeField;
using test::PlantedStar;

const ApertureSettings kAperture{4, 3, 5, false, false};

TEST(ReadSelection, ReadOutsOfTheMeasuredStar) {
  // A star at an exact pixel centre gives a centroid of exactly that pixel.
  TPlaca image = MakeField(60, 50, 100, 0, {{30, 20, 40000, 1.2}});
  image.SetKeyword("MZERO", "25");
  image.SetKeyword("FILTER", "ÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑÑ");  // 20 characters, cut to 18
  const SelectionReadout r = ReadSelection(image, kAperture, {}, 2.5, 31, 19);
  EXPECT_EQ(r.x, "X= 30.00");
  EXPECT_EQ(r.y, "Y= 20.00");
  EXPECT_EQ(r.adu, "ADU= " + IntToStr(r.star.flux));
  EXPECT_NEAR(r.star.flux, 40000, 400);
  EXPECT_EQ(r.max, "MAX= " + IntToStr(r.star.peak));
  EXPECT_EQ(r.fwhm, "FWHM= " + FormatFloat("0.0", r.star.fwhm) + " pix - " +
                        FormatFloat("0.0", r.star.fwhm * 2.5) + "\"");
  EXPECT_EQ(r.ar, "");
  EXPECT_EQ(r.dec, "");
  std::string eighteen;
  for (int i = 0; i < 18; ++i) eighteen += "Ñ";
  EXPECT_EQ(r.mag,
            "MAG= " + FormatFloat("0.000", 25 - 2.5 * std::log10(r.star.flux)) + " " + eighteen);

  // No MZERO: no magnitude; a plate solution gives the sky position.
  TPlaca plain = MakeField(60, 50, 100, 0, {{30, 20, 40000, 1.2}});
  const PlateReading plate{{31, 150, -0.001, 0, 21, 20, 0.001, 0}, true};
  const SelectionReadout p = ReadSelection(plain, kAperture, plate, 1, 30, 20);
  EXPECT_EQ(p.mag, "");
  EXPECT_EQ(p.ar, "AR= " + FormatRA(150));
  EXPECT_EQ(p.dec, "DEC= " + FormatDec(20));
}

TEST(SelectionRules, RefusalsDefaultsAndTodas) {
  EXPECT_EQ(CheckSelection(SelectionRole::kNone, "X").message,
            "Debes seleccionar \"Calibrado\", \"Variable\" o \"Todas\".");
  EXPECT_EQ(CheckSelection(SelectionRole::kVariable, "").message,
            "Debes asignar un nombre a la estrella.");
  EXPECT_EQ(CheckSelection(SelectionRole::kCalibrado, "").message,
            "Debes asignar un nombre a la estrella.");
  EXPECT_TRUE(CheckSelection(SelectionRole::kTodas, "").ok());
  EXPECT_TRUE(CheckSelection(SelectionRole::kCalibrado, "11.37").ok());

  EXPECT_EQ(DefaultStarName(SelectionRole::kCalibrado, 2, 0), "CAL-3");
  EXPECT_EQ(DefaultStarName(SelectionRole::kVariable, 2, 0), "VAR-1");

  EXPECT_FALSE(TodasOffered(true, 0, false));  // no variable star yet
  EXPECT_TRUE(TodasOffered(true, 1, false));
  EXPECT_FALSE(TodasOffered(true, 1, true));    // once per selection
  EXPECT_FALSE(TodasOffered(false, 1, false));  // first series only

  EXPECT_EQ(MarkerRadius(10, 1), 11);
  EXPECT_EQ(MarkerRadius(5, 0.5), 3);  // 2.5 -> 2
  EXPECT_EQ(MarkerRadius(7, 0.5), 5);  // 3.5 -> 4
  EXPECT_EQ(MarkerColourOf(true, "VS_0001_0002"), MarkerColour::kCyan);
  EXPECT_EQ(MarkerColourOf(false, "VS_0001_0002"), MarkerColour::kGreen);
  EXPECT_EQ(MarkerColourOf(false, "VAR-1"), MarkerColour::kYellow);
}

TEST(StarMarkingState, FirstSeriesMarksStarsAndLocatesTheRest) {
  const TPlaca image = MakeField(80, 80, 100, 0, {{20, 20, 50000, 1.3}, {50, 40, 50000, 1.3}});
  StarMarking marking;
  EXPECT_EQ(marking.Open(true, false, {"V 0001.00  0001.00  OLD"}), "");
  EXPECT_EQ(marking.CurrentMode(), StarMarking::Mode::kMarking);
  EXPECT_TRUE(marking.RecoverEnabled());
  EXPECT_FALSE(marking.TakesReferenceClick());
  EXPECT_FALSE(marking.TodasOffered());
  EXPECT_EQ(marking.DefaultName(SelectionRole::kVariable), "VAR-1");
  ASSERT_TRUE(marking.AddStar(SelectionRole::kVariable, 20, 20, "VAR-1").ok());
  ASSERT_TRUE(marking.AddStar(SelectionRole::kCalibrado, 61.5, 12.254, "11.37").ok());
  EXPECT_EQ(Texts(marking.Stars().variables),
            (std::vector<std::string>{"0020.00  0020.00  VAR-1"}));
  EXPECT_EQ(Texts(marking.Stars().comparisons),
            (std::vector<std::string>{"0061.50  0012.25  11.37"}));
  EXPECT_EQ(marking.Markers().back().y, 12.25);  // drawn where the list keeps it
  EXPECT_TRUE(marking.TodasOffered());

  // "Todas": a found star on a marked one is skipped, the other joins as a
  // green "VS_" star; "Todas" is then used up.
  FoundStars found;
  found.stars.resize(2);
  found.stars[0].x = found.stars[0].y = 20;
  found.stars[1].x = 50.2f;
  found.stars[1].y = 39.7f;
  EXPECT_EQ(marking.AddFoundStars(image, kAperture, found), 1);
  EXPECT_EQ(StarEntryText(marking.Stars().variables.back()), "0050.20  0039.70  VS_0050_0040");
  EXPECT_EQ(marking.Markers().back().colour, MarkerColour::kGreen);
  EXPECT_FALSE(marking.TodasOffered());
}

// The previous series' star file, in the old image's positions.
const std::vector<std::string> kStarFile = {
    "V 0020.00  0020.00  ECLIPSANTE",    //
    "V 0050.00  0030.00  PULSANTE",      //
    "V 0083.00  0083.00  VS_0083_0083",  // falls outside once moved
    "C 0030.00  0060.00  10.52"};

TEST(StarMarkingState, FollowingSeriesRelocatesByTwoReferences) {
  // The field moved by (+6, +4).
  const TPlaca image =
      MakeField(90, 90, 100, 0, {{26, 24, 50000, 1.3}, {56, 34, 50000, 1.3}, {36, 64, 50000, 1.3}});
  StarMarking marking;
  EXPECT_EQ(marking.Open(false, false, kStarFile),
            "Localiza y marca estrella: ECLIPSANTE  (X: 20  Y: 20).");
  EXPECT_EQ(marking.CurrentMode(), StarMarking::Mode::kRelocation);
  EXPECT_FALSE(marking.RecoverEnabled());
  EXPECT_EQ(marking.StatusText(), "Marca ECLIPSANTE");
  ASSERT_TRUE(marking.TakesReferenceClick());
  EXPECT_EQ(marking.ReferenceClicked(26, 24), StarMarking::Next::kAskSecondReference);
  EXPECT_EQ(marking.SecondReferencePrompt(),
            "Localiza y marca estrella: PULSANTE  (X: 50  Y: 30).");
  EXPECT_FALSE(marking.SecondReferenceAnswer(true));
  EXPECT_EQ(marking.StatusText(), "Marca PULSANTE");
  EXPECT_EQ(marking.ReferenceClicked(56, 34), StarMarking::Next::kRelocate);
  marking.Relocate(image, kAperture);
  EXPECT_EQ(Texts(marking.Stars().variables),
            (std::vector<std::string>{"0026.00  0024.00  ECLIPSANTE", "0056.00  0034.00  PULSANTE",
                                      "-100.00  -100.00  VS_0083_0083"}));
  EXPECT_EQ(Texts(marking.Stars().comparisons),
            (std::vector<std::string>{"0036.00  0064.00  10.52"}));
  // The lost star is not drawn; the others are, once each.
  ASSERT_EQ(marking.Markers().size(), 3u);
  EXPECT_EQ(marking.Markers()[2].colour, MarkerColour::kCyan);
  EXPECT_FALSE(marking.TakesReferenceClick());
  EXPECT_EQ(marking.StatusText(), "");
}

TEST(StarMarkingState, OneReferenceWhenTheSecondIsDeclinedOrNotOffered) {
  const TPlaca image = MakeField(90, 90, 100, 0, {{23, 21, 50000, 1.3}, {53, 31, 50000, 1.3}});
  StarMarking declined;
  declined.Open(false, false, kStarFile);
  ASSERT_EQ(declined.ReferenceClicked(23, 21), StarMarking::Next::kAskSecondReference);
  EXPECT_TRUE(declined.SecondReferenceAnswer(false));
  declined.Relocate(image, kAperture);
  EXPECT_EQ(StarEntryText(declined.Stars().variables[1]), "0053.00  0031.00  PULSANTE");

  // A "VS_" star on the second line is no reference.
  StarMarking translation;
  translation.Open(false, false, {kStarFile[0], kStarFile[2], kStarFile[3]});
  EXPECT_EQ(translation.ReferenceClicked(23, 21), StarMarking::Next::kRelocate);

  // Forced individual selection marks afresh; a loaded file relocates in
  // place of what was marked.
  StarMarking forced;
  EXPECT_EQ(forced.Open(false, true, kStarFile), "");
  EXPECT_EQ(forced.CurrentMode(), StarMarking::Mode::kMarking);
  ASSERT_TRUE(forced.AddStar(SelectionRole::kVariable, 10, 10, "VAR-1").ok());
  EXPECT_EQ(forced.LoadStarFile(kStarFile),
            "Localiza y marca estrella: ECLIPSANTE  (X: 20  Y: 20).");
  EXPECT_TRUE(forced.Stars().variables.empty());
  EXPECT_TRUE(forced.TakesReferenceClick());
}

TEST(SeriesChecks, PreviousFilesAndComparisonNames) {
  test::TempDir dir;
  EXPECT_FALSE(PreviousSeriesPresent(dir.path()));
  test::WriteBytes(dir.File("instrumental.txt"), "x");
  EXPECT_FALSE(PreviousSeriesPresent(dir.path()));  // both are needed
  test::WriteBytes(dir.File("estrellas.txt"), "x");
  EXPECT_TRUE(PreviousSeriesPresent(dir.path()));

  EXPECT_EQ(ComparisonNameNotice({{10, 20, "10.52"}, {11, 21, "11.37 V"}}), "");
  EXPECT_EQ(ComparisonNameNotice({{10, 20, "10.52"}, {11, 21, "CAL-2"}}),
            "Para informes de fotometría absoluta es necesario que el nombre de las estrellas de "
            "calibrado sea la magnitud, eventualmente seguida por un espacio y la identificación "
            "del filtro.");
}

}  // namespace
}  // namespace lumenda
