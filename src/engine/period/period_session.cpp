#include "period/period_session.h"

#include <cmath>

#include "period/period_file.h"
#include "text/number_format.h"

namespace lumenda {

namespace {

// Five decimals on the label, as every pick and the refinement show it.
std::string PeriodText(double period) {
  return FormatFloat("0.00000", period);
}

}  // namespace

std::optional<double> CurrentPeriod(const PeriodState& state) {
  if (state.periodText.empty() || state.periodText.front() == '-') return std::nullopt;
  std::optional<double> period = ParseDouble(state.periodText);
  if (!period || !(*period > 0)) return std::nullopt;
  return period;
}

PhasePicture MakePhasePicture(const PeriodState& state, int meanHalfWidth) {
  PhasePicture picture;
  picture.title = state.data.StarName + state.resultTitle;
  const std::optional<double> period = CurrentPeriod(state);
  if (!period || state.data.Empty()) return picture;
  picture.points =
      PlotPoints(state.data, Fold(state.data, *period, state.mode), *period, state.view);
  if (meanHalfWidth > 0) picture.mean = RunningMean(picture.points, meanHalfWidth);
  const ValueRange vertical = VerticalRange(picture.points);
  const double margin = state.view.margin;
  picture.range = state.view.enabled ? ChartRange{-margin, 1 + margin, vertical.min, vertical.max}
                                     : ChartRange{0, *period, vertical.min, vertical.max};
  return picture;
}

DispersionResult ShowDispersion(PeriodState& state, std::string_view invalidText) {
  const std::optional<double> period = CurrentPeriod(state);
  DispersionResult result;
  if (period && !state.data.Empty()) {
    result = PhaseDispersion(Fold(state.data, *period, state.mode), *period);
  }
  state.dispersionText = DispersionText(result, invalidText);
  return result;
}

namespace {

// Leaving phase view puts the origin back at 0.
void LightCurveView(PeriodState& state) {
  state.view.enabled = false;
  state.view.origin = 0;
  state.periodogramMode = false;
}

}  // namespace

Status OpenObservations(PeriodState& state, const std::vector<std::string>& paths) {
  const Status loaded = LoadObservationFiles(paths, state.data);
  state.resultTitle.clear();
  state.mode = MagnitudeMode::kRelative;
  LightCurveView(state);
  if (!loaded.ok()) {
    state.periodText = kNoPeriodText;
    state.dispersionText = "---";
    return loaded;
  }
  state.search.SearchPending = true;
  state.search.Result.clear();
  state.periodText = PeriodText(state.data.TimeSpan());
  ShowDispersion(state);
  return Status::Ok();
}

Status BeginSearch(PeriodState& state) {
  return PrepareSearch(state.data, state.search);
}

void ShowPeriodogram(PeriodState& state) {
  LightCurveView(state);
  state.periodogramMode = true;
}

void ResetSearchRange(PeriodState& state) {
  state.search.MinPeriod = kDefaultMinPeriod;
  state.search.IncrementIndex = kWindowIncrementIndex;
}

void PickPeriod(PeriodState& state, double period) {
  state.periodText = PeriodText(period);
  state.periodogramMode = false;
  state.view.origin = 0;
  ShowDispersion(state);
}

void RefineCurrentPeriod(PeriodState& state) {
  const std::optional<double> period = CurrentPeriod(state);
  if (!period || state.data.Empty()) return;
  const Refinement best =
      RefinePeriod(state.data, state.mode, *period, ParseDouble(state.dispersionText));
  state.periodText = PeriodText(best.period);
  state.dispersionText = FormatFloat("0.00000", best.value);
}

Status SetManualPeriod(PeriodState& state, std::string_view text) {
  const Result<double> period = CheckManualPeriod(state.data, text);
  if (!period.ok()) return Status::FailWith(period);
  state.periodText = PeriodText(period.value);
  state.periodogramMode = false;
  ShowDispersion(state);
  return Status::Ok();
}

void ChangeStep(PeriodState& state, bool up) {
  state.step = up ? StepUp(state.step) : StepDown(state.step);
}

bool StepPeriod(PeriodState& state, bool right) {
  const std::optional<double> period = CurrentPeriod(state);
  if (!period) return false;
  const std::optional<double> moved =
      right ? StepRight(*period, state.step) : StepLeft(*period, state.step);
  if (!moved) return false;
  state.periodText = FormatFloat("0.000000", *moved);
  state.resultTitle.clear();
  state.periodogramMode = false;
  ShowDispersion(state);
  return true;
}

void SetMagnitudeMode(PeriodState& state, MagnitudeMode mode) {
  state.mode = mode;
  if (state.data.Empty()) return;
  state.search.SearchPending = true;
  ShowDispersion(state, "No calculado");
}

void SetPhaseView(PeriodState& state, bool enabled) {
  state.view.enabled = enabled;
  if (!enabled) state.view.origin = 0;
}

void ChangeMargin(PeriodState& state, int direction) {
  state.view.margin = ChangePhaseMargin(state.view.margin, direction);
}

void ShiftSeriesOffset(PeriodState& state, int series, double delta) {
  if (series < 0 || series >= state.data.SeriesCount()) return;
  state.data.SeriesOffsets[static_cast<size_t>(series)] += delta;
  ShowDispersion(state);
}

void ClearSeriesOffsets(PeriodState& state) {
  for (double& offset : state.data.SeriesOffsets) offset = 0;
  ShowDispersion(state);
}

void AdjustOffsets(PeriodState& state) {
  const std::optional<double> period = CurrentPeriod(state);
  if (!period) return;
  const ChartRange range = MakePhasePicture(state, 0).range;
  AdjustSeriesOffsets(state.data, state.mode, *period, (range.yMax - range.yMin) / 1000);
  ShowDispersion(state);
}

int DeletePointAt(PeriodState& state, double time) {
  return DeletePointsAt(state.data, time);
}

int AutoDelete(PeriodState& state, const std::vector<PlotPoint>& points) {
  const int deleted = AutoDeletePoints(state.data, points);
  ShowDispersion(state);
  return deleted;
}

void RestoreDeleted(PeriodState& state) {
  RestoreDeletedPoints(state.data);
  ShowDispersion(state);
}

PhaseOriginResult SetOrigin(PeriodState& state, double readoutPhase, int chartWidth) {
  PhaseOriginInput input;
  input.period = CurrentPeriod(state).value_or(0);
  input.readoutPhase = readoutPhase;
  input.phaseOrigin = state.view.origin;
  input.phaseMargin = state.view.margin;
  input.chartWidth = chartWidth;
  PhaseOriginResult result = SetPhaseOrigin(state.data, input);
  state.view.origin = result.phaseOrigin;
  state.resultTitle = result.resultTitle;
  return result;
}

void RenameStar(PeriodState& state, std::string_view name) {
  state.data.StarName = CutName(name);
}

EphemerisInput EphemerisFor(const PeriodState& state, double readoutPhase) {
  EphemerisInput input;
  input.starName = state.data.StarName;
  const double period = CurrentPeriod(state).value_or(0);
  input.epochText =
      FormatFloat("0.00000", EphemerisEpoch(state.data.FirstTime(), state.view.origin, period));
  input.periodText = state.periodText;
  input.phaseText = FormatFloat("0.000", ReadoutPhase(readoutPhase));
  return input;
}

std::vector<std::string> ReportOf(const PeriodState& state, const PhasePicture& picture) {
  return PeriodReport(state.data.StarName, picture.points, state.view.enabled);
}

Status SavePeriodData(const PeriodState& state, const std::string& path) {
  return WritePeriodFile(path, state.data, state.periodText);
}

Status RecoverPeriodData(PeriodState& state, const std::string& path) {
  Result<PeriodFileContent> content = ReadPeriodFile(path);
  if (!content.ok()) return Status::FailWith(content);
  state.data = std::move(content.value.data);
  state.periodText = content.value.periodText;
  LightCurveView(state);
  state.search.SearchPending = true;
  state.search.Result.clear();
  state.step = 0.00001;
  ShowDispersion(state);
  return Status::Ok();
}

}  // namespace lumenda
