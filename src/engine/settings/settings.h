// The settings record: every key of "lumenda2.ini" with its default.
// Field texts are kept as the settings dialog shows them (masked texts).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace lumenda {

inline constexpr const char* kSettingsFile = "lumenda2.ini";
inline constexpr const char* kColourFile = "color.ini";

// "color.ini": one custom colour of the colour picker per line, as six
// hexadecimal digits RRGGBB; the picker keeps sixteen, white when unset.
inline constexpr int kCustomColourCount = 16;
inline constexpr const char* kDefaultCustomColour = "FFFFFF";

struct Settings {
  bool flipX = false;                                     // FLIPX
  bool flipY = false;                                     // FLIPY
  std::string radio = "10.00";                            // RADIO, mask "00.00"
  std::string radioI = "10";                              // RADIOI
  std::string radioE = "10";                              // RADIOE
  int eControl = 5;                                       // ECONTROL, 1..9
  std::string res = "02.00";                              // RES, arc seconds per pixel
  std::string lsat = "50000";                             // LSAT
  std::string lat = "00 00 00";                           // LAT
  std::string lat2 = "N";                                 // LAT2: "N" or "S"
  std::string lon = "000 00 00";                          // LON
  std::string lon2 = "W";                                 // LON2: "W" or "E"
  std::string minAdu = "5000";                            // MINADU
  std::string minRsr = "030";                             // MINRSR
  std::string radioS = "3";                               // RADIOS
  std::string cTiempo = "0";                              // CTIEMPO, seconds
  int fotoL = 200, fotoT = 50, fotoW = 700, fotoH = 500;  // FOTOL.. FOTOH
  int fotoState = 1, fotoZ = 1;                           // FOTOSTATE, FOTOZ
  int fConfGLeft = 494, fConfGTop = 84;                   // FCONFGLEFT, FCONFGTOP
  int fGraL = 585, fGraT = 94, fGraW = 776, fGraH = 613;  // FGRAL.. FGRAH
  // FGRASTATE: 1 normal, 2 maximised, 0 minimised (no line written).
  int fGraState = 1;
  std::string obs;                                           // OBS
  std::string filtroIn;                                      // FILTROIN
  std::string filtroEx;                                      // FILTROEX
  char filtroAc = 'E';                                       // FILTROAC: 'N', 'I' or 'E'
  std::string dirFoto, dirDato, dirPeri;                     // DIRFOTO, DIRDATO, DIRPERI
  int xLupa = 100, yLupa = 100;                              // XLUPA, YLUPA
  std::string aObscode, aChart;                              // A_OBSCODE, A_CHART
  int aFilter = 0;                                           // A_FILTER
  std::string cdrFmt = "DVv";                                // CDR_FMT
  std::string cdrMes, cdrTel, cdrCap, cdrCat, cdrPos;        // CDR_MES.. CDR_POS
  int cdrFil = 0;                                            // CDR_FIL
  int gDec = 3;                                              // G_DEC, 1..5
  bool gOrd = true, gCant = true, gRsr = true, gAir = true;  // G_ORD.. G_AIR
  bool gTra = true, gFwhm = true, gBri = true;               // G_TRA.. G_BRI

  // Custom colours of the colour picker ("color.ini"), as stored lines
  // ("RRGGBB").
  std::vector<std::string> customColours =
      std::vector<std::string>(kCustomColourCount, kDefaultCustomColour);

  // Mirrored values used by every measurement; refreshed by LoadSettings and
  // SaveSettings (RefreshMirrors).
  bool mFlipX = false;
  bool mFlipY = false;
  double mRadio = 10.0;
  int mRadioI = 10;
  int mRadioE = 10;
  void RefreshMirrors();
};

// "RRGGBB" (blanks around allowed, either case) -> 0xRRGGBB.
std::optional<unsigned> ParseColourHex(std::string_view text);
// 0xRRGGBB -> "RRGGBB" in upper case.
std::string FormatColourHex(unsigned rgb);

// Applies one line of "lumenda2.ini": the first "=" splits key and value, the
// value is cut to 255 characters, unknown keys and lines without "=" are
// ignored, and a value that does not convert leaves the setting unchanged.
void ApplySettingsLine(std::string_view line, Settings& settings);

// The lines of "lumenda2.ini" for `settings`, in the file's key order.
std::vector<std::string> SettingsLines(const Settings& settings);

// Reads appDir + "lumenda2.ini" and "color.ini" into `settings` (missing files
// keep the current values), then refreshes the mirrors. The image-window
// geometry (FOTOL..FOTOZ) and the magnifier position restart from their
// defaults first. A value that does not convert keeps that key's current
// value; masked fields keep only a value that fits their mask (see
// settings/masked_field.h). Returns a failure only for an unreadable file.
Status LoadSettings(const std::string& appDir, Settings& settings);

// Writes "lumenda2.ini" (CR LF, key order of the table) and "color.ini"
// atomically. The mirrors are refreshed first, so they follow the fields even
// when the file cannot be written.
Status SaveSettings(const std::string& appDir, Settings& settings);

}  // namespace lumenda
