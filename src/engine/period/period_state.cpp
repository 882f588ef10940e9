#include "period/period_state.h"

#include <algorithm>
#include <iterator>

#include "text/number_format.h"

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
  if (stop.stop_requested()) return Result<Periodogram>::Stopped();
  const auto report = [&](size_t done, size_t total) {
    if (!progress || done == 0 || job.periods.empty()) return;
    const double period = job.periods[std::min(done, job.periods.size()) - 1];
    progress({ProgressLine::kOverall, static_cast<long long>(done), static_cast<long long>(total),
              period, FormatFloat("0.00000", period)});
  };
  Periodogram found = GridSearch(job.data, job.mode, job.periods, threads, report, stop);
  if (stop.stop_requested()) return Result<Periodogram>::Stopped();
  return Result<Periodogram>::Ok(std::move(found));
}

Status ApplySearch(PeriodState& state, const PeriodSearchJob& job, Periodogram periodogram) {
  if (!job.periods.empty()) {
    state.search.Result = std::move(periodogram);
    state.search.SearchPending = false;
  }
  return FinishSearch(state.data, state.search, state.mode);
}

}  // namespace lumenda
