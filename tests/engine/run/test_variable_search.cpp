// The variable search over the star columns of tInstrumental.
#include <gtest/gtest.h>

#include <cmath>

#include "run/results_file.h"
#include "run/results_format.h"
#include "run/variable_search.h"
#include "text/fixed_columns.h"

namespace lumenda {
namespace {

namespace rf = results;

// A table with one column per series of magnitudes (NaN = not measured).
std::vector<std::string> Table(const std::vector<std::vector<double>>& columns) {
  std::vector<std::string> names;
  for (size_t k = 0; k < columns.size(); ++k) names.push_back("S" + std::to_string(k));
  std::vector<std::string> table = {
      ResultsHeaderBlock("00 00 00.0", "+00 00 00", {"0001.00  0001.00  10"}, {}, names)[5]};
  const size_t rows = columns.empty() ? 0 : columns[0].size();
  for (size_t i = 0; i < rows; ++i) {
    ResultsRow r;
    r.num = static_cast<int>(i);
    r.date = "20150612.1000" + std::to_string(i % 10);
    r.compara = 1000;
    for (const auto& c : columns) r.stars.push_back({100, std::isnan(c[i]) ? 10000 : c[i]});
    r.position = "0001.00  0001.00";
    r.path = "p" + std::to_string(i);
    table.push_back(FormatResultsRow(r));
  }
  return table;
}

std::vector<std::string> Names(const std::vector<std::string>& table) {
  std::vector<std::string> out;
  for (int k = 0; k < rf::HeaderStarCount(static_cast<int>(table[0].size())); ++k)
    out.push_back(Trim(Field(table[0], rf::HeaderStarName(k))));
  return out;
}

const double N = std::nan("");

TEST(VariableSearch, KeepsColumnsByScatterOverMeanJump) {
  // S0: smooth ramp (variable); S1: alternating noise (not); S2: constant
  // (delta tiny, stays); S3: two values only (untestable, stays); S4: values
  // only in alternate rows (no pairs, stays).
  const auto table = Table({
      {10.0, 10.1, 10.2, 10.3, 10.4, 10.5, 10.6, 10.7},
      {10.0, 10.2, 10.0, 10.2, 10.0, 10.2, 10.0, 10.2},
      {11.0, 11.0, 11.0, 11.0, 11.0, 11.0, 11.0, 11.0},
      {12.0, N, N, N, N, N, N, 12.5},
      {13.0, N, 13.5, N, 13.1, N, 13.7, N},
  });
  const auto out = SearchVariables(table, 1);
  EXPECT_EQ(Names(out), (std::vector<std::string>{"S0", "S2", "S3", "S4"}));
  // Everything after the star columns stays, rows keep their fields.
  EXPECT_EQ(rf::RowPath(out[3]), "p2");
  EXPECT_EQ(Field(out[3], rf::RowStarMag(1)), "11.00000");
}

TEST(VariableSearch, LowerSensitivityThresholdOnlyAddsColumns) {
  // Ratios near the thresholds: noise with a slow trend.
  std::vector<std::vector<double>> columns;
  for (int c = 0; c < 12; ++c) {
    std::vector<double> v;
    for (int i = 0; i < 30; ++i)
      v.push_back(10 + 0.004 * c * i + 0.05 * ((i * 7 + c * 3) % 5 - 2) / 2.0);
    columns.push_back(v);
  }
  const auto table = Table(columns);
  const auto s1 = Names(SearchVariables(table, 1));
  const auto s2 = Names(SearchVariables(table, 2));
  const auto s3 = Names(SearchVariables(table, 3));
  EXPECT_LE(s1.size(), s2.size());
  EXPECT_LE(s2.size(), s3.size());
  for (const auto& n : s1) EXPECT_NE(std::find(s2.begin(), s2.end(), n), s2.end()) << n;
  for (const auto& n : s2) EXPECT_NE(std::find(s3.begin(), s3.end(), n), s3.end()) << n;
  EXPECT_LT(s1.size(), s3.size());  // the thresholds matter on this table
}

TEST(VariableSearch, OneOrTwoRowsLeaveTheTableAsItIs) {
  for (size_t rows : {1u, 2u}) {
    std::vector<double> a = {10.0, 10.7}, b = {12.0, 11.1};
    a.resize(rows);
    b.resize(rows);
    const auto table = Table({a, b});
    EXPECT_EQ(SearchVariables(table, 3), table) << rows;
  }
}

TEST(VariableSearch, DropEmptyColumnsRemovesNeverMeasuredStars) {
  auto table = Table({{10.0, 10.1, 10.2}, {N, N, N}, {N, 12.0, N}});
  DropEmptyColumns(table);
  EXPECT_EQ(Names(table), (std::vector<std::string>{"S0", "S2"}));
  EXPECT_EQ(Field(table[2], rf::RowStarMag(1)), "12.00000");
  EXPECT_EQ(rf::StarCountBeforeAnchor(rf::PlusAnchor(table[1])), 2);
}

TEST(VariableSearch, RemoveColumnsReportsEveryTenthEntry) {
  std::vector<std::vector<double>> columns(25, std::vector<double>{10, 11, 12});
  auto table = Table(columns);
  std::vector<int> removal;
  for (int k = 0; k < 25; ++k) removal.push_back(rf::RowStar(k).first);
  std::vector<std::string> seen;
  RemoveColumns(table, removal, "Borrando ", [&](const std::string& t) { seen.push_back(t); });
  EXPECT_EQ(seen, (std::vector<std::string>{"Borrando 20", "Borrando 10", "Borrando 0"}));
  EXPECT_EQ(table[0], rf::kFileHeaderStart);
}

TEST(VariableSearch, SensitivityThresholds) {
  EXPECT_DOUBLE_EQ(SensitivityThreshold(1), 1.4);
  EXPECT_DOUBLE_EQ(SensitivityThreshold(2), 1.3);
  EXPECT_DOUBLE_EQ(SensitivityThreshold(3), 1.2);
}

}  // namespace
}  // namespace lumenda
