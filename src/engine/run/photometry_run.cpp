#include "run/photometry_run.h"

#include <cmath>
#include <filesystem>

#include "astro/coords.h"
#include "astro/time.h"
#include "image/magnitude.h"
#include "run/results_file.h"
#include "run/results_format.h"
#include "run/run_pipeline.h"
#include "run/star_list.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace rf = results;

namespace {

constexpr char kSelectStars[] =
    "Debes seleccionar al menos una estrella de calibrado y una variable.";
constexpr double kLost = -100.0;

int IntSetting(const std::string& text, int fallback) {
  const auto v = ParseInt(text);
  return v ? static_cast<int>(*v) : fallback;
}

std::string Coord(double v) {
  return FormatFloat("0.0", v);
}

// The usable plate solution of an image: all eight keywords read as numbers.
std::optional<PlateSolution> ImagePlate(const TPlaca& image) {
  const char* keys[8] = {"CRPIX1", "CRVAL1", "CDELT1", "CROTA1",
                         "CRPIX2", "CRVAL2", "CDELT2", "CROTA2"};
  double v[8];
  for (int i = 0; i < 8; ++i) {
    const auto x = ParseDouble(image.GetKeyword(keys[i]));
    if (!x) return std::nullopt;
    v[i] = *x;
  }
  return PlateSolution{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
}

bool Finite(const StarMeasurement& m) {
  return std::isfinite(m.x) && std::isfinite(m.y);
}

std::string LinearityLine(const StarMeasurement& m, const std::string& name) {
  return "  " + IntToStr(m.peak) + "  " + FormatFloat("0000.0", m.x) + "  " +
         FormatFloat("0000.0", m.y) + "  " + name;
}

void Tell(const Progress& progress, ProgressLine line, size_t i, size_t total,
          const std::string& name) {
  if (!progress) return;
  const auto index = static_cast<long long>(i);
  Report(progress, {line, index, static_cast<long long>(total), 0, IntToStr(index) + " - " + name});
}

}  // namespace

RunSettings RunSettingsFrom(const Settings& s) {
  RunSettings r;
  r.k = s.eControl / 10.0;
  r.lsat = IntSetting(s.lsat, 50000);
  r.minAdu = IntSetting(s.minAdu, 5000);
  r.aperture = ApertureSettings{s.mRadio, s.mRadioI, s.mRadioE, s.mFlipX, s.mFlipY};
  return r;
}

bool ComparisonCountsStable(long long cPrev, long long c, double k) {
  const double r = static_cast<double>(cPrev) / static_cast<double>(c);
  return !(r > 1 / k || r < k);
}

std::string AbortRunText(const std::string& fileName, const std::string& message) {
  return "Error en imagen:\n" + fileName + "\n" + message + "\n" + "\n" + "Proceso terminado.";
}

std::string StoppedRunText(const std::string& fileError) {
  return fileError + "\n\nProceso terminado.";
}

double RowAirMass(const std::string& date, const FieldCoordinates& f) {
  const double x = FieldAirMass(DateStringToDateTime(date), f.longitude, f.latitude, f.ra, f.dec);
  return std::isfinite(x) && x > 0 ? x : 0.0;
}

namespace {

// The sums over the comparison stars of one image.
struct ComparisonSums {
  long long counts = 0;  // mean flux, rounded
  double sky = 0;
  double fwhm = 0;
  int n = 0;
};

// One image of the run: every star measured at its last position, checked
// star by star in list order (as the messages expect) and turned into a row.
// Positions move on only when the whole image is usable.
class ImageStep {
 public:
  ImageStep(RunJob& job, const Progress& progress, RunOutcome& out)
      : job_(job), settings_(job.settings), progress_(progress), out_(out) {}

  // Measures image `i`; false (with the abort text in `out`) when the image
  // stops the run.
  bool Measure(size_t i, const TPlaca& image, std::vector<std::string>& lines) {
    const ImageListItem& item = job_.ListaFotos[i];
    message_.clear();
    linearity_.clear();
    ResultsRow row;
    row.num = static_cast<int>(i) + out_.previousRows;
    row.date = item.date;
    MeasureAll(image);
    const ComparisonSums sums = Comparisons(image);
    if (!CountsStable(i, sums.counts)) return Abort(item);
    row.compara = sums.counts;
    nextVars_.clear();
    for (size_t j = 0; j < job_.stars.variables.size(); ++j)
      if (!Variable(image, j, sums.counts, row)) return Abort(item);
    Report(progress_, {ProgressLine::kItem, -1, 0, 0, ""});
    KeepLinearity(item);
    CompleteRow(item, sums, row);
    job_.stars.comparisons.swap(nextCali_);
    job_.stars.variables.swap(nextVars_);
    lines.push_back(FormatResultsRow(row));
    return true;
  }

 private:
  // Every star at once: the helper threads share the list.
  void MeasureAll(const TPlaca& image) {
    const ApertureSettings& ap = settings_.aperture;
    positions_.clear();
    for (const StarEntry& s : job_.stars.comparisons) positions_.push_back(Point{s.x, s.y});
    // A variable whose last position is outside is not measured.
    for (const StarEntry& s : job_.stars.variables)
      positions_.push_back(InsideMargin(image, ap, s.x, s.y) ? std::optional<Point>(Point{s.x, s.y})
                                                             : std::nullopt);
    measured_ = measurer_.Measure(image, ap, positions_);
  }

  ComparisonSums Comparisons(const TPlaca& image) {
    const ApertureSettings& ap = settings_.aperture;
    ComparisonSums sums;
    double flux = 0;
    nextCali_.clear();
    for (size_t j = 0; j < job_.stars.comparisons.size(); ++j) {
      const StarEntry& s = job_.stars.comparisons[j];
      Tell(progress_, ProgressLine::kItem, j, 0, s.name);
      const StarMeasurement& m = *measured_[j];
      if (!Finite(m)) {
        message_ += "\n" + s.name + " Error en cálculo de centroide";
      } else if (!InsideMargin(image, ap, m.x, m.y)) {
        message_ +=
            "\n" + s.name + " Fuera de limites" + "\n" + "X: " + Coord(m.x) + ", Y: " + Coord(m.y);
      }
      if (m.peak > settings_.lsat) linearity_.push_back(LinearityLine(m, s.name));
      flux += m.flux;
      sums.sky += m.sky;
      sums.fwhm += m.fwhm;
      ++sums.n;
      nextCali_.push_back(StarEntry{EntryCoordinate(m.x), EntryCoordinate(m.y), s.name});
      if (j == 0) firstPosition_ = std::string(Field(FormatStarEntry(m.x, m.y, ""), rf::kEntryXY));
    }
    sums.counts = RoundHalfEven(flux / sums.n);
    return sums;
  }

  // The comparison counts may not jump from the last usable image.
  bool CountsStable(size_t i, long long c) {
    if (i == 0) {
      cPrev_ = c;
    } else if (!ComparisonCountsStable(cPrev_, c, settings_.k)) {
      message_ += "\nCuentas en estrellas de calibrado\nADUCALI: " + IntToStr(c) +
                  ", ADUANT: " + IntToStr(cPrev_);
    } else {
      cPrev_ = c;
    }
    return message_.empty();
  }

  // Variable j: its column of the row and its next position. False when the
  // star stops the run; a lost "VS_" star only gets the lost values and
  // stays lost for the rest of the run.
  bool Variable(const TPlaca& image, size_t j, long long c, ResultsRow& row) {
    const ApertureSettings& ap = settings_.aperture;
    const StarEntry& s = job_.stars.variables[j];
    const bool autoStar = IsAutoStar(s.name);
    Tell(progress_, ProgressLine::kItem, j, 0, s.name);
    std::string message;
    StarMeasurement m;
    m.flux = 0;
    double nx = kLost, ny = kLost;
    const auto& measurement = measured_[job_.stars.comparisons.size() + j];
    if (!measurement) {
      message = "\n" + s.name + " Fuera de limites (1)" + "\n" + "X: " + Coord(s.x) +
                ", Y: " + Coord(s.y);
    } else {
      m = *measurement;
      if (!Finite(m)) {
        message = "\n" + s.name + " Error en cálculo de centroide";
      } else if (!InsideMargin(image, ap, m.x, m.y)) {
        message = "\n" + s.name + " Fuera de limites (2)" + "\n" + "X: " + Coord(m.x) +
                  ", Y: " + Coord(m.y);
      } else {
        nx = m.x;
        ny = m.y;
      }
    }
    if (message.empty()) {
      if (!autoStar && m.peak > settings_.lsat) linearity_.push_back(LinearityLine(m, s.name));
      if (autoStar && m.flux < settings_.minAdu)
        message = "\n" + s.name + " Total cuentas < mínimo" + "\n" + "ADU: " + IntToStr(m.flux) +
                  ", ADUMIN: " + IntToStr(settings_.minAdu);
    }
    double mag = 10000;
    if (message.empty()) {
      mag = 10 - kMagnitudeScale * std::log10(static_cast<double>(m.flux) / static_cast<double>(c));
      if (!std::isfinite(mag)) message = "\n" + s.name + " Error calculando magnitud instrumental";
    }
    if (!message.empty()) {
      if (!autoStar) {
        message_ = message;
        return false;
      }
      mag = 10000;
    }
    nextVars_.push_back(StarEntry{EntryCoordinate(nx), EntryCoordinate(ny), s.name});
    row.stars.push_back(RowStar{m.flux, mag});
    return true;
  }

  void KeepLinearity(const ImageListItem& item) {
    if (linearity_.empty()) return;
    out_.linearity.push_back(item.FileName());
    out_.linearity.insert(out_.linearity.end(), linearity_.begin(), linearity_.end());
    out_.linearity.emplace_back();
  }

  // Air mass, seeing and sky of the image.
  void CompleteRow(const ImageListItem& item, const ComparisonSums& sums, ResultsRow& row) const {
    const FieldCoordinates& field = job_.field;
    const double s2 = field.scale * field.scale;
    row.airMass = RowAirMass(item.date, field);
    row.fwhm = sums.fwhm / sums.n * field.scale;
    double b = s2 > 0 ? sums.sky / sums.n / s2 : 1.0;
    if (!(b >= 1.0)) b = 1.0;
    row.fondo = b;
    row.skyMag = 10 - kMagnitudeScale * std::log10(b / static_cast<double>(sums.counts));
    row.position = firstPosition_;
    row.path = item.path;
  }

  bool Abort(const ImageListItem& item) {
    out_.aborted = true;
    out_.abortText = AbortRunText(item.FileName(), message_);
    return false;
  }

  RunJob& job_;
  const RunSettings& settings_;
  const Progress& progress_;
  RunOutcome& out_;
  StarMeasurer measurer_;
  long long cPrev_ = 0;
  std::vector<std::optional<Point>> positions_;
  std::vector<std::optional<StarMeasurement>> measured_;
  std::vector<StarEntry> nextCali_, nextVars_;
  std::string firstPosition_;
  std::string message_;
  std::vector<std::string> linearity_;
};

// Measures the images in list order, adding each image's row to `lines`.
// Stops at the first image that cannot be used (its row is not added).
// Returns the number of rows added.
int MeasureImages(RunJob& job, ImagePrefetcher& images, std::stop_token stop,
                  const Progress& progress, std::vector<std::string>& lines, RunOutcome& out) {
  ImageStep step(job, progress, out);
  int added = 0;
  for (size_t i = 0; i < job.ListaFotos.size(); ++i) {
    const ImageListItem& item = job.ListaFotos[i];
    Tell(progress, ProgressLine::kOverall, i, job.ListaFotos.size(), item.FileName());
    // Checked again once the image is read: reading is most of the wait.
    if (stop.stop_requested()) return added;
    const Result<const TPlaca*> loaded = images.Next(i);
    if (stop.stop_requested()) return added;
    if (!loaded.ok()) {
      out.aborted = true;
      out.abortText = AbortRunText(item.FileName(), "\n" + loaded.message);
      return added;
    }
    if (!step.Measure(i, *loaded.value, lines)) return added;
    ++added;
  }
  return added;
}

// The lines a first series starts from: the header block, with the sky
// positions of the variables when the first image has a plate solution.
std::vector<std::string> FirstSeriesLines(const RunJob& job,
                                          const std::vector<std::string>& lbNomVar) {
  const ApertureSettings& ap = job.settings.aperture;
  std::vector<std::string> sky;
  TPlaca image;
  if (!job.ListaFotos.empty() && image.LoadHeader(job.ListaFotos[0].path).ok()) {
    if (const auto plate = ImagePlate(image)) {
      for (const StarEntry& s : job.stars.variables) {
        const auto [ra, dec] = PixelToRADec(*plate, s.x, s.y, image.Width() - 1, image.Height() - 1,
                                            ap.flipX, ap.flipY);
        sky.push_back(ra + "  " + dec);
      }
    }
  }
  std::vector<std::string> comparisons;
  for (const StarEntry& s : job.stars.comparisons) comparisons.push_back(ComparisonName(s));
  return ResultsHeaderBlock(job.field.FieldRAText, job.field.FieldDecText, comparisons, sky,
                            lbNomVar);
}

// The lines of the file a following series adds to, once they are known to
// take the run: the same variables, room for the rows.
Result<std::vector<std::string>> FollowingSeriesLines(const RunJob& job,
                                                      const std::vector<std::string>& lbNomVar,
                                                      int& previousRows) {
  using Out = Result<std::vector<std::string>>;
  auto previous = ReadResultsFile(job.instrumentalPath);
  if (!previous) return Out::Fail("Datos anteriores no encontrados.");
  std::vector<std::string> lines = std::move(*previous);
  // Rows of other stars would not line up under the header of the file.
  std::vector<std::string> names;
  for (const std::string& line : lines)
    if (line.rfind(" NUM", 0) == 0) {
      for (int k = 0; k < rf::HeaderStarCount(CharCount(line)); ++k)
        names.push_back(Trim(Field(line, rf::HeaderStarName(k))));
      break;
    }
  std::vector<std::string> ours;
  for (const std::string& name : lbNomVar) ours.push_back(Trim(Copy(name, 1, rf::kNameWidth)));
  if (names != ours)
    return Out::Fail(
        "Las estrellas variables no son las de los datos anteriores: la serie siguiente debe "
        "medir las mismas estrellas.");
  previousRows = CountPreviousRows(lines);
  if (Status s = CheckRowCount(previousRows + static_cast<long long>(job.ListaFotos.size()));
      !s.ok())
    return Out::FailWith(s);
  return Out::Ok(std::move(lines));
}

}  // namespace

RunOutcome RunPhotometry(RunJob& job, std::stop_token stop, const Progress& progress) {
  RunOutcome out;
  if (!job.stars.Complete()) {
    out.status = Status::Fail(kSelectStars);
    return out;
  }
  // A name that the results file would misread never gets into it.
  if (Status names = CheckStarLists(job.stars); !names.ok()) {
    out.status = names;
    return out;
  }
  for (const StarEntry& s : job.stars.variables) out.lbNomVar.push_back(VariableName(s));

  // The file as it will be written. Nothing is written before the run ends:
  // a run that is killed or meets a full disk leaves the file as it was.
  std::vector<std::string> lines;
  if (job.PrimeraSerie) {
    if (Status s = CheckRowCount(static_cast<long long>(job.ListaFotos.size())); !s.ok()) {
      out.status = s;
      return out;
    }
    lines = FirstSeriesLines(job, out.lbNomVar);
  } else {
    auto previous = FollowingSeriesLines(job, out.lbNomVar, out.previousRows);
    if (!previous.ok()) {
      out.status = Status::FailWith(previous);
      return out;
    }
    lines = std::move(previous.value);
  }

  std::vector<std::string> paths;
  for (const ImageListItem& item : job.ListaFotos) paths.push_back(item.path);
  ImagePrefetcher images(std::move(paths), job.stars.Count() >= kThreadedStars);
  const int measured = MeasureImages(job, images, stop, progress, lines, out);
  // The tracked positions after the last measured image, the star file's
  // only write.
  const auto writeStars = [&]() -> Status {
    if (measured == 0 || job.starsPath.empty()) return Status::Ok();
    return WriteFileAtomic(job.starsPath, JoinLines(StarFileLines(job.stars)));
  };
  if (stop.stop_requested()) {
    // The results stay as they were; the positions are kept for the next run.
    const Status written = writeStars();
    out.status = written.ok() ? Status::Stopped() : written;
    return out;
  }
  // A following series that measured nothing has nothing to add.
  if (job.PrimeraSerie || measured > 0) {
    lines = ReorderResults(lines);
    if (Status written = WriteFileAtomic(job.instrumentalPath, JoinLines(lines)); !written.ok()) {
      out.status = written;
      return out;
    }
  }
  // After the results, so that a run that could not write those leaves both
  // files as they were.
  if (const Status written = writeStars(); !written.ok()) {
    // After an image that stopped the run, its box follows.
    const std::string& error = written.message;
    out.abortText = out.aborted ? error + "\n\n" + out.abortText : StoppedRunText(error);
    out.aborted = true;
  }
  out.rowsWritten = measured;
  out.resultsLines = std::move(lines);
  return out;
}

ProcesoOutcome Proceso(RunJob& job, std::stop_token stop, const Progress& progress,
                       int sensitivity) {
  ProcesoOutcome out;
  if (!job.stars.Complete()) {
    out.status = Status::Fail(kSelectStars, FailureKind::kRefusal);
    return out;
  }
  out.run = RunPhotometry(job, stop, progress);
  if (!out.run.status.ok()) {
    out.status = out.run.status;
    return out;
  }
  // What the run wrote before a failing image is kept and used. Once the
  // file is written the tables are built whatever is asked: they are what
  // the file now holds.
  const std::vector<std::string>& lines = out.run.resultsLines;
  if (Status s = BuildResults(lines, out.tables, sensitivity, {}, progress); !s.ok()) {
    out.status = s;
    return out;
  }
  out.ListaFotos = ImageListFromResults(lines);
  return out;
}

}  // namespace lumenda
