#include "curves/light_curve.h"

#include <cmath>
#include <optional>

#include "curves/curve_formats.h"
#include "image/magnitude.h"
#include "run/results_format.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace {

namespace r = results;

std::optional<double> Number(std::string_view row, Column column) {
  return ParseDouble(Field(row, column));
}

// Star columns of a derived table, counted from its header line.
int StarCountOfTableHeader(const std::string& header) {
  const int start = static_cast<int>(std::string_view(r::kTableHeaderStart).size());
  const int end = static_cast<int>(std::string_view(r::kTableHeaderEnd).size());
  const int width = CharCount(header) - start - end;
  return width > 0 ? width / r::kStarWidth : 0;
}

// Sums of one star over a group.
struct StarSums {
  double sum = 0.0;
  double squares = 0.0;
  double rsr = 0.0;
  int count = 0;
  double mean = 0.0;
  double meanRsr = 0.0;
  double error = 0.0;

  void Add(std::string_view row, int k, PhotometryMode mode) {
    if (k < 0) return;
    const std::string_view mark =
        Field(row, {r::TableStarMissingMark(k), r::TableStarMissingMark(k)});
    if (mark == "-") return;
    auto v = Number(row, r::TableStarValue(k));
    auto e = Number(row, r::TableStarRsr(k));
    // A field that does not read as a number counts as not measured.
    if (!v || !e) return;
    double value = *v;
    if (mode == PhotometryMode::kRelativeFlux) value = std::pow(10.0, -value / kMagnitudeScale);
    sum += value;
    squares += value * value;
    rsr += *e;
    ++count;
  }

  void Finish(PhotometryMode mode, double floor) {
    if (count == 0) return;
    mean = sum / count;
    meanRsr = rsr / count;
    if (count > 1) {
      error = std::sqrt(std::max(0.0, squares / count - mean * mean + floor));
    } else if (meanRsr > 0.0) {
      error = IsFluxMode(mode) ? mean / meanRsr : 2.5 * std::log10(1.0 + 1.0 / meanRsr);
    }
  }
};

std::string Block(const StarSums& star, PhotometryMode mode) {
  if (star.count == 0) return std::string(curve::kBlockWidth, ' ');
  std::string block;
  if (mode == PhotometryMode::kCounts)
    block = FormatFloat(curve::kMaskCountsMean, star.mean) + "  " +
            FormatFloat(curve::kMaskCountsError, star.error);
  else
    block = FormatFloat(curve::kMaskMagMean, star.mean) + "  " +
            FormatFloat(curve::kMaskMagError, star.error);
  return block + "  " + FormatFloat(curve::kMaskRsr, star.meanRsr) + "  ";
}

// Position (1-based) of the comparison counts after the "C" that stands 12
// characters before the first "*"; 0 when the row has none.
int CompCountsPosition(std::string_view row) {
  const size_t star = row.find('*');
  if (star == std::string_view::npos || star < static_cast<size_t>(r::kTableCompMarkBeforeStar))
    return 0;
  const size_t c = star - r::kTableCompMarkBeforeStar;
  return row[c] == 'C' ? static_cast<int>(c) + 2 : 0;
}

}  // namespace

bool HasVariable2(const GraphSettings& settings) {
  return settings.var2 > 0;
}

std::string Variable1Name(const ResultsTables& tables, const GraphSettings& settings) {
  const int k = settings.var1;
  return k >= 0 && k < static_cast<int>(tables.lbNomVar.size()) ? tables.lbNomVar[k] : "";
}

std::string Variable2Name(const ResultsTables& tables, const GraphSettings& settings) {
  const int k = settings.var2 - 1;
  return k >= 0 && k < static_cast<int>(tables.lbNomVar.size()) ? tables.lbNomVar[k] : "";
}

SkyPosition FieldPosition(const ResultsTables& tables) {
  return {tables.ResultRAText, tables.ResultDecText};
}

SkyPosition StarPosition(const ResultsTables& tables, int k) {
  if (tables.lVarRADec.size() != tables.lbNomVar.size() || k < 0 ||
      k >= static_cast<int>(tables.lVarRADec.size()))
    return FieldPosition(tables);
  const std::string& entry = tables.lVarRADec[k];
  return {std::string(Field(entry, r::kSkyRA)), std::string(Field(entry, r::kSkyDec))};
}

Status BuildSourceRows(const ResultsTables& tables, GraphSettings& settings, LightCurve& curve) {
  const std::vector<std::string>* table = &tables.tDiferencia;
  switch (settings.mode) {
    case PhotometryMode::kAbsolute:
      if (tables.tAbsoluta.empty()) {
        settings.mode = PhotometryMode::kRelative;
        return Status::Fail(kAbsoluteUnavailable);
      }
      table = &tables.tAbsoluta;
      break;
    case PhotometryMode::kCounts:
      table = &tables.tFlujos;
      break;
    default:
      break;
  }
  curve.SourceRows.clear();
  if (table->size() > 2) curve.SourceRows.assign(table->begin() + 2, table->end());
  curve.starCount = table->empty() ? 0 : StarCountOfTableHeader(table->front());
  curve.RelativeMode = settings.mode == PhotometryMode::kRelative;
  curve.EnsembleFlag = tables.EnsembleFlag;
  GroupMeasurements(settings, curve);
  return Status::Ok();
}

void GroupMeasurements(const GraphSettings& settings, LightCurve& curve) {
  curve.GroupedRows.clear();
  curve.AavsoRows.clear();
  const bool var2 = HasVariable2(settings);
  curve.GroupedRows.push_back(std::string(curve::kHeaderStart) +
                              (var2 ? curve::kHeaderVar2 : std::string(28, ' ')) +
                              curve::kHeaderEnd);
  curve.GroupedRows.push_back(std::string(curve::kSeparatorStart) +
                              (var2 ? curve::kSeparatorVar2 : std::string(28, ' ')) +
                              curve::kSeparatorEnd);
  std::vector<std::string> group;
  int count = 0;
  double t0 = 0.0;
  for (const std::string& row : curve.SourceRows) {
    if (!settings.groupByMinutes) {
      group.push_back(row);
      if (++count >= settings.groupImages) {
        EmitGroup(group, settings, curve);
        count = 0;
      }
      continue;
    }
    const double t = CalendarOfDate(Field(row, r::kTableDate));
    if (count == 0) t0 = t;
    // Dates are whole units of 0.00001 day (0.0144 minute); comparing units
    // keeps a row exactly N minutes after the first one out of its group.
    const long long units = RoundHalfEven((t - t0) * 100000.0);
    if (units * 144 < static_cast<long long>(settings.groupMinutes) * 10000) {
      group.push_back(row);
      ++count;
    } else {
      EmitGroup(group, settings, curve);
      t0 = t;
      group.push_back(row);
      count = 1;
    }
  }
  if (!group.empty()) EmitGroup(group, settings, curve);
}

void EmitGroup(std::vector<std::string>& group, const GraphSettings& settings, LightCurve& curve) {
  if (group.empty()) return;
  const PhotometryMode mode = settings.mode;
  const int n = static_cast<int>(group.size());
  const int nStars = curve.starCount;
  const int k1 = settings.var1;
  const int k2 = HasVariable2(settings) ? settings.var2 - 1 : -1;
  const int countsAt = IsFluxMode(mode) ? 0 : CompCountsPosition(group.front());
  bool countsValid = countsAt > 0;

  StarSums s1, s2;
  double date = 0, airMass = 0, transparency = 0, fwhm = 0, background = 0, counts = 0;
  for (const std::string& row : group) {
    s1.Add(row, k1, mode);
    s2.Add(row, k2, mode);
    date += CalendarOfDate(Field(row, r::kTableDate));
    airMass += Number(row, r::TableAirMass(nStars)).value_or(0.0);
    transparency += Number(row, r::TableTransp(nStars)).value_or(0.0);
    fwhm += Number(row, r::TableFwhm(nStars)).value_or(0.0);
    background += Number(row, r::TableFondo(nStars)).value_or(0.0);
    if (countsValid) {
      // Counts that do not read as a number leave the group without AAVSO row.
      auto c = ParseInt(Copy(row, countsAt, 9));
      if (c)
        counts += static_cast<double>(*c);
      else
        countsValid = false;
    }
  }
  date /= n;
  airMass /= n;
  transparency /= n;
  fwhm /= n;
  background /= n;
  counts /= n;
  s1.Finish(mode, 0.000001);
  s2.Finish(mode, 0.00001);

  if (curve.TrendSlope != 0.0 && s1.count > 0) {
    s1.mean -= curve.TrendAt(date, settings.scale);
    if (mode == PhotometryMode::kRelativeFlux) s1.mean += 1.0;
  }

  const std::string meanDate = DateOfCalendar(date);
  if (s1.count > 0 || s2.count > 0) {
    std::string row =
        FormatFloat(curve::kMaskNum, static_cast<double>(curve.GroupedRows.size()) - 1) + "  " +
        meanDate + "  " + FormatFloat(curve::kMaskCount, n) + "  " + Block(s1, mode) +
        Block(s2, mode) + FormatFloat(curve::kMaskCondition, airMass) + "  " +
        FormatFloat(curve::kMaskCondition, transparency) + "  " +
        FormatFloat(curve::kMaskCondition, fwhm) + "  " +
        FormatFloat(curve::kMaskBackground, background);
    if (n == 1) {
      const size_t star = group.front().find('*');
      if (star != std::string::npos) row += "  " + group.front().substr(star);
    }
    curve.GroupedRows.push_back(std::move(row));
  }

  if (countsValid && counts > 0.0 && s1.count > 0) {
    const double cmag = -kMagnitudeScale * std::log10(counts);
    double mag = s1.mean;
    if (curve.RelativeMode)
      mag = -kMagnitudeScale * std::log10(3.0 * std::pow(2.0 * s1.meanRsr, 2)) - cmag;
    // A check star without value in this group is written as absent.
    const double kmag = s2.count > 0 ? s2.mean : curve::kNoCheckMagnitude;
    curve.AavsoRows.push_back(meanDate + "  " + FormatFloat(curve::kMaskAavso, mag) + "  " +
                              FormatFloat(curve::kMaskAavso, s1.error) + "  " +
                              FormatFloat(curve::kMaskAavso, cmag) + "  " +
                              FormatFloat(curve::kMaskAavso, kmag) + "  " +
                              FormatFloat(curve::kMaskAavso, airMass));
  }
  group.clear();
}

}  // namespace lumenda
