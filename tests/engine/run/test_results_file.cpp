// The results file: row layout, anchors, header block, reordering.
#include <gtest/gtest.h>

#include <cmath>

#include "run/results_file.h"
#include "run/results_format.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;

ResultsRow SampleRow() {
  ResultsRow r;
  r.num = 7;
  r.date = "20150612.12345";
  r.compara = 123456;
  r.stars = {{54321, 10.92371}, {0, 10000}};
  r.airMass = 1.23456;
  r.fwhm = 4.5;
  r.fondo = 812.5;
  r.skyMag = 12.1;
  r.position = "0100.00  0200.00";
  r.path = "/datos/noche/img001.fit";
  return r;
}

TEST(ResultsRow, FieldsSitWhereReadersLookForThem) {
  const std::string row = FormatResultsRow(SampleRow());
  EXPECT_EQ(Field(row, rf::kRowNum), "0007");
  EXPECT_EQ(Field(row, rf::kRowDate), "20150612.12345");
  EXPECT_EQ(Field(row, rf::kRowCompara), "   123456");
  EXPECT_EQ(Field(row, rf::RowStarCounts(0)), "    54321");
  EXPECT_EQ(Field(row, rf::RowStarMag(0)), "10.92371");
  EXPECT_EQ(Field(row, rf::RowStarMag(1)), "--------");
  const int p = rf::PlusAnchor(row);
  EXPECT_EQ(p, 34 + 20 * 2);
  EXPECT_EQ(rf::StarCountBeforeAnchor(p), 2);
  EXPECT_EQ(Trim(Field(row, rf::RowAirMass(p))), "01.23456");
  EXPECT_EQ(Trim(Field(row, rf::RowFwhm(p))), "04.50000");
  EXPECT_EQ(Trim(Field(row, rf::RowFondo(p))), "00812.50");
  EXPECT_EQ(Trim(Field(row, rf::RowSkyMag(p))), "12.10000");
  EXPECT_EQ(Field(row, rf::RowPosition(p)), "0100.00  0200.00");
  EXPECT_EQ(rf::RowPath(row), "/datos/noche/img001.fit");
  EXPECT_EQ(row.substr(static_cast<size_t>(p + 57), 3), "  *");
}

// Overflowing values are clamped so every row keeps the first row's anchors.
TEST(ResultsRow, OverflowingFieldsAreClampedToTheirWidth) {
  struct Case {
    const char* what;
    void (*change)(ResultsRow&);
    Column (*column)(int);
    const char* expected;
  };
  const Case cases[] = {
      {"air mass 100", [](ResultsRow& r) { r.airMass = 100.0; }, rf::RowAirMass, "99.99999"},
      {"air mass NaN", [](ResultsRow& r) { r.airMass = std::nan(""); }, rf::RowAirMass, "00.00000"},
      {"FONDO 100000", [](ResultsRow& r) { r.fondo = 123456.7; }, rf::RowFondo, "99999.99"},
      {"FWHM 250", [](ResultsRow& r) { r.fwhm = 250; }, rf::RowFwhm, "99.99999"},
      {"sky negative", [](ResultsRow& r) { r.skyMag = -3; }, rf::RowSkyMag, "00.00000"},
  };
  const std::string normal = FormatResultsRow(SampleRow());
  for (const Case& c : cases) {
    ResultsRow r = SampleRow();
    c.change(r);
    const std::string row = FormatResultsRow(r);
    const int p = rf::PlusAnchor(row);
    EXPECT_EQ(row.size(), normal.size()) << c.what;
    EXPECT_EQ(row.find('*'), normal.find('*')) << c.what;
    EXPECT_EQ(Trim(Field(row, c.column(p))), c.expected) << c.what;
  }
}

TEST(ResultsRow, MagnitudeOfOneThousandIsMissing) {
  ResultsRow r = SampleRow();
  r.stars = {{5, 999.0}, {5, 1000.0}};
  const std::string row = FormatResultsRow(r);
  EXPECT_NE(Field(row, rf::RowStarMag(0)), "--------");
  EXPECT_EQ(Field(row, rf::RowStarMag(1)), "--------");
  EXPECT_EQ(rf::PlusAnchor(row), 74);
}

TEST(ResultsHeader, BlockHasFieldCompsSkyHeaderSeparator) {
  const auto block = ResultsHeaderBlock("12 34 56.7", "-05 06 07",
                                        {"0100.00  0200.00  11.52 V", "0300.00  0400.00  12.03"},
                                        {"12 34 50.0  -05 06 00"}, {"VAR-1", "VS_0012_0034"});
  const std::vector<std::string> expected = {
      "12 34 56.7",
      "-05 06 07",
      "11.52 V",
      "12.03",
      "",
      ">>> 12 34 50.0  -05 06 00",
      "",
      " NUM       FECHA MPC    COMPARA               VAR-1        VS_0012_0034",
      "----  --------------  ---------  ------------------  ------------------",
  };
  EXPECT_EQ(block, expected);
  EXPECT_EQ(rf::HeaderStarCount(static_cast<int>(block[7].size())), 2);
  EXPECT_EQ(Trim(Field(block[7], rf::HeaderStarName(1))), "VS_0012_0034");
}

TEST(ResultsFile, ReorderSortsByDateAndRenumbersFromZero) {
  const std::vector<std::string> lines = {"12 34 56.7",
                                          "+05 06 07",
                                          "11.5",
                                          "",
                                          "",
                                          "header",
                                          "----  ---",
                                          "0000  20150612.50000  rest *b",
                                          "0001  20150612.40000  rest *a",
                                          "0002  20150611.90000  rest *c"};
  const auto out = ReorderResults(lines);
  ASSERT_EQ(out.size(), lines.size());
  EXPECT_EQ(out[6], "----  ---");
  EXPECT_EQ(out[7], "0000  20150611.90000  rest *c");
  EXPECT_EQ(out[8], "0001  20150612.40000  rest *a");
  EXPECT_EQ(out[9], "0002  20150612.50000  rest *b");
  EXPECT_EQ(CountPreviousRows(lines), 3);
  EXPECT_EQ(ImageListFromResults(out)[0], "20150611.90000 c");
}

TEST(ResultsFile, RowNumbersStopAtTenThousand) {
  EXPECT_TRUE(CheckRowCount(10000).ok());
  EXPECT_FALSE(CheckRowCount(10001).ok());
  EXPECT_NE(CheckRowCount(10001).message.find("10000"), std::string::npos);
}

TEST(ResultsFile, ReorderFileRewritesInPlace) {
  test::TempDir dir;
  const std::string path = dir.File("instrumental.txt");
  ASSERT_EQ(WriteFileAtomic(path, "a\r\n----\r\n0000  2 *x\r\n0001  1 *y\r\n"), "");
  ASSERT_TRUE(ReorderResultsFile(path).ok());
  EXPECT_EQ(test::ReadBytes(path), "a\r\n----\r\n0000  1 *y\r\n0001  2 *x\r\n");
}

}  // namespace
}  // namespace lumenda
