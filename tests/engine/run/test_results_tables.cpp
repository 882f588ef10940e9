// BuildResults: the tables derived from the results file.
#include <gtest/gtest.h>

#include <cmath>

#include "results_fixture.h"
#include "run/results_format.h"
#include "run/results_tables.h"
#include "text/fixed_columns.h"

namespace lumenda {
namespace {

namespace rf = results;
using test::FixtureRow;
using test::ResultsLines;

std::vector<std::string> TwoRows(const std::vector<std::string>& comps) {
  return ResultsLines(comps, {"VAR-1", "VS_0010_0020"},
                      {{"20150612.10000", 1200, {{1200, 10.0}, {5, 10000}}, 12.0, 1200, "img0.fit"},
                       {"20150612.20000", 1800, {{3000, 11.0}, {5, 10000}}, 12.4, 900, "img1.fit"}},
                      {"12 34 50.0  -05 06 00", "12 34 51.0  -05 07 00"});
}

TEST(BuildResults, DifferentialAbsoluteAndFluxRows) {
  ResultsTables t;
  ASSERT_TRUE(BuildResults(TwoRows({"11.0 V"}), t).ok());
  EXPECT_EQ(t.ResultRAText, "12 34 56.7");
  EXPECT_EQ(t.ResultDecText, "-05 06 07");
  EXPECT_EQ(t.lVarRADec,
            (std::vector<std::string>{"12 34 50.0  -05 06 00", "12 34 51.0  -05 07 00"}));
  EXPECT_EQ(t.lbNomVar, (std::vector<std::string>{"VAR-1", "VS_0010_0020"}));
  // Catalogue magnitude first, then the mean instrumental magnitudes.
  EXPECT_EQ(t.lbMag, (std::vector<std::string>{"11.0", "10.5000", "0.0000"}));
  EXPECT_FALSE(t.EnsembleFlag);
  EXPECT_TRUE(t.absolutePhotometry);

  ASSERT_EQ(t.tDiferencia.size(), 4u);
  EXPECT_EQ(t.tDiferencia[0],
            " NUM       FECHA MPC               VAR-1        VS_0010_0020   AIRMASS    TRANSP  "
            "FWHM PIX  FONDO\"^2   POSICION XY");
  EXPECT_EQ(t.tDiferencia[1],
            "----  --------------  ------------------  ------------------  --------  --------  "
            "--------  ---------  ----------------");
  const std::string tail = "  0100.00  0200.00  C000001200  *img0.fit";
  EXPECT_EQ(t.tDiferencia[2],
            "0000  20150612.10000  00010.00 -00.50000  -------- ---------"
            "  01.50000  00.80000  03.00000  -00.20000" +
                tail);
  EXPECT_EQ(t.tAbsoluta[2],
            "0000  20150612.10000  00010.00 +11.00000  -------- ---------"
            "  01.50000  00.80000  03.00000  +11.00000" +
                tail);
  EXPECT_EQ(t.tFlujos[2],
            "0000  20150612.10000  00010.00 000001200  -------- ---------"
            "  01.50000  00.80000  03.00000  -00.20000" +
                tail);
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableStarRsr(0)), "00015.81");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableStarValue(0)), "+00.50000");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableTransp(2)), "01.20000");
  EXPECT_EQ(Field(t.tDiferencia[3], rf::TableCompCounts(2)), "000001800");
  EXPECT_EQ(t.tDiferencia[3][static_cast<size_t>(rf::TableStarMissingMark(1) - 1)], '-');
  // The "C" stands 12 characters before the "*".
  const size_t star = t.tDiferencia[3].find('*');
  EXPECT_EQ(t.tDiferencia[3][star - rf::kTableCompMarkBeforeStar], 'C');
}

TEST(BuildResults, EnsembleMagnitudeAndNonNumericNames) {
  struct Case {
    std::vector<std::string> comps;
    bool ensemble;
    bool absolute;
    double bigM;
  };
  // Two stars: M = m1 + 2.5 log10(10000 / (S / n)), S = 10000 + 10000 * 10^((m1 - m2) / 2.512).
  const double s = 10000 + 10000 * std::pow(10.0, (11.0 - 12.0) / 2.512);
  const Case cases[] = {
      {{"11.0"}, false, true, 11.0},
      {{"11.0", "12.0 B"}, true, true, 11.0 + 2.5 * std::log10(10000 / (s / 2))},
      {{"11.0", "CAL-2"}, true, false, 10.0},
  };
  for (const Case& c : cases) {
    ResultsTables t;
    ASSERT_TRUE(BuildResults(TwoRows(c.comps), t).ok());
    EXPECT_EQ(t.EnsembleFlag, c.ensemble);
    EXPECT_EQ(t.absolutePhotometry, c.absolute);
    EXPECT_NEAR(t.meanCatalogueMagnitude, c.bigM, 1e-12);
    EXPECT_EQ(t.tAbsoluta.empty(), !c.absolute);
    EXPECT_EQ(t.tDiferencia.size(), 4u);
  }
}

TEST(BuildResults, HeaderOnlyFileGivesEmptyTables) {
  ResultsTables t;
  ASSERT_TRUE(BuildResults(ResultsLines({"11.0"}, {"V"}, {}), t).ok());
  EXPECT_EQ(t.tInstrumental.size(), 1u);
  EXPECT_EQ(t.tDiferencia.size(), 2u);
  EXPECT_EQ(t.lbMag, (std::vector<std::string>{"11.0", "0.0000"}));
  EXPECT_FALSE(BuildResults({"12 34 56.7", "-05 06 07", "garbage"}, t).ok());
}

// Columns that never had a value leave tInstrumental and the search, but
// not the magnitude tables nor the names.
TEST(BuildResults, EmptyColumnsLeaveOnlyTheSearchInput) {
  ResultsTables t;
  ASSERT_TRUE(BuildResults(TwoRows({"11.0"}), t).ok());
  EXPECT_EQ(rf::HeaderStarCount(static_cast<int>(t.tInstrumental[0].size())), 1);
  EXPECT_EQ(t.tPosiblesVariables, t.tInstrumental);  // two rows: nothing testable
  EXPECT_EQ(t.lbNomVar.size(), 2u);
}

}  // namespace
}  // namespace lumenda
