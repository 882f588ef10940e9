// Real third-party frames: loaded and compared with sums computed here
// straight from the file's big-endian bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "image/find_stars.h"
#include "image/fits_image.h"
#include "image/measure_star.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

struct RawSums {
  unsigned long long sum = 0;
  uint16_t min = 65535, max = 0;
  void Add(uint16_t v) {
    sum += v;
    min = std::min(min, v);
    max = std::max(max, v);
  }
};

// 16-bit data with BZERO 32768: data start after the record holding END.
RawSums SumsFromBytes(const std::string& bytes, int width, int height) {
  size_t dataStart = 0;
  for (size_t card = 0; card * 80 < bytes.size() && dataStart == 0; ++card)
    if (bytes.compare(card * 80, 80, "END" + std::string(77, ' ')) == 0)
      dataStart = (card * 80 / 2880 + 1) * 2880;
  RawSums s;
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const auto hi = static_cast<unsigned char>(bytes[dataStart + 2 * i]);
    const auto lo = static_cast<unsigned char>(bytes[dataStart + 2 * i + 1]);
    s.Add(static_cast<uint16_t>(((hi << 8) | lo) ^ 0x8000));
  }
  return s;
}

TEST(RealFrames, LoadSixteenBitFramesExactly) {
  LUMENDA_REQUIRE_REAL_DATA();
  struct Case {
    std::string file;
    int width, height;
  };
  const std::vector<Case> cases = {
      {"wwcra-road-2015/frames/WWCrA#30V_000184527_FLAT.fit", 1365, 1365},
      {"wwcra-road-2015/frames/WWCrA#30V_000184572_FLAT.fit", 1365, 1365},
      {"saao-ccdproc-single/a8280271.fits", 536, 520},
      {"field-qsi683-2024/r_lights_00001.fit", 1663, 1252},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = test::RealDataDir() + c.file;
    TPlaca image;
    ASSERT_EQ(image.LoadFile(path).message, "");
    EXPECT_EQ(image.Width(), c.width);
    EXPECT_EQ(image.Height(), c.height);
    const RawSums expected = SumsFromBytes(test::ReadBytes(path), c.width, c.height);
    RawSums got;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) got.Add(image.Pixel(x, y));
    EXPECT_EQ(got.sum, expected.sum);
    EXPECT_EQ(got.min, expected.min);
    EXPECT_EQ(got.max, expected.max);
    EXPECT_EQ(image.GetKeyword("BZERO"), "0.0");
  }
}

TEST(RealFrames, HeaderValuesAsOtherPartsReadThem) {
  LUMENDA_REQUIRE_REAL_DATA();
  struct Case {
    std::string file;
    std::vector<std::pair<std::string, std::string>> values;
  };
  const std::vector<Case> cases = {
      {"wwcra-road-2015/frames/WWCrA#30V_000184527_FLAT.fit",
       {{"DATE-OBS", "2015-08-02T03:54:30"},
        {"EXPTIME", "30.000000000000000"},
        {"OBJCTRA", "18 05 37.0"},
        {"OBJCTDEC", "-43 49 57.0"},
        {"FILTER", "V"},
        {"TELESCOP", ""},
        {"BITPIX", "16"}}},
      {"saao-ccdproc-single/a8280271.fits",
       {{"DATE-OBS", "2013-07-13"},
        {"UT", "00:57:33"},
        {"RA", "22:04:08"},
        {"EXPTIME", "150.040"},
        // Every comma reads as a decimal point, even outside numbers.
        {"TRIMSEC", "[  17: 528.   1: 520]"},
        {"COMMENT", ""},
        {"OBJCTRA", ""}}},
      {"saao-ccdproc-single/feder_sip-wcs_cutout.fit",
       {{"EXPTIME", "120.00000000000000"},
        {"INSTRUME", "Apogee Alta"},
        {"LATITUDE", "+46:52:00.408"},
        {"DATE-OBS", "2011-09-01T02:09:05"}}},
      // A slash from column 19 on ends the value, even inside quotes.
      {"field-qsi683-2024/r_lights_00001.fit",
       {{"INSTRUME", "QSI 683ws S"}, {"BZERO", "32768."}, {"EXPTIME", "10."}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TPlaca image;
    ASSERT_EQ(image.LoadHeader(test::RealDataDir() + c.file).message, "");
    for (const auto& [key, value] : c.values) EXPECT_EQ(image.GetKeyword(key), value) << key;
  }
}

TEST(RealFrames, MeasuresAStarWherePeerPhotometryFoundIt) {
  LUMENDA_REQUIRE_REAL_DATA();
  TPlaca image;
  ASSERT_TRUE(
      image.LoadFile(test::RealDataDir() + "wwcra-road-2015/frames/WWCrA#30V_000184527_FLAT.fit"));
  // The peer tool reports (247.68, 867.85) in 1-based FITS pixels.
  const StarMeasurement m = MeasureStar(image, {4, 4, 6, false, false}, 246.68, 866.85);
  EXPECT_NEAR(m.x, 246.68, 0.5);
  EXPECT_NEAR(m.y, 866.85, 0.5);
  EXPECT_GT(m.flux, 100);
  EXPECT_GT(m.sky, 600);
  EXPECT_LT(m.sky, 900);
  EXPECT_GT(m.fwhm, 1.0);
  EXPECT_LT(m.fwhm, 10.0);
}

TEST(RealFrames, FindsStarsOnASparseFrame) {
  LUMENDA_REQUIRE_REAL_DATA();
  TPlaca image;
  ASSERT_TRUE(image.LoadFile(test::RealDataDir() + "field-qsi683-2024/r_lights_00001.fit"));
  const auto found = FindStars(image, StarSearch{1000, 50000, 10, 0});
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found.value.notice, "");
  EXPECT_GT(found.value.stars.size(), 10u);
  for (const StarFit& fit : found.value.stars) {
    const std::string line = FormatStarLine(fit);
    const auto x = ParseDouble(Field(line, StarListColumns::kX));
    const auto y = ParseDouble(Field(line, StarListColumns::kY));
    ASSERT_TRUE(x && y) << line;
    EXPECT_TRUE(*x > 0 && *x < image.Width() && *y > 0 && *y < image.Height()) << line;
    // Each listed position holds a star that aperture photometry sees too.
    const StarMeasurement m = MeasureStar(image, ApertureSettings{5, 5, 5}, *x, *y);
    EXPECT_LT(std::hypot(m.x - *x, m.y - *y), 1.5) << line;
  }
}

}  // namespace
}  // namespace lumenda
