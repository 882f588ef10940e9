#include "run/star_selection.h"

#include <cmath>

#include "text/number_format.h"

namespace lumenda {
namespace {

constexpr size_t kFilterLength = 18;

// The first `n` characters of a UTF-8 text.
std::string CutCharacters(const std::string& text, size_t n) {
  size_t i = 0;
  size_t count = 0;
  while (i < text.size() && count < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    i += c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
    ++count;
  }
  return text.substr(0, std::min(i, text.size()));
}

}  // namespace

SelectionReadout ReadSelection(const TPlaca& image, const ApertureSettings& aperture,
                               const PlateReading& plate, double scale, double x, double y) {
  SelectionReadout r;
  r.star = MeasureStar(image, aperture, x, y);
  const StarMeasurement& m = r.star;
  r.x = "X= " + FormatFloat("0.00", m.x);
  r.y = "Y= " + FormatFloat("0.00", m.y);
  r.adu = "ADU= " + IntToStr(m.flux);
  r.max = "MAX= " + IntToStr(m.peak);
  r.fwhm =
      "FWHM= " + FormatFloat("0.0", m.fwhm) + " pix - " + FormatFloat("0.0", m.fwhm * scale) + "\"";
  if (plate.valid) {
    auto [ra, dec] = PixelToRADec(plate.solution, m.x, m.y, image.Width() - 1, image.Height() - 1,
                                  aperture.flipX, aperture.flipY);
    r.ar = "AR= " + ra;
    r.dec = "DEC= " + dec;
  }
  if (const auto mzero = ParseDouble(image.GetKeyword("MZERO"))) {
    r.mag = "MAG= " + FormatFloat("0.000", *mzero - 2.5 * std::log10(static_cast<double>(m.flux)));
    const std::string filter = image.GetKeyword("FILTER");
    if (!filter.empty()) r.mag += " " + CutCharacters(filter, kFilterLength);
  }
  return r;
}

std::string DefaultStarName(SelectionRole role, size_t comparisonCount, size_t variableCount) {
  if (role == SelectionRole::kCalibrado)
    return "CAL-" + IntToStr(static_cast<long long>(comparisonCount) + 1);
  if (role == SelectionRole::kVariable)
    return "VAR-" + IntToStr(static_cast<long long>(variableCount) + 1);
  return {};
}

bool TodasOffered(bool primeraSerie, size_t variableCount, bool todasUsed) {
  return primeraSerie && variableCount > 0 && !todasUsed;
}

Status CheckSelection(SelectionRole role, std::string_view name) {
  if (role == SelectionRole::kNone)
    return Status::Fail("Debes seleccionar \"Calibrado\", \"Variable\" o \"Todas\".");
  if (role != SelectionRole::kTodas && name.empty())
    return Status::Fail("Debes asignar un nombre a la estrella.");
  return Status::Ok();
}

MarkerColour MarkerColourOf(bool comparison, std::string_view name) {
  if (comparison) return MarkerColour::kCyan;
  return IsAutoStar(name) ? MarkerColour::kGreen : MarkerColour::kYellow;
}

int MarkerRadius(double radio, double zoom) {
  return static_cast<int>(RoundHalfEven(radio * zoom)) + 1;
}

std::string StarMarking::Open(bool primeraSerie, bool forceIndividual,
                              const std::vector<std::string>& previousStarFile) {
  primeraSerie_ = primeraSerie;
  if (primeraSerie || forceIndividual) {
    mode_ = Mode::kMarking;
    recoverEnabled_ = true;
    return {};
  }
  recoverEnabled_ = false;
  return StartRelocation(previousStarFile);
}

std::string StarMarking::StartRelocation(const std::vector<std::string>& lines) {
  refs_ = StarFileReferences(lines);
  if (!refs_) {  // nothing to relocate: mark afresh
    mode_ = Mode::kMarking;
    recoverEnabled_ = true;
    return {};
  }
  starFile_ = lines;
  new1_.reset();
  new2_.reset();
  awaitingSecond_ = false;
  relocated_ = false;
  mode_ = Mode::kRelocation;
  status_ = "Marca " + refs_->ref1.name;
  return LocatePrompt(refs_->ref1);
}

bool StarMarking::TodasOffered() const {
  return lumenda::TodasOffered(primeraSerie_, stars_.variables.size(), todasUsed_);
}

std::string StarMarking::DefaultName(SelectionRole role) const {
  return DefaultStarName(role, stars_.comparisons.size(), stars_.variables.size());
}

void StarMarking::AddMarker(double x, double y, const std::string& name, bool comparison) {
  markers_.push_back(Marker{x, y, name, MarkerColourOf(comparison, name)});
}

Status StarMarking::AddStar(SelectionRole role, double x, double y, const std::string& name) {
  const bool comparison = role == SelectionRole::kCalibrado;
  auto& list = comparison ? stars_.comparisons : stars_.variables;
  const Status added = lumenda::AddStar(
      stars_, comparison ? StarRole::kComparison : StarRole::kVariable, x, y, name);
  if (added.ok()) AddMarker(list.back().x, list.back().y, list.back().name, comparison);
  return added;
}

int StarMarking::AddFoundStars(const TPlaca& image, const ApertureSettings& aperture,
                               const FoundStars& found) {
  todasUsed_ = true;
  const size_t before = stars_.variables.size();
  const int added = AddFieldStars(stars_, found, image, aperture);
  for (size_t i = before; i < stars_.variables.size(); ++i) {
    const StarEntry& e = stars_.variables[i];
    AddMarker(e.x, e.y, e.name, false);
  }
  return added;
}

bool StarMarking::TakesReferenceClick() const {
  return mode_ == Mode::kRelocation && refs_ && !relocated_ && stars_.variables.empty();
}

StarMarking::Next StarMarking::ReferenceClicked(double x, double y) {
  const bool second = awaitingSecond_;
  const StarFileStar& ref = second ? *refs_->ref2 : refs_->ref1;
  AddMarker(x, y, ref.name, ref.kind == 'C');
  if (second) {
    new2_ = Point{x, y};
    awaitingSecond_ = false;
    return Next::kRelocate;
  }
  new1_ = Point{x, y};
  return refs_->ref2 ? Next::kAskSecondReference : Next::kRelocate;
}

std::string StarMarking::SecondReferencePrompt() const {
  return refs_ && refs_->ref2 ? LocatePrompt(*refs_->ref2) : std::string();
}

bool StarMarking::SecondReferenceAnswer(bool ok) {
  if (!ok) return true;
  awaitingSecond_ = true;
  status_ = "Marca " + refs_->ref2->name;
  return false;
}

void StarMarking::Relocate(const TPlaca& image, const ApertureSettings& aperture) {
  if (!refs_ || !new1_) return;
  const Point old1{refs_->ref1.x, refs_->ref1.y};
  const PositionMap map =
      new2_ && refs_->ref2
          ? PositionMap(old1, *new1_, Point{refs_->ref2->x, refs_->ref2->y}, *new2_)
          : PositionMap(old1, *new1_);
  RelocateStarFile(image, aperture, starFile_, map, stars_);
  markers_.clear();  // the references' own markers: they are placed again below
  for (const auto& [list, comparison] :
       {std::pair{&stars_.variables, false}, std::pair{&stars_.comparisons, true}}) {
    for (const StarEntry& e : *list) {
      if (e.x != -100 || e.y != -100) AddMarker(e.x, e.y, e.name, comparison);
    }
  }
  relocated_ = true;
  status_.clear();
}

std::string StarMarking::LoadStarFile(const std::vector<std::string>& lines) {
  // The file's stars take the place of those marked so far; otherwise a
  // marked variable star would keep every reference click from counting.
  stars_ = {};
  markers_.clear();
  return StartRelocation(lines);
}

}  // namespace lumenda
