// The image on the screen: automatic levels, the grey picture at each zoom
// with the flips, the pointer read-out and the plate-solution keywords.
#include <gtest/gtest.h>

#include <vector>

#include "astro/coords.h"
#include "image/image_display.h"
#include "image/plate_solution.h"

namespace lumenda {
namespace {

TPlaca ImageOf(int width, int height, const std::vector<uint16_t>& values) {
  TPlaca image;
  image.Resize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.SetPixel(x, y, values[static_cast<size_t>(y * width + x)]);
  return image;
}

// An image holding `count` pixels of each value, the rest 0.
TPlaca HistogramImage(const std::vector<std::pair<uint16_t, int>>& counts) {
  std::vector<uint16_t> values(64 * 64, 0);
  size_t i = 0;
  for (const auto& [value, count] : counts)
    for (int k = 0; k < count; ++k) values[i++] = value;
  return ImageOf(64, 64, values);
}

TEST(AutoLevels, FromTheHistogramOfNonZeroPixels) {
  struct Case {
    const char* what;
    std::vector<std::pair<uint16_t, int>> counts;
    DisplayLevels expected;
  };
  const Case cases[] = {
      // The fullest bin is 100 ADU above the first one with more than 9
      // pixels; thin bins below it and the zeros do not count.
      {"mode above low", {{500, 5}, {1000, 20}, {1100, 300}}, {1001, 360, 500, 1502, 72, 900}},
      // Mode and low in one bin: the least width, 15, gives 54.
      {"mode at low", {{1000, 100}, {1200, 50}}, {1001, 54, 500, 1502, 11, 135}},
      // 15 ADU falls in bin 2 (halves to even) together with 25.
      {"bin rounding", {{15, 6}, {25, 6}}, {21, 54, 10, 32, 11, 135}},
      // No bin holds more than 9 pixels: the first used bin stands in.
      {"thin histogram", {{2000, 3}, {3000, 1}}, {2001, 54, 1000, 3002, 11, 135}},
      {"zeros only", {}, {1, 54, 0, 2, 11, 135}},
  };
  for (const Case& c : cases) {
    const DisplayLevels l = AutoLevels(HistogramImage(c.counts));
    EXPECT_EQ(l.fondo, c.expected.fondo) << c.what;
    EXPECT_EQ(l.rango, c.expected.rango) << c.what;
    EXPECT_EQ(l.fondoMin, c.expected.fondoMin) << c.what;
    EXPECT_EQ(l.fondoMax, c.expected.fondoMax) << c.what;
    EXPECT_EQ(l.rangoMin, c.expected.rangoMin) << c.what;
    EXPECT_EQ(l.rangoMax, c.expected.rangoMax) << c.what;
  }
}

// The grey levels of a rendered picture, row by row.
std::vector<int> Greys(const TPlaca& image, const DisplayView& view) {
  const int w = PictureExtent(image.Width(), view.zoomCode);
  const int h = PictureExtent(image.Height(), view.zoomCode);
  std::vector<uint32_t> out(static_cast<size_t>(w * h), 0);
  RenderPicture(image, view, out.data(), w);
  std::vector<int> greys;
  for (uint32_t p : out) {
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    greys.push_back(static_cast<int>(p & 0xFF));
  }
  return greys;
}

TEST(RenderPicture, LinearStretchRoundsHalvesToEvenAndClamps) {
  // Fondo 0, Rango 510: grey = value / 2.
  const TPlaca image = ImageOf(3, 2, {1, 3, 600, 0, 255, 5});
  EXPECT_EQ(Greys(image, {0, 510, kZoom1, false, false}), (std::vector<int>{0, 2, 255, 0, 128, 2}));
  // Below Fondo is black.
  EXPECT_EQ(Greys(image, {100, 510, kZoom1, false, false}),
            (std::vector<int>{0, 0, 250, 0, 78, 0}));
  // Flips mirror the picture.
  EXPECT_EQ(Greys(image, {0, 510, kZoom1, true, false}), (std::vector<int>{255, 2, 0, 2, 128, 0}));
  EXPECT_EQ(Greys(image, {0, 510, kZoom1, false, true}), (std::vector<int>{0, 128, 2, 0, 2, 255}));
}

TEST(RenderPicture, HalfAndQuarterZoomAverageBlocksFromColumnAndRowZero) {
  // Fondo 0, Rango 255: grey = value.
  // 5 x 3: blocks of 2 x 2, the last column and row cut by the edge.
  const TPlaca image = ImageOf(5, 3,
                               {1, 2, 1, 2, 5,  //
                                3, 4, 3, 6, 8,  //
                                9, 9, 7, 8, 100});
  ASSERT_EQ(PictureExtent(5, kZoomHalf), 3);
  ASSERT_EQ(PictureExtent(3, kZoomHalf), 2);
  // 10/4 = 2.5 -> 2, 12/4 = 3, 13/2 = 6.5 -> 6; 18/2 = 9, 15/2 = 7.5 -> 8, 100.
  EXPECT_EQ(Greys(image, {0, 255, kZoomHalf, false, false}),
            (std::vector<int>{2, 3, 6, 9, 8, 100}));
  EXPECT_EQ(Greys(image, {0, 255, kZoomHalf, true, true}), (std::vector<int>{100, 8, 9, 6, 3, 2}));

  // 9 x 4 at a quarter: 3 x 2 picture, the second row has no image rows
  // under it and stays grey 127.
  std::vector<uint16_t> v(36);
  for (int i = 0; i < 36; ++i)
    v[static_cast<size_t>(i)] = static_cast<uint16_t>(i % 9 < 4 ? 10 : i % 9 < 8 ? 2 : 50);
  v[0] = 18;  // block 0: (18 + 15 * 10) / 16 = 10.5 -> 10
  const TPlaca wide = ImageOf(9, 4, v);
  ASSERT_EQ(PictureExtent(9, kZoomQuarter), 3);
  ASSERT_EQ(PictureExtent(4, kZoomQuarter), 2);
  EXPECT_EQ(Greys(wide, {0, 255, kZoomQuarter, false, false}),
            (std::vector<int>{10, 2, 50, 127, 127, 127}));
}

TEST(ReadPointer, ImagePixelUnderThePointerAndSkyPosition) {
  TPlaca image = ImageOf(5, 3,
                         {1, 2, 3, 4, 5,   //
                          6, 7, 8, 9, 10,  //
                          11, 12, 13, 14, 15});
  PointerReadout r =
      ReadPointer(image, ReadPlateSolution(image), {0, 255, kZoomHalf, false, false}, 1, 1);
  EXPECT_EQ(r.xText, "X: 2");
  EXPECT_EQ(r.yText, "Y: 2");
  EXPECT_EQ(r.iText, "I: 13");
  EXPECT_EQ(r.arText, "");
  EXPECT_EQ(r.decText, "");
  // Flipped: display (2, 2) shows image column 4 - 2, row 2 - 2.
  r = ReadPointer(image, {}, {0, 255, kZoomHalf, true, true}, 1, 1);
  EXPECT_EQ(r.iText, "I: 3");
  r = ReadPointer(image, {}, {0, 255, kZoom1, true, false}, 0, 1);
  EXPECT_EQ(r.iText, "I: 10");

  // At the reference pixel the sky position is the reference value.
  for (const char* key : {"CRPIX1", "CRPIX2"}) image.SetKeyword(key, "2");
  image.SetKeyword("CRVAL1", "150.25");
  image.SetKeyword("CRVAL2", "-20.5");
  image.SetKeyword("CDELT1", "-0.0005");
  image.SetKeyword("CDELT2", "0.0005");
  image.SetKeyword("CROTA1", "0");
  ASSERT_FALSE(ReadPlateSolution(image).valid);  // CROTA2 missing
  image.SetKeyword("CROTA2", "x");
  ASSERT_FALSE(ReadPlateSolution(image).valid);  // not a number
  image.SetKeyword("CROTA2", "0");
  const PlateReading plate = ReadPlateSolution(image);
  ASSERT_TRUE(plate.valid);
  EXPECT_EQ(plate.solution.crval1, 150.25);
  r = ReadPointer(image, plate, {0, 255, kZoom1, false, false}, 1, 1);
  EXPECT_EQ(r.arText, "AR: " + FormatRA(150.25));
  EXPECT_EQ(r.decText, "DEC: " + FormatDec(-20.5));
}

}  // namespace
}  // namespace lumenda
