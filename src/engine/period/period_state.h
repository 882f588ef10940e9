// What the period-analysis windows share: the observations, the search and
// its periodogram, the current period and the phase view, with the search
// split into the half that runs on a worker thread and the half that keeps
// its outcome.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "period/observations.h"
#include "period/period_search.h"
#include "period/phase_diagram.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

struct PeriodState {
  PeriodData data;  // observations, series offsets, star name, time scale, observers
  SearchState search;
  MagnitudeMode mode = MagnitudeMode::kRelative;
  PhaseView view;
  std::string periodText;              // the current period as the "Periodo:" label shows it
  std::string dispersionText = "---";  // the "Desv. est:" label
  double step = 0.00001;               // PeriodStep of the arrow keys
  std::string resultTitle;
  bool periodogramMode = false;  // the chart shows the periodogram
};

// A search copied from the state, for a worker thread.
struct PeriodSearchJob {
  PeriodData data;
  MagnitudeMode mode = MagnitudeMode::kRelative;
  std::vector<double> periods;  // trials; empty when the last periodogram still holds
};
// After PrepareSearch and ApplyRange on `state.search`.
PeriodSearchJob MakeSearchJob(const PeriodState& state);

// Worker half: rates every trial period. Progress: kOverall with the trials
// done and in all, and the trial period in `value` and in `text` ("0.00000").
Result<Periodogram> SearchPeriods(const PeriodSearchJob& job, std::stop_token stop = {},
                                  const Progress& progress = {}, unsigned threads = 0);

// Interface half: keeps the periodogram of a job that had trials, then needs
// three rated trials ("Datos insuficientes.").
Status ApplySearch(PeriodState& state, const PeriodSearchJob& job, Periodogram periodogram);

}  // namespace lumenda
