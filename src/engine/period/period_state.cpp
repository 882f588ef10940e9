#include "period/period_state.h"

#include <algorithm>
#include <iterator>


namespace lumenda {

PeriodSearchJob MakeSearchJob(const PeriodState& state) {
  PeriodSearchJob job;
  job.data = state.data;
  job.mode = state.mode;
  if (state.search.SearchPending) {
    const int index =
        std::clamp(state.search.IncrementIndex, 0, static_cast<int>(std::size(kIncrements)) - 1);
    job.periods = TrialPeriods(state.search.MinPeriod, state.search.MaxPeriod, kIncrements[index]);
  }
  return job;
}

Result<Periodogram> SearchPeriods(const PeriodSearchJob& job, std::stop_token stop,
                                  const Progress& progress, unsigned threads) {
  return GridSearch(job.data, job.mode, job.periods, std::move(stop), progress, threads);
}

Status ApplySearch(PeriodState& state, const PeriodSearchJob& job, Periodogram periodogram) {
  if (!job.periods.empty()) {
    state.search.Result = std::move(periodogram);
    state.search.SearchPending = false;
  }
  return FinishSearch(state.data, state.search, state.mode);
}

}  // namespace lumenda
