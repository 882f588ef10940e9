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

// Measures the images in list order, adding each image's row to `lines` and
// keeping the tracked positions in the job's star lists. Stops at the first
// image that cannot be used (its row is not added). Returns the number of rows
// added.
int MeasureImages(RunJob& job, ImagePrefetcher& images, std::stop_token stop,
                  const Progress& progress, std::vector<std::string>& lines, RunOutcome& out) {
  const RunSettings& set = job.settings;
  const ApertureSettings& ap = set.aperture;
  const auto abort = [&out](const std::string& fileName, const std::string& message) {
    out.aborted = true;
    out.abortText = AbortRunText(fileName, message);
  };
  int added = 0;
  long long cPrev = 0;
  std::vector<std::string> cali2, var2;
  std::vector<StarEntry> cali, vars;
  std::vector<std::optional<Point>> positions;
  StarMeasurer measurer;
  for (size_t i = 0; i < job.ListaFotos.size(); ++i) {
    const std::string& entry = job.ListaFotos[i];
    const std::string date = EntryDate(entry);
    const std::string fileName = EntryFileName(entry);
    Tell(progress, ProgressLine::kOverall, i, job.ListaFotos.size(), fileName);
    std::string message;
    std::vector<std::string> linearity;

    // Checked again once the image is read: reading is most of the wait.
    if (stop.stop_requested()) return added;
    const Result<const TPlaca*> loaded = images.Next(i);
    if (stop.stop_requested()) return added;
    if (!loaded.ok()) {
      abort(fileName, "\n" + loaded.message);
      return added;
    }
    const TPlaca& image = *loaded.value;
    ResultsRow row;
    row.num = static_cast<int>(i) + out.previousRows;
    row.date = date;

    // Every star is measured once, all together; the checks below go star by
    // star in list order, as the messages expect.
    cali.clear();
    vars.clear();
    positions.clear();
    for (const std::string& e : job.lbCali) {
      cali.push_back(ParseStarEntry(e));
      positions.push_back(Point{cali.back().x, cali.back().y});
    }
    for (const std::string& e : job.lbVar) {
      vars.push_back(ParseStarEntry(e));
      const StarEntry& s = vars.back();
      // A star whose last position is outside is not measured.
      positions.push_back(InsideMargin(image, ap, s.x, s.y) ? std::optional<Point>(Point{s.x, s.y})
                                                            : std::nullopt);
    }
    const auto measured = measurer.Measure(image, ap, positions);

    // Comparison stars.
    cali2.clear();
    double sumF = 0, sumSky = 0, sumFwhm = 0;
    int count = 0;
    for (size_t j = 0; j < cali.size(); ++j) {
      const StarEntry& s = cali[j];
      Tell(progress, ProgressLine::kItem, j, 0, s.name);
      const StarMeasurement& m = *measured[j];
      if (!Finite(m)) {
        message += "\n" + s.name + " Error en cálculo de centroide";
      } else if (!InsideMargin(image, ap, m.x, m.y)) {
        message +=
            "\n" + s.name + " Fuera de limites" + "\n" + "X: " + Coord(m.x) + ", Y: " + Coord(m.y);
      }
      if (m.peak > set.lsat) linearity.push_back(LinearityLine(m, s.name));
      sumF += m.flux;
      sumSky += m.sky;
      sumFwhm += m.fwhm;
      ++count;
      cali2.push_back(FormatStarEntry(m.x, m.y, s.name));
    }
    const long long c = RoundHalfEven(sumF / count);
    if (i == 0) {
      cPrev = c;
    } else {
      if (!ComparisonCountsStable(cPrev, c, set.k))
        message += "\nCuentas en estrellas de calibrado\nADUCALI: " + IntToStr(c) +
                   ", ADUANT: " + IntToStr(cPrev);
      else
        cPrev = c;
    }
    if (!message.empty()) {
      abort(fileName, message);
      return added;
    }
    row.compara = c;

    // Variable stars.
    var2.clear();
    for (size_t j = 0; j < vars.size(); ++j) {
      const StarEntry& s = vars[j];
      const bool autoStar = IsAutoStar(s.name);
      Tell(progress, ProgressLine::kItem, j, 0, s.name);
      message.clear();
      StarMeasurement m;
      m.flux = 0;
      double nx = kLost, ny = kLost;
      const auto& measurement = measured[cali.size() + j];
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
        if (!autoStar && m.peak > set.lsat) linearity.push_back(LinearityLine(m, s.name));
        if (autoStar && m.flux < set.minAdu)
          message = "\n" + s.name + " Total cuentas < mínimo" + "\n" + "ADU: " + IntToStr(m.flux) +
                    ", ADUMIN: " + IntToStr(set.minAdu);
      }
      double mag = 10000;
      if (message.empty()) {
        mag =
            10 - kMagnitudeScale * std::log10(static_cast<double>(m.flux) / static_cast<double>(c));
        if (!std::isfinite(mag))
          message = "\n" + s.name + " Error calculando magnitud instrumental";
      }
      if (!message.empty()) {
        if (!autoStar) {
          abort(fileName, message);
          return added;
        }
        // A lost "VS_" star stays lost for the rest of the run.
        mag = 10000;
      }
      var2.push_back(FormatTrackedEntry(nx, ny, s.name));
      row.stars.push_back(RowStar{m.flux, mag});
    }
    Report(progress, {ProgressLine::kItem, -1, 0, 0, ""});
    if (!linearity.empty()) {
      out.linearity.push_back(fileName);
      out.linearity.insert(out.linearity.end(), linearity.begin(), linearity.end());
      out.linearity.emplace_back();
    }

    const double s2 = job.field.scale * job.field.scale;
    row.airMass = RowAirMass(date, job.field);
    row.fwhm = sumFwhm / count * job.field.scale;
    double b = s2 > 0 ? sumSky / count / s2 : 1.0;
    if (!(b >= 1.0)) b = 1.0;
    row.fondo = b;
    row.skyMag = 10 - kMagnitudeScale * std::log10(b / static_cast<double>(c));
    row.position = std::string(Field(cali2.front(), rf::kEntryXY));
    row.path = EntryPath(entry);
    job.lbCali.swap(cali2);
    job.lbVar.swap(var2);
    lines.push_back(FormatResultsRow(row));
    ++added;
  }
  return added;
}

}  // namespace

RunOutcome RunPhotometry(RunJob& job, std::stop_token stop, const Progress& progress) {
  RunOutcome out;
  if (job.lbVar.empty() || job.lbCali.empty()) {
    out.status = Status::Fail(kSelectStars);
    return out;
  }
  // A name that the results file would misread never gets into it.
  if (Status names = CheckStarLists(job.lbVar, job.lbCali); !names.ok()) {
    out.status = names;
    return out;
  }
  const ApertureSettings& ap = job.settings.aperture;
  for (const std::string& e : job.lbVar) out.lbNomVar.push_back(VariableName(e));

  // The file as it will be written. Nothing is written before the run ends:
  // a run that is killed or meets a full disk leaves the file as it was.
  std::vector<std::string> lines;
  const std::string& file = job.instrumentalPath;
  if (job.PrimeraSerie) {
    if (Status s = CheckRowCount(static_cast<long long>(job.ListaFotos.size())); !s.ok()) {
      out.status = s;
      return out;
    }
    std::vector<std::string> sky;
    // The plate solution and the size are in the header.
    TPlaca image;
    if (!job.ListaFotos.empty() && image.LoadHeader(EntryPath(job.ListaFotos[0])).ok()) {
      if (const auto plate = ImagePlate(image)) {
        for (const std::string& e : job.lbVar) {
          const StarEntry s = ParseStarEntry(e);
          const auto [ra, dec] = PixelToRADec(*plate, s.x, s.y, image.Width() - 1,
                                              image.Height() - 1, ap.flipX, ap.flipY);
          sky.push_back(ra + "  " + dec);
        }
      }
    }
    lines = ResultsHeaderBlock(job.field.FieldRAText, job.field.FieldDecText, job.lbCali, sky,
                               out.lbNomVar);
  } else {
    auto previous = ReadResultsFile(file);
    if (!previous) {
      out.status = Status::Fail("Datos anteriores no encontrados.");
      return out;
    }
    lines = std::move(*previous);
    // Rows of other stars would not line up under the header of the file.
    std::vector<std::string> names;
    for (const std::string& line : lines)
      if (line.rfind(" NUM", 0) == 0) {
        for (int k = 0; k < rf::HeaderStarCount(CharCount(line)); ++k)
          names.push_back(Trim(Field(line, rf::HeaderStarName(k))));
        break;
      }
    std::vector<std::string> ours;
    for (const std::string& name : out.lbNomVar)
      ours.push_back(Trim(Copy(name, 1, rf::kNameWidth)));
    if (names != ours) {
      out.status = Status::Fail(
          "Las estrellas variables no son las de los datos anteriores: la serie siguiente debe "
          "medir las mismas estrellas.");
      return out;
    }
    out.previousRows = CountPreviousRows(lines);
    if (Status s = CheckRowCount(out.previousRows + static_cast<long long>(job.ListaFotos.size()));
        !s.ok()) {
      out.status = s;
      return out;
    }
  }

  std::vector<std::string> paths;
  for (const std::string& entry : job.ListaFotos) paths.push_back(EntryPath(entry));
  ImagePrefetcher images(std::move(paths));
  const int measured = MeasureImages(job, images, stop, progress, lines, out);
  // The tracked positions after the last measured image, the star file's
  // only write.
  const auto writeStars = [&]() -> Status {
    if (measured == 0 || job.starsPath.empty()) return Status::Ok();
    return WriteFileAtomic(job.starsPath, JoinLines(StarFileLines(job.lbVar, job.lbCali)));
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
    if (Status written = WriteFileAtomic(file, JoinLines(lines)); !written.ok()) {
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
  if (job.lbVar.empty() || job.lbCali.empty()) {
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
  if (!out.ListaFotos.empty()) out.eFoto1 = out.ListaFotos.back();
  return out;
}

}  // namespace lumenda
