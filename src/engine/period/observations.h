// The observations of the period window: reading time-magnitude files into
// series, one series per night, and the data every period tool works on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/fixed_columns.h"
#include "text/result.h"

namespace lumenda {

struct ObservationPoint {
  double Time = 0;              // Julian date as read (heliocentric or geocentric)
  double CentredMagnitude = 0;  // Magnitude minus the mean of its series
  double Magnitude = 0;         // as read; the search aligns it on the series means
  int32_t Series = 0;           // 0-based series number
  uint8_t Deleted = 0;          // 1: left out of folding, plotting and the statistic
};

// Which magnitude is folded and plotted.
enum class MagnitudeMode { kRelative, kAbsolute };

// Everything the period tools share: what a period data file saves.
struct PeriodData {
  std::vector<ObservationPoint> Observations;  // ascending Time
  std::vector<double> SeriesOffsets;           // magnitudes, one per series
  std::string StarName;                        // at most kStarNameLength characters
  std::string TimeScale;                       // "HJD", "GJD" or ""
  std::vector<std::string> ObserverList;       // sorted, no duplicates

  bool Empty() const { return Observations.empty(); }
  // Time of the earliest observation (t0); 0 when there is none.
  double FirstTime() const;
  // Last minus first time; 0 when there is none.
  double TimeSpan() const;
  int SeriesCount() const { return static_cast<int>(SeriesOffsets.size()); }
  // Magnitude folded in `mode`, series offset included.
  double PlotMagnitude(const ObservationPoint& point, MagnitudeMode mode) const;
};

inline constexpr int kStarNameLength = 20;
// Julian dates accepted in observation files: 1968-05-23 to 2100-01-01.
inline constexpr double kFirstObservationJD = 2440000.0;
inline constexpr double kLastObservationJD = 2488070.0;
inline constexpr double kMagnitudeLimit = 28.0;

// The working list that loading builds, one line per accepted observation:
// time, two blanks, magnitude, two blanks, file index.
namespace working_list {
inline constexpr Column kTime{1, 13};        // "0000000.00000"
inline constexpr Column kMagnitude{16, 22};  // " 00.000;-00.000"
inline constexpr int kFileFrom = 25;
inline constexpr std::string_view kTimeMask = "0000000.00000";
inline constexpr std::string_view kMagnitudeMask = " 00.000;-00.000";
std::string FormatLine(double time, double magnitude, int fileIndex);
}  // namespace working_list

struct ObservationLine {
  double time = 0;
  double magnitude = 0;
};

// Reads one line of an observation file. Fills `timeScale` and `starName`
// while they are empty (from any line, accepted or not); returns the time and
// magnitude of an accepted line.
std::optional<ObservationLine> ParseObservationLine(std::string_view line, std::string& timeScale,
                                                    std::string& starName);

// Cuts a name to `length` characters (UTF-8 aware).
std::string CutName(std::string_view name, int length = kStarNameLength);

// Loads the files as series (the order given), centres each series on its
// mean and sorts the points by time. `data` is cleared first (all but its
// observers) and stays cleared on failure ("No se encontraron datos
// válidos." below 10 lines).
Status LoadObservationFiles(const std::vector<std::string>& paths, PeriodData& data);

// Sorts by ascending Time; equal times keep their order.
void SortByTime(std::vector<ObservationPoint>& points);

}  // namespace lumenda
