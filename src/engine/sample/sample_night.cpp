#include "sample/sample_night.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "astro/coords.h"
#include "image/fits_writer.h"
#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

// --- The night -------------------------------------------------------------
// Observatory at 40 24 00 N, 003 41 00 W; field in Cygnus, a little past the
// meridian when the series starts, so the air mass grows from about 1.0 to 1.7.
constexpr double kLatitudeDeg = 40.0 + 24.0 / 60.0;
constexpr double kLongitudeWestDeg = 3.0 + 41.0 / 60.0;
constexpr const char* kFieldRAText = "20 15 30.0";
constexpr const char* kFieldDecText = "+38 20 00";
constexpr double kFieldRADeg = (20.0 + 15.0 / 60.0 + 30.0 / 3600.0) * 15.0;
constexpr double kFieldDecDeg = 38.0 + 20.0 / 60.0;
constexpr int kYear = 2024, kMonth = 9, kDay = 10;
constexpr int kStartSecond = 20 * 3600 + 30 * 60;  // 20:30:00 UT
constexpr int kCadence = 330;                      // seconds between exposure starts
constexpr int kExposure = 60;                      // seconds
constexpr double kScale = 2.0;                     // arc seconds per pixel

// Photometry: counts = 10^(-0.4 (m + k X + clouds - ZP)) * EXPTIME.
constexpr double kZeroPoint = 18.8;
constexpr double kExtinction = 0.25;  // magnitudes per air mass
constexpr double kSkyPerPixel = 300;  // ADU per pixel in one exposure at the zenith
constexpr double kPedestal = 100;     // bias level, ADU
constexpr double kReadNoise = 8;      // ADU (gain 1 electron per ADU)
constexpr double kMoffatBeta = 4;
constexpr int kStampRadius = 15;

// Variables (geocentric Julian dates of mid-exposure, UTC).
// Primary minimum in the middle of the default night, both secondary
// eclipses just outside it.
constexpr double kEclipsingPeriod = 0.28370;
constexpr double kEclipsingEpoch = 2460564.46900;  // primary minimum
constexpr double kEclipsingMax = 11.00;
constexpr double kPrimaryDepth = 0.85;
constexpr double kSecondaryDepth = 0.12;
constexpr double kEclipseHalfWidth = 0.07;  // phase
constexpr double kPulsatorPeriod = 0.06130;
constexpr double kPulsatorEpoch = 2460564.38000;  // maximum light
constexpr double kPulsatorBright = 12.20;
constexpr double kPulsatorAmplitude = 0.30;

enum class Kind { Eclipsing, Pulsator, Constant };

struct Star {
  std::string name;  // empty for field stars
  char role = ' ';   // 'V', 'C' or ' '
  Kind kind = Kind::Constant;
  double x = 0, y = 0;  // position in the first image
  double magnitude = 0;
};

// --- Random numbers that do not depend on the standard library version -----
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }  // [0, 1)
  double Normal() {  // Box-Muller, both values used
    if (hasSpare_) {
      hasSpare_ = false;
      return spare_;
    }
    double u1 = 0;
    while (u1 <= 0) u1 = Uniform();
    const double u2 = Uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2 * kPi * u2);
    hasSpare_ = true;
    return r * std::cos(2 * kPi * u2);
  }
  double Poisson(double mean) {
    if (mean <= 0) return 0;
    if (mean > 40) return std::max(0.0, mean + std::sqrt(mean) * Normal());
    const double limit = std::exp(-mean);  // Knuth
    double product = Uniform();
    int k = 0;
    while (product > limit) {
      ++k;
      product *= Uniform();
    }
    return k;
  }

 private:
  std::uint64_t state_;
  bool hasSpare_ = false;
  double spare_ = 0;
};

std::uint64_t StreamSeed(unsigned seed, std::uint64_t stream) {
  Random mix((static_cast<std::uint64_t>(seed) << 20) ^ (stream * 0xD1B54A32D192ED03ull));
  return mix.Next();
}

// --- Light curves ----------------------------------------------------------
double Frac(double v) {
  return v - std::floor(v);
}

double EclipsingMagnitude(double jd) {
  const double phase = Frac((jd - kEclipsingEpoch) / kEclipsingPeriod + 0.5) - 0.5;
  auto dip = [](double offset, double depth) {
    const double u = offset / kEclipseHalfWidth;
    return std::abs(u) < 1 ? depth * std::pow(1 - u * u, 1.5) : 0.0;
  };
  const double secondary = phase >= 0 ? phase - 0.5 : phase + 0.5;
  return kEclipsingMax + dip(phase, kPrimaryDepth) + dip(secondary, kSecondaryDepth);
}

// Fast rise, slow decline: the first three terms of a saw-tooth.
double PulsatorShape(double phase) {
  const double a = 2 * kPi * phase;
  return -(std::sin(a) + 0.40 * std::sin(2 * a) + 0.15 * std::sin(3 * a));
}

struct PulsatorForm {
  double minimum, maximum, phaseOfMinimum;
};

const PulsatorForm& Form() {
  static const PulsatorForm form = [] {
    PulsatorForm f{1e9, -1e9, 0};
    for (int i = 0; i < 100000; ++i) {
      const double phase = i / 100000.0;
      const double v = PulsatorShape(phase);
      if (v < f.minimum) {
        f.minimum = v;
        f.phaseOfMinimum = phase;
      }
      f.maximum = std::max(f.maximum, v);
    }
    return f;
  }();
  return form;
}

double PulsatorMagnitude(double jd) {
  const PulsatorForm& f = Form();
  const double phase = Frac((jd - kPulsatorEpoch) / kPulsatorPeriod) + f.phaseOfMinimum;
  return kPulsatorBright +
         kPulsatorAmplitude * (PulsatorShape(phase) - f.minimum) / (f.maximum - f.minimum);
}

double Magnitude(const Star& star, double jd) {
  switch (star.kind) {
    case Kind::Eclipsing:
      return EclipsingMagnitude(jd);
    case Kind::Pulsator:
      return PulsatorMagnitude(jd);
    case Kind::Constant:
      break;
  }
  return star.magnitude;
}

// Magnitude of the mean flux over the exposure.
double ExposureMagnitude(const Star& star, double jdStart) {
  if (star.kind == Kind::Constant) return star.magnitude;
  constexpr int kSteps = 7;
  double flux = 0;
  for (int i = 0; i < kSteps; ++i) {
    const double jd = jdStart + (i + 0.5) / kSteps * kExposure / 86400.0;
    flux += std::pow(10.0, -0.4 * Magnitude(star, jd));
  }
  return -2.5 * std::log10(flux / kSteps);
}

// --- Sky -------------------------------------------------------------------
// Air mass of the field centre, as the photometry run computes it.
double AirMass(double t) {
  return FieldAirMass(t, kLongitudeWestDeg * kDeg, kLatitudeDeg * kDeg, kFieldRADeg * kDeg,
                      kFieldDecDeg * kDeg);
}

// Two thin clouds crossing the field, in magnitudes; hours since the start.
double Clouds(double hours) {
  auto bump = [hours](double centre, double width, double depth) {
    const double u = (hours - centre) / width;
    return depth * std::exp(-u * u);
  };
  return bump(1.6, 0.25, 0.35) + bump(4.3, 0.35, 0.20);
}

// --- The field -------------------------------------------------------------
std::vector<Star> Field(unsigned seed) {
  std::vector<Star> stars = {
      {"ECLIPSANTE", 'V', Kind::Eclipsing, 241.37, 262.81, kEclipsingMax},
      {"PULSANTE", 'V', Kind::Pulsator, 352.64, 158.23, kPulsatorBright},
      {"CHK_11.20", 'V', Kind::Constant, 148.92, 371.45, 11.20},
      {"10.52", 'C', Kind::Constant, 128.18, 140.66, 10.52},
      {"11.37", 'C', Kind::Constant, 381.75, 378.34, 11.37},
      {"11.84", 'C', Kind::Constant, 276.53, 409.12, 11.84},
  };
  const size_t named = stars.size();
  Random random(StreamSeed(seed, 0));
  while (stars.size() < 40) {
    Star s;
    s.x = 55 + random.Uniform() * (kSampleWidth - 110);
    s.y = 55 + random.Uniform() * (kSampleHeight - 110);
    // More faint stars than bright ones, as in any field.
    const double u = random.Uniform();
    s.magnitude = 14.8 - 4.5 * u * u;
    bool clear = true;
    for (size_t i = 0; i < stars.size() && clear; ++i) {
      // Named stars keep their sky annulus (radius 30 with the default settings) clean.
      const double minimum = i < named ? 36.0 : 12.0;
      clear = std::hypot(s.x - stars[i].x, s.y - stars[i].y) >= minimum;
    }
    if (clear) stars.push_back(s);
  }
  return stars;
}

// Everything that changes from image to image.
struct Frame {
  int index = 0;        // 0-based
  int startSecond = 0;  // seconds since 0 h UT of the first night's date
  double jdMid = 0;     // mid-exposure Julian date
  double airMass = 1;
  double clouds = 0;
  double fwhm = 3;
  double dx = 0, dy = 0;  // drift of the field since the first image
};

Frame MakeFrame(int index, unsigned seed) {
  Random random(StreamSeed(seed, 1000 + static_cast<std::uint64_t>(index)));
  Frame f;
  f.index = index;
  f.startSecond =
      kStartSecond + index * kCadence + (index > 0 ? static_cast<int>(random.Next() % 5) : 0);
  const double day = *EncodeDate(kYear, kMonth, kDay);
  const double midCalendar = day + (f.startSecond + kExposure / 2.0) / 86400.0;
  f.jdMid = midCalendar + kCalendarToJD;
  f.airMass = AirMass(midCalendar);
  const double hours = (f.startSecond - kStartSecond) / 3600.0;
  f.clouds = Clouds(hours) + (index > 0 ? 0.004 * random.Normal() : 0.0);
  f.clouds = std::max(0.0, f.clouds);
  const double phase = Frac(seed * 0.1234567);
  f.fwhm = std::clamp(
      3.1 + 0.45 * std::sin(2 * kPi * (hours / 3.7 + phase)) + 0.12 * random.Normal(), 2.5, 4.0);
  // Slow drift of a few pixels over the night, plus guiding jitter.
  if (index > 0) {
    f.dx = 4.0 * hours / 5.5 + 0.15 * random.Normal();
    f.dy = -2.5 * hours / 5.5 + 0.15 * random.Normal();
  }
  return f;
}

double Counts(double magnitude, const Frame& f) {
  return std::pow(10.0, -0.4 * (magnitude + kExtinction * f.airMass + f.clouds - kZeroPoint)) *
         kExposure;
}

double SkyLevel(const Frame& f, double x, double y) {
  const double level = kSkyPerPixel * (1 + 0.25 * (f.airMass - 1));
  return level * (1 + 0.08 * (x - 255.5) / 255.5 + 0.04 * (y - 255.5) / 255.5);
}

// Adds a Moffat star of `counts` centred at (cx, cy); each pixel integrated on
// a 4 x 4 grid and the stamp scaled so that it holds exactly `counts`.
void AddStar(std::vector<double>& image, double cx, double cy, double counts, double fwhm) {
  const double alpha = fwhm / (2 * std::sqrt(std::pow(2.0, 1 / kMoffatBeta) - 1));
  const double a2 = alpha * alpha;
  const int x0 = static_cast<int>(std::lround(cx)), y0 = static_cast<int>(std::lround(cy));
  std::vector<double> stamp;
  double total = 0;
  for (int y = y0 - kStampRadius; y <= y0 + kStampRadius; ++y) {
    for (int x = x0 - kStampRadius; x <= x0 + kStampRadius; ++x) {
      double v = 0;
      for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
          const double px = x - 0.375 + 0.25 * i - cx, py = y - 0.375 + 0.25 * j - cy;
          const double u = 1 + (px * px + py * py) / a2;
          v += 1 / (u * u * u * u);  // beta = 4
        }
      }
      stamp.push_back(v);
      total += v;
    }
  }
  size_t k = 0;
  for (int y = y0 - kStampRadius; y <= y0 + kStampRadius; ++y) {
    for (int x = x0 - kStampRadius; x <= x0 + kStampRadius; ++x, ++k) {
      if (x < 0 || y < 0 || x >= kSampleWidth || y >= kSampleHeight) continue;
      image[static_cast<size_t>(y) * kSampleWidth + x] += counts * stamp[k] / total;
    }
  }
}

// --- Texts -----------------------------------------------------------------
std::string TwoDigits(int v) {
  return FormatFloat("00", v);
}

// "yyyy-mm-ddThh:mm:ss" of a second count from 0 h of the first date.
std::string IsoDate(int second) {
  const double day = *EncodeDate(kYear, kMonth, kDay) + second / 86400;
  const int s = second % 86400;
  return FormatDate("yyyy-mm-dd", day) + "T" + TwoDigits(s / 3600) + ":" + TwoDigits(s / 60 % 60) +
         ":" + TwoDigits(s % 60);
}

// MPC date text: "yyyymmdd" and the day fraction with five decimals; a
// fraction that rounds to 1 carries into the next date.
std::string MpcDate(double secondsFromFirstDay) {
  double day = *EncodeDate(kYear, kMonth, kDay) + std::floor(secondsFromFirstDay / 86400);
  std::string fraction = FormatFloat("0.00000", std::fmod(secondsFromFirstDay, 86400.0) / 86400);
  if (fraction[0] == '1') {
    day += 1;
    fraction = "0.00000";
  }
  return FormatDate("yyyymmdd", day) + fraction.substr(1);
}

FitsImage16 Render(const std::vector<Star>& stars, const Frame& f, unsigned seed) {
  std::vector<double> expected(static_cast<size_t>(kSampleWidth) * kSampleHeight);
  for (int y = 0; y < kSampleHeight; ++y)
    for (int x = 0; x < kSampleWidth; ++x)
      expected[static_cast<size_t>(y) * kSampleWidth + x] = SkyLevel(f, x, y);
  const double jdStart = f.jdMid - kExposure / 2.0 / 86400.0;
  for (const Star& s : stars)
    AddStar(expected, s.x + f.dx, s.y + f.dy, Counts(ExposureMagnitude(s, jdStart), f), f.fwhm);

  Random noise(StreamSeed(seed, 1000000 + static_cast<std::uint64_t>(f.index)));
  FitsImage16 image;
  image.width = kSampleWidth;
  image.height = kSampleHeight;
  image.pixels.reserve(expected.size());
  for (double mean : expected) {
    const double value = kPedestal + noise.Poisson(mean) + kReadNoise * noise.Normal();
    image.pixels.push_back(
        static_cast<std::uint16_t>(std::clamp<long long>(RoundHalfEven(value), 0, 65535)));
  }

  const double degPerPixel = kScale / 3600.0;
  image.cards = {
      StringCard("DATE-OBS", IsoDate(f.startSecond), "inicio de la exposicion (UT)"),
      NumberCard("EXPTIME", "0.0", kExposure, "segundos"),
      StringCard("OBJECT", "CAMPO SIMULADO"),
      StringCard("OBJCTRA", kFieldRAText, "AR del centro del campo"),
      StringCard("OBJCTDEC", kFieldDecText, "Dec del centro del campo"),
      StringCard("FILTER", "V"),
      StringCard("TELESCOP", "Lumenda simular"),
      NumberCard("AIRMASS", "0.00000", f.airMass, "masa de aire del centro"),
      NumberCard("MZERO", "0.000",
                 kZeroPoint + 2.5 * std::log10(kExposure) - kExtinction * f.airMass,
                 "magnitud de una cuenta"),
      NumberCard("CRPIX1", "0.000", kSampleWidth / 2.0 + 0.5 + f.dx, "pixel de referencia"),
      NumberCard("CRPIX2", "0.000", kSampleHeight / 2.0 + 0.5 + f.dy),
      NumberCard("CRVAL1", "0.000000", kFieldRADeg, "AR de referencia, grados"),
      NumberCard("CRVAL2", "0.000000", kFieldDecDeg, "Dec de referencia, grados"),
      NumberCard("CDELT1", "0.0000000000", -degPerPixel, "grados por pixel"),
      NumberCard("CDELT2", "0.0000000000", degPerPixel),
      NumberCard("CROTA1", "0.000", 0.0),
      NumberCard("CROTA2", "0.000", 0.0),
  };
  return image;
}

std::string StarEntry(const Star& s) {
  return std::string(1, s.role) + " " + FormatFloat("0000.00", s.x) + "  " +
         FormatFloat("0000.00", s.y) + "  " + s.name;
}

std::vector<std::string> TruthHeader(const std::vector<Star>& named, int images, unsigned seed) {
  std::vector<std::string> lines = {
      "# Noche simulada de Lumenda: valores verdaderos.",
      "# Las lineas que empiezan por \"#\" son comentarios; las demas son \"CLAVE valores\" o",
      "# filas de IMAGEN. Magnitudes V; fechas julianas geocentricas (UTC) del centro de la",
      "# exposicion; posiciones en pixeles (columna, fila; 0 = primer pixel, sin volteos).",
      "# Cuentas = 10^(-0.4 (m + K * MASA_AIRE + NUBES - ZP)) * EXPTIME, antes del ruido.",
      "# Fila IMAGEN: ARCHIVO FECHA_MPC JD MASA_AIRE NUBES FWHM FONDO, y por cada ESTRELLA,",
      "# en el orden de las lineas ESTRELLA: MAG X Y CUENTAS.",
      "#   FECHA_MPC  centro de la exposicion, yyyymmdd.ddddd",
      "#   MASA_AIRE  del centro del campo (Kasten y Young)",
      "#   NUBES      extincion de las nubes, magnitudes (igual para todas las estrellas)",
      "#   FWHM       de la imagen, pixeles (perfil de Moffat, beta 4)",
      "#   FONDO      cielo en el centro de la imagen, ADU por pixel, sin el pedestal",
      "SEMILLA " + std::to_string(seed),
      "IMAGENES " + std::to_string(images),
      std::string("CAMPO ") + kFieldRAText + "  " + kFieldDecText,
      "SITIO 40 24 00 N  003 41 00 W",
      "ESCALA " + FormatFloat("0.00", kScale) + " segundos de arco por pixel",
      "EXPTIME " + std::to_string(kExposure),
      "ZP " + FormatFloat("0.00", kZeroPoint),
      "K " + FormatFloat("0.00", kExtinction),
      "PEDESTAL " + FormatFloat("0", kPedestal),
      "RUIDO_LECTURA " + FormatFloat("0", kReadNoise) + " ADU, ganancia 1 e-/ADU",
      "# ESTRELLA nombre tipo descripcion (tipo V variable o de control, C de calibrado)",
  };
  for (const Star& s : named) {
    std::string what;
    switch (s.kind) {
      case Kind::Eclipsing:
        what = "eclipsante tipo Algol: " + FormatFloat("0.00", kEclipsingMax) +
               " fuera de eclipse, minimo primario " +
               FormatFloat("0.00", kEclipsingMax + kPrimaryDepth) + ", secundario " +
               FormatFloat("0.00", kEclipsingMax + kSecondaryDepth);
        break;
      case Kind::Pulsator:
        what = "pulsante de periodo corto: " + FormatFloat("0.00", kPulsatorBright) + " a " +
               FormatFloat("0.00", kPulsatorBright + kPulsatorAmplitude) +
               ", subida rapida y bajada lenta";
        break;
      case Kind::Constant:
        what = s.role == 'C' ? "calibrado, magnitud de catalogo " + FormatFloat("0.00", s.magnitude)
                             : "estrella de control constante, magnitud de catalogo " +
                                   FormatFloat("0.00", s.magnitude);
        break;
    }
    lines.push_back("ESTRELLA " + s.name + " " + s.role + " " + what);
  }
  lines.push_back("# PERIODO nombre periodo_dias epoca_JD (que marca la epoca)");
  lines.push_back("PERIODO ECLIPSANTE " + FormatFloat("0.00000", kEclipsingPeriod) + " " +
                  FormatFloat("0.00000", kEclipsingEpoch) + " minimo primario");
  lines.push_back("PERIODO PULSANTE " + FormatFloat("0.00000", kPulsatorPeriod) + " " +
                  FormatFloat("0.00000", kPulsatorEpoch) + " maximo");
  lines.push_back("# IMAGEN ARCHIVO FECHA_MPC JD MASA_AIRE NUBES FWHM FONDO [MAG X Y CUENTAS]...");
  return lines;
}

}  // namespace

std::string SampleImageName(int index1) {
  return "muestra_" + FormatFloat("000", index1) + ".fit";
}

std::string SampleNightTruth(int images, unsigned seed) {
  std::vector<Star> named;
  for (const Star& s : Field(seed))
    if (!s.name.empty()) named.push_back(s);
  std::vector<std::string> truth = TruthHeader(named, images, seed);
  for (int i = 0; i < images; ++i) {
    const Frame f = MakeFrame(i, seed);
    const double jdStart = f.jdMid - kExposure / 2.0 / 86400.0;
    std::string row = "IMAGEN " + SampleImageName(i + 1) + " " +
                      MpcDate(f.startSecond + kExposure / 2.0) + " " +
                      FormatFloat("0.00000", f.jdMid) + " " + FormatFloat("0.00000", f.airMass) +
                      " " + FormatFloat("0.0000", f.clouds) + " " + FormatFloat("0.000", f.fwhm) +
                      " " + FormatFloat("0.00", SkyLevel(f, 255.5, 255.5));
    for (const Star& s : named) {
      const double m = ExposureMagnitude(s, jdStart);
      row += " " + FormatFloat("0.0000", m) + " " + FormatFloat("0.000", s.x + f.dx) + " " +
             FormatFloat("0.000", s.y + f.dy) + " " + FormatFloat("0", Counts(m, f));
    }
    truth.push_back(row);
  }
  return JoinLines(truth);
}

Status WriteSampleNight(const std::string& folder, int images, unsigned seed) {
  if (images < 1 || images > kSampleMaxImages)
    return Status::Fail("El número de imágenes debe estar entre 1 y " +
                        std::to_string(kSampleMaxImages) + ".");
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!DirectoryExists(folder)) return Status::Fail("No se puede crear la carpeta " + folder);
  const std::string dir = folder.back() == '/' ? folder : folder + "/";

  const std::vector<Star> stars = Field(seed);
  for (int i = 0; i < images; ++i) {
    const Status st =
        WriteFits16(dir + SampleImageName(i + 1), Render(stars, MakeFrame(i, seed), seed));
    if (!st.ok()) return st;
  }

  // Star file: variables first, then comparison stars, positions of the first image.
  std::vector<std::string> starFile;
  for (char role : {'V', 'C'})
    for (const Star& s : stars)
      if (!s.name.empty() && s.role == role) starFile.push_back(StarEntry(s));

  if (Status written = WriteFileAtomic(dir + "estrellas.txt", JoinLines(starFile)); !written.ok())
    return written;
  return WriteFileAtomic(dir + "verdad.txt", SampleNightTruth(images, seed));
}

}  // namespace lumenda
