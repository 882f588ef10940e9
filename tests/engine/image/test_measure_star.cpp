#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "image/measure_star.h"
#include "synthetic_sky.h"

namespace lumenda {
namespace {

using test::MakeField;

TPlaca Flat(int w, int h, uint16_t value) {
  TPlaca image;
  image.Resize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, value);
  return image;
}

TEST(MeasureStar, RecoversFluxCentreAndWidthOfGaussianStars) {
  struct Case {
    test::PlantedStar star;
    int noise;
  };
  const std::vector<Case> cases = {
      {{50.3, 49.6, 100000, 2.0}, 0},  {{30.75, 70.1, 50000, 1.5}, 0},
      {{70.5, 30.5, 200000, 2.5}, 0},  {{50.3, 49.6, 100000, 2.0}, 20},
      {{44.9, 55.45, 30000, 1.2}, 10},
  };
  const ApertureSettings settings;  // radio 10, annulus 20..30
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.star.x << "," << c.star.y << " noise " << c.noise);
    const TPlaca image = MakeField(101, 101, 1000, c.noise, {c.star});
    // Start a couple of pixels away: the peak search must find the star.
    const StarMeasurement m = MeasureStar(image, settings, c.star.x + 2, c.star.y - 1.6);
    EXPECT_NEAR(m.x, c.star.x, 0.05);
    EXPECT_NEAR(m.y, c.star.y, 0.05);
    EXPECT_NEAR(m.flux, c.star.flux, c.star.flux * 0.01 + 3 * c.noise * 18);
    EXPECT_NEAR(m.sky, 1000, c.noise * 0.1 + 1e-9);
    // For a Gaussian the half-flux diameter equals the FWHM.
    EXPECT_NEAR(m.fwhm, 2.3548 * c.star.sigma, 0.1 * 2.3548 * c.star.sigma);
    EXPECT_NEAR(m.rsr, 0.5 * std::sqrt(m.flux / 3.0), 1e-9);
    const double peak = c.star.flux / (2 * M_PI * c.star.sigma * c.star.sigma);
    EXPECT_NEAR(m.peak, peak, peak * 0.1 + c.noise);
  }
}

TEST(MeasureStar, FirstOfEqualMaximaIsThePeak) {
  // The two maxima are 6 pixels apart, so the centroid box around the chosen
  // one does not reach the other and the centroid lands on it.
  struct Case {
    std::pair<int, int> a, b, expected;
  };
  const std::vector<Case> cases = {
      {{47, 53}, {53, 47}, {47, 53}},  // smaller column wins
      {{53, 47}, {47, 53}, {47, 53}},
      {{47, 53}, {47, 47}, {47, 47}},  // same column: smaller row wins
  };
  const ApertureSettings settings{3, 10, 10, false, false};  // centroid box 11 x 11
  for (const auto& c : cases) {
    TPlaca image = Flat(101, 101, 0);
    image.SetPixel(c.a.first, c.a.second, 5000);
    image.SetPixel(c.b.first, c.b.second, 5000);
    const StarMeasurement m = MeasureStar(image, settings, 50, 50);
    EXPECT_DOUBLE_EQ(m.x, c.expected.first);
    EXPECT_DOUBLE_EQ(m.y, c.expected.second);
    EXPECT_EQ(m.peak, 5000);
  }
}

TEST(MeasureStar, CentroidBoxHasHalfSizeRadioButAtLeastFive) {
  struct Case {
    double radio;
    int offset;       // column offset of a second bright pixel
    double expected;  // centroid x
  };
  const std::vector<Case> cases = {
      {3, 5, 52.5}, {3, 6, 50}, {8, 8, 54}, {8, 9, 50}, {5.4, 5, 52.5}, {5.6, 6, 53},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "radio " << c.radio << " offset " << c.offset);
    TPlaca image = Flat(101, 101, 0);
    image.SetPixel(50, 50, 6000);
    image.SetPixel(50 + c.offset, 50, 6000);
    // radioI 20 keeps the annulus clear of both pixels.
    const StarMeasurement m = MeasureStar(image, {c.radio, 20, 10, false, false}, 50, 50);
    EXPECT_DOUBLE_EQ(m.x, c.expected);
    EXPECT_DOUBLE_EQ(m.y, 50);
  }
}

// One star pixel of 10000 net on a sky of exactly 1000 and one test pixel at
// 0 (net -1000): the flux drops by 1000 times the test pixel's weight. The
// shares are counts of the 10 x 10 sample points, worked out by hand.
TEST(MeasureStar, ApertureEdgePixelsCountTheirShareOfSamplePoints) {
  struct Case {
    int dx, dy;
    double radio;
    int32_t flux;
  };
  const std::vector<Case> cases = {
      {4, 0, 5.01, 9000},  // distance radio - 1.01: whole
      {4, 0, 5.0, 9000},   // exactly radio - 1: all 100 points inside
      {5, 0, 5.0, 9500},   // on the circle: 50 points
      {3, 4, 5.0, 9520},   // 48 points
      {4, 3, 5.3, 9170},   // 83 points
      {5, 2, 5.5, 9390},   // 61 points
      {6, 0, 5.3, 10000},  // radio + 0.7: none
      {4, 4, 6.0, 9150},   // 85 points
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " radio " << c.radio);
    TPlaca image = Flat(101, 101, 1000);
    image.SetPixel(50, 50, 11000);
    image.SetPixel(50 + c.dx, 50 + c.dy, 0);
    const StarMeasurement m = MeasureStar(image, {c.radio, 20, 10, false, false}, 50, 50);
    EXPECT_DOUBLE_EQ(m.sky, 1000);
    EXPECT_DOUBLE_EQ(m.x, 50);
    EXPECT_EQ(m.flux, c.flux);
  }
}

TEST(MeasureStar, SkyAnnulusExcludesBothBoundsAndTakesTheInterquartileMean) {
  // radio 1, radioI 0, radioE 1: only distances strictly between 1 and 2,
  // the four diagonal neighbours. Sorted, ranks nearest(1)..nearest(3) count.
  struct Case {
    std::vector<uint16_t> diagonal;
    double sky;
  };
  const std::vector<Case> cases = {
      {{400, 100, 300, 200}, 300},                                  // narrow range
      {{65000, 100, 40000, 20000}, (20000 + 40000 + 65000) / 3.0},  // wide range
      {{7, 7, 7, 7}, 7},
  };
  for (const auto& c : cases) {
    TPlaca image = Flat(21, 21, 0);
    image.SetPixel(10, 10, 65535);
    for (int d : {-2, -1, 1, 2}) {  // distances 1 and 2: 5000, 7000
      image.SetPixel(10 + d, 10, std::abs(d) == 1 ? 5000 : 7000);
      image.SetPixel(10, 10 + d, std::abs(d) == 1 ? 5000 : 7000);
    }
    for (int k = 0; k < 4; ++k) image.SetPixel(9 + 2 * (k % 2), 9 + 2 * (k / 2), c.diagonal[k]);
    ApertureSettings settings{1, 0, 1, false, false};
    EXPECT_DOUBLE_EQ(MeasureStar(image, settings, 10, 10).sky, c.sky);
  }
}

TEST(MeasureStar, SmallOrEmptyAnnulusUsesWhatItHas) {
  TPlaca image = Flat(21, 21, 0);
  image.SetPixel(0, 0, 60000);
  image.SetPixel(1, 1, 321);  // the only annulus pixel inside the image
  image.SetPixel(0, 10, 60000);
  image.SetPixel(1, 9, 100);
  image.SetPixel(1, 11, 301);
  ApertureSettings settings{1, 0, 1, false, false};
  EXPECT_DOUBLE_EQ(MeasureStar(image, settings, 0, 0).sky, 321);
  EXPECT_DOUBLE_EQ(MeasureStar(image, settings, 0, 10).sky, 200.5);
  settings.radioE = 0;  // inner = outer: no pixel at all
  const StarMeasurement m = MeasureStar(image, settings, 0, 10);
  EXPECT_DOUBLE_EQ(m.sky, 0);
  EXPECT_EQ(m.peak, 60000);
}

TEST(MeasureStar, DegenerateImagesGiveSafeValues) {
  // Peak below the sky: a dark hole in a brighter field.
  TPlaca hole = Flat(101, 101, 1000);
  for (int y = 40; y <= 60; ++y)
    for (int x = 40; x <= 60; ++x) hole.SetPixel(x, y, 500);
  EXPECT_EQ(MeasureStar(hole, ApertureSettings{}, 50, 50).peak, 0);

  // Flat field: no pixel above the sky, the centroid stays on the peak (the
  // first pixel of the 7 x 7 box).
  const TPlaca flat = Flat(101, 101, 1000);
  StarMeasurement m = MeasureStar(flat, ApertureSettings{}, 30.4, 40.6);
  EXPECT_DOUBLE_EQ(m.x, 27);
  EXPECT_DOUBLE_EQ(m.y, 38);
  EXPECT_EQ(m.flux, 1);
  EXPECT_EQ(m.peak, 0);
  EXPECT_TRUE(std::isfinite(m.fwhm));

  // All zero: the starting point is the peak.
  m = MeasureStar(Flat(101, 101, 0), ApertureSettings{}, 30.4, 40.6);
  EXPECT_DOUBLE_EQ(m.x, 30);
  EXPECT_DOUBLE_EQ(m.y, 41);

  // No pixels, far outside, NaN, absurd settings: values, not crashes.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ApertureSettings absurd{-5, -3, 1000000, true, true};
  for (const TPlaca& image : {TPlaca(), flat}) {
    for (auto [x, y] : std::vector<std::pair<double, double>>{{-500, 20}, {1e300, 5}, {nan, nan}}) {
      for (const ApertureSettings& s : {ApertureSettings{}, absurd}) {
        m = MeasureStar(image, s, x, y);
        EXPECT_GE(m.flux, 1);
        EXPECT_FALSE(std::isnan(m.sky));
      }
    }
  }
}

TEST(MeasureStar, FlipsConvertDisplayAndImageCoordinates) {
  // The star sits at image column 89, row 30 of a 100 x 80 image.
  const TPlaca image = MakeField(100, 80, 500, 0, {{89.2, 30.3, 60000, 1.5}});
  const ApertureSettings plain{6, 3, 5, false, false};
  const StarMeasurement direct = MeasureStar(image, plain, 89, 30);
  for (bool flipY : {false, true}) {
    const StarMeasurement m = MeasureStar(image, {6, 3, 5, true, flipY}, 10, flipY ? 79 - 30 : 30);
    EXPECT_NEAR(m.x, 99 - 89.2, 0.05);
    EXPECT_NEAR(m.y, flipY ? 79 - 30.3 : 30.3, 0.05);
    EXPECT_EQ(m.flux, direct.flux);
  }

  // Without the flip the display position holds only sky.
  EXPECT_LT(MeasureStar(image, plain, 10, 30).flux, direct.flux / 10);
}

TEST(MeasureStar, InsideMarginIncludesBothBounds) {
  TPlaca image;
  image.Resize(100, 50);            // MaxX 99, MaxY 49
  const ApertureSettings settings;  // radio 10
  struct Case {
    double x, y;
    bool inside;
  };
  for (const Case& c : std::vector<Case>{{12, 20, true},
                                         {11.99, 20, false},
                                         {87, 20, true},
                                         {87.01, 20, false},
                                         {50, 12, true},
                                         {50, 37, true},
                                         {50, 37.5, false},
                                         {50, 11, false}}) {
    EXPECT_EQ(InsideMargin(image, settings, c.x, c.y), c.inside) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace lumenda
