// The photometry run ("Proceso"): every listed image is loaded once, every
// marked star re-centred at its last position and measured, and one row per
// image is appended to the results file.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "image/measure_star.h"
#include "run/image_list.h"
#include "run/results_tables.h"
#include "run/star_list.h"
#include "settings/settings.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// Settings read at the start of a run.
struct RunSettings {
  double k = 0.5;     // ECONTROL / 10: tolerance of the comparison counts
  int lsat = 50000;   // LSAT: linearity level
  int minAdu = 5000;  // MINADU: least counts of a "VS_" star
  ApertureSettings aperture;
};
RunSettings RunSettingsFrom(const Settings& settings);

// Everything a run works on. The star lists end with the positions tracked
// up to the last image measured.
struct RunJob {
  std::vector<ImageListItem> ListaFotos;
  StarLists stars;  // lbVar, lbCali
  bool PrimeraSerie = true;
  FieldCoordinates field;
  RunSettings settings;
  std::string instrumentalPath;  // the results file
  std::string starsPath;         // "estrellas.txt": the tracked positions, at the end
};

struct RunOutcome {
  // Failure before any image (no stars, no previous results, a following
  // series of other stars, too many rows) or a results file that could not
  // be written (then nothing of the run is in it).
  Status status;
  // The run stopped on an image: the text of the error box (AbortRun).
  bool aborted = false;
  std::string abortText;
  // Rows of this run in the results file, and the file's lines as written
  // (the rows sorted by date and numbered from 0000).
  int rowsWritten = 0;
  std::vector<std::string> resultsLines;
  int previousRows = 0;
  // Linearity report: per image its file name, one line per star above
  // LSAT, an empty line.
  std::vector<std::string> linearity;
  std::vector<std::string> lbNomVar;
};

// The mean counts of the comparison stars may change between images by a
// factor between k and 1/k (bounds included).
bool ComparisonCountsStable(long long cPrev, long long c, double k);

// "Error en imagen:\n" + file name + "\n" + message + "\n\nProceso terminado."
std::string AbortRunText(const std::string& fileName, const std::string& message);
// A run stopped by a file it could not write: the system's message (naming
// the file) + "\n\nProceso terminado.".
std::string StoppedRunText(const std::string& fileError);

// Air mass of a row's date for the field and site of the series (Kasten and
// Young); 0 when the computation has no value.
double RowAirMass(const std::string& date, const FieldCoordinates& field);

// Measures all listed images, then writes the results file once: the header
// block (first series) or the file's lines (following series) with the new
// rows, sorted by date and renumbered; then the star file with the positions
// tracked up to the last measured image. Until then no file is touched, so a
// run that is killed or cannot write leaves them as they were. A run stopped
// through `stop` (checked before and after reading each image; status
// "Proceso interrumpido.") leaves the results file as it was and writes only
// the star file. A run stopped on an image keeps the rows measured before it.
// Progress: kOverall "i - file" per image (i from 0, done i of the images),
// kItem "j - star" per star and "" after each image.
RunOutcome RunPhotometry(RunJob& job, std::stop_token stop = {}, const Progress& progress = {});

// The whole "Proceso": checks, run, reordering, results tables, the image
// list rebuilt from the file.
struct ProcesoOutcome {
  RunOutcome run;
  // What stopped the processing before or after the run: the refusal of
  // empty star lists (kRefusal), the run's own status, a file that does not
  // read back.
  Status status;
  ResultsTables tables;
  std::vector<ImageListItem> ListaFotos;
};
// Progress: the run's, then kStage the stages of the tables.
ProcesoOutcome Proceso(RunJob& job, std::stop_token stop = {}, const Progress& progress = {},
                       int sensitivity = 1);

}  // namespace lumenda
