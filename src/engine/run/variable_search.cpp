#include "run/variable_search.h"

#include <cmath>

#include "run/results_format.h"
#include "text/number_format.h"

namespace lumenda {

namespace rf = results;

namespace {

void Stage(const Progress& progress, long long done, long long total, std::string text) {
  Report(progress, {ProgressLine::kStage, done, total, 0, std::move(text)});
}

// Removes the listed star columns (start positions, 1-based, each 20
// characters) from every line of `table`; `removal` is sorted ascending, and
// removal goes from the highest down. Every tenth entry is reported.
void RemoveColumns(std::vector<std::string>& table, const std::vector<int>& removal,
                   const std::string& progressText, const Progress& progress) {
  const auto total = static_cast<long long>(removal.size());
  for (int e = static_cast<int>(removal.size()) - 1; e >= 0; --e) {
    if (e % 10 == 0) Stage(progress, total - e, total, progressText + IntToStr(e));
    const int start = removal[static_cast<size_t>(e)];
    for (std::string& line : table) EraseColumns(line, {start, start + rf::kStarWidth - 1});
  }
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

void DropEmptyColumns(std::vector<std::string>& tInstrumental, const Progress& progress) {
  if (tInstrumental.size() < 2) return;
  const int columns = rf::StarCountBeforeAnchor(rf::PlusAnchor(tInstrumental[1]));
  std::vector<int> removal;
  for (int k = 0; k < columns; ++k) {
    Stage(progress, k, columns, "Revisando errores(1)... " + IntToStr(k));
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

Result<std::vector<std::string>> SearchVariables(const std::vector<std::string>& tInstrumental,
                                                 int sensitivity, std::stop_token stop,
                                                 const Progress& progress) {
  using Out = Result<std::vector<std::string>>;
  std::vector<std::string> out = tInstrumental;
  if (out.size() < 2) return Out::Ok(std::move(out));
  const double threshold = SensitivityThreshold(sensitivity);
  const int columns = rf::StarCountBeforeAnchor(rf::PlusAnchor(out[1]));
  const size_t rows = out.size();
  std::vector<int> removal;
  std::vector<double> mags(rows);
  std::vector<bool> has(rows);
  for (int k = 0; k < columns; ++k) {
    if (stop.stop_requested()) return Out::Stopped();
    Stage(progress, k, columns, "Buscando posibles variables... " + IntToStr(k));
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
  return Out::Ok(std::move(out));
}

}  // namespace lumenda
