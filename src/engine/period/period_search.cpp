#include "period/period_search.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "text/number_format.h"

namespace lumenda {

std::optional<int> IncrementIndexOf(std::string_view text) {
  for (int i = 0; i < static_cast<int>(std::size(kIncrementTexts)); ++i) {
    if (text == kIncrementTexts[i]) return i;
  }
  return std::nullopt;
}

std::vector<double> TrialPeriods(double minPeriod, double maxPeriod, double increment) {
  std::vector<double> periods;
  if (!(minPeriod > 0) || !(increment > 0)) return periods;
  double p = minPeriod;
  do {
    periods.push_back(p);
    p *= 1 + increment;
  } while (p <= maxPeriod);
  return periods;
}

std::optional<int> CountTrialPeriods(std::string_view minText, std::string_view maxText,
                                     double increment) {
  std::optional<double> minimum = ParseDouble(minText);
  std::optional<double> maximum = ParseDouble(maxText);
  if (!minimum || !maximum || *minimum < 0.01 || *maximum < 0.01 || *maximum > kMaxPeriod)
    return std::nullopt;
  return static_cast<int>(TrialPeriods(*minimum, *maximum, increment).size());
}

namespace {
RangeCheck Refuse(RangeField field, const char* text) {
  return {Status::Fail(text, FailureKind::kRefusal), field};
}
}  // namespace

RangeCheck CheckPeriodRange(std::string_view minText, std::string_view maxText) {
  std::optional<double> minimum = ParseDouble(minText);
  std::optional<double> maximum = ParseDouble(maxText);
  if (!minimum || *minimum < 0.01) {
    return Refuse(RangeField::kMinimum, "El periodo mínimo debe ser mayor que 0.");
  }
  if (!maximum || *maximum < 0.01) {
    return Refuse(RangeField::kMaximum, "El periodo máximo debe ser mayor que 0.");
  }
  if (*maximum > kMaxPeriod) {
    return Refuse(RangeField::kMaximum, "El periodo máximo no puede ser mayor que 99.99.");
  }
  if (*maximum <= *minimum) {
    return Refuse(RangeField::kMinimum, "El periodo máximo debe ser mayor que el mínimo.");
  }
  return {};
}

Result<Periodogram> GridSearch(const PeriodData& data, MagnitudeMode mode,
                               const std::vector<double>& periods, std::stop_token stop,
                               const Progress& progress, unsigned threads) {
  const size_t total = periods.size();
  std::vector<DispersionResult> results(total);
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(total, 1)));
  const auto report = [&](size_t finished, size_t last) {
    if (!progress) return;
    progress({ProgressLine::kOverall, static_cast<long long>(finished),
              static_cast<long long>(total), periods[last], FormatFloat("0.00000", periods[last])});
  };

  // Trials are independent: each thread takes small chunks in turn and
  // writes into its trials' own slots, so the order is the trial order. A
  // stop is seen at the next chunk.
  constexpr size_t kChunk = 8;
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0};
  auto work = [&](bool reporter) {
    FoldWorkspace workspace(data, mode);
    for (;;) {
      if (stop.stop_requested()) break;
      const size_t begin = next.fetch_add(kChunk);
      if (begin >= total) break;
      const size_t end = std::min(total, begin + kChunk);
      for (size_t i = begin; i < end; ++i) results[i] = workspace.Evaluate(periods[i]);
      const size_t finished = done.fetch_add(end - begin) + (end - begin);
      if (reporter) report(finished, end - 1);
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work, false);
  work(true);
  for (std::thread& thread : pool) thread.join();
  if (done.load() < total) return Result<Periodogram>::Stopped();
  if (total > 0) report(total, total - 1);

  Periodogram periodogram;
  for (size_t i = 0; i < total; ++i) {
    if (results[i].valid) periodogram.push_back({periods[i], results[i].value});
  }
  return Result<Periodogram>::Ok(std::move(periodogram));
}

Status PrepareSearch(PeriodData& data, SearchState& state) {
  if (data.Empty()) return Status::Fail("No hay observaciones.");
  // Align the nights on their means while keeping the overall level; doing
  // it twice changes nothing.
  double sum = 0;
  for (const ObservationPoint& point : data.Observations) sum += point.Magnitude;
  const double mean = sum / static_cast<double>(data.Observations.size());
  for (ObservationPoint& point : data.Observations) point.Magnitude = point.CentredMagnitude + mean;

  if (state.SearchPending) state.MaxPeriod = data.TimeSpan();
  if (state.MaxPeriod < 0.02) return Status::Fail("Datos insuficuentes");
  if (state.MaxPeriod > kMaxPeriod) state.MaxPeriod = kMaxPeriod;
  return Status::Ok();
}

std::string MinPeriodText(const SearchState& state) {
  return FormatFloat("0.00", state.MinPeriod);
}
std::string MaxPeriodText(const SearchState& state) {
  return FormatFloat("00.00", state.MaxPeriod);
}

void ApplyRange(SearchState& state, std::string_view minText, std::string_view maxText,
                int incrementIndex) {
  if (minText != MinPeriodText(state) || maxText != MaxPeriodText(state) ||
      incrementIndex != state.IncrementIndex) {
    state.SearchPending = true;
  }
  state.MinPeriod = ParseDouble(minText).value_or(state.MinPeriod);
  state.MaxPeriod = ParseDouble(maxText).value_or(state.MaxPeriod);
  state.IncrementIndex = incrementIndex;
}

Status FinishSearch(const PeriodData& data, SearchState& state, MagnitudeMode mode,
                    std::stop_token stop, const Progress& progress, unsigned threads) {
  if (state.SearchPending) {
    const int index = std::clamp(state.IncrementIndex, 0, 5);
    Result<Periodogram> found =
        GridSearch(data, mode, TrialPeriods(state.MinPeriod, state.MaxPeriod, kIncrements[index]),
                   stop, progress, threads);
    if (!found.ok()) return Status::FailWith(found);
    state.Result = std::move(found.value);
    state.SearchPending = false;
  }
  if (state.Result.size() < 3) return Status::Fail("Datos insuficientes.");
  return Status::Ok();
}

Status RunPeriodSearch(PeriodData& data, SearchState& state, MagnitudeMode mode,
                       const std::optional<std::string>& minText,
                       const std::optional<std::string>& maxText, int incrementIndex,
                       std::stop_token stop, const Progress& progress, unsigned threads) {
  Status prepared = PrepareSearch(data, state);
  if (!prepared.ok()) return prepared;
  const std::string minimum = minText.value_or(MinPeriodText(state));
  const std::string maximum = maxText.value_or(MaxPeriodText(state));
  if (RangeCheck range = CheckPeriodRange(minimum, maximum); !range.status.ok())
    return range.status;
  if (incrementIndex < 0 || incrementIndex >= static_cast<int>(std::size(kIncrements))) {
    return Status::Fail("Incremento no válido.");
  }
  ApplyRange(state, minimum, maximum, incrementIndex);
  return FinishSearch(data, state, mode, stop, progress, threads);
}

Periodogram DeepestMinima(const Periodogram& periodogram, size_t count) {
  Periodogram minima;
  const size_t n = periodogram.size();
  for (size_t i = 1; i + 1 < n; ++i) {
    // Strict on the left, so a flat bottom is listed once.
    if (periodogram[i].Dispersion < periodogram[i - 1].Dispersion &&
        periodogram[i].Dispersion <= periodogram[i + 1].Dispersion) {
      minima.push_back(periodogram[i]);
    }
  }
  if (minima.empty() && n > 0) {
    // A curve without a dip still has a deepest point.
    minima.push_back(*std::min_element(periodogram.begin(), periodogram.end(),
                                       [](const PeriodogramPoint& a, const PeriodogramPoint& b) {
                                         return a.Dispersion < b.Dispersion;
                                       }));
  }
  std::stable_sort(minima.begin(), minima.end(),
                   [](const PeriodogramPoint& a, const PeriodogramPoint& b) {
                     return a.Dispersion < b.Dispersion;
                   });
  if (minima.size() > count) minima.resize(count);
  return minima;
}

Refinement RefinePeriod(const PeriodData& data, MagnitudeMode mode, double period,
                        std::optional<double> current) {
  Refinement best{period, current.value_or(100.0)};
  FoldWorkspace workspace(data, mode);
  for (int k = -100; k <= 100; ++k) {
    const double trial = period + k * 0.00001;
    // Near a tiny period the scan would reach zero or below: nothing to fold.
    if (!(trial > 0)) continue;
    DispersionResult result = workspace.Evaluate(trial);
    if (result.valid && result.value < best.value) best = {trial, result.value};
  }
  return best;
}

Result<double> CheckManualPeriod(const PeriodData& data, std::string_view text) {
  if (data.Empty()) return Result<double>::Fail("No hay observaciones.");
  std::optional<double> period = ParseDouble(text);
  if (!period) {
    // Built by appending: GCC 12 warns falsely on a literal + string temporary.
    std::string message = "\"";
    message.append(text).append("\" no es un valor numérico válido.");
    return Result<double>::Fail(message);
  }
  if (*period < 0.001) {
    return Result<double>::Fail("El periodo manual no puede ser inferior a 0.001");
  }
  // What the manual edit holds ("00.00000"), as it is shown.
  if (ParseDouble(FormatFloat("0.00000", *period)).value_or(*period) > 99.99999) {
    return Result<double>::Fail("El periodo manual no puede ser superior a 99.99999");
  }
  return Result<double>::Ok(*period);
}

namespace {
// The step lives in a label as text, so it is always the shortest text form.
double ThroughText(double step) {
  return ParseDouble(FloatToStr(step)).value_or(step);
}
std::optional<double> PeriodThroughText(double period) {
  double shown = ParseDouble(FormatFloat("0.000000", period)).value_or(period);
  if (!(shown > 0)) return std::nullopt;
  return shown;
}
}  // namespace

double StepUp(double step) {
  return step < 10 ? ThroughText(step * 10) : step;
}
double StepDown(double step) {
  return step > 0.00001 ? ThroughText(step / 10) : step;
}
std::string StepText(double step) {
  std::string text = "(";
  return text.append(FloatToStr(step)).append(")");
}

std::optional<double> StepRight(double period, double step) {
  return PeriodThroughText(period + step);
}

std::optional<double> StepLeft(double period, double step) {
  if (!(period - step > 0)) return std::nullopt;
  return PeriodThroughText(period - step);
}

std::string DispersionText(const DispersionResult& result, std::string_view invalidText) {
  return result.valid ? FormatFloat("0.00000", result.value) : std::string(invalidText);
}

}  // namespace lumenda
