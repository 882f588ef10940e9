#include "run/results_tables.h"

#include <cmath>

#include "image/magnitude.h"
#include "run/results_file.h"
#include "run/results_format.h"
#include "run/variable_search.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace rf = results;

namespace {

double Number(std::string_view text) {
  return ParseDouble(text).value_or(0.0);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The values of one data row of the results file.
struct RowValues {
  std::string numDate;
  double compara = 0;
  double airMass = 0, fwhm = 0, fondo = 0, skyMag = 0;
  std::string position;
  std::string path;
};

RowValues ReadRow(const std::string& row) {
  RowValues v;
  v.numDate = std::string(Field(row, rf::kRowNumDate));
  v.compara = Number(Field(row, rf::kRowCompara));
  // Each row is read at its own anchor; rows written by this program all
  // share the first row's anchor anyway.
  const int p = rf::PlusAnchor(row);
  if (p > 0) {
    v.airMass = Number(Field(row, rf::RowAirMass(p)));
    v.fwhm = Number(Field(row, rf::RowFwhm(p)));
    v.fondo = Number(Field(row, rf::RowFondo(p)));
    v.skyMag = Number(Field(row, rf::RowSkyMag(p)));
    v.position = PadRight(Field(row, rf::RowPosition(p)), rf::RowPosition(p).Width());
  }
  v.path = std::string(rf::RowPath(row));
  return v;
}

bool HasMagnitude(const std::string& row, int k) {
  const std::string_view mag = Field(row, rf::RowStarMag(k));
  return !mag.empty() && mag[0] != '-';
}

// Mean catalogue magnitude of the ensemble; the exponent uses 2.512 and the
// logarithm 2.5, as the magnitudes were always combined here.
double EnsembleMagnitude(const std::vector<double>& m) {
  if (m.empty()) return 10.0;
  if (m.size() == 1) return m[0];
  double s = 10000;
  for (size_t i = 1; i < m.size(); ++i)
    s += 10000 * std::pow(10.0, (m[0] - m[i]) / kMagnitudeScale);
  return m[0] + 2.5 * std::log10(10000 / (s / static_cast<double>(m.size())));
}

// The comparison lines (from line 3 to the first empty one, before the
// header): their catalogue magnitudes, and whether all are numbers.
void ReadComparisons(const std::vector<std::string>& lines, size_t header, ResultsTables& t) {
  std::vector<double> catalogue;
  t.absolutePhotometry = true;
  for (size_t i = 2; i < header && !lines[i].empty(); ++i) {
    const std::string& line = lines[i];
    const std::string magText = line.substr(0, line.find(' '));
    t.lbMag.push_back(magText);
    const auto m = ParseDouble(magText);
    if (m)
      catalogue.push_back(*m);
    else
      t.absolutePhotometry = false;
    ++t.comparisonCount;
  }
  if (t.comparisonCount == 0) t.absolutePhotometry = false;
  t.EnsembleFlag = t.comparisonCount > 1;
  t.meanCatalogueMagnitude = t.absolutePhotometry ? EnsembleMagnitude(catalogue) : 10.0;
}

// Mean instrumental magnitude of each star column over the rows that have
// one, appended to lbMag as "0.0000" and returned as the text reads.
std::vector<double> MeanMagnitudes(const std::vector<std::string>& rows, int stars,
                                   ResultsTables& t) {
  std::vector<double> meanMag(static_cast<size_t>(stars), 0.0);
  for (int k = 0; k < stars; ++k) {
    double sum = 0;
    int n = 0;
    for (const std::string& row : rows) {
      if (!HasMagnitude(row, k)) continue;
      sum += Number(Field(row, rf::RowStarMag(k)));
      ++n;
    }
    const std::string text = FormatFloat("0.0000", n > 0 ? sum / n : 0.0);
    t.lbMag.push_back(text);
    meanMag[static_cast<size_t>(k)] = Number(text);
  }
  return meanMag;
}

// Header and separator of the differential, absolute and flux tables.
void StartMagnitudeTables(ResultsTables& t, size_t rows) {
  std::string head = rf::kTableHeaderStart;
  std::string sep = rf::kTableSeparatorStart;
  for (const std::string& name : t.lbNomVar) {
    head += PadLeft(name, rf::kStarWidth);
    sep += rf::kTableSeparatorStar;
  }
  head += rf::kTableHeaderEnd;
  sep += rf::kTableSeparatorEnd;
  for (auto* table : {&t.tDiferencia, &t.tAbsoluta, &t.tFlujos}) {
    table->reserve(rows + 2);
    table->push_back(head);
    table->push_back(sep);
  }
}

// Means over the night that the rows of the magnitude tables are relative to.
struct NightMeans {
  std::vector<double> magnitude;  // per star column
  double compara = 0;             // comparison counts
  double skyMag = 0;
};

// One row of each magnitude table from a data row of the file.
void AddMagnitudeRows(const std::string& row, const RowValues& v, const NightMeans& means,
                      ResultsTables& t) {
  const double bigM = t.meanCatalogueMagnitude;
  const int stars = static_cast<int>(means.magnitude.size());
  std::string dif = v.numDate, abs = v.numDate, flu = v.numDate;
  for (int k = 0; k < stars; ++k) {
    if (!HasMagnitude(row, k)) {
      dif += rf::kTableMissingStar;
      abs += rf::kTableMissingStar;
      flu += rf::kTableMissingStar;
      continue;
    }
    const double f = Number(Field(row, rf::RowStarCounts(k)));
    const double m = Number(Field(row, rf::RowStarMag(k)));
    const std::string e = "  " + FormatFloat(rf::kMaskRsr, 0.5 * std::sqrt(f / 3)) + " ";
    dif += e + FormatFloat(rf::kMaskDifference, m - means.magnitude[static_cast<size_t>(k)]);
    abs += e + FormatFloat(rf::kMaskAbsolute, bigM + 2.5 * std::log10(v.compara / f));
    flu += e + FormatFloat(rf::kMaskFlux, f);
  }
  const std::string conditions = "  " + FormatFloat(rf::kMaskCondition, v.airMass) + "  " +
                                 FormatFloat(rf::kMaskCondition, v.compara / means.compara) + "  " +
                                 FormatFloat(rf::kMaskCondition, v.fwhm) + "  ";
  const std::string tail =
      "  " + v.position + "  C" + FormatFloat(rf::kMaskCompCounts, v.compara) + "  *" + v.path;
  const std::string relSky = FormatFloat(rf::kMaskDifference, v.skyMag - means.skyMag);
  t.tDiferencia.push_back(dif + conditions + relSky + tail);
  t.tFlujos.push_back(flu + conditions + relSky + tail);
  t.tAbsoluta.push_back(
      abs + conditions +
      FormatFloat(rf::kMaskAbsolute, bigM + 2.5 * std::log10(v.compara / v.fondo)) + tail);
}

void Stage(const Progress& progress, std::string text, long long done = 0, long long total = 0) {
  Report(progress, {ProgressLine::kStage, done, total, 0, std::move(text)});
}

}  // namespace

Status BuildResults(const std::vector<std::string>& lines, ResultsTables& t, int sensitivity,
                    std::stop_token stop, const Progress& progress) {
  t = ResultsTables{};
  // Sky positions of the stars, before the separator.
  size_t header = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (StartsWith(lines[i], " NUM")) {
      header = i;
      break;
    }
    if (StartsWith(lines[i], ">>>")) t.lVarRADec.emplace_back(Field(lines[i], rf::kSkyLineText));
  }
  if (header == lines.size() || header + 1 >= lines.size() || lines.size() < 2)
    return Status::Fail("Error en formato de datos.");

  if (lines[0].size() > 9) t.ResultRAText = std::string(Field(lines[0], rf::kResultRA));
  if (lines[1].size() > 8) t.ResultDecText = std::string(Field(lines[1], rf::kResultDec));

  Stage(progress, "Calculando magnitud absoluta media...");
  ReadComparisons(lines, header, t);

  Stage(progress, "Preparando lista de estrellas...");
  const std::string& headerLine = lines[header];
  std::vector<std::string> rows;
  for (size_t i = header + 2; i < lines.size(); ++i)
    if (rf::IsDataRow(lines[i])) rows.push_back(lines[i]);
  t.tInstrumental.reserve(rows.size() + 1);
  t.tInstrumental.push_back(headerLine);
  t.tInstrumental.insert(t.tInstrumental.end(), rows.begin(), rows.end());

  DropEmptyColumns(t.tInstrumental, progress);
  auto possible = SearchVariables(t.tInstrumental, sensitivity, stop, progress);
  if (!possible.ok()) {
    t = ResultsTables{};
    return Status::FailWith(possible);
  }
  t.tPosiblesVariables = std::move(possible.value);

  // Names come from the file's own header: the magnitude tables below keep
  // every star column of the file, so their names must too.
  const int stars = rf::HeaderStarCount(CharCount(headerLine));
  for (int k = 0; k < stars; ++k)
    t.lbNomVar.push_back(Trim(Field(headerLine, rf::HeaderStarName(k))));

  Stage(progress, "Calculando magnitud instrumental media...");
  NightMeans means;
  means.magnitude = MeanMagnitudes(rows, stars, t);

  Stage(progress, "Calculando fondo y transparencia medios...");
  std::vector<RowValues> values;
  values.reserve(rows.size());
  for (const std::string& row : rows) {
    values.push_back(ReadRow(row));
    means.compara += values.back().compara;
    means.skyMag += values.back().skyMag;
  }
  if (!rows.empty()) {
    means.compara /= static_cast<double>(rows.size());
    means.skyMag /= static_cast<double>(rows.size());
  }

  StartMagnitudeTables(t, rows.size());
  const auto total = static_cast<long long>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    if (stop.stop_requested()) {
      t = ResultsTables{};
      return Status::Stopped();
    }
    Stage(progress, "Calculando fotometría, imagen " + IntToStr(static_cast<long long>(i)),
          static_cast<long long>(i), total);
    AddMagnitudeRows(rows[i], values[i], means, t);
  }
  if (!t.absolutePhotometry) t.tAbsoluta.clear();
  Stage(progress, "000");
  return Status::Ok();
}

Status BuildResultsFromFile(const std::string& path, ResultsTables& tables, int sensitivity,
                            std::stop_token stop, const Progress& progress) {
  const auto lines = ReadResultsFile(path);
  if (!lines) return Status::Fail("No se puede leer el fichero " + path, FailureKind::kIo);
  return BuildResults(*lines, tables, sensitivity, stop, progress);
}

}  // namespace lumenda
