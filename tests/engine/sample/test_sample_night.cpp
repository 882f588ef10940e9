#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "image/fits_image.h"
#include "sample/sample_night.h"
#include "test_support.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

using test::ReadBytes;
using test::TempDir;

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

double Number(const std::string& text) {
  auto v = ParseDouble(text);
  EXPECT_TRUE(v) << "not a number: " << text;
  return v.value_or(0);
}

struct TruthStar {
  double mag, x, y, counts;
};
struct TruthImage {
  std::string file, mpcDate;
  double jd, airMass, clouds, fwhm, sky;
  std::vector<TruthStar> stars;
};
struct Truth {
  std::map<std::string, std::string> keys;                   // first word -> rest of the line
  std::vector<std::string> names;                            // ESTRELLA names in order
  std::map<std::string, std::pair<double, double>> periods;  // name -> period, epoch
  std::vector<TruthImage> images;
};

Truth ParseTruth(const std::string& text) {
  Truth t;
  for (const std::string& line : SplitLines(text)) {
    if (line.empty() || line[0] == '#') continue;
    auto w = Words(line);
    if (w[0] == "ESTRELLA") {
      t.names.push_back(w[1]);
    } else if (w[0] == "PERIODO") {
      t.periods[w[1]] = {Number(w[2]), Number(w[3])};
    } else if (w[0] == "IMAGEN") {
      if (w.size() != 8 + 4 * t.names.size()) {
        ADD_FAILURE() << "wrong number of fields: " << line;
        continue;
      }
      TruthImage im{w[1],         w[2],         Number(w[3]), Number(w[4]),
                    Number(w[5]), Number(w[6]), Number(w[7]), {}};
      for (size_t k = 0; k < t.names.size(); ++k)
        im.stars.push_back({Number(w[8 + 4 * k]), Number(w[9 + 4 * k]), Number(w[10 + 4 * k]),
                            Number(w[11 + 4 * k])});
      t.images.push_back(im);
    } else {
      t.keys[w[0]] = line.substr(w[0].size() + 1);
    }
  }
  return t;
}

class SampleNight : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    Status st = WriteSampleNight(dir_->path(), kImages, 3);
    ASSERT_TRUE(st.ok()) << st.message;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static constexpr int kImages = 6;
  static TempDir* dir_;
};
TempDir* SampleNight::dir_ = nullptr;

TEST_F(SampleNight, SameSeedSameBytesOtherSeedOtherImages) {
  TempDir again, shorter, other;
  ASSERT_TRUE(WriteSampleNight(again.path(), kImages, 3).ok());
  ASSERT_TRUE(WriteSampleNight(shorter.path(), 2, 3).ok());
  ASSERT_TRUE(WriteSampleNight(other.path(), 2, 4).ok());
  for (const char* name : {"muestra_001.fit", "muestra_006.fit", "estrellas.txt", "verdad.txt"})
    EXPECT_EQ(ReadBytes(again.File(name)), ReadBytes(dir_->File(name))) << name;
  // A shorter night is the start of the longer one.
  EXPECT_EQ(ReadBytes(shorter.File("muestra_002.fit")), ReadBytes(dir_->File("muestra_002.fit")));
  EXPECT_FALSE(std::filesystem::exists(shorter.File("muestra_003.fit")));
  EXPECT_NE(ReadBytes(other.File("muestra_002.fit")), ReadBytes(dir_->File("muestra_002.fit")));
}

// What the images and the star file hold is pinned by the reference files (the
// run of seed 1 reads them) and checked against the truth by the run's
// acceptance test; here the form.
TEST_F(SampleNight, ImagesAreWellFormedAndTheTruthListsThemAll) {
  const Truth truth = ParseTruth(ReadBytes(dir_->File("verdad.txt")));
  ASSERT_EQ(truth.images.size(), static_cast<size_t>(kImages));
  EXPECT_EQ(truth.keys.at("IMAGENES"), "6");
  EXPECT_EQ(truth.keys.at("SEMILLA"), "3");
  EXPECT_EQ(ReadBytes(dir_->File("verdad.txt")), SampleNightTruth(kImages, 3));
  for (int i = 0; i < kImages; ++i) {
    const TruthImage& row = truth.images[i];
    EXPECT_EQ(row.file, SampleImageName(i + 1));
    const std::string bytes = ReadBytes(dir_->File(row.file));
    EXPECT_EQ(bytes.size(), 2880u + 183u * 2880u);  // one header record, data padded
    for (unsigned char c : bytes.substr(0, 2880)) ASSERT_TRUE(c >= 0x20 && c <= 0x7E);
    TPlaca image;
    ASSERT_EQ(image.LoadFile(dir_->File(row.file)).message, "");
    EXPECT_EQ(image.Width(), kSampleWidth);
    EXPECT_EQ(image.Height(), kSampleHeight);
    EXPECT_NEAR(row.airMass, Number(image.GetKeyword("AIRMASS")), 1e-5);
    for (const TruthStar& star : row.stars)  // aperture and annulus stay inside
      EXPECT_GT(std::min({star.x, star.y, 511 - star.x, 511 - star.y}), 45) << row.file;
  }
}

TEST(SampleNightTruth, WholeNightShowsBothVariations) {
  const Truth truth = ParseTruth(SampleNightTruth(60, 1));
  ASSERT_EQ(truth.images.size(), 60u);
  auto range = [&](size_t k) {
    double lo = 99, hi = -99;
    for (const auto& im : truth.images) {
      lo = std::min(lo, im.stars[k].mag);
      hi = std::max(hi, im.stars[k].mag);
    }
    return std::make_pair(lo, hi);
  };
  // Eclipse: from maximum light into a deep minimum and out again.
  EXPECT_NEAR(range(0).first, 11.0, 0.005);
  EXPECT_GT(range(0).second, 11.7);
  EXPECT_NEAR(truth.images.front().stars[0].mag, 11.0, 0.005);
  EXPECT_NEAR(truth.images.back().stars[0].mag, 11.0, 0.005);
  // Pulsator: the whole amplitude several times.
  EXPECT_NEAR(range(1).second - range(1).first, 0.3, 0.03);
  EXPECT_EQ(range(2), std::make_pair(11.2, 11.2));
  const double night = truth.images.back().jd - truth.images.front().jd;
  EXPECT_GT(night, truth.periods.at("PULSANTE").first * 3.5);
  EXPECT_GT(night, 0.2);
  EXPECT_LT(night, 0.25);
  // Clouds pass, the air mass grows, the field drifts a few pixels.
  double maxClouds = 0;
  for (const auto& im : truth.images) maxClouds = std::max(maxClouds, im.clouds);
  EXPECT_GT(maxClouds, 0.2);
  EXPECT_GT(truth.images.back().airMass, truth.images.front().airMass + 0.3);
  const double drift = std::hypot(truth.images.back().stars[0].x - truth.images[0].stars[0].x,
                                  truth.images.back().stars[0].y - truth.images[0].stars[0].y);
  EXPECT_GT(drift, 2);
  EXPECT_LT(drift, 10);
}

}  // namespace
}  // namespace lumenda
