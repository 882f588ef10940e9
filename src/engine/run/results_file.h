// Writing and reordering the results file ("instrumental.txt").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/image_list.h"
#include "text/result.h"

namespace lumenda {

// One measured star of a row. A magnitude of 1000 or more is written
// "--------" (10000 marks a tolerated failure).
struct RowStar {
  int64_t flux = 0;
  double magnitude = 0;
};

// The values of one data row; FormatResultsRow turns them into text.
struct ResultsRow {
  int num = 0;
  std::string date;  // yyyymmdd.ddddd
  int64_t compara = 0;
  std::vector<RowStar> stars;
  double airMass = 0;
  double fwhm = 0;   // arc seconds
  double fondo = 0;  // sky per square arc second
  double skyMag = 0;
  std::string position;  // characters 1-16 of the first comparison entry
  std::string path;
};

// The row text. Values that would overflow their field are written as the
// largest (or smallest) value that fits, so that the "+" and "*" anchors of
// every row stay aligned with the first row's.
std::string FormatResultsRow(const ResultsRow& row);

// The header block of a first series: field texts, comparison names
// (ComparisonName), empty line, ">>> " sky positions (may be
// empty), empty line, header with the names, separator.
std::vector<std::string> ResultsHeaderBlock(const std::string& fieldRAText,
                                            const std::string& fieldDecText,
                                            const std::vector<std::string>& comparisonNames,
                                            const std::vector<std::string>& skyPositions,
                                            const std::vector<std::string>& lbNomVar);

// The lines of a results file. The image paths of the data rows keep their
// bytes, so that a rewrite still names the images; any other line that is not
// UTF-8 (names from an older Windows installation) is read as Windows-1252.
// nullopt when the file cannot be read.
std::optional<std::vector<std::string>> ReadResultsFile(const std::string& path);

// Rows already in a results file: the lines after its first line beginning
// "--".
int CountPreviousRows(const std::vector<std::string>& lines);

// Lines without "*" keep their order; the data rows, without their number,
// are sorted as text (case-insensitive, so by date) and renumbered from 0000.
std::vector<std::string> ReorderResults(const std::vector<std::string>& lines);

// Row numbers run from 0000 to 9999: more than 10000 rows are refused.
Status CheckRowCount(long long rows);

// The image list rebuilt from the data rows.
std::vector<ImageListItem> ImageListFromResults(const std::vector<std::string>& lines);

}  // namespace lumenda
