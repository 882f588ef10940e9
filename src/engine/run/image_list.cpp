#include "run/image_list.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>
#include <sstream>

#include "astro/coords.h"
#include "astro/time.h"
#include "run/results_format.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace rf = results;
namespace fs = std::filesystem;

namespace {

bool IsFitsName(const std::string& path) {
  const std::string ext = ToLower(fs::path(path).extension().string());
  return ext == ".fit" || ext == ".fts" || ext == ".fits";
}

// Sexagesimal field of a typed text, read by position.
std::optional<double> Sexagesimal(std::string_view text, Column d, Column m, Column s,
                                  std::string& error) {
  double parts[3];
  const Column columns[3] = {d, m, s};
  for (int i = 0; i < 3; ++i) {
    const std::string_view field = Field(text, columns[i]);
    const auto v = ParseDouble(field);
    if (!v) {
      error = "'" + std::string(field) + "' no es un valor numérico válido";
      return std::nullopt;
    }
    parts[i] = *v;
  }
  return parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
}

constexpr double kDegree = std::numbers::pi / 180.0;

}  // namespace

std::string ImageListItem::Text() const {
  return date + " " + path;
}

std::string ImageListItem::FileName() const {
  return fs::path(path).filename().string();
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

Result<ImageListItem> DateImage(TPlaca& image, const std::string& path, double cTiempoSeconds) {
  if (Status loaded = image.LoadHeader(path); !loaded.ok())
    return Result<ImageListItem>::FailWith(loaded);
  const KeywordLookup keyword = [&image](const std::string& key) { return image.GetKeyword(key); };
  return Result<ImageListItem>::Ok(ImageListItem{MidExposureDate(keyword, cTiempoSeconds), path});
}

Result<std::vector<ImageListItem>> ListImages(const std::vector<std::string>& paths,
                                              double cTiempoSeconds, std::stop_token stop,
                                              const Progress& progress) {
  using Out = Result<std::vector<ImageListItem>>;
  std::vector<ImageListItem> list;
  list.reserve(paths.size());
  std::set<std::string> seen;
  TPlaca image;
  const auto total = static_cast<long long>(paths.size());
  for (const std::string& path : paths) {
    if (stop.stop_requested()) return Out::Stopped();
    // A file chosen twice (or a folder given twice) is measured once.
    std::error_code ec;
    fs::path same = fs::weakly_canonical(path, ec);
    if (ec) same = fs::path(path).lexically_normal();
    if (!seen.insert(same.string()).second) continue;
    const std::string name = fs::path(path).filename().string();
    auto item = DateImage(image, path, cTiempoSeconds);
    if (!item.ok()) return Out::Fail(name + ": " + item.message, item.kind);
    InsertSorted(list, std::move(item.value));
    Report(progress, {ProgressLine::kOverall, static_cast<long long>(list.size()), total, 0, name});
  }
  return Out::Ok(std::move(list));
}

std::vector<std::string> FitsFilesInFolder(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string path = it->path().string();
    if (IsFitsName(path)) out.push_back(path);
  }
  std::sort(out.begin(), out.end());
  return out;
}

CoordinateTexts CoordinateTextsFromHeader(const TPlaca& image, const Settings& settings) {
  CoordinateTexts t;
  const auto ra = NormalizeRA(image.GetKeyword("OBJCTRA"));
  t.ar = ra.ok() ? ra.value : std::string(kNullRAText);
  const auto dec = NormalizeDec(image.GetKeyword("OBJCTDEC"));
  const std::string decText = dec.ok() ? dec.value : std::string(kNullDecText);
  t.decSign = decText[0] == '-' ? 'S' : 'N';
  t.dec = std::string(Copy(decText, 2, 8));
  t.lat = settings.lat;
  t.latSign = settings.lat2 == "S" ? 'S' : 'N';
  t.lon = settings.lon;
  t.lonSide = settings.lon2 == "E" ? 'E' : 'W';
  t.res = settings.res;
  return t;
}

namespace {

// "dd mm ss H" with H `positive` or `negative`: signed degrees, or nothing.
std::optional<double> SiteAngle(std::string_view text, char positive, char negative,
                                double maxDegrees) {
  const std::string trimmed = ToUpper(Trim(text));
  if (trimmed.empty()) return std::nullopt;
  const char hemisphere = trimmed.back();
  if (hemisphere != positive && hemisphere != negative) return std::nullopt;
  std::istringstream fields(trimmed.substr(0, trimmed.size() - 1));
  std::vector<std::string> parts;
  for (std::string part; fields >> part;) parts.push_back(part);
  if (parts.size() != 3) return std::nullopt;
  const auto degrees = ParseInt(parts[0]);
  const auto minutes = ParseInt(parts[1]);
  const auto seconds = ParseDouble(parts[2]);
  if (!degrees || !minutes || !seconds || *degrees < 0 || *minutes < 0 || *minutes >= 60 ||
      !(*seconds >= 0) || *seconds >= 60)
    return std::nullopt;
  const double value = static_cast<double>(*degrees) + *minutes / 60.0 + *seconds / 3600.0;
  if (value > maxDegrees) return std::nullopt;
  return hemisphere == negative ? -value : value;
}

}  // namespace

Result<double> ReadLatitude(std::string_view text) {
  if (const auto v = SiteAngle(text, 'N', 'S', 90)) return Result<double>::Ok(*v);
  return Result<double>::Fail("Latitud no válida: '" + std::string(text) +
                              "' (se espera \"dd mm ss N\" o \"S\")");
}

Result<double> ReadLongitude(std::string_view text) {
  if (const auto v = SiteAngle(text, 'W', 'E', 180)) return Result<double>::Ok(*v);
  return Result<double>::Fail("Longitud no válida: '" + std::string(text) +
                              "' (se espera \"ddd mm ss W\" o \"E\")");
}

Result<double> ReadScale(std::string_view text) {
  const auto v = ParseDouble(text);
  if (v && *v > 0 && std::isfinite(*v)) return Result<double>::Ok(*v);
  return Result<double>::Fail("Resolución no válida: '" + Trim(text) +
                              "' (se esperan segundos de arco por pixel, más de 0)");
}

Result<FieldCoordinates> ParseCoordinateTexts(const CoordinateTexts& t) {
  using R = Result<FieldCoordinates>;
  std::string error;
  const auto ra = Sexagesimal(t.ar, {1, 2}, {4, 5}, {7, 10}, error);
  if (!ra) return R::Fail(error);
  const auto dec = Sexagesimal(t.dec, {1, 2}, {4, 5}, {7, 8}, error);
  if (!dec) return R::Fail(error);
  const auto lat = ReadLatitude(t.lat + " " + t.latSign);
  if (!lat.ok()) return R::Fail(lat.message);
  const auto lon = ReadLongitude(t.lon + " " + t.lonSide);
  if (!lon.ok()) return R::Fail(lon.message);
  const auto res = ReadScale(t.res);
  if (!res.ok()) return R::Fail(res.message);
  FieldCoordinates f;
  f.ra = *ra * 15.0 * kDegree;
  // The hemisphere signs apply to the whole value, so "S" with 0 degrees
  // still gives a southern declination.
  f.dec = (t.decSign == 'S' ? -*dec : *dec) * kDegree;
  f.latitude = lat.value * kDegree;
  f.longitude = lon.value * kDegree;
  f.scale = res.value;
  f.FieldRAText = std::string(Copy(t.ar, 1, 20));
  f.FieldDecText = (t.decSign == 'S' ? "-" : "+") + std::string(Copy(t.dec, 1, 20));
  return R::Ok(std::move(f));
}

}  // namespace lumenda
