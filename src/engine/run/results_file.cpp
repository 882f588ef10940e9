#include "run/results_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "run/results_format.h"
#include "run/star_list.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace rf = results;

namespace {

// NaN counts as the low bound: it only comes from a failed computation.
double Clamp(double v, double lo, double hi) {
  if (!(v >= lo)) return lo;
  return v > hi ? hi : v;
}

}  // namespace

std::string FormatResultsRow(const ResultsRow& r) {
  constexpr double kMaxCounts = 999999999;
  std::string row =
      rf::FormatRowNum(r.num) + "  " + r.date + "  " +
      PadLeft(
          IntToStr(static_cast<long long>(Clamp(static_cast<double>(r.compara), 0, kMaxCounts))),
          9);
  for (const RowStar& s : r.stars) {
    row += "  ";
    row += PadLeft(
        IntToStr(static_cast<long long>(Clamp(static_cast<double>(s.flux), 0, kMaxCounts))), 9);
    row += " ";
    if (!(s.magnitude < 1000))
      row += rf::kMissingMag;
    else
      row += PadLeft(FormatFloat(rf::kMaskRowMag, Clamp(s.magnitude, -9.99999, 99.99999)), 8);
  }
  row += "  + " + FormatFloat(rf::kMaskRowAirMass, Clamp(r.airMass, 0, rf::kMaxRowAirMass));
  row += "  " + FormatFloat(rf::kMaskRowFwhm, Clamp(r.fwhm, 0, rf::kMaxRowFwhm));
  row += "  " + FormatFloat(rf::kMaskRowFondo, Clamp(r.fondo, 0, rf::kMaxRowFondo));
  row += "  " + FormatFloat(rf::kMaskRowSkyMag, Clamp(r.skyMag, 0, rf::kMaxRowSkyMag));
  row += "  " + PadRight(Copy(r.position, 1, 16), 16);
  row += "  *" + r.path;
  return row;
}

std::vector<std::string> ResultsHeaderBlock(const std::string& fieldRAText,
                                            const std::string& fieldDecText,
                                            const std::vector<std::string>& comparisonNames,
                                            const std::vector<std::string>& skyPositions,
                                            const std::vector<std::string>& lbNomVar) {
  std::vector<std::string> out{fieldRAText, fieldDecText};
  out.insert(out.end(), comparisonNames.begin(), comparisonNames.end());
  out.emplace_back();
  for (const std::string& sky : skyPositions) out.push_back(rf::kSkyPositionPrefix + sky);
  out.emplace_back();
  std::string header = rf::kFileHeaderStart;
  std::string separator = rf::kFileSeparatorStart;
  for (const std::string& name : lbNomVar) {
    header += PadLeft(name, rf::kStarWidth);
    separator += rf::kFileSeparatorStar;
  }
  out.push_back(header);
  out.push_back(separator);
  return out;
}

std::optional<std::vector<std::string>> ReadResultsFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  std::string_view text = *bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string> lines = SplitLines(text);
  for (std::string& line : lines)
    if (!rf::IsDataRow(line) && !IsValidUtf8(line)) line = Cp1252ToUtf8(line);
  return lines;
}

int CountPreviousRows(const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind("--", 0) == 0) return static_cast<int>(lines.size() - i - 1);
  return 0;
}

std::vector<std::string> ReorderResults(const std::vector<std::string>& lines) {
  std::vector<std::string> out, rows;
  for (const std::string& line : lines) {
    if (rf::IsDataRow(line))
      rows.emplace_back(FieldFrom(line, rf::kRowStrip + 1));
    else
      out.push_back(line);
  }
  // A night listed by date is already in order.
  if (!std::is_sorted(rows.begin(), rows.end(), LessNoCase))
    std::stable_sort(rows.begin(), rows.end(), LessNoCase);
  for (size_t i = 0; i < rows.size(); ++i)
    out.push_back(rf::FormatRowNum(static_cast<int>(i)) + "  " + rows[i]);
  return out;
}

Status CheckRowCount(long long rows) {
  if (rows > rf::kMaxRows)
    return Status::Fail("Demasiadas imágenes: el fichero de resultados admite como máximo " +
                        IntToStr(rf::kMaxRows) + " filas (numeradas 0000 a 9999).");
  return Status::Ok();
}

std::vector<ImageListItem> ImageListFromResults(const std::vector<std::string>& lines) {
  std::vector<ImageListItem> out;
  for (const std::string& line : lines) {
    if (!rf::IsDataRow(line)) continue;
    out.push_back(ImageListItem{std::string(Copy(line, 7, 14)), std::string(rf::RowPath(line))});
  }
  return out;
}

}  // namespace lumenda
