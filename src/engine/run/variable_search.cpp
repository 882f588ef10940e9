#include "run/variable_search.h"

#include <cmath>

#include "run/results_format.h"
#include "text/number_format.h"

namespace lumenda {

namespace rf = results;

namespace {

void Report(const ProgressText& progress, const std::string& text) {
  if (progress) progress(text);
}

}  // namespace

double SensitivityThreshold(int sensitivity) {
  switch (sensitivity) {
    case 2:
      return 1.3;
    case 3:
      return 1.2;
    default:
      return 1.4;
  }
}

void RemoveColumns(std::vector<std::string>& table, const std::vector<int>& removal,
                   const std::string& progressText, const ProgressText& progress) {
  for (int e = static_cast<int>(removal.size()) - 1; e >= 0; --e) {
    if (e % 10 == 0) Report(progress, progressText + IntToStr(e));
    const int start = removal[static_cast<size_t>(e)];
    for (std::string& line : table) EraseColumns(line, {start, start + rf::kStarWidth - 1});
  }
}

void DropEmptyColumns(std::vector<std::string>& tInstrumental, const ProgressText& progress) {
  if (tInstrumental.size() < 2) return;
  const int p = rf::PlusAnchor(tInstrumental[1]);
  std::vector<int> removal;
  for (int k = 0; 51 + rf::kStarWidth * k <= p; ++k) {
    Report(progress, "Revisando errores(1)... " + IntToStr(k));
    const int mark = rf::RowStarMagLast(k);
    bool any = false;
    for (size_t i = 1; i < tInstrumental.size() && !any; ++i) {
      const char c = CharAt(tInstrumental[i], mark);
      any = c != '-' && c != '\0';
    }
    if (!any) removal.push_back(rf::RowStar(k).first);
  }
  RemoveColumns(tInstrumental, removal, "Borrando estrellas con error(1)... ", progress);
}

std::vector<std::string> SearchVariables(const std::vector<std::string>& tInstrumental,
                                         int sensitivity, const ProgressText& progress) {
  std::vector<std::string> out = tInstrumental;
  if (out.size() < 2) return out;
  const double threshold = SensitivityThreshold(sensitivity);
  const int p = rf::PlusAnchor(out[1]);
  const size_t rows = out.size();
  std::vector<int> removal;
  std::vector<double> mags(rows);
  std::vector<bool> has(rows);
  for (int k = 0; 51 + rf::kStarWidth * k <= p; ++k) {
    Report(progress, "Buscando posibles variables... " + IntToStr(k));
    const Column magColumn = rf::RowStarMag(k);
    int n = 0;
    double sum = 0;
    for (size_t i = 1; i < rows; ++i) {
      has[i] = false;
      if (CharAt(out[i], magColumn.first) == '-') continue;
      const auto v = ParseDouble(Field(out[i], magColumn));
      if (!v) continue;
      mags[i] = *v;
      has[i] = true;
      sum += *v;
      ++n;
    }
    if (n < 3) continue;
    const double mean = sum / n;
    double s1 = 0, s2 = 0;
    for (size_t i = 2; i < rows; ++i) {
      if (!has[i] || !has[i - 1]) continue;
      s1 += (mags[i] - mean) * (mags[i] - mean);
      s2 += std::fabs(mags[i] - mags[i - 1]);
    }
    // Both divide by the count of values, not by the pairs summed.
    const double sigma = std::sqrt(s1 / n + 0.00001);
    const double delta = s2 / (n - 1) + 0.00001;
    if (sigma / delta < threshold) removal.push_back(rf::RowStar(k).first);
  }
  RemoveColumns(out, removal, "Separando no variables... ", progress);
  return out;
}

}  // namespace lumenda
