#include "run/run_state.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "astro/time.h"
#include "run/results_format.h"
#include "run/star_marking.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace rf = results;

// --- Image list ---------------------------------------------------------------

void SetImageList(RunState& state, std::vector<ImageListItem> images) {
  state.images = std::move(images);
  state.stars = {};
}

// --- Star lists ---------------------------------------------------------------

std::string StarCountText(const StarLists& stars) {
  return IntToStr(static_cast<long long>(stars.comparisons.size())) + " / " +
         IntToStr(static_cast<long long>(stars.variables.size()));
}

Status AddStar(StarLists& stars, StarRole role, double x, double y, std::string name) {
  // Kept as the list's text keeps it, so a run from the lists and a run from
  // a star file measure at the same places.
  StarEntry entry{EntryCoordinate(x), EntryCoordinate(y), std::move(name)};
  (role == StarRole::kVariable ? stars.variables : stars.comparisons).push_back(std::move(entry));
  return Status::Ok();
}

void RemoveStar(StarLists& stars, StarRole role, size_t index) {
  auto& list = role == StarRole::kVariable ? stars.variables : stars.comparisons;
  if (index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

Status SaveStarFile(const std::string& path, const StarLists& stars) {
  return WriteStarFile(path, stars);
}

void RelocateStarFile(const TPlaca& image, const ApertureSettings& aperture,
                      const std::vector<std::string>& starFileLines, const PositionMap& map,
                      StarLists& stars) {
  std::vector<std::string> lbVar, lbCali;
  RelocateStarFile(image, aperture, starFileLines, map, lbVar, lbCali);
  stars.variables = ParseStarEntries(lbVar);
  stars.comparisons = ParseStarEntries(lbCali);
}

ApertureSettings ApertureFrom(const Settings& settings) {
  return RunSettingsFrom(settings).aperture;
}

StarSearch StarSearchFrom(const Settings& settings) {
  const RunSettings run = RunSettingsFrom(settings);
  StarSearch search;
  search.minCounts = run.minAdu;
  search.saturation = run.lsat;
  search.minSnr = ParseDouble(settings.minRsr).value_or(search.minSnr);
  return search;
}

int AddFieldStars(StarLists& stars, const FoundStars& found, const TPlaca& image,
                  const ApertureSettings& aperture) {
  std::vector<std::string> lines;
  lines.reserve(found.stars.size());
  for (const StarFit& fit : found.stars) lines.push_back(FormatStarLine(fit));
  std::vector<std::string> lbVar = StarEntryTexts(stars.variables);
  const int added = AddAutoStars(
      lines, image.Width(), image.Height(), aperture.flipX, aperture.flipY,
      [&](Point p) { return InsideMargin(image, aperture, p.x, p.y); }, lbVar,
      StarEntryTexts(stars.comparisons));
  stars.variables = ParseStarEntries(lbVar);
  return added;
}

// --- The run -------------------------------------------------------------------

RunJob MakeRunJob(const RunState& state, const Settings& settings, const std::string& appDir) {
  RunJob job;
  job.ListaFotos = state.images;
  job.stars = state.stars;
  job.PrimeraSerie = state.firstSeries;
  job.field = state.field;
  job.settings = RunSettingsFrom(settings);
  job.instrumentalPath = appDir + rf::kInstrumentalFileName;
  job.starsPath = appDir + rf::kStarsFileName;
  return job;
}

Result<RunResult> ProcessImages(RunJob job, int sensitivity, std::stop_token stop,
                                const Progress& progress) {
  using Out = Result<RunResult>;
  const auto total = static_cast<long long>(job.ListaFotos.size());
  ProcesoOutcome out = Proceso(job, stop, progress, sensitivity);
  if (!out.status.ok()) return Out::FailWith(out.status);
  RunResult result;
  result.stars = std::move(job.stars);
  result.results = std::move(out.tables);
  result.images = std::move(out.ListaFotos);
  result.linearity = std::move(out.run.linearity);
  result.rowsWritten = out.run.rowsWritten;
  if (out.run.aborted) result.stopped = Status::Fail(out.run.abortText, FailureKind::kAbort);
  Report(progress, {ProgressLine::kOverall, total, total, 0, "Finalizado"});
  return Out::Ok(std::move(result));
}

void ApplyRun(RunState& state, RunResult result) {
  state.stars = std::move(result.stars);
  state.results = std::move(result.results);
  state.images = std::move(result.images);
  state.lastImage = state.images.empty() ? ImageListItem{} : state.images.back();
  state.linearity = std::move(result.linearity);
}

void ApplyRecovery(RunState& state, RecoverOutcome outcome) {
  state.images = std::move(outcome.ListaFotos);
  state.results = std::move(outcome.tables);
}

}  // namespace lumenda
