#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>

#include "image/find_stars.h"
#include "synthetic_sky.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

using test::MakeField;
using test::PlantedStar;

struct ListedStar {
  double x, y;
  long long flux;
};

ListedStar ParseLine(const std::string& line) {
  return {ParseDouble(Field(line, StarListColumns::kX)).value_or(-1),
          ParseDouble(Field(line, StarListColumns::kY)).value_or(-1),
          ParseInt(Field(line, StarListColumns::kFlux)).value_or(-1)};
}

TEST(FitStar, RecoversGaussianParametersAndFlagsOddShapes) {
  struct Case {
    const char* name;
    std::vector<PlantedStar> stars;
    int x, y;
    char flag;
  };
  const std::vector<Case> cases = {
      {"normal star", {{50.3, 49.8, 70000, 1.5}}, 50, 50, ' '},
      {"saturated star", {{50.3, 49.8, 900000, 1.5}}, 50, 50, 'S'},
      {"hot pixel", {{50.0, 50.0, 5000, 0.15}}, 50, 50, 'C'},
      {"wide blob", {{50.0, 50.0, 400000, 3.0}}, 50, 50, 'F'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TPlaca image = MakeField(101, 101, 1000, 0, c.stars);
    const StarFit fit = FitStar(image, c.x, c.y, 5, 60000);
    EXPECT_EQ(fit.flag, c.flag);
    if (c.flag != ' ') continue;
    const PlantedStar& s = c.stars[0];
    EXPECT_NEAR(fit.x, s.x, 0.02);
    EXPECT_NEAR(fit.y, s.y, 0.02);
    // Successive one-parameter searches stop before the exact optimum.
    EXPECT_NEAR(fit.fwhm, 2.355 * s.sigma, 0.05);
    EXPECT_NEAR(fit.background, 1000, 10);
    EXPECT_NEAR(fit.flux, s.flux, s.flux * 0.03);
    const double a = s.flux / (2 * M_PI * s.sigma * s.sigma);
    EXPECT_NEAR(fit.peakSnr, a / std::sqrt(a + 1000), 2.0);
  }
}

TEST(FitStar, FlatOrEmptyBoxesGiveFiniteValues) {
  TPlaca flat = MakeField(30, 30, 0, 0, {});
  for (int h : {-3, 0, 1, 5, 500}) {
    const StarFit fit = FitStar(flat, 2, 2, h, 60000);
    EXPECT_TRUE(std::isfinite(fit.snr));
    EXPECT_TRUE(std::isfinite(fit.peakSnr));
    EXPECT_TRUE(std::isfinite(fit.x));
  }
  const StarFit none = FitStar(TPlaca(), 10, 10, 5, 60000);
  EXPECT_EQ(none.flux, 0);
}

TEST(FindStars, AcceptanceNeedsAllThresholds) {
  const StarFit good{0, 0, 0, 9000, 2.5f, 50};
  struct Case {
    const char* name;
    StarFit fit;
    bool accepted;
  };
  auto with = [&](auto change) {
    StarFit f = good;
    change(f);
    return f;
  };
  const std::vector<Case> cases = {
      {"good", good, true},
      {"SNR equal to the minimum", with([](StarFit& f) { f.snr = 30; }), false},
      {"flux equal to the minimum", with([](StarFit& f) { f.flux = 5000; }), false},
      {"FWHM exactly 1.2", with([](StarFit& f) { f.fwhm = 1.2f; }), false},
      {"FWHM just above 1.2", with([](StarFit& f) { f.fwhm = 1.21f; }), true},
      {"saturated", with([](StarFit& f) { f.flag = 'S'; }), false},
      {"too wide", with([](StarFit& f) { f.flag = 'F'; }), false},
  };
  for (const auto& c : cases) EXPECT_EQ(AcceptStar(c.fit, 5000, 30), c.accepted) << c.name;
}

TEST(FindStars, WideValuesShiftTheirLine) {
  // x, y, background, flux, fwhm, snr, peakSnr
  // The usual line is pinned by the star-list reference files; a value wider
  // than its field is written whole and shifts the rest.
  StarFit fit{123.456f, 7.004f, 1234, 123456789, 3.04f, 301.25f, 45.66f};
  const std::string wide = FormatStarLine(fit);
  EXPECT_EQ(wide.substr(18, 9), "123456789");
  EXPECT_EQ(wide.size(), 59u);
}

TEST(FindStars, MeanFwhmOfStarsInTheMiddleThird) {
  // Noise-free sky: only probes that hold a star count.
  const TPlaca image = MakeField(300, 300, 1000, 0,
                                 {{120.3, 130.6, 50000, 1.5},
                                  {160.7, 110.2, 80000, 1.5},
                                  {140.1, 170.9, 30000, 1.5},
                                  {20, 20, 90000, 3.0}});  // outside the probes
  const Result<double> fwhm = MeanFWHM(image, 60000);
  ASSERT_TRUE(fwhm.ok());
  EXPECT_NEAR(fwhm.value, 2.355 * 1.5, 0.05);
  EXPECT_EQ(MeanFWHM(MakeField(300, 300, 1000, 0, {{20, 20, 90000, 1.5}}), 60000).message,
            "No hay estrellas para FWHM");
}

TEST(FindStars, FindsPlantedStarsAndNothingElse) {
  const std::vector<PlantedStar> planted = {
      {60.2, 70.7, 40000, 1.3},   {112.5, 130.1, 60000, 1.4}, {180.8, 100.3, 30000, 1.3},
      {150.1, 200.6, 80000, 1.5}, {230.4, 240.9, 50000, 1.4}, {100.6, 180.2, 35000, 1.3},
      {200.3, 40.4, 45000, 1.4},  {145.5, 150.5, 70000, 1.3},
  };
  std::vector<PlantedStar> withSaturated = planted;
  withSaturated.push_back({90.0, 240.0, 3000000, 1.4});  // peak far above 60000
  const TPlaca image = MakeField(300, 300, 1000, 10, withSaturated, 7);
  const TPlaca before = image;
  std::vector<ProgressStep> steps;
  const auto found = FindStars(image, StarSearch{2000, 60000, 10, 0}, {},
                               [&](const ProgressStep& step) { steps.push_back(step); });
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found.value.notice, "");
  EXPECT_GE(found.value.radius, 1);
  EXPECT_EQ(image.Header(), before.Header());  // the image is only read
  ASSERT_EQ(found.value.stars.size(), planted.size());
  for (const auto& s : planted) {
    SCOPED_TRACE(testing::Message() << s.x << "," << s.y);
    int matches = 0;
    for (const StarFit& fit : found.value.stars) {
      const ListedStar l = ParseLine(FormatStarLine(fit));
      if (std::hypot(l.x - s.x, l.y - s.y) < 0.1) {
        ++matches;
        EXPECT_NEAR(l.flux, s.flux, s.flux * 0.05);
      }
    }
    EXPECT_EQ(matches, 1);
  }
  // Progress: the columns examined, left to right, then the whole width.
  ASSERT_GT(steps.size(), 2u);
  for (size_t i = 1; i < steps.size(); ++i) EXPECT_GT(steps[i].done, steps[i - 1].done);
  EXPECT_EQ(steps.front().total, 300);
  EXPECT_EQ(steps.back().text, "Localizando estrellas (100%)");

  // A central square of half-size 30 keeps only the star in it.
  const auto central = FindStars(image, StarSearch{2000, 60000, 10, 30});
  ASSERT_EQ(central.value.stars.size(), 1u);
  EXPECT_NEAR(central.value.stars[0].x, 145.5, 0.1);

  // A stop asked for during the search ends it without a list.
  std::stop_source stop;
  const auto stopped = FindStars(image, StarSearch{2000, 60000, 10, 0}, stop.get_token(),
                                 [&](const ProgressStep& step) {
                                   if (step.done > 100) stop.request_stop();
                                 });
  EXPECT_TRUE(stopped.Interrupted());
  EXPECT_TRUE(stopped.value.stars.empty());
}

TEST(FindStars, FieldWithoutStarsGivesAnEmptyList) {
  const auto flat = FindStars(MakeField(200, 200, 1000, 0, {}), StarSearch{2000, 60000, 10, 0});
  ASSERT_TRUE(flat.ok());
  EXPECT_TRUE(flat.value.stars.empty());
  EXPECT_EQ(flat.value.notice, "No hay estrellas para FWHM");
  EXPECT_EQ(flat.value.radius, 0);

  EXPECT_TRUE(FindStars(TPlaca(), StarSearch{2000, 60000, 10, 0}).value.stars.empty());
  const TPlaca tiny = MakeField(3, 3, 100, 0, {{1, 1, 5000, 0.8}});
  EXPECT_TRUE(FindStars(tiny, StarSearch{10, 60000, 1, 0}).value.stars.empty());
}

}  // namespace
}  // namespace lumenda
