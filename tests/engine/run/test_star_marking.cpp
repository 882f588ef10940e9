// Star marking on images: relocation of a star file and "Todas".
#include <gtest/gtest.h>

#include "run/star_marking.h"
#include "synthetic_images.h"
#include "test_support.h"

namespace lumenda {
namespace {

TEST(StarMarking, RelocationFollowsAShiftedField) {
  test::TempDir dir;
  // The whole field moved by (+6, -4) since the star file was saved.
  test::WriteSynthImage(dir.File("a.fit"), {{36, 26, 20000}, {76, 66, 20000}, {56, 46, 10000}}, 0);
  TPlaca image;
  ASSERT_TRUE(image.LoadFile(dir.File("a.fit")));
  const ApertureSettings ap{5, 3, 5, false, false};
  const std::vector<std::string> file = {"V 0050.00  0050.00  VAR-1", "C 0030.00  0030.00  11.0",
                                         "C 0070.00  0070.00  11.5",
                                         "V 0095.00  0050.00  VS_0095_0050"};
  const auto refs = StarFileReferences(file);
  ASSERT_TRUE(refs && !refs->ref2);
  // The user clicks about one pixel off the star.
  const StarMeasurement click = MeasureStar(image, ap, 57, 45);
  const PositionMap map({refs->ref1.x, refs->ref1.y}, {click.x, click.y});
  std::vector<std::string> var, cal;
  RelocateStarFile(image, ap, file, map, var, cal);
  ASSERT_EQ(var.size(), 2u);
  ASSERT_EQ(cal.size(), 2u);
  EXPECT_EQ(var[0], "0056.00  0046.00  VAR-1");
  EXPECT_EQ(cal[0], "0036.00  0026.00  11.0");
  EXPECT_EQ(cal[1], "0076.00  0066.00  11.5");
  EXPECT_EQ(var[1], "-100.00  -100.00  VS_0095_0050");  // pushed out of the frame
}

TEST(StarMarking, TodasAddsTheUnmarkedStars) {
  test::TempDir dir;
  test::WriteSynthImage(dir.File("a.fit"),
                        {{30, 30, 40000}, {70, 70, 40000}, {50, 50, 30000}, {30, 70, 30000}}, 0,
                        100, 100, 100);
  TPlaca image;
  ASSERT_TRUE(image.LoadFile(dir.File("a.fit")));
  const ApertureSettings ap{5, 3, 5, false, false};
  std::vector<std::string> var = {"0050.00  0050.00  VAR-1"};
  const std::vector<std::string> cal = {"0030.00  0030.00  11.0"};
  std::string message;
  const int added = LocateAllStars(image, ap, 1000, 50000, 5, var, cal, message);
  EXPECT_EQ(added, 2) << message;
  ASSERT_EQ(var.size(), 3u);
  EXPECT_EQ(var[1], "0030.00  0070.00  VS_0030_0070");
  EXPECT_EQ(var[2], "0070.00  0070.00  VS_0070_0070");
}

}  // namespace
}  // namespace lumenda
