// The image list, the field coordinates and the AUTO folder scan.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "image/fits_writer.h"
#include "run/image_list.h"
#include "synthetic_images.h"
#include "test_support.h"

namespace lumenda {
namespace {

constexpr double kDeg = std::numbers::pi / 180;

void WriteFrame(const std::string& path, const std::string& dateObs) {
  FitsImage16 img;
  img.width = 8;
  img.height = 8;
  img.pixels.assign(64, 100);
  if (!dateObs.empty())
    img.cards = {StringCard("DATE-OBS", dateObs), NumberCard("EXPTIME", "0.0", 60)};
  ASSERT_TRUE(WriteFits16(path, img).ok());
}

TEST(ImageList, SortedByDateUndatedFirstEqualDatesByPath) {
  test::TempDir dir;
  WriteFrame(dir.File("c.fit"), "2015-06-12T01:00:00");
  WriteFrame(dir.File("b.fit"), "2015-06-12T00:30:00");
  WriteFrame(dir.File("a.fit"), "2015-06-12T01:00:00");
  WriteFrame(dir.File("sin_fecha.fit"), "");
  TPlaca image;
  std::vector<int> counts;
  const auto list = BuildImageList(
      {dir.File("c.fit"), dir.File("b.fit"), dir.File("a.fit"), dir.File("sin_fecha.fit")}, 0,
      image, [&](int n) { counts.push_back(n); });
  ASSERT_TRUE(list.ok()) << list.message;
  EXPECT_EQ(list.value, (std::vector<std::string>{
                            "00000000.00000 " + dir.File("sin_fecha.fit"),
                            "20150612.02118 " + dir.File("b.fit"),
                            "20150612.04201 " + dir.File("a.fit"),
                            "20150612.04201 " + dir.File("c.fit"),
                        }));
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(EntryFileName(list.value[1]), "b.fit");
  EXPECT_EQ(EntryDate(list.value[1]), "20150612.02118");

  const auto bad = BuildImageList({dir.File("b.fit"), dir.File("nada.fit")}, 0, image);
  EXPECT_FALSE(bad.ok());
  EXPECT_EQ(bad.message.rfind("nada.fit: ", 0), 0u) << bad.message;
}

TEST(FieldCoordinates, TextsReadByPositionWithHemispheres) {
  struct Case {
    CoordinateTexts texts;
    double ra, dec, lat, lon;  // degrees
    const char* decText;
  };
  CoordinateTexts north;
  north.ar = "12 30 36.0";
  north.dec = "45 30 00";
  north.lat = "40 24 00";
  north.lon = "003 41 00";
  north.res = "02.00";
  CoordinateTexts south = north;
  south.dec = "00 30 00";  // the sign applies to the whole value
  south.decSign = 'S';
  south.latSign = 'S';
  south.lonSide = 'E';
  const Case cases[] = {
      {north, 187.65, 45.5, 40.4, 3 + 41.0 / 60, "+45 30 00"},
      {south, 187.65, -0.5, -40.4, -(3 + 41.0 / 60), "-00 30 00"},
  };
  for (const Case& c : cases) {
    const auto f = ParseCoordinateTexts(c.texts);
    ASSERT_TRUE(f.ok()) << f.message;
    EXPECT_NEAR(f.value.ra / kDeg, c.ra, 1e-9);
    EXPECT_NEAR(f.value.dec / kDeg, c.dec, 1e-9);
    EXPECT_NEAR(f.value.latitude / kDeg, c.lat, 1e-9);
    EXPECT_NEAR(f.value.longitude / kDeg, c.lon, 1e-9);
    EXPECT_DOUBLE_EQ(f.value.scale, 2.0);
    EXPECT_EQ(f.value.FieldRAText, "12 30 36.0");
    EXPECT_EQ(f.value.FieldDecText, c.decText);
  }
  CoordinateTexts wrong = north;
  wrong.ar = "12 3x 36.0";
  EXPECT_EQ(ParseCoordinateTexts(wrong).message, "'3x' no es un valor numérico válido");
}

TEST(FieldCoordinates, PrefilledFromTheHeaderAndSettings) {
  test::TempDir dir;
  test::WriteSynthImage(dir.File("a.fit"), {}, 0);  // OBJCTRA 20 15 30.0, OBJCTDEC +38 20 00
  TPlaca image;
  ASSERT_TRUE(image.LoadHeader(dir.File("a.fit")));
  Settings s;
  s.lat = "40 24 00";
  s.lat2 = "S";
  s.lon2 = "E";
  const CoordinateTexts t = CoordinateTextsFromHeader(image, s);
  EXPECT_EQ(t.ar, "20 15 30.0");
  EXPECT_EQ(t.dec, "38 20 00");
  EXPECT_EQ(t.decSign, 'N');
  EXPECT_EQ(t.lat, "40 24 00");
  EXPECT_EQ(t.latSign, 'S');
  EXPECT_EQ(t.lonSide, 'E');
  EXPECT_EQ(t.res, "02.00");
}

TEST(AutoScan, OnlyLaterFitsFilesPassingTheNameFilter) {
  test::TempDir dir;
  const std::string last = dir.File("noche_002.fit");
  WriteFrame(dir.File("noche_001.fit"), "2015-06-12T01:00:00");
  WriteFrame(last, "2015-06-12T01:05:00");
  WriteFrame(dir.File("noche_003.FIT"), "2015-06-12T01:10:00");
  WriteFrame(dir.File("noche_004.fts"), "2015-06-12T01:15:00");
  WriteFrame(dir.File("flat_v_0001.fits"), "2015-06-12T01:20:00");
  test::WriteBytes(dir.File("notas.txt"), "x");
  TPlaca image;
  const std::string eFoto1 = ImageEntry(image, last, 0).value;
  struct Case {
    char mode;
    std::string include, exclude;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {'N', "", "", {"noche_003.FIT", "noche_004.fts", "flat_v_0001.fits"}},
      {'E', "", "", {"noche_003.FIT", "noche_004.fts", "flat_v_0001.fits"}},
      {'E', "", "FLAT", {"noche_003.FIT", "noche_004.fts"}},
      // Compared lower-case and cut to 10 characters: "noche_003."
      {'I', "NOCHE_003.fit y algo", "", {"noche_003.FIT"}},
      {'I', "flat", "", {"flat_v_0001.fits"}},
      {'I', "noche", "noche", {"noche_003.FIT", "noche_004.fts"}},
  };
  for (const Case& c : cases) {
    Settings s;
    s.filtroAc = c.mode;
    s.filtroIn = c.include;
    s.filtroEx = c.exclude;
    const auto entries = AutoScanFolder(eFoto1, s, image, 0);
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(EntryFileName(e));
    EXPECT_EQ(names, c.names) << c.mode << " " << c.include << " " << c.exclude;
  }
}

}  // namespace
}  // namespace lumenda
