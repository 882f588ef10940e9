#include "curves/variable_display.h"

#include <algorithm>
#include <cmath>

#include "run/results_format.h"
#include "run/variable_search.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace r = results;

int GraphStarCount(const std::vector<std::string>& graphInstrumental) {
  if (graphInstrumental.empty()) return 0;
  // Star columns end at 51 + 20k, before the "+" block of the rows.
  if (graphInstrumental.size() > 1) {
    const int p = r::PlusAnchor(graphInstrumental[1]);
    if (p > 0) return r::StarCountBeforeAnchor(p);
  }
  return r::HeaderStarCount(CharCount(graphInstrumental.front()));
}

std::string GraphStarName(const std::vector<std::string>& graphInstrumental, int k) {
  if (graphInstrumental.empty()) return "";
  return Trim(Field(graphInstrumental.front(), r::HeaderStarName(k)));
}

std::optional<double> GraphMagnitude(const std::vector<std::string>& graphInstrumental, int row,
                                     int k) {
  if (row < 1 || row >= static_cast<int>(graphInstrumental.size())) return std::nullopt;
  const std::string& line = graphInstrumental[row];
  const char last = CharAt(line, r::RowStarMagLast(k));
  if (last == '\0' || last == '-') return std::nullopt;
  return ParseDouble(Field(line, r::RowStarMag(k)));
}

StarGroup GroupWindow(int start, int quantity, int columnCount) {
  StarGroup group;
  group.start = std::max(0, start);
  group.last = group.start + quantity - 1;
  if (group.last > columnCount - 1) {
    group.last = columnCount - 1;
    group.start = std::max(0, group.last - quantity + 1);
  }
  return group;
}

int StepGroupStart(int start, int quantity, int direction) {
  return std::max(0, start + direction * quantity);
}

double StackStep(int height, int quantity) {
  return (5.5 - height) / std::max(1, quantity);
}

double StackOffset(const std::vector<std::string>& graphInstrumental, int k, int start,
                   double step) {
  double first = 0.0;
  for (int row = 1; row < static_cast<int>(graphInstrumental.size()); ++row) {
    if (auto m = GraphMagnitude(graphInstrumental, row, k)) {
      first = *m;
      break;
    }
  }
  return (k - start) * step - first;
}

std::vector<StarCurve> VariableCurves(const std::vector<std::string>& graphInstrumental,
                                      bool groups, int start, int quantity, int height, bool byTime,
                                      const SkyPosition& field, StarGroup* shown) {
  const int columns = GraphStarCount(graphInstrumental);
  StarGroup group = groups ? GroupWindow(start, quantity, columns) : StarGroup{0, columns - 1};
  if (shown) *shown = group;
  const double step = StackStep(height, quantity);
  std::vector<StarCurve> curves;
  for (int k = group.start; k <= group.last; ++k) {
    StarCurve curve;
    curve.column = k;
    curve.name = GraphStarName(graphInstrumental, k);
    const double offset = groups ? StackOffset(graphInstrumental, k, group.start, step) : 0.0;
    for (int row = 1; row < static_cast<int>(graphInstrumental.size()); ++row) {
      auto m = GraphMagnitude(graphInstrumental, row, k);
      if (!m) continue;
      const double x =
          byTime ? PlotTime(TimeScale::kHjd, Field(graphInstrumental[row], r::kRowDate), field)
                 : row - 1;
      curve.x.push_back(x);
      curve.y.push_back(*m + offset);
    }
    curves.push_back(std::move(curve));
  }
  return curves;
}

std::string GroupLabel(bool groups, const StarGroup& group, int columnCount, int curveCount) {
  if (!groups) return "Total: " + IntToStr(curveCount);
  return IntToStr(group.start + 1) + " a " + IntToStr(group.last + 1) + " de " +
         IntToStr(columnCount);
}

double VerdictThreshold(int sensitivity) {
  // The display judges a clicked curve by the same rule as the search.
  return SensitivityThreshold(sensitivity);
}

CurveStatistics CurveStats(const std::vector<double>& y, int sensitivity) {
  CurveStatistics stats;
  const size_t n = y.size();
  if (n < 4) {
    stats.mean = "Promedio : n/d";
    stats.sd = "Desv. est: n/d";
    stats.height = "Altura:    n/d";
    return stats;
  }
  double mean = 0.0;
  for (double v : y) mean += v;
  mean /= static_cast<double>(n);
  double squares = 0.0, jumps = 0.0;
  for (size_t i = 0; i < n; ++i) {
    squares += (y[i] - mean) * (y[i] - mean);
    if (i > 0) jumps += std::fabs(y[i] - y[i - 1]);
  }
  const double sd = std::sqrt(squares / static_cast<double>(n) + 0.00001);
  const double height = jumps / static_cast<double>(n - 1);
  stats.mean = "Promedio: " + FormatFloat("0.00", mean);
  stats.sd = "Desv. est: " + FormatFloat("0.00", sd);
  stats.height = "Altura:    " + FormatFloat("0.00", height);
  // A curve without any jump has no ratio; it is flat, so never a variable.
  if (height > 0.0) {
    const double ratio = sd / height;
    stats.ratio = "D.E./Altura: " + FormatFloat("0.00", ratio);
    stats.possibleVariable = sd > 0.01 && ratio > VerdictThreshold(sensitivity);
  } else {
    stats.ratio = "D.E./Altura: n/d";
  }
  stats.flag = stats.possibleVariable ? "Posible variable" : "";
  return stats;
}

void RebuildGraphInstrumental(ResultsTables& tables, std::vector<std::string>& graphInstrumental,
                              bool onlyPossible, int sensitivity) {
  if (onlyPossible) {
    // Without a stop token the search always completes.
    tables.tPosiblesVariables = SearchVariables(tables.tInstrumental, sensitivity).value;
    graphInstrumental = tables.tPosiblesVariables;
  } else {
    graphInstrumental = tables.tInstrumental;
  }
}

}  // namespace lumenda
