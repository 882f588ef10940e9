// lumenda-cli tiempo: the dates of one MPC date text, its heliocentric and
// barycentric corrections for a field, and the sidereal time, altitude and
// air mass for a site.
#include <iostream>
#include <memory>
#include <numbers>
#include <string>

#include "astro/coords.h"
#include "astro/time.h"
#include "cli_support.h"
#include "commands.h"
#include "run/image_list.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda::cli {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

struct TimeOptions {
  std::string mpc;
  std::string ra;
  std::string dec;
  std::string lat;
  std::string lon;
};

void RunTime(const TimeOptions& options) {
  const Result<std::string> jd = TryDateToJD(options.mpc);
  if (!jd.ok()) Fail(jd.message);
  const bool hasField = !options.ra.empty() || !options.dec.empty();
  const bool hasSite = !options.lat.empty() || !options.lon.empty();
  if (hasField && (options.ra.empty() || options.dec.empty()))
    Fail("Las coordenadas del campo necesitan --ar y --dec");
  if (hasSite && (options.lat.empty() || options.lon.empty()))
    Fail("El lugar de observación necesita --lat y --lon");
  if (jd.value == kNullJDText && (hasField || hasSite))
    Fail("La fecha MPC es nula: no hay correcciones ni altura que calcular");

  std::string raText;
  std::string decText;
  if (hasField) {
    const Result<std::string> ra = NormalizeRA(options.ra);
    if (!ra.ok()) Fail(ra.message);
    const Result<std::string> dec = NormalizeDec(options.dec);
    if (!dec.ok()) Fail(dec.message);
    raText = ra.value;
    decText = dec.value;
  }
  double lat = 0;
  double lon = 0;
  if (hasSite) {
    const Result<double> latitude = ReadLatitude(options.lat);
    if (!latitude.ok()) Fail(latitude.message);
    const Result<double> longitude = ReadLongitude(options.lon);
    if (!longitude.ok()) Fail(longitude.message);
    lat = latitude.value * kRadiansPerDegree;
    lon = longitude.value * kRadiansPerDegree;
  }

  PrintLine("JD", jd.value);
  if (hasField) {
    const Result<std::string> hjd = TryHeliocentricJD(jd.value, raText, decText);
    if (!hjd.ok()) Fail(hjd.message);
    const Result<std::string> bjd = TryBarycentricJD(jd.value, raText, decText);
    if (!bjd.ok()) Fail(bjd.message);
    PrintLine("HJD", hjd.value);
    PrintLine("BJD", bjd.value);
  }
  if (hasSite) {
    const double t = DateStringToDateTime(options.mpc);
    const double theta = SiderealTime(t);
    PrintLine("TSG", FormatFloat("0.000000", theta * 12.0 / std::numbers::pi));
    if (hasField) {
      const double ra = RATextToDegrees(raText).value * kRadiansPerDegree;
      const double dec = DecTextToDegrees(decText).value * kRadiansPerDegree;
      const double altitude = EquatorialToHorizontal(theta, lon, lat, ra, dec).altitude;
      PrintLine("ALTURA", FormatFloat("0.0000", altitude / kRadiansPerDegree));
      PrintLine("MASA_AIRE", FormatFloat("0.00000", AirMass(altitude)));
    }
  }
}

}  // namespace

void AddTimeCommands(CLI::App& app) {
  auto options = std::make_shared<TimeOptions>();
  CLI::App* command = app.add_subcommand(
      "tiempo",
      "Fecha juliana, correcciones heliocéntrica y baricéntrica, tiempo sidéreo, "
      "altura y masa de aire de una fecha MPC");
  command->add_option("FECHA_MPC", options->mpc, "Fecha MPC (aaaammdd.ddddd)")->required();
  command->add_option("--ar", options->ra, "Ascensión recta (hh mm ss.s)");
  command->add_option("--dec", options->dec, "Declinación (+dd mm ss)");
  command->add_option("--lat", options->lat, "Latitud (dd mm ss N|S)");
  command->add_option("--lon", options->lon, "Longitud (ddd mm ss W|E)");
  command->callback([options] { RunTime(*options); });
}

}  // namespace lumenda::cli
