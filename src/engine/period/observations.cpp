#include "period/observations.h"

#include <algorithm>

#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

double PeriodData::FirstTime() const {
  return Observations.empty() ? 0.0 : Observations.front().Time;
}

double PeriodData::TimeSpan() const {
  return Observations.empty() ? 0.0 : Observations.back().Time - Observations.front().Time;
}

double PeriodData::PlotMagnitude(const ObservationPoint& point, MagnitudeMode mode) const {
  double base = mode == MagnitudeMode::kAbsolute ? point.Magnitude : point.CentredMagnitude;
  double offset = 0;
  if (point.Series >= 0 && point.Series < SeriesCount()) offset = SeriesOffsets[point.Series];
  return base + offset;
}

namespace working_list {
std::string FormatLine(double time, double magnitude, int fileIndex) {
  return FormatFloat(kTimeMask, time) + "  " + FormatFloat(kMagnitudeMask, magnitude) + "  " +
         IntToStr(fileIndex);
}
}  // namespace working_list

std::string CutName(std::string_view name, int length) {
  int chars = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    // Count code points by their lead bytes, so accents are never split.
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) {
      if (chars == length) return std::string(name.substr(0, i));
      ++chars;
    }
  }
  return std::string(name);
}

namespace {

bool IsNumericChar(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}
bool IsSeparator(char c) {
  return c == '\t' || c == ' ' || c == '|';
}

void NoteTimeScale(std::string_view line, std::string& timeScale) {
  if (!timeScale.empty()) return;
  // Later tests win, so a line naming both scales ends on the last one tested.
  if (line.find("HJD") != std::string_view::npos) timeScale = "HJD";
  if (line.find("GJD") != std::string_view::npos) timeScale = "GJD";
  if (line.find("FJH") != std::string_view::npos) timeScale = "HJD";
  if (line.find("FJG") != std::string_view::npos) timeScale = "GJD";
}

// Field that starts at the first numeric character at or after `from` and
// ends before the next separator; empty when there is none.
std::string_view NextField(std::string_view line, size_t& from) {
  size_t start = from;
  while (start < line.size() && !IsNumericChar(line[start])) ++start;
  if (start >= line.size()) {
    from = line.size();
    return {};
  }
  size_t end = start;
  while (end < line.size() && !IsSeparator(line[end])) ++end;
  from = end;
  return line.substr(start, end - start);
}

}  // namespace

std::optional<ObservationLine> ParseObservationLine(std::string_view line, std::string& timeScale,
                                                    std::string& starName) {
  NoteTimeScale(line, timeScale);
  if (starName.empty()) {
    size_t blank = line.find(' ');
    if (blank != std::string_view::npos) starName = CutName(line.substr(0, blank));
  }

  size_t pos = 0;
  std::string_view first = NextField(line, pos);
  if (first.empty() || pos >= line.size()) return std::nullopt;  // no separator after it
  std::string_view second = NextField(line, pos);
  if (second.empty()) return std::nullopt;

  // ParseDouble would allow blanks around; fields never hold any.
  std::optional<double> time = ParseDouble(first);
  std::optional<double> magnitude = ParseDouble(second);
  if (!time || !magnitude) return std::nullopt;
  if (*magnitude < -kMagnitudeLimit || *magnitude > kMagnitudeLimit) return std::nullopt;
  if (*time < kFirstObservationJD || *time > kLastObservationJD) return std::nullopt;
  return ObservationLine{*time, *magnitude};
}

void SortByTime(std::vector<ObservationPoint>& points) {
  std::stable_sort(
      points.begin(), points.end(),
      [](const ObservationPoint& a, const ObservationPoint& b) { return a.Time < b.Time; });
}

Status LoadObservationFiles(const std::vector<std::string>& paths, PeriodData& data) {
  // The observers come only from a period data file and stay.
  PeriodData loaded;
  loaded.ObserverList = std::move(data.ObserverList);
  data = PeriodData{};
  data.ObserverList = loaded.ObserverList;

  std::vector<std::string> lines;
  for (size_t f = 0; f < paths.size(); ++f) {
    std::optional<std::vector<std::string>> fileLines = ReadTextLines(paths[f]);
    if (!fileLines) return Status::Fail("No se puede leer el fichero \"" + paths[f] + "\".");
    for (const std::string& line : *fileLines) {
      std::optional<ObservationLine> parsed =
          ParseObservationLine(line, loaded.TimeScale, loaded.StarName);
      if (parsed) {
        lines.push_back(
            working_list::FormatLine(parsed->time, parsed->magnitude, static_cast<int>(f)));
      }
    }
  }
  if (lines.size() < 10) return Status::Fail("No se encontraron datos válidos.");

  // The points come from the working list, so times keep 5 decimals and
  // magnitudes 3, as the list shows them.
  size_t begin = 0;
  int series = 0;
  while (begin < lines.size()) {
    std::string_view fileIndex = FieldFrom(lines[begin], working_list::kFileFrom);
    size_t end = begin;
    std::vector<ObservationPoint> points;
    double sum = 0;
    while (end < lines.size() && FieldFrom(lines[end], working_list::kFileFrom) == fileIndex) {
      ObservationPoint point;
      point.Time = ParseDouble(Field(lines[end], working_list::kTime)).value_or(0);
      point.Magnitude = ParseDouble(Field(lines[end], working_list::kMagnitude)).value_or(0);
      point.Series = series;
      sum += point.Magnitude;
      points.push_back(point);
      ++end;
    }
    double mean = sum / static_cast<double>(points.size());
    for (ObservationPoint& point : points) {
      point.CentredMagnitude = point.Magnitude - mean;
      loaded.Observations.push_back(point);
    }
    begin = end;
    ++series;
  }
  loaded.SeriesOffsets.assign(static_cast<size_t>(series), 0.0);
  SortByTime(loaded.Observations);
  data = std::move(loaded);
  return Status::Ok();
}

}  // namespace lumenda
