// Small results files and their tables for the light-curve tests, written
// through the shared fixture from counts and per-image air masses.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "curves/light_curve.h"
#include "curves/time_scales.h"
#include "results_fixture.h"
#include "run/results_format.h"
#include "run/results_tables.h"
#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda::test {

// Counts of one star in one image; 0 = not measured.
struct NightRow {
  std::string date;
  long long compara = 100000;
  std::vector<long long> counts;
  double airMass = 1.2;
  std::string path;
};

inline std::vector<std::string> NightLines(const std::vector<std::string>& comps,
                                           const std::vector<std::string>& names,
                                           const std::vector<NightRow>& rows,
                                           const std::vector<std::string>& sky = {}) {
  std::vector<FixtureRow> fixture;
  for (const NightRow& n : rows) {
    FixtureRow f{};
    f.date = n.date;
    f.compara = n.compara;
    f.path = n.path;
    f.airMass = n.airMass;
    for (long long c : n.counts) {
      RowStar s;
      s.flux = c > 0 ? c : 1;
      s.magnitude = c > 0 ? 10.0 - 2.512 * std::log10(static_cast<double>(c) / n.compara) : 10000.0;
      f.stars.push_back(s);
    }
    fixture.push_back(f);
  }
  return ResultsLines(comps, names, fixture, sky);
}

// MPC date of 2008-08-12 plus `minutes`.
inline std::string DateAt(double minutes) {
  return DateOfCalendar(*EncodeDate(2008, 8, 12) + 0.8 + minutes / 1440.0);
}

// `n` images 5 minutes apart, two stars with a slow brightening of star 0.
inline std::vector<NightRow> EvenNight(int n) {
  std::vector<NightRow> rows;
  for (int i = 0; i < n; ++i)
    rows.push_back({DateAt(5.0 * i),
                    100000 + 1000 * (i % 3),
                    {50000 + 700 * i, 20000 + 100 * (i % 2)},
                    1.2 + 0.01 * i,
                    "/noche/img" + std::to_string(i) + ".fit"});
  return rows;
}

inline ResultsTables TablesOf(const std::vector<std::string>& lines) {
  ResultsTables tables;
  EXPECT_TRUE(BuildResults(lines, tables).ok());
  return tables;
}

// The curve of `tables` under `settings` (which may fall back to another mode).
inline LightCurve Build(const ResultsTables& tables, GraphSettings& settings) {
  LightCurve curve;
  EXPECT_TRUE(BuildSourceRows(tables, settings, curve).ok());
  return curve;
}

}  // namespace lumenda::test
