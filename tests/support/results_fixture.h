// Small results files built from row values, for the table, curve and
// command-line tests.
#pragma once

#include <string>
#include <vector>

#include "run/results_file.h"

namespace lumenda::test {

struct FixtureRow {
  std::string date;
  long long compara;
  std::vector<RowStar> stars;
  double skyMag = 12.0;
  double fondo = 1000;
  std::string path;
  double airMass = 1.5;
};

inline std::vector<std::string> ResultsLines(const std::vector<std::string>& comps,
                                             const std::vector<std::string>& names,
                                             const std::vector<FixtureRow>& rows,
                                             const std::vector<std::string>& sky = {}) {
  auto lines = ResultsHeaderBlock("12 34 56.7", "-05 06 07", comps, sky, names);
  int num = 0;
  for (const FixtureRow& f : rows) {
    ResultsRow r;
    r.num = num++;
    r.date = f.date;
    r.compara = f.compara;
    r.stars = f.stars;
    r.airMass = f.airMass;
    r.fwhm = 3.0;
    r.fondo = f.fondo;
    r.skyMag = f.skyMag;
    r.position = "0100.00  0200.00";
    r.path = f.path;
    lines.push_back(FormatResultsRow(r));
  }
  return lines;
}

}  // namespace lumenda::test
