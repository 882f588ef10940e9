// lumenda-cli periodo: the period search over observation files (one series
// per file), or the dispersion at one period; lumenda-cli efemerides: the
// times of a phase between two dates.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_support.h"
#include "commands.h"
#include "period/ephemeris.h"
#include "period/fold.h"
#include "period/observations.h"
#include "period/period_file.h"
#include "period/period_search.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda::cli {
namespace {

struct PeriodOptions {
  std::vector<std::string> files;
  std::string min;
  std::string max;
  std::string increment = "0.001";
  bool absolute = false;
  std::string best = "5";
  std::string period;
  std::string save;
};

std::string NotANumber(const std::string& text) {
  std::string message = "\"";
  return message.append(text).append("\" no es un valor numérico válido.");
}

// The period label shows five decimals, and the period is read back from it.
std::string PeriodLabel(double period) {
  return FormatFloat("0.00000", period);
}

void Save(const PeriodOptions& options, const PeriodData& data, const std::string& label) {
  if (options.save.empty()) return;
  Status saved = WritePeriodFile(options.save, data, label);
  if (!saved.ok()) Fail(saved.message);
}

void RunPeriod(const PeriodOptions& options) {
  const std::stop_token stop = InterruptToken();
  PeriodData data;
  Status loaded = LoadObservationFiles(options.files, data);
  if (!loaded.ok()) Fail(loaded.message);
  const MagnitudeMode mode = options.absolute ? MagnitudeMode::kAbsolute : MagnitudeMode::kRelative;

  if (!options.period.empty()) {
    Result<double> manual = CheckManualPeriod(data, options.period);
    if (!manual.ok()) Fail(manual.message);
    const std::string label = PeriodLabel(manual.value);
    const double period = ParseDouble(label).value_or(manual.value);
    DispersionResult result = PhaseDispersion(Fold(data, period, mode), period);
    std::cout << label << " " << DispersionText(result) << "\n";
    Save(options, data, label);
    return;
  }

  const std::optional<long long> best = ParseInt(options.best);
  if (!best || *best < 1) Fail("--mejores debe ser un número entero mayor que 0.");
  const std::optional<int> increment = IncrementIndexOf(Trim(options.increment));
  if (!increment) {
    Fail("Incremento no válido: " + options.increment +
         " (valores: 1, 0.1, 0.01, 0.001, 0.0001, 0.00001).");
  }

  SearchState state;
  // Without --min or --max the range is what the range dialog proposes: 0.10
  // and the span of the data.
  auto text = [](const std::string& option) {
    return option.empty() ? std::nullopt : std::optional<std::string>(Trim(option));
  };
  Status searched =
      RunPeriodSearch(data, state, mode, text(options.min), text(options.max), *increment, stop);
  if (!searched.ok()) Fail(searched);

  const Periodogram minima = DeepestMinima(state.Result, static_cast<size_t>(*best));
  for (const PeriodogramPoint& point : minima) {
    std::cout << PeriodLabel(point.Period) << " " << FormatFloat("0.00000", point.Dispersion)
              << "\n";
  }
  // Picking the deepest dip shows its period and dispersion; the refinement
  // starts from what is shown.
  const double picked = ParseDouble(PeriodLabel(minima.front().Period)).value_or(0);
  const std::string shown = DispersionText(PhaseDispersion(Fold(data, picked, mode), picked));
  const Refinement refined = RefinePeriod(data, mode, picked, ParseDouble(shown));
  const std::string label = PeriodLabel(refined.period);
  std::cout << "MEJOR " << label << " " << FormatFloat("0.00000", refined.value) << "\n";
  Save(options, data, label);
}

struct EphemerisOptions {
  std::string epoch;
  std::string period;
  std::string phase = "0";
  std::string from;
  std::string to;
  std::string name;
};

void RunEphemeris(const EphemerisOptions& options) {
  EphemerisInput input;
  input.starName = options.name;
  // The window shows the epoch with five decimals and the phase with three.
  const std::optional<double> epoch = ParseDouble(options.epoch);
  if (!epoch) Fail(NotANumber(options.epoch));
  input.epochText = FormatFloat("0.00000", *epoch);
  const std::optional<double> phase = ParseDouble(options.phase);
  if (!phase) Fail(NotANumber(options.phase));
  input.phaseText = FormatFloat("0.000", *phase);
  input.periodText = Trim(options.period);
  input.startText = options.from;
  input.endText = options.to;
  // A long list goes out as it is computed; refusals come before any line.
  const EphemerisResult result =
      ComputeEphemeris(input, [](const std::string& line) { std::cout << line << "\n"; });
  if (!result.ok()) Fail(result.message);
}

}  // namespace

void AddPeriodCommands(CLI::App& app) {
  auto period = std::make_shared<PeriodOptions>();
  CLI::App* search = app.add_subcommand("periodo", "Búsqueda de periodo por dispersión de fases");
  search->add_option("ficheros", period->files, "Ficheros de observaciones (uno por noche)")
      ->required();
  search->add_option("--min", period->min, "Periodo mínimo en días (0.10)");
  search->add_option("--max", period->max, "Periodo máximo en días (el intervalo de los datos)");
  search->add_option("--incremento", period->increment,
                     "Incremento relativo: 1, 0.1, 0.01, 0.001, 0.0001 o 0.00001");
  search->add_flag("--absoluta", period->absolute, "Magnitud absoluta en vez de relativa");
  search->add_option("--mejores", period->best, "Mínimos del periodograma que se listan (5)");
  search->add_option("--periodo", period->period, "Sin búsqueda: dispersión con este periodo");
  search->add_option("--guardar", period->save, "Fichero de periodo (*.per) que se escribe");
  search->callback([period] { RunPeriod(*period); });

  auto ephemeris = std::make_shared<EphemerisOptions>();
  CLI::App* list = app.add_subcommand("efemerides", "Horas de una fase entre dos fechas");
  list->add_option("--epoca", ephemeris->epoch, "Fecha juliana de la fase 0")->required();
  list->add_option("--periodo", ephemeris->period, "Periodo en días")->required();
  list->add_option("--fase", ephemeris->phase, "Fase buscada (0)");
  list->add_option("--desde", ephemeris->from, "Fecha inicial dd/mm/aaaa")->required();
  list->add_option("--hasta", ephemeris->to, "Fecha final dd/mm/aaaa")->required();
  list->add_option("--nombre", ephemeris->name, "Nombre de la estrella (primera línea)");
  list->callback([ephemeris] { RunEphemeris(*ephemeris); });
}

}  // namespace lumenda::cli
