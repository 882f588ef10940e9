// The period search: the range dialog, the geometric grid of trial periods
// evaluated in parallel, the periodogram, and the ways the period is changed
// afterwards (refinement, manual entry, arrow-key steps).
#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "period/fold.h"
#include "period/observations.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

struct PeriodogramPoint {
  double Period = 0;      // days
  double Dispersion = 0;  // magnitudes
};
using Periodogram = std::vector<PeriodogramPoint>;

// The increments of the range dialog, index 0 to 5; the dialog selects
// "0.001" at first, while the window starts from index 2 so that its first
// search always runs.
inline constexpr double kIncrements[] = {1, 0.1, 0.01, 0.001, 0.0001, 0.00001};
inline constexpr const char* kIncrementTexts[] = {"1", "0.1", "0.01", "0.001", "0.0001", "0.00001"};
inline constexpr int kDialogIncrementIndex = 3;
inline constexpr int kWindowIncrementIndex = 2;
inline constexpr double kDefaultMinPeriod = 0.1;
// Index of an increment text of the list, or nullopt.
std::optional<int> IncrementIndexOf(std::string_view text);

// Number of trial periods ("Ciclos:"): nullopt when a field does not convert,
// is below 0.01 or the maximum is above kMaxPeriod (the label keeps its count
// then).
std::optional<int> CountTrialPeriods(std::string_view minText, std::string_view maxText,
                                     double increment);

enum class RangeField { kNone, kMinimum, kMaximum };
// A refusal names the field to correct.
struct RangeCheck {
  Status status;
  RangeField focus = RangeField::kNone;
};
// The refusals of "Aceptar", first failing check first.
RangeCheck CheckPeriodRange(std::string_view minText, std::string_view maxText);

// The geometric grid: min, min(1+inc), min(1+inc)^2 ... while <= max, built
// by repeated multiplication as the dialog counts it.
std::vector<double> TrialPeriods(double minPeriod, double maxPeriod, double increment);

// Evaluates every trial, spread over `threads` threads (0: one per core),
// and returns the valid ones in trial order; the result does not depend on
// the thread count. Progress, on the calling thread from time to time:
// kOverall with the trials done and in all, the period of the latest one in
// `value` and in `text` ("0.00000"). A stop is seen within a few trials.
Result<Periodogram> GridSearch(const PeriodData& data, MagnitudeMode mode,
                               const std::vector<double>& periods, std::stop_token stop = {},
                               const Progress& progress = {}, unsigned threads = 0);

// The longest trial period: what the range dialog's "00.00" holds.
inline constexpr double kMaxPeriod = 99.99;

// The search state the period window keeps between searches.
struct SearchState {
  bool SearchPending = true;
  double MinPeriod = kDefaultMinPeriod;
  double MaxPeriod = 1.0;
  int IncrementIndex = kWindowIncrementIndex;
  Periodogram Result;
};

// Steps 1-3 of "Cálculo de periodo...": aligns the nights on their means,
// takes the span as the maximum after a data change and checks it.
Status PrepareSearch(PeriodData& data, SearchState& state);
// Texts the range dialog opens with.
std::string MinPeriodText(const SearchState& state);  // "0.00"
std::string MaxPeriodText(const SearchState& state);  // "00.00"
// What the dialog hands back when it closes (texts already checked).
void ApplyRange(SearchState& state, std::string_view minText, std::string_view maxText,
                int incrementIndex);
// Runs the grid when pending, then needs 3 valid trials ("Datos insuficientes.").
// A stopped grid leaves the state as it was.
Status FinishSearch(const PeriodData& data, SearchState& state, MagnitudeMode mode,
                    std::stop_token stop = {}, const Progress& progress = {}, unsigned threads = 0);

// "Cálculo de periodo..." without the dialog: PrepareSearch, the range texts
// (nullopt: what the dialog proposes) checked as "Aceptar" checks them,
// ApplyRange and FinishSearch. The first refusal is the message.
Status RunPeriodSearch(PeriodData& data, SearchState& state, MagnitudeMode mode,
                       const std::optional<std::string>& minText,
                       const std::optional<std::string>& maxText, int incrementIndex,
                       std::stop_token stop = {}, const Progress& progress = {},
                       unsigned threads = 0);

// Local minima of the periodogram, deepest first (ties: shorter period),
// at most `count`.
Periodogram DeepestMinima(const Periodogram& periodogram, size_t count);

// "Automático" of "Ajuste de periodo": ±0.001 d around `period` in steps of
// 0.00001, keeping a trial only when strictly better than `current` (100
// when the display shows no number). Trials at or below 0 are skipped.
struct Refinement {
  double period = 0;
  double value = 0;
};
Refinement RefinePeriod(const PeriodData& data, MagnitudeMode mode, double period,
                        std::optional<double> current);

// "Manual": the period typed (0.001 to 99.99999, as its edit shows it), or
// the message.
Result<double> CheckManualPeriod(const PeriodData& data, std::string_view text);

// Arrow keys. Up and Down change the step (1E-5 to 10), Right and Left move
// the period by it; Left and Right give nullopt when the result is not > 0.
double StepUp(double step);
double StepDown(double step);
std::string StepText(double step);  // "(1E-5)"
std::optional<double> StepRight(double period, double step);
std::optional<double> StepLeft(double period, double step);

// The "Desv. est:" text of a dispersion: "0.00000", or `invalidText`.
std::string DispersionText(const DispersionResult& result, std::string_view invalidText = "---");

}  // namespace lumenda
