// The period data file ("*.per"): a whole analysis (points, series offsets,
// period, names) as checksummed text lines.
#pragma once

#include <string>
#include <vector>

#include "period/observations.h"
#include "text/result.h"

namespace lumenda {

// What a period data file holds besides the data: the period exactly as the
// period label showed it.
struct PeriodFileContent {
  PeriodData data;
  std::string periodText;
  double period = 0;
};

// Lines of the file, the checksum first.
std::vector<std::string> PeriodFileLines(const PeriodData& data, const std::string& periodText);
// Sum of the byte values of the lines, line ends excluded.
long long PeriodFileChecksum(const std::vector<std::string>& lines, size_t from);

Status WritePeriodFile(const std::string& path, const PeriodData& data,
                       const std::string& periodText);

// Reads a file whole; nothing of the caller's data changes unless it is
// read completely, so a damaged file cannot leave half an analysis behind.
Result<PeriodFileContent> ReadPeriodFile(const std::string& path);
Result<PeriodFileContent> ParsePeriodFile(std::vector<std::string> lines);

}  // namespace lumenda
