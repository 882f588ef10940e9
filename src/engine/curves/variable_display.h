// The numbers of the "Variables?" page: which star columns are drawn, how
// they are stacked, and the statistics of a clicked curve.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "curves/time_scales.h"
#include "run/results_tables.h"

namespace lumenda {

// GraphInstrumental anew: the possible variables (the variable search run
// again with `sensitivity` 1..3 into tPosiblesVariables) or every star.
void RebuildGraphInstrumental(ResultsTables& tables, std::vector<std::string>& graphInstrumental,
                              bool onlyPossible, int sensitivity);

// Star columns of GraphInstrumental (a copy of tInstrumental or
// tPosiblesVariables: header line, then data rows).
int GraphStarCount(const std::vector<std::string>& graphInstrumental);
std::string GraphStarName(const std::vector<std::string>& graphInstrumental, int k);
// Magnitude of star k in data row `row` (1-based line of the table).
std::optional<double> GraphMagnitude(const std::vector<std::string>& graphInstrumental, int row,
                                     int k);

// The columns drawn with groups of `quantity` from `start`: past the last
// column the group is moved back so that it still shows `quantity` columns.
struct StarGroup {
  int start = 0;
  int last = -1;
};
StarGroup GroupWindow(int start, int quantity, int columnCount);
// Group start after "-" (direction -1) or "+" (+1); never below 0.
int StepGroupStart(int start, int quantity, int direction);

// Vertical step between stacked curves: (5.5 - height) / quantity.
double StackStep(int height, int quantity);
// Offset of column k: (k - start) * step - its first magnitude, so every curve
// starts at its own level. A star without value in the first data row is
// levelled on its first value (0 when it has none).
double StackOffset(const std::vector<std::string>& graphInstrumental, int k, int start,
                   double step);

// One curve of the page: its points (x, y), in row order.
struct StarCurve {
  int column = 0;
  std::string name;
  std::vector<double> x, y;
};
// The curves of the group (all columns when `groups` is false, unshifted).
// x is the row index from 0, or the heliocentric date with `byTime`.
std::vector<StarCurve> VariableCurves(const std::vector<std::string>& graphInstrumental,
                                      bool groups, int start, int quantity, int height, bool byTime,
                                      const SkyPosition& field, StarGroup* shown);

// Label26: "1 a 5 de 12" with groups, "Total: 12" without.
std::string GroupLabel(bool groups, const StarGroup& group, int columnCount, int curveCount);

// Statistics of a clicked curve and the "Posible variable" verdict.
struct CurveStatistics {
  std::string mean;    // "Promedio: 12.34" or "Promedio : n/d"
  std::string sd;      // "Desv. est: 0.05" or "Desv. est: n/d"
  std::string height;  // "Altura:    0.02" or "Altura:    n/d"
  std::string ratio;   // "D.E./Altura: 2.50", "" with fewer than 4 points
  bool possibleVariable = false;
  std::string flag;  // "Posible variable" or ""
};
// Threshold of D.E./Altura for sensitivity 1, 2, 3: 1.4, 1.3, 1.2.
double VerdictThreshold(int sensitivity);
CurveStatistics CurveStats(const std::vector<double>& y, int sensitivity);

}  // namespace lumenda
