// The search on published light curves with known periods.
#include <gtest/gtest.h>

#include <cmath>

#include "period/observations.h"
#include "period/period_search.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

// The published files count days from an offset; the reader takes Julian
// dates only, so the offset is added back when writing its input.
std::string WriteObservationFile(const std::string& source, double dayOffset,
                                 const std::string& target) {
  std::optional<std::vector<std::string>> lines = ReadTextLines(source);
  EXPECT_TRUE(lines.has_value()) << source;
  std::vector<std::string> out{"Estrella HJD MAG"};
  for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
    std::string text = Trim(line);
    size_t blank = text.find(' ');
    if (text.empty() || blank == std::string::npos) continue;
    std::optional<double> time = ParseDouble(text.substr(0, blank));
    std::string rest = Trim(text.substr(blank));
    std::optional<double> magnitude = ParseDouble(rest.substr(0, rest.find(' ')));
    if (!time || !magnitude) continue;
    out.push_back(FormatFloat("0.000000", *time + dayOffset) + " " +
                  FormatFloat("0.0000", *magnitude));
  }
  WriteFileAtomic(target, JoinLines(out));
  return target;
}

TEST(RealLightCurves, FindsTheKnownPeriods) {
  LUMENDA_REQUIRE_REAL_DATA();
  const std::string dir = test::RealDataDir() + "period-search-lightcurves/";
  struct Case {
    const char* file;
    double offset;
    double period;
    double tolerance;  // of the refined period, days
  };
  const Case cases[] = {
      // RR Lyrae V6 in M3: 211 points over 45 days.
      {"vartools_M3.V006.lc", 2450000, 0.514333, 0.0002},
      // Published estimates of the second star spread from 1.2344 to 1.2358 d.
      {"vartools_EXAMPLES_2.txt", 2400000, 1.2351, 0.0015},
  };
  test::TempDir temp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    PeriodData data;
    Status loaded = LoadObservationFiles(
        {WriteObservationFile(dir + c.file, c.offset, temp.File("obs.txt"))}, data);
    ASSERT_TRUE(loaded.ok()) << loaded.message;
    SearchState state;
    Status searched = RunPeriodSearch(data, state, MagnitudeMode::kRelative, std::nullopt,
                                      std::nullopt, kDialogIncrementIndex);
    ASSERT_TRUE(searched.ok()) << searched.message;
    Periodogram minima = DeepestMinima(state.Result, 5);
    ASSERT_FALSE(minima.empty());
    // The deepest dip is the true period (the grid steps by 0.1 %), and the
    // refinement from its shown value lands on it.
    EXPECT_NEAR(minima[0].Period, c.period, c.period * 0.002);
    const double start = *ParseDouble(FormatFloat("0.00000", minima[0].Period));
    Refinement refined = RefinePeriod(data, MagnitudeMode::kRelative, start, std::nullopt);
    EXPECT_NEAR(refined.period, c.period, c.tolerance);
    EXPECT_LE(refined.value, minima[0].Dispersion);
  }
}

}  // namespace
}  // namespace lumenda
