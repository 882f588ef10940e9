// lumenda-cli info, clave, medir, estrellas: one image, its header, the
// measurement of one star and the automatic star search.
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "astro/time.h"
#include "cli_support.h"
#include "commands.h"
#include "image/find_stars.h"
#include "image/fits_image.h"
#include "image/measure_star.h"
#include "text/number_format.h"

namespace lumenda::cli {
namespace {

void LoadOrFail(TPlaca& image, const std::string& path, bool headerOnly) {
  const Status loaded = headerOnly ? image.LoadHeader(path) : image.LoadFile(path);
  if (!loaded.ok()) Fail(loaded.message);
}

double ReadReal(const std::string& text, const std::string& what) {
  const auto value = ParseDouble(text);
  if (!value) Fail("Valor no válido para " + what + ": " + text);
  return *value;
}

int ReadInteger(const std::string& text, const std::string& what) {
  const auto value = ParseInt(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX)
    Fail("Valor no válido para " + what + ": " + text);
  return static_cast<int>(*value);
}

struct InfoOptions {
  std::string image;
};

void RunInfo(const InfoOptions& options) {
  TPlaca image;
  // BITPIX as the file has it: a full load rewrites it for 32-bit data.
  LoadOrFail(image, options.image, true);
  const std::string bitpix = image.GetKeyword("BITPIX");
  LoadOrFail(image, options.image, false);

  const Settings settings = LoadUserSettings();
  const double cTiempo = ParseDouble(settings.cTiempo).value_or(0.0);
  const std::string date =
      MidExposureDate([&image](const std::string& key) { return image.GetKeyword(key); }, cTiempo);

  const uint16_t* data = image.Data();
  const size_t count = static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height());
  unsigned long long sum = 0;
  uint16_t min = 65535, max = 0;
  for (size_t i = 0; i < count; ++i) {
    sum += data[i];
    min = std::min(min, data[i]);
    max = std::max(max, data[i]);
  }
  PrintLine("ANCHO", IntToStr(image.Width()));
  PrintLine("ALTO", IntToStr(image.Height()));
  PrintLine("BITPIX", bitpix);
  PrintLine("FECHA", date);
  PrintLine("JD", DateToJD(date));
  PrintLine("MIN", IntToStr(min));
  PrintLine("MAX", IntToStr(max));
  PrintLine("MEDIA", FormatFloat("0.000", static_cast<double>(sum) / static_cast<double>(count)));
  PrintLine("SUMA", IntToStr(static_cast<long long>(sum)));
}

struct KeyOptions {
  std::string image;
  std::string key;
};

void RunKey(const KeyOptions& options) {
  TPlaca image;
  LoadOrFail(image, options.image, true);
  std::cout << image.GetKeyword(options.key) << "\n";
}

struct MeasureOptions {
  std::string image;
  std::string x;
  std::string y;
  std::string radio;
  std::string radioI;
  std::string radioE;
  bool flipX = false;
  bool flipY = false;
};

void RunMeasure(const MeasureOptions& options) {
  const double x = ReadReal(options.x, "X");
  const double y = ReadReal(options.y, "Y");
  const Settings settings = LoadUserSettings();
  ApertureSettings aperture{settings.mRadio, settings.mRadioI, settings.mRadioE, settings.mFlipX,
                            settings.mFlipY};
  if (!options.radio.empty()) aperture.radio = ReadReal(options.radio, "--radio");
  if (!options.radioI.empty()) aperture.radioI = ReadInteger(options.radioI, "--radioi");
  if (!options.radioE.empty()) aperture.radioE = ReadInteger(options.radioE, "--radioe");
  if (options.flipX) aperture.flipX = true;
  if (options.flipY) aperture.flipY = true;
  if (!(aperture.radio > 0) || aperture.radioI < 0 || aperture.radioE < 0)
    Fail("Radios de medida no válidos");

  TPlaca image;
  LoadOrFail(image, options.image, false);
  const StarMeasurement m = MeasureStar(image, aperture, x, y);
  std::cout << "X=" << FormatFloat("0.0000", m.x) << " Y=" << FormatFloat("0.0000", m.y)
            << " FLUJO=" << IntToStr(m.flux) << " PICO=" << IntToStr(m.peak)
            << " RSR=" << FormatFloat("0.0000", m.rsr) << " FONDO=" << FormatFloat("0.0000", m.sky)
            << " FWHM=" << FormatFloat("0.0000", m.fwhm) << "\n";
}

struct StarsOptions {
  std::string image;
  std::string minAdu;
  std::string minRsr;
  std::string lsat;
};

void RunStars(const StarsOptions& options) {
  const std::stop_token stop = InterruptToken();
  const Settings settings = LoadUserSettings();
  const int minAdu =
      ReadInteger(options.minAdu.empty() ? settings.minAdu : options.minAdu, "--minadu");
  const double minRsr =
      ReadReal(options.minRsr.empty() ? settings.minRsr : options.minRsr, "--minrsr");
  const int lsat = ReadInteger(options.lsat.empty() ? settings.lsat : options.lsat, "--lsat");

  TPlaca image;
  LoadOrFail(image, options.image, false);
  const auto found = FindStars(image, StarSearch{minAdu, lsat, minRsr, 0}, stop);
  if (!found.ok()) Fail(found);
  for (const StarFit& fit : found.value.stars) std::cout << FormatStarLine(fit) << "\n";
  // No star to measure the FWHM on is an empty result, not a failure.
  if (!found.value.notice.empty()) std::cerr << found.value.notice << "\n";
}

}  // namespace

void AddImageCommands(CLI::App& app) {
  auto info = std::make_shared<InfoOptions>();
  CLI::App* infoCmd = app.add_subcommand("info", "Tamaño, fecha y estadística de una imagen FITS");
  infoCmd->add_option("IMAGEN", info->image, "Imagen FITS")->required();
  infoCmd->callback([info] { RunInfo(*info); });

  auto key = std::make_shared<KeyOptions>();
  CLI::App* keyCmd = app.add_subcommand("clave", "Valor de una clave de la cabecera FITS");
  keyCmd->add_option("IMAGEN", key->image, "Imagen FITS")->required();
  keyCmd->add_option("CLAVE", key->key, "Nombre de la clave")->required();
  keyCmd->callback([key] { RunKey(*key); });

  auto measure = std::make_shared<MeasureOptions>();
  CLI::App* measureCmd = app.add_subcommand("medir", "Fotometría de apertura de una estrella");
  measureCmd->add_option("IMAGEN", measure->image, "Imagen FITS")->required();
  measureCmd->add_option("X", measure->x, "Columna (coordenadas de pantalla)")->required();
  measureCmd->add_option("Y", measure->y, "Fila (coordenadas de pantalla)")->required();
  measureCmd->add_option("--radio", measure->radio, "Radio de la apertura (RADIO)");
  measureCmd->add_option("--radioi", measure->radioI, "Separación del anillo de cielo (RADIOI)");
  measureCmd->add_option("--radioe", measure->radioE, "Anchura del anillo de cielo (RADIOE)");
  measureCmd->add_flag("--flipx", measure->flipX, "Imagen invertida en X (FLIPX)");
  measureCmd->add_flag("--flipy", measure->flipY, "Imagen invertida en Y (FLIPY)");
  measureCmd->callback([measure] { RunMeasure(*measure); });

  auto stars = std::make_shared<StarsOptions>();
  CLI::App* starsCmd = app.add_subcommand("estrellas", "Localiza las estrellas de una imagen");
  starsCmd->add_option("IMAGEN", stars->image, "Imagen FITS")->required();
  starsCmd->add_option("--minadu", stars->minAdu, "Cuentas mínimas (MINADU)");
  starsCmd->add_option("--minrsr", stars->minRsr, "Relación señal/ruido mínima (MINRSR)");
  starsCmd->add_option("--lsat", stars->lsat, "Nivel de saturación (LSAT)");
  starsCmd->callback([stars] { RunStars(*stars); });
}

}  // namespace lumenda::cli
