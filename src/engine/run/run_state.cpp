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

namespace {

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::vector<std::string> EntryTexts(const std::vector<StarEntry>& stars) {
  std::vector<std::string> out;
  out.reserve(stars.size());
  for (const StarEntry& s : stars) out.push_back(StarEntryText(s));
  return out;
}

std::vector<StarEntry> ParseEntries(const std::vector<std::string>& entries) {
  std::vector<StarEntry> out;
  out.reserve(entries.size());
  for (const std::string& e : entries) out.push_back(ParseStarEntry(e));
  return out;
}

std::vector<ImageListItem> ParseItems(const std::vector<std::string>& lines) {
  std::vector<ImageListItem> out;
  out.reserve(lines.size());
  for (const std::string& line : lines) out.push_back(ImageListItem::FromText(line));
  return out;
}

}  // namespace

// --- Image list ---------------------------------------------------------------

std::string ImageListItem::Text() const {
  return date + " " + path;
}

std::string ImageListItem::FileName() const {
  return std::filesystem::path(path).filename().string();
}

ImageListItem ImageListItem::FromText(std::string_view line) {
  return ImageListItem{std::string(Field(line, rf::kImageDate)),
                       std::string(FieldFrom(line, rf::kImagePath))};
}

void InsertSorted(std::vector<ImageListItem>& list, ImageListItem item) {
  const std::string text = item.Text();
  const auto at = std::upper_bound(
      list.begin(), list.end(), text,
      [](const std::string& t, const ImageListItem& i) { return LessNoCase(t, i.Text()); });
  list.insert(at, std::move(item));
}

Result<std::vector<ImageListItem>> ListImages(const std::vector<std::string>& paths,
                                              double cTiempoSeconds, std::stop_token stop,
                                              const Progress& progress) {
  using Out = Result<std::vector<ImageListItem>>;
  std::vector<ImageListItem> list;
  list.reserve(paths.size());
  TPlaca image;
  const KeywordLookup keyword = [&image](const std::string& key) { return image.GetKeyword(key); };
  const auto total = static_cast<long long>(paths.size());
  for (const std::string& path : paths) {
    if (stop.stop_requested()) return Out::Stopped();
    const std::string name = std::filesystem::path(path).filename().string();
    if (Status loaded = image.LoadHeader(path); !loaded.ok())
      return Out::Fail(name + ": " + loaded.message, loaded.kind);
    InsertSorted(list, ImageListItem{MidExposureDate(keyword, cTiempoSeconds), path});
    Report(progress, {ProgressLine::kOverall, static_cast<long long>(list.size()), total, 0, name});
  }
  return Out::Ok(std::move(list));
}

void SetImageList(RunState& state, std::vector<ImageListItem> images) {
  state.images = std::move(images);
  state.stars = {};
}

// --- Star lists ---------------------------------------------------------------

std::string StarEntryText(const StarEntry& star) {
  return FormatTrackedEntry(star.x, star.y, star.name);
}

std::string StarCountText(const StarLists& stars) {
  return IntToStr(static_cast<long long>(stars.comparisons.size())) + " / " +
         IntToStr(static_cast<long long>(stars.variables.size()));
}

Status AddStar(StarLists& stars, StarRole role, double x, double y, std::string name) {
  // Kept as the list's text keeps it, so a run from the lists and a run from
  // a star file measure at the same places.
  StarEntry entry = ParseStarEntry(FormatStarEntry(x, y, name));
  (role == StarRole::kVariable ? stars.variables : stars.comparisons).push_back(std::move(entry));
  return Status::Ok();
}

void RemoveStar(StarLists& stars, StarRole role, size_t index) {
  auto& list = role == StarRole::kVariable ? stars.variables : stars.comparisons;
  if (index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

Status SaveStarFile(const std::string& path, const StarLists& stars) {
  return WriteStarFile(path, EntryTexts(stars.variables), EntryTexts(stars.comparisons));
}

void RelocateStarFile(const TPlaca& image, const ApertureSettings& aperture,
                      const std::vector<std::string>& starFileLines, const PositionMap& map,
                      StarLists& stars) {
  std::vector<std::string> lbVar, lbCali;
  RelocateStarFile(image, aperture, starFileLines, map, lbVar, lbCali);
  stars.variables = ParseEntries(lbVar);
  stars.comparisons = ParseEntries(lbCali);
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
  std::vector<std::string> lbVar = EntryTexts(stars.variables);
  const int added = AddAutoStars(
      lines, image.Width(), image.Height(), aperture.flipX, aperture.flipY,
      [&](Point p) { return InsideMargin(image, aperture, p.x, p.y); }, lbVar,
      EntryTexts(stars.comparisons));
  stars.variables = ParseEntries(lbVar);
  return added;
}

// --- The run -------------------------------------------------------------------

RunJob MakeRunJob(const RunState& state, const Settings& settings, const std::string& appDir) {
  RunJob job;
  for (const ImageListItem& item : state.images) job.ListaFotos.push_back(item.Text());
  job.lbVar = EntryTexts(state.stars.variables);
  job.lbCali = EntryTexts(state.stars.comparisons);
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
  result.stars.variables = ParseEntries(job.lbVar);
  result.stars.comparisons = ParseEntries(job.lbCali);
  result.results = std::move(out.tables);
  result.images = ParseItems(out.ListaFotos);
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
  state.images = ParseItems(outcome.ListaFotos);
  state.results = std::move(outcome.tables);
}

}  // namespace lumenda
