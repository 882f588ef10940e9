// The image list (ListaFotos) and the field coordinates of a series.
#pragma once

#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "image/fits_image.h"
#include "settings/settings.h"
#include "text/progress.h"
#include "text/result.h"

namespace lumenda {

// One image of the list: its mid-exposure date and its path.
struct ImageListItem {
  std::string date;  // yyyymmdd.ddddd; "00000000.00000" when undated
  std::string path;

  // The list's line: date, a blank, path.
  std::string Text() const;
  std::string FileName() const;
  static ImageListItem FromText(std::string_view line);
  bool operator==(const ImageListItem&) const = default;
};

// Adds `item` keeping the list in time order (the line compared as text,
// ignoring case: the date first, equal dates by path).
void InsertSorted(std::vector<ImageListItem>& list, ImageListItem item);

// Loads the image's header and dates it (the null date when the header has
// no usable date). Fails with the image's own message.
Result<ImageListItem> DateImage(TPlaca& image, const std::string& path, double cTiempoSeconds);

// "Lista de imágenes": the chosen files (headers only) in time order, each
// file once however often it was chosen. Progress: kOverall with the
// running count in `done` and the file name. Fails on the first file that
// cannot be read, with its name and reason.
Result<std::vector<ImageListItem>> ListImages(const std::vector<std::string>& paths,
                                              double cTiempoSeconds, std::stop_token stop = {},
                                              const Progress& progress = {});

// The FITS files of a folder (extensions .fit, .fts, .fits in any case),
// sorted by name.
std::vector<std::string> FitsFilesInFolder(const std::string& folder);

// --- Field coordinates ------------------------------------------------------

// The texts of the coordinates window.
struct CoordinateTexts {
  std::string ar = "00 00 00.0";  // hh mm ss.s
  std::string dec = "00 00 00";   // dd mm ss (digits field)
  char decSign = 'N';             // 'N' or 'S'
  std::string lat = "00 00 00";
  char latSign = 'N';             // 'N' or 'S'
  std::string lon = "000 00 00";  // ddd mm ss
  char lonSide = 'W';             // 'W' or 'E'
  std::string res = "00.00";      // arc seconds per pixel
};

// Field and site of a series. Angles in radians, longitude positive to the
// west; scale in arc seconds per pixel.
struct FieldCoordinates {
  double ra = 0;
  double dec = 0;
  double latitude = 0;
  double longitude = 0;
  double scale = 0;
  std::string FieldRAText;   // "" until coordinates are entered
  std::string FieldDecText;  // sign + dd mm ss
};

// Pre-fills the window: RA and Dec from the header keywords OBJCTRA and
// OBJCTDEC (normalised; the null texts when absent or unreadable), site and
// scale from the settings.
CoordinateTexts CoordinateTextsFromHeader(const TPlaca& image, const Settings& settings);

// The one check of a site and a scale, wherever they are typed or stored.
// A latitude "dd mm ss N|S" or longitude "ddd mm ss W|E" (blanks between the
// fields, decimals in the seconds) in signed degrees, negative for S and E;
// refused when not of that form, with minutes or seconds of 60 or more, or
// beyond 90 (latitude) or 180 (longitude) degrees.
Result<double> ReadLatitude(std::string_view text);
Result<double> ReadLongitude(std::string_view text);
// The image scale in arc seconds per pixel: a number above 0.
Result<double> ReadScale(std::string_view text);

// Reads the texts by fixed positions (RA hours 1-2, minutes 4-5, seconds
// 7-10; Dec degrees 1-2, minutes 4-5, seconds 7-8). "S" negates the
// declination. Site and scale go through ReadLatitude, ReadLongitude and
// ReadScale. A field that is not a number fails with the conversion message.
Result<FieldCoordinates> ParseCoordinateTexts(const CoordinateTexts& texts);

}  // namespace lumenda
