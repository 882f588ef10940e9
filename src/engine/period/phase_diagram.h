// What the phase picture plots and the tools that work on it: the plotted
// points (with their copies in phase view), the running mean, the series
// offsets (automatic adjustment) and the deletion of points.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "period/fold.h"
#include "period/observations.h"

namespace lumenda {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Colour of series s: SeriesColours[s % 20]. Entries 5 and 17 are the same.
inline constexpr std::array<Rgb, 20> SeriesColours = {{
    {0xFF, 0x00, 0x00}, {0x00, 0xAA, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF},
    {0xFF, 0xAA, 0x55}, {0x00, 0xFF, 0xFF}, {0xFF, 0x55, 0x00}, {0x55, 0xFF, 0x00},
    {0x55, 0x00, 0x00}, {0xAA, 0x00, 0xFF}, {0xFF, 0xAA, 0xAA}, {0x00, 0x55, 0x55},
    {0xFF, 0xFF, 0x00}, {0x00, 0x55, 0x00}, {0x00, 0x00, 0xAA}, {0xAA, 0xAA, 0xFF},
    {0xAA, 0x55, 0x55}, {0x00, 0xFF, 0xFF}, {0xFF, 0xAA, 0xFF}, {0x55, 0x55, 0x00},
}};
Rgb SeriesColour(int series);

inline constexpr float kDefaultPhaseMargin = 0.2f;

struct PhaseView {
  bool enabled = false;                // "Fases": horizontal axis in phase
  float origin = 0;                    // `PhaseOrigin`, in [0, 1]
  float margin = kDefaultPhaseMargin;  // `PhaseMargin`, in [0, 1]
};

// One plotted point of the observations (copies included).
struct PlotPoint {
  double x = 0;     // days since t0 (days view) or phase
  double y = 0;     // plot magnitude
  double time = 0;  // observed Time, to find the observation again
  int32_t series = 0;
};

// The points of the picture for the folded points of `Fold` (data, P).
std::vector<PlotPoint> PlotPoints(const PeriodData& data, const std::vector<FoldedPoint>& folded,
                                  double period, const PhaseView& view);

// "+" and "-" of the phase margin: ±0.1 within [0, 1].
float ChangePhaseMargin(float margin, int direction);

// The phase read-out: a horizontal value moved into [0, 1].
double ReadoutPhase(double x);

struct ValueRange {
  double min = 0;
  double max = 0;
};
// The vertical range the picture fixes: the magnitudes widened by a 20th
// of their spread on each side. {0, 0} without points.
ValueRange VerticalRange(const std::vector<PlotPoint>& points);

struct MeanPoint {
  double x = 0;
  double y = 0;
};
// "Promedio:": running mean of 2w - 1 plotted points in x order; the first
// and last w - 1 points get none.
std::vector<MeanPoint> RunningMean(const std::vector<PlotPoint>& points, int halfWidth);

// "Automático" of "Ajuste vertical": each series in turn, the others held,
// shifted by steps of `step` magnitudes to the lowest dispersion. A window
// of 51 steps moves by 20 while the best lies on its edge, at most
// kMaxOffsetShifts times per series. Nothing happens for period <= 0 or a
// step that is not > 0.
inline constexpr int kMaxOffsetShifts = 50;
void AdjustSeriesOffsets(PeriodData& data, MagnitudeMode mode, double period, double step);

// "Borra punto": marks deleted every observation within 0.000001 d of `time`.
// Returns how many.
int DeletePointsAt(PeriodData& data, double time);
// "Auto": deletes the points further than 0.02 mag from the mean of their
// 11 neighbours in x order. Returns how many observations were marked.
int AutoDeletePoints(PeriodData& data, const std::vector<PlotPoint>& points);
// "Deshacer" beside "Auto".
void RestoreDeletedPoints(PeriodData& data);

}  // namespace lumenda
