// Small results files and their tables for the light-curve tests.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "curves/time_scales.h"
#include "run/results_file.h"
#include "run/results_tables.h"
#include "text/dates.h"
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

inline RowStar StarOf(long long counts, long long compara) {
  RowStar s;
  s.flux = counts > 0 ? counts : 1;
  s.magnitude =
      counts > 0 ? 10.0 - 2.512 * std::log10(static_cast<double>(counts) / compara) : 10000.0;
  return s;
}

inline std::vector<std::string> NightLines(const std::vector<std::string>& comps,
                                           const std::vector<std::string>& names,
                                           const std::vector<NightRow>& rows,
                                           const std::vector<std::string>& sky = {}) {
  std::vector<std::string> entries;
  for (const auto& c : comps) entries.push_back("0100.00  0200.00  " + c);
  auto lines = ResultsHeaderBlock("12 34 56.7", "+05 06 07", entries, sky, names);
  int num = 0;
  for (const NightRow& n : rows) {
    ResultsRow r;
    r.num = num++;
    r.date = n.date;
    r.compara = n.compara;
    for (long long c : n.counts) r.stars.push_back(StarOf(c, n.compara));
    r.airMass = n.airMass;
    r.fwhm = 3.0;
    r.fondo = 1000;
    r.skyMag = 12.0;
    r.position = "0100.00  0200.00";
    r.path = n.path;
    lines.push_back(FormatResultsRow(r));
  }
  return lines;
}

// MPC date of 2008-08-12 plus `minutes`.
inline std::string DateAt(double minutes) {
  const double t = *EncodeDate(2008, 8, 12) + 0.8 + minutes / 1440.0;
  return DateOfCalendar(t);
}

// `n` images 5 minutes apart, two stars with a slow brightening of star 0.
inline std::vector<NightRow> EvenNight(int n) {
  std::vector<NightRow> rows;
  for (int i = 0; i < n; ++i) {
    NightRow r;
    r.date = DateAt(5.0 * i);
    r.compara = 100000 + 1000 * (i % 3);
    r.counts = {50000 + 700 * i, 20000 + 100 * (i % 2)};
    r.airMass = 1.2 + 0.01 * i;
    r.path = "/noche/img" + std::to_string(i) + ".fit";
    rows.push_back(r);
  }
  return rows;
}

inline ResultsTables TablesOf(const std::vector<std::string>& lines) {
  ResultsTables tables;
  EXPECT_TRUE(BuildResults(lines, tables).ok());
  return tables;
}

}  // namespace lumenda::test
