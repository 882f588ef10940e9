// Star lists of the automatic search, pinned byte for byte: a change that
// moves a star, a digit or the order of the list fails here. Full listings
// for the sample night, a synthetic field of wide stars and one real frame;
// digests of the listing for every real frame. tests/data/star_lists/README.md
// says how a change to them is reviewed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/find_stars.h"
#include "sample/sample_night.h"
#include "synthetic_sky.h"
#include "test_support.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

const std::string kReferenceDir = std::string(LUMENDA_STAR_LISTS_DIR);

std::string Listing(const TPlaca& image, int halfSize, int minCounts, int saturation, double minSnr,
                    int* radius = nullptr) {
  const auto found = FindStars(image, StarSearch{minCounts, saturation, minSnr, halfSize});
  EXPECT_TRUE(found.ok());
  if (radius) *radius = found.value.radius;
  std::string text;
  for (const StarFit& fit : found.value.stars) text += FormatStarLine(fit) + "\n";
  return text;
}

void ExpectSameAsReference(const std::string& name, const std::string& actual) {
  test::ExpectSameAsReference(kReferenceDir + name, actual);
}

TEST(StarLists, SampleNightAndSyntheticFieldMatchTheirListings) {
  test::TempDir dir;
  ASSERT_TRUE(WriteSampleNight(dir.path(), 1).ok());
  TPlaca sample;
  ASSERT_EQ(sample.LoadFile(dir.File(SampleImageName(1))).message, "");
  ExpectSameAsReference("muestra_001.txt", Listing(sample, 0, 5000, 50000, 30) + "--\n" +
                                               Listing(sample, 100, 1000, 50000, 10));

  // Wide stars (a search radius of 4), some touching each other, some close
  // to the edges, one saturated, on a noisy sloping sky.
  std::vector<test::PlantedStar> stars;
  uint32_t state = 99;
  auto next = [&state](int range) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
  };
  for (int i = 0; i < 160; ++i)
    stars.push_back({4.0 + next(392) + next(100) / 100.0, 4.0 + next(292) + next(100) / 100.0,
                     8000.0 + next(150000), 1.7 + next(40) / 100.0});
  stars.push_back({200.4, 150.6, 4000000, 1.9});
  TPlaca field = test::MakeField(400, 300, 900, 25, stars, 5);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      field.SetPixel(x, y, static_cast<uint16_t>(field.Pixel(x, y) + x / 8 + y / 16));
  ExpectSameAsReference("campo_ancho.txt", Listing(field, 0, 3000, 60000, 15));

  // Broad blobs on the probes of the middle third, where the FWHM is
  // measured, push the search radius beyond the usual ones; the stars around
  // them stay narrow.
  std::vector<test::PlantedStar> mixed;
  for (int i = 7; i <= 14; ++i)
    for (int j = 5; j <= 10; ++j) mixed.push_back({19.0 * i + 0.3, 19.0 * j + 0.4, 100000, 2.4});
  for (int i = 0; i < 80; ++i)
    mixed.push_back({5.0 + next(390) + next(100) / 100.0, 5.0 + next(290) + next(100) / 100.0,
                     5000.0 + next(200000), 1.5 + next(60) / 100.0});
  TPlaca broad = test::MakeField(400, 300, 800, 30, mixed, 11);
  int radius = 0;
  ExpectSameAsReference("campo_mixto.txt", Listing(broad, 0, 3000, 60000, 10, &radius));
  EXPECT_EQ(radius, 5);
}

TEST(StarLists, RealFramesMatchTheirDigests) {
  LUMENDA_REQUIRE_REAL_DATA();
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(test::RealDataDir())) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".fit" || ext == ".fits"))
      files.push_back(entry.path().string().substr(test::RealDataDir().size()));
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 20u);
  std::string digests;
  for (const std::string& file : files) {
    TPlaca image;
    ASSERT_EQ(image.LoadFile(test::RealDataDir() + file).message, "");
    const std::string listing = Listing(image, 0, 5000, 50000, 30);
    digests += file + " " + IntToStr(static_cast<long long>(SplitLines(listing).size())) + " " +
               test::Digest(listing) + "\n";
    if (file == "wwcra-road-2015/frames/WWCrA#30V_000184527_FLAT.fit")
      ExpectSameAsReference("wwcra_184527.txt", listing);
  }
  ExpectSameAsReference("real_frames.txt", digests);
}

}  // namespace
}  // namespace lumenda
