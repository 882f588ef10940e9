// What the windows of the photometry run share: the image list, the field of
// the series, the marked stars, the image on show and the results of the
// last run or recovery, with the calls that read and change them.
//
// Long work comes in two halves: the worker half takes a job copied from the
// state (and a stop token and a Progress, see text/progress.h) and touches no
// state; the interface half applies its outcome to the state.
#pragma once

#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "image/find_stars.h"
#include "image/fits_image.h"
#include "image/measure_star.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/results_tables.h"
#include "run/save_recover.h"
#include "run/star_list.h"
#include "settings/settings.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// --- Image list ---------------------------------------------------------------

// --- Star lists ---------------------------------------------------------------

enum class StarRole { kVariable, kComparison };

// "comparisons / variables", as the main window counts them.
std::string StarCountText(const StarLists& stars);

// Adds a marked star at the end of the list of its role.
Status AddStar(StarLists& stars, StarRole role, double x, double y, std::string name);
// Removes entry `index` of that role's list (no change when out of range).
void RemoveStar(StarLists& stars, StarRole role, size_t index);

// Star files: "V " / "C " lines. Saving refuses lists without a comparison
// or without a variable.
Status SaveStarFile(const std::string& path, const StarLists& stars);
// Replaces the lists by the stars of a star file relocated into `image`
// through `map` (re-centred there; lost ones at -100, -100).
void RelocateStarFile(const TPlaca& image, const ApertureSettings& aperture,
                      const std::vector<std::string>& starFileLines, const PositionMap& map,
                      StarLists& stars);

// The measurement settings (mirrors of RADIO, RADIOI, RADIOE, FLIPX, FLIPY).
ApertureSettings ApertureFrom(const Settings& settings);

// "Todas": the thresholds of the automatic search (MINADU, LSAT, MINRSR)
// over the whole image. The worker half is FindStars (image/find_stars.h).
StarSearch StarSearchFrom(const Settings& settings);
// Interface half: adds the stars found as "VS_" variables, skipping those
// outside the usable area and those already marked. Returns how many.
int AddFieldStars(StarLists& stars, const FoundStars& found, const TPlaca& image,
                  const ApertureSettings& aperture);

// --- The state ----------------------------------------------------------------

struct RunState {
  std::vector<ImageListItem> images;  // ListaFotos, in time order
  bool firstSeries = true;            // PrimeraSerie
  FieldCoordinates field;             // FieldRAText "" until coordinates are entered
  StarLists stars;                    // lbVar, lbCali
  // Tables, star names (lbNomVar) and magnitudes (lbMag) of the results
  // file; read them through the calls of run/results_tables.h and curves/.
  ResultsTables results;
  ImageListItem lastImage;             // eFoto1: the newest image processed
  std::vector<std::string> linearity;  // linearity report of the last run
  TPlaca image;                        // CurrentImage: the image on show
};

// Interface half of "Lista de imágenes": the new list replaces the old one,
// and the stars are marked again on it.
void SetImageList(RunState& state, std::vector<ImageListItem> images);

// --- The run ("Proceso") -----------------------------------------------------

// What a run needs, copied from the state: worker threads never see the
// state itself.
RunJob MakeRunJob(const RunState& state, const Settings& settings, const std::string& appDir);

struct RunResult {
  StarLists stars;                     // positions tracked to the last image measured
  ResultsTables results;               // built from the whole results file
  std::vector<ImageListItem> images;   // the list rebuilt from the results file
  std::vector<std::string> linearity;  // per image its name, stars above LSAT, ""
  int rowsWritten = 0;
  // The run stopped on an image (kAbort, the text of the "Error en imagen"
  // box): the rows before it are kept and the tables built from them.
  Status stopped;
};

// Worker half: measures every image of the job, reorders the results file
// and builds the tables (variable search with `sensitivity` 1..3).
// Progress: kOverall "i - file" per image and "Finalizado" at the end, kItem
// "j - star" per star ("" after each image), kStage the tables' stages.
// Fails, with nothing to apply, when the run cannot start or the file
// cannot be read back.
Result<RunResult> ProcessImages(RunJob job, int sensitivity = 1, std::stop_token stop = {},
                                const Progress& progress = {});
// Interface half.
void ApplyRun(RunState& state, RunResult result);

// --- Saved results -----------------------------------------------------------

// Interface half of "Recuperar datos...": the recovered rows become the
// image list and the tables.
void ApplyRecovery(RunState& state, RecoverOutcome outcome);

}  // namespace lumenda
