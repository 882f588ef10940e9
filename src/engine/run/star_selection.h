// What happens when the user marks stars on the first image: the read-outs
// of the selection dialog, its rules, the markers drawn, and the marking
// state of the image window (marking new stars, or relocating the stars of
// a star file by one or two reference stars).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/fits_image.h"
#include "image/measure_star.h"
#include "image/plate_solution.h"
#include "run/run_state.h"
#include "run/star_list.h"
#include "text/result.h"

namespace lumenda {

enum class SelectionRole { kNone, kCalibrado, kVariable, kTodas };

// The dialog's read-outs for the star measured at display position (x, y):
// "X= ", "Y= " ("0.00"), "ADU= ", "MAX= ", "FWHM= 3.1 pix - 6.2\"" (arc
// seconds through `scale`), "AR= ", "DEC= " (empty without a plate
// solution), "MAG= " from MZERO and FILTER (empty without MZERO).
struct SelectionReadout {
  StarMeasurement star;
  std::string x, y, adu, max, fwhm, ar, dec, mag;
};
SelectionReadout ReadSelection(const TPlaca& image, const ApertureSettings& aperture,
                               const PlateReading& plate, double scale, double x, double y);

// "CAL-" + (comparison stars + 1) or "VAR-" + (variable stars + 1).
std::string DefaultStarName(SelectionRole role, size_t comparisonCount, size_t variableCount);

// "Todas" is offered in a first series, once at least one variable star is
// marked, and once per star selection.
bool TodasOffered(bool primeraSerie, size_t variableCount, bool todasUsed);

// The refusal of the dialog's "Aceptar", or success.
Status CheckSelection(SelectionRole role, std::string_view name);

// Markers: comparison stars cyan, stars located automatically green, other
// variable stars yellow; a circle of radius rnd(RADIO * zoom) + 1.
enum class MarkerColour { kCyan, kYellow, kGreen };
MarkerColour MarkerColourOf(bool comparison, std::string_view name);
int MarkerRadius(double radio, double zoom);

struct Marker {
  double x = 0;  // display coordinates at zoom 1
  double y = 0;
  std::string name;
  MarkerColour colour = MarkerColour::kYellow;
};

// The image window's marking state. It starts with empty lists and in
// marking mode; a following series (or a loaded star file) switches it to
// relocation mode, where one or two clicked reference stars place every
// star of the file.
class StarMarking {
 public:
  enum class Mode { kMarking, kRelocation };

  // On opening: a first series, or a following one with individual
  // selection forced, marks afresh; otherwise the previous series' star file
  // is relocated. Returns the prompt to show ("Localiza y marca estrella:
  // ..."), empty when none.
  std::string Open(bool primeraSerie, bool forceIndividual,
                   const std::vector<std::string>& previousStarFile);

  Mode CurrentMode() const { return mode_; }
  bool PrimeraSerie() const { return primeraSerie_; }
  // "Recupera posiciones..." is disabled while the previous series is being
  // relocated.
  bool RecoverEnabled() const { return recoverEnabled_; }
  // The window's status label ("Marca NAME" while a reference is awaited).
  const std::string& StatusText() const { return status_; }

  // Marking mode: what the selection dialog offers and accepts.
  bool TodasOffered() const;
  std::string DefaultName(SelectionRole role) const;
  // A comparison ("Calibrado") or variable star measured at (x, y).
  Status AddStar(SelectionRole role, double x, double y, const std::string& name);
  // "Todas": the stars found on the field join the variable list as "VS_"
  // stars; returns how many. Marks "Todas" as used.
  int AddFoundStars(const TPlaca& image, const ApertureSettings& aperture, const FoundStars& found);

  // Relocation mode: a click is a reference star only while no variable
  // star is listed.
  bool TakesReferenceClick() const;
  enum class Next { kRelocate, kAskSecondReference, kAwaitSecondReference };
  // The measured centre of the clicked reference star.
  Next ReferenceClicked(double x, double y);
  // The question to ask after reference 1 when there is a reference 2.
  std::string SecondReferencePrompt() const;
  // The user's answer: OK awaits the second click, Cancel relocates by
  // reference 1 alone. Returns true when relocation is due now.
  bool SecondReferenceAnswer(bool ok);
  // Places every star of the file (lost ones at -100, -100, not drawn).
  // Later clicks do nothing.
  void Relocate(const TPlaca& image, const ApertureSettings& aperture);

  // "Recupera posiciones...": a checked star file becomes the one to
  // relocate, in place of the stars marked so far. Returns the prompt.
  std::string LoadStarFile(const std::vector<std::string>& lines);

  // The window's lists (lbV, lbC): what "Aceptar" hands to the main window.
  const StarLists& Stars() const { return stars_; }
  const std::vector<Marker>& Markers() const { return markers_; }

 private:
  std::string StartRelocation(const std::vector<std::string>& lines);
  void AddMarker(double x, double y, const std::string& name, bool comparison);

  Mode mode_ = Mode::kMarking;
  bool primeraSerie_ = true;
  bool recoverEnabled_ = true;
  bool todasUsed_ = false;
  std::string status_;
  std::vector<std::string> starFile_;
  std::optional<RelocationReferences> refs_;
  std::optional<Point> new1_, new2_;
  bool awaitingSecond_ = false;
  bool relocated_ = false;
  StarLists stars_;
  std::vector<Marker> markers_;
};

}  // namespace lumenda
