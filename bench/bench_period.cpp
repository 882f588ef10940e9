// Speed of the period search: the default search (0.1 d to the span, relative
// step 0.001) on observations spread over 10 nights.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "period/fold.h"
#include "period/period_search.h"
#include "text/number_format.h"

namespace {

using namespace lumenda;

// Ten nights one day apart, 0.35 d each, a pulsating star of 0.3127 d with
// a zero point of its own every night.
PeriodData TenNights(int points) {
  PeriodData data;
  uint64_t state = 88172645463325252ULL;
  auto uniform = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
  };
  const int perNight = points / 10;
  for (int night = 0; night < 10; ++night) {
    const double offset = 0.05 * (night % 3) - 0.05;
    std::vector<ObservationPoint> points;
    double sum = 0;
    for (int i = 0; i < perNight; ++i) {
      ObservationPoint p;
      p.Time = 2459000.3 + night + 0.35 * (i + uniform()) / perNight;
      const double phase = std::fmod((p.Time - 2459000.3) / 0.3127, 1.0);
      p.Magnitude = 12 + 0.4 * (phase < 0.2 ? 1 - 10 * phase : -1 + 2.5 * (phase - 0.2)) + offset +
                    0.01 * (uniform() - 0.5);
      p.Series = night;
      sum += p.Magnitude;
      points.push_back(p);
    }
    for (ObservationPoint& p : points) {
      p.CentredMagnitude = p.Magnitude - sum / perNight;
      data.Observations.push_back(p);
    }
  }
  data.SeriesOffsets.assign(10, 0.0);
  SortByTime(data.Observations);
  return data;
}

// The trial periods of the default search, as the range dialog makes them.
std::vector<double> DefaultTrials(const PeriodData& data) {
  SearchState search;
  PeriodData copy = data;
  if (!PrepareSearch(copy, search).ok()) return {};
  const double max = ParseDouble(MaxPeriodText(search)).value_or(1);
  return TrialPeriods(kDefaultMinPeriod, max, kIncrements[kDialogIncrementIndex]);
}

void BM_DefaultSearch(benchmark::State& state) {
  const PeriodData data = TenNights(static_cast<int>(state.range(0)));
  const std::vector<double> trials = DefaultTrials(data);
  const unsigned threads = static_cast<unsigned>(state.range(1));
  size_t valid = 0;
  for (auto _ : state) {
    Result<Periodogram> result =
        GridSearch(data, MagnitudeMode::kRelative, trials, {}, {}, threads);
    valid = result.value.size();
    benchmark::DoNotOptimize(result.value.data());
  }
  state.counters["trials"] = static_cast<double>(trials.size());
  state.counters["valid"] = static_cast<double>(valid);
  state.counters["per_trial"] = benchmark::Counter(
      static_cast<double>(trials.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// Second argument: threads (0 = one per core, 1 = sequential).
BENCHMARK(BM_DefaultSearch)
    ->Args({2000, 0})
    ->Args({20000, 0})
    ->Args({2000, 1})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One trial (fold, sort, statistic) against the number of points.
void BM_OneTrial(benchmark::State& state) {
  const PeriodData data = TenNights(static_cast<int>(state.range(0)));
  FoldWorkspace workspace(data, MagnitudeMode::kRelative);
  double period = 0.1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(workspace.Evaluate(period));
    period = period < 9 ? period * 1.001 : 0.1;
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OneTrial)
    ->RangeMultiplier(10)
    ->Range(2000, 200000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace

BENCHMARK_MAIN();
