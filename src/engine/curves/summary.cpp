#include "curves/summary.h"

#include <algorithm>
#include <cmath>

#include "run/results_format.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

StarSummary FillSummary(const std::vector<std::string>& sourceRows, int k,
                        const std::string& name) {
  StarSummary summary;
  std::vector<double> values;
  if (k >= 0) {
    const int mark = results::TableStarMissingMark(k);
    for (const std::string& row : sourceRows) {
      if (static_cast<int>(row.size()) < mark || row[mark - 1] == '-') continue;
      if (auto v = ParseDouble(Field(row, results::TableStarValue(k)))) values.push_back(*v);
    }
  }
  summary.count = static_cast<int>(values.size());
  if (values.empty()) {
    summary.name = "---";
    summary.values.fill("---");
    return summary;
  }
  // Start from the first value: fixed bounds of -1000 and 1000 would clip
  // counts, which are far above 1000.
  double maximum = values.front(), minimum = values.front(), sum = 0.0;
  for (double v : values) {
    maximum = std::max(maximum, v);
    minimum = std::min(minimum, v);
    sum += v;
  }
  const double n = static_cast<double>(values.size());
  const double mean = sum / n;
  double squares = 0.0;
  for (double v : values) squares += (v - mean) * (v - mean);
  const double amplitude = maximum - minimum;
  summary.name = name;
  summary.values = {
      FormatFloat("0.000", maximum),   FormatFloat("0.000", minimum),
      FormatFloat("0.000", amplitude), FormatFloat("0.000", minimum + amplitude / 2.0),
      FormatFloat("0.000", mean),      FormatFloat("0.000", std::sqrt(squares / n))};
  return summary;
}

std::string AppendToComment(const std::string& line, const std::string& text) {
  return line.empty() ? text : line + " " + text;
}

}  // namespace lumenda
