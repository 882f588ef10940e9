// The period window's operations on the session's period state. Each call
// changes the state as the window's control does and leaves in it what the
// labels show (the period, the dispersion, the step, the title); the window
// draws what `MakePhasePicture` gives and keeps nothing of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "period/ephemeris.h"
#include "period/period_chart.h"
#include "period/period_results.h"
#include "period/period_state.h"
#include "period/phase_diagram.h"
#include "text/result.h"

namespace lumenda {

// What the "Periodo:" label shows before any period exists.
inline constexpr char kNoPeriodText[] = "---";

// The period of the "Periodo:" label; nullopt while it shows none (it starts
// with "-") or holds no positive number.
std::optional<double> CurrentPeriod(const PeriodState& state);

// The light curve (days view) or phase picture at the current period.
struct PhasePicture {
  std::vector<PlotPoint> points;  // Series1, copies included
  std::vector<MeanPoint> mean;    // Series3; empty without "Promedio:"
  ChartRange range;
  std::string title;  // StarName + ResultTitle
};
// `meanHalfWidth` 0: no running mean. Empty without a period or points.
PhasePicture MakePhasePicture(const PeriodState& state, int meanHalfWidth);

// Folds on the current period and puts the dispersion in the "Desv. est:"
// text: "0.00000" when valid, `invalidText` otherwise.
DispersionResult ShowDispersion(PeriodState& state, std::string_view invalidText = "---");

// "Abre observaciones...": the files as series. On success the period label
// holds the time span, the view is the light curve in relative magnitudes
// and a search is pending; on failure the analysis is left empty.
Status OpenObservations(PeriodState& state, const std::vector<std::string>& paths);

// "Cálculo de periodo...", interface half: the nights aligned and the
// longest period checked before the range dialog (`ApplyRange` takes what
// it closes with). The search itself runs on `MakeSearchJob` /
// `SearchPeriods` (worker) and ends with `ApplySearch`, then
// `ShowPeriodogram` (light-curve view left, periodogram shown) when that
// succeeded; a search stopped or refused leaves the picture as it was.
// New observations or a period data file forget the periodogram.
Status BeginSearch(PeriodState& state);
void ShowPeriodogram(PeriodState& state);
// The window becoming active: the range dialog proposes 0.10 again and the
// next search runs unless the increment chosen is the window's.
void ResetSearchRange(PeriodState& state);

// A period picked on the periodogram or in the list of dips: the folded
// picture at that period, phase origin 0.
void PickPeriod(PeriodState& state, double period);
// "Automático" of "Ajuste de periodo".
void RefineCurrentPeriod(PeriodState& state);
// "Manual": the period typed, or the refusal (nothing changed).
Status SetManualPeriod(PeriodState& state, std::string_view text);

// Arrow keys: Up and Down change the step, Right and Left move the period
// by it (the title loses its result). False when the period stayed.
void ChangeStep(PeriodState& state, bool up);
bool StepPeriod(PeriodState& state, bool right);

// "Magnitud absoluta" / "Magnitud relativa".
void SetMagnitudeMode(PeriodState& state, MagnitudeMode mode);

// "Fases": entering or leaving phase view (leaving resets the origin).
void SetPhaseView(PeriodState& state, bool enabled);
// "+" and "-" of the phase margin.
void ChangeMargin(PeriodState& state, int direction);

// The offsets by hand: the arrows and "Deshacer" of "Ajuste vertical".
void ShiftSeriesOffset(PeriodState& state, int series, double delta);
void ClearSeriesOffsets(PeriodState& state);
// "Automático" of "Ajuste vertical": steps of a thousandth of the picture's
// vertical range.
void AdjustOffsets(PeriodState& state);

// "Borra punto" on a plotted point (the dispersion label stays), "Auto" and
// its "Deshacer" (the label shows the new dispersion, "---" when invalid).
int DeletePointAt(PeriodState& state, double time);
int AutoDelete(PeriodState& state, const std::vector<PlotPoint>& points);
void RestoreDeleted(PeriodState& state);

// "Origen": the clicked phase becomes phase 0 and the title states the
// result. `chartWidth` is the horizontal axis in pixels.
PhaseOriginResult SetOrigin(PeriodState& state, double readoutPhase, int chartWidth);

// "Cambia": the name typed, cut to 20 characters.
void RenameStar(PeriodState& state, std::string_view name);

// What the ephemeris window opens with for a click at `readoutPhase` (the
// dates are the ephemeris window's own).
EphemerisInput EphemerisFor(const PeriodState& state, double readoutPhase);

// "Informe": the report of the current picture; empty when no point qualifies.
std::vector<std::string> ReportOf(const PeriodState& state, const PhasePicture& picture);

// "Guarda datos..." and "Recupera datos...". A file read back replaces the
// analysis whole: its period and dispersion ("---" when invalid), the
// light-curve view, a pending search and the step 1E-5; a damaged file
// changes nothing.
Status SavePeriodData(const PeriodState& state, const std::string& path);
Status RecoverPeriodData(PeriodState& state, const std::string& path);

}  // namespace lumenda
