#include "run/save_recover.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "run/results_file.h"
#include "run/results_format.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace rf = results;

namespace {

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool IsDigitAt(const std::string& line, int pos) {
  return IsDigit(CharAt(line, pos));
}

bool LooksLikeDataRow(const std::string& line) {
  return line.size() >= 47 && CharAt(line, 15) == '.' && CharAt(line, 46) == '.' &&
         line.find('+') != std::string::npos && line.find('*') != std::string::npos;
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

void Stage(const Progress& progress, std::string text) {
  Report(progress, {ProgressLine::kStage, 0, 0, 0, std::move(text)});
}

// Lines up to and including the first line beginning "----", without the
// sky-position lines (">").
std::vector<std::string> HeaderLines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    if (StartsWith(line, ">")) continue;
    out.push_back(line);
    if (StartsWith(line, "----")) break;
  }
  return out;
}

}  // namespace

std::vector<std::string> ResultsCsv(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < lines.size() && !StartsWith(lines[i], " NUM")) ++i;
  if (i == lines.size()) return out;
  const std::string& header = lines[i];
  const int len = CharCount(header);
  std::string names;
  int stars = 0;
  // At least one name, even from a short header.
  for (int k = 0; k == 0 || 51 + rf::kStarWidth * k <= len; ++k, ++stars) {
    if (k > 0) names += ";";
    names += Trim(Field(header, rf::HeaderStarName(k)));
  }
  out.push_back(names);
  for (size_t j = i + 2; j < lines.size(); ++j) {
    if (!rf::IsDataRow(lines[j])) continue;
    std::string row;
    for (int k = 0; k < stars; ++k) {
      if (k > 0) row += ";";
      // One blank before the magnitude is part of the field, trimmed away.
      const Column mag = rf::RowStarMag(k);
      row += Trim(Field(lines[j], Column{mag.first - 1, mag.last}));
    }
    out.push_back(row);
  }
  return out;
}

Status SaveResults(const std::string& instrumentalPath, const std::string& destination) {
  const bool txt = EndsWith(destination, ".txt");
  const bool csv = EndsWith(destination, ".csv");
  if (!txt && !csv)
    return Status::Fail("Extensión no admitida: " + FileName(destination) +
                        "\nLos datos se guardan como \".txt\" o \".csv\".");
  const std::string unreadable = "No se puede leer el fichero " + instrumentalPath;
  // A ".txt" save is the file itself, byte for byte.
  if (txt) {
    const auto bytes = ReadFileBytes(instrumentalPath);
    if (!bytes) return Status::Fail(unreadable);
    return WriteFileAtomic(destination, *bytes);
  }
  const auto lines = ReadResultsFile(instrumentalPath);
  if (!lines) return Status::Fail(unreadable);
  return WriteFileAtomic(destination, JoinLines(ResultsCsv(*lines)));
}

bool CheckResultsFormat(const std::vector<std::string>& lines) {
  if (lines.size() < 2) return false;
  const std::string& ra = lines[0];
  const std::string& dec = lines[1];
  if (ra.size() != 10 || !IsDigitAt(ra, 4) || CharAt(ra, 9) != '.') return false;
  if (dec.size() != 9 || (dec[0] != '+' && dec[0] != '-') || !IsDigitAt(dec, 5)) return false;
  return std::any_of(lines.begin(), lines.end(), LooksLikeDataRow);
}

bool CheckResultsFormat(const std::string& path) {
  const auto lines = ReadResultsFile(path);
  return lines && CheckResultsFormat(*lines);
}

bool SameHeaders(const std::vector<std::string>& paths) {
  std::vector<std::string> first;
  for (size_t f = 0; f < paths.size(); ++f) {
    const auto lines = ReadResultsFile(paths[f]);
    if (!lines) return false;
    std::vector<std::string> header = HeaderLines(*lines);
    if (f == 0) {
      first = std::move(header);
      continue;
    }
    if (header.size() != first.size()) return false;
    if (!std::equal(header.begin() + std::min<size_t>(2, header.size()), header.end(),
                    first.begin() + std::min<size_t>(2, first.size())))
      return false;
  }
  return true;
}

Result<RecoverOutcome> RecoverResults(const std::vector<std::string>& paths,
                                      const std::string& instrumentalPath, int sensitivity,
                                      std::stop_token stop, const Progress& progress) {
  using R = Result<RecoverOutcome>;
  if (paths.empty()) return R::Fail("No hay ficheros seleccionados.");
  Stage(progress, "Verificando formato...");
  if (!CheckResultsFormat(paths[0])) {
    Stage(progress, "000");
    return R::Fail(FileName(paths[0]) + ": Error en formato de datos.");
  }
  if (paths.size() > 1 && !SameHeaders(paths)) {
    Stage(progress, "000");
    return R::Fail("Error: cabeceras no idénticas.");
  }
  Stage(progress, "Leyendo datos...");
  std::vector<std::string> out;
  std::vector<std::string> rows;
  for (size_t f = 0; f < paths.size(); ++f) {
    if (stop.stop_requested()) return R::Stopped();
    if (stop.stop_requested()) return R::Stopped();
    const auto lines = ReadResultsFile(paths[f]);
    if (!lines) return R::Fail("No se puede leer el fichero " + paths[f]);
    bool inHeader = f == 0;
    for (const std::string& line : *lines) {
      if (inHeader) {
        out.push_back(line);
        if (StartsWith(line, "----")) inHeader = false;
        continue;
      }
      if (rf::IsDataRow(line)) rows.emplace_back(FieldFrom(line, rf::kRowStrip + 1));
    }
  }
  if (Status s = CheckRowCount(static_cast<long long>(rows.size())); !s.ok()) {
    Stage(progress, "000");
    return R::Fail(s.message);
  }
  std::stable_sort(rows.begin(), rows.end(), LessNoCase);
  RecoverOutcome outcome;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string row = rf::FormatRowNum(static_cast<int>(i)) + "  " + rows[i];
    out.push_back(row);
  }
  outcome.ListaFotos = ImageListFromResults(out);
  if (Status s = BuildResults(out, outcome.tables, sensitivity, stop, progress); !s.ok())
    return R::FailWith(s);
  if (Status written = WriteFileAtomic(instrumentalPath, JoinLines(out)); !written.ok())
    return R::FailWith(written);
  return R::Ok(std::move(outcome));
}

}  // namespace lumenda
