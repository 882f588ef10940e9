#include "curves/star_data_file.h"

#include <cmath>

#include "image/magnitude.h"
#include "run/results_format.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace {

namespace r = results;

// Rewrites the star's counts and magnitude of one row for the trend.
std::string CorrectedStar(std::string_view star, double correction, double meanMagnitude,
                          PhotometryMode mode) {
  // The star's 18 characters: counts (1-9), blank, magnitude (11-18).
  auto counts = ParseDouble(Copy(star, 1, 9));
  auto magnitude = ParseDouble(Copy(star, 11, 8));
  if (!counts || !magnitude || Copy(star, 11, 1) == "-") return std::string(star);
  double factor = std::pow(10.0, correction / kMagnitudeScale);
  if (mode == PhotometryMode::kRelativeFlux) {
    // The trend was fitted on the relative flux, 1 at the mean magnitude.
    const double flux = std::pow(10.0, -(*magnitude - meanMagnitude) / kMagnitudeScale);
    const double corrected = flux - correction + 1.0;
    if (!(corrected > 0.0)) return std::string(star);
    factor = corrected / flux;
  }
  const double newMagnitude = *magnitude - kMagnitudeScale * std::log10(factor);
  const double newCounts = static_cast<double>(RoundHalfEven(*counts * factor));
  return PadLeft(FormatFloat("0", newCounts), 9) + " " +
         PadLeft(FormatFloat(r::kMaskRowMag, newMagnitude), 8);
}

}  // namespace

Result<std::vector<std::string>> StarDataFile(const std::vector<std::string>& resultsFileLines,
                                              const std::string& starName,
                                              const ResultsTables& tables, const LightCurve& curve,
                                              const GraphSettings& settings) {
  using Out = Result<std::vector<std::string>>;
  const std::string notFound = "Estrella no encontrada.";
  size_t headerAt = 0;
  while (headerAt < resultsFileLines.size() && resultsFileLines[headerAt].rfind(" NUM", 0) != 0)
    ++headerAt;
  if (headerAt == resultsFileLines.size()) return Out::Fail(notFound);
  const std::string& header = resultsFileLines[headerAt];

  // The column whose whole name is the star's (a name inside a longer one,
  // "V1" in "V10", does not count).
  const int stars = r::HeaderStarCount(CharCount(header));
  int k = -1;
  for (int i = 0; i < stars && k < 0; ++i)
    if (Trim(Field(header, r::HeaderStarName(i))) == Trim(starName)) k = i;
  if (k < 0) return Out::Fail(notFound);
  const Column column = r::HeaderStarName(k);

  std::vector<std::string> out;
  size_t i = 0;
  for (; i < resultsFileLines.size() && !resultsFileLines[i].empty(); ++i)
    out.push_back(resultsFileLines[i]);
  if (k < static_cast<int>(tables.lVarRADec.size()))
    out.push_back(r::kSkyPositionPrefix + tables.lVarRADec[k]);
  else
    out.push_back(r::kSkyPositionPrefix + tables.ResultRAText + "  " + tables.ResultDecText);
  out.push_back("");

  // The trend applies only where the chart can correct it.
  const bool corrected = curve.TrendSlope != 0.0 && IsRelativeMode(settings.mode);
  double meanMagnitude = 0.0;
  if (corrected) {
    int n = 0;
    for (size_t j = headerAt + 1; j < resultsFileLines.size(); ++j) {
      const std::string& row = resultsFileLines[j];
      if (!r::IsDataRow(row) || Field(row, r::RowStarMag(k)).substr(0, 1) == "-") continue;
      if (auto m = ParseDouble(Field(row, r::RowStarMag(k)))) {
        meanMagnitude += *m;
        ++n;
      }
    }
    // The tables use the mean rounded to four decimals.
    meanMagnitude = ParseDouble(FormatFloat("0.0000", n ? meanMagnitude / n : 0.0)).value_or(0.0);
  }

  // Every line after the second empty line: header, separator, rows.
  int empties = 0;
  for (i = 0; i < resultsFileLines.size() && empties < 2; ++i)
    if (resultsFileLines[i].empty()) ++empties;
  for (; i < resultsFileLines.size(); ++i) {
    const std::string& line = resultsFileLines[i];
    std::string star(Field(line, column));
    if (corrected && r::IsDataRow(line)) {
      const double trend = curve.TrendAt(CalendarOfDate(Field(line, r::kRowDate)), settings.scale);
      star = CorrectedStar(star, trend, meanMagnitude, settings.mode);
    }
    out.push_back(std::string(Copy(line, 1, 33)) + star +
                  std::string(FieldFrom(line, CharCount(header) + 1)));
  }
  return Out::Ok(std::move(out));
}

}  // namespace lumenda
