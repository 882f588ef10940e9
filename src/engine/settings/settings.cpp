#include "settings/settings.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>

#include "settings/masked_field.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

constexpr int kMaxValueChars = 255;

// First `count` characters of a UTF-8 text, never splitting a character.
std::string_view CutChars(std::string_view text, int count) {
  int seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (seen == count) return text.substr(0, i);
      ++seen;
    }
  }
  return text;
}

// A value typed into a field may hold anything; a line break would split the
// settings file and inject keys, so it is written as a blank.
std::string OneLine(std::string_view text) {
  std::string out(text);
  std::replace_if(
      out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return out;
}

std::optional<int> ToInt(std::string_view value, long long lo = std::numeric_limits<int>::min(),
                         long long hi = std::numeric_limits<int>::max()) {
  auto v = ParseInt(value);
  if (!v || *v < lo || *v > hi) return std::nullopt;
  return static_cast<int>(*v);
}

std::string YesNo(bool b) {
  return b ? "S" : "N";
}

// One line of "lumenda2.ini": how it is written (nullopt = no line) and how a
// value read from the file is applied. A value that does not convert leaves
// the setting as it was.
struct Key {
  std::string_view name;
  std::function<std::optional<std::string>(const Settings&)> write;
  std::function<void(Settings&, std::string_view)> apply;
};

Key Flag(std::string_view name, bool Settings::*field) {
  return {name, [field](const Settings& s) { return YesNo(s.*field); },
          [field](Settings& s, std::string_view v) { s.*field = (v == "S"); }};
}

Key Integer(std::string_view name, int Settings::*field) {
  return {name, [field](const Settings& s) { return IntToStr(s.*field); },
          [field](Settings& s, std::string_view v) {
            if (auto n = ToInt(v)) s.*field = *n;
          }};
}

Key Text(std::string_view name, std::string Settings::*field) {
  return {name, [field](const Settings& s) { return OneLine(s.*field); },
          [field](Settings& s, std::string_view v) { s.*field = std::string(v); }};
}

// A masked field keeps a value only when it fits the mask.
Key Masked(std::string_view name, std::string Settings::*field, std::string_view mask) {
  return {name, [field](const Settings& s) { return OneLine(s.*field); },
          [field, mask](Settings& s, std::string_view v) {
            if (auto fitted = FitMask(v, mask)) s.*field = *fitted;
          }};
}

const std::vector<Key>& Keys() {
  static const std::vector<Key> keys = {
      Flag("FLIPX", &Settings::flipX),
      Flag("FLIPY", &Settings::flipY),
      Masked("RADIO", &Settings::radio, "00.00"),
      Masked("RADIOI", &Settings::radioI, "00"),
      Masked("RADIOE", &Settings::radioE, "00"),
      {"ECONTROL", [](const Settings& s) { return IntToStr(s.eControl); },
       [](Settings& s, std::string_view v) {
         // The slider holds positions 1..9 only.
         if (auto n = ToInt(v)) s.eControl = std::clamp(*n, 1, 9);
       }},
      Masked("RES", &Settings::res, "00.00"),
      Masked("LSAT", &Settings::lsat, "00000"),
      Masked("LAT", &Settings::lat, "00 00 00"),
      {"LAT2", [](const Settings& s) { return s.lat2; },
       [](Settings& s, std::string_view v) { s.lat2 = v == "N" ? "N" : "S"; }},
      Masked("LON", &Settings::lon, "000 00 00"),
      {"LON2", [](const Settings& s) { return s.lon2; },
       [](Settings& s, std::string_view v) { s.lon2 = v == "W" ? "W" : "E"; }},
      Masked("MINADU", &Settings::minAdu, "0000"),
      Masked("MINRSR", &Settings::minRsr, "000"),
      Masked("RADIOS", &Settings::radioS, "0"),
      // The time correction is a free text, but it only makes sense as a number.
      {"CTIEMPO", [](const Settings& s) { return OneLine(s.cTiempo); },
       [](Settings& s, std::string_view v) {
         if (ParseDouble(v)) s.cTiempo = std::string(v);
       }},
      Integer("FOTOL", &Settings::fotoL),
      Integer("FOTOT", &Settings::fotoT),
      Integer("FOTOW", &Settings::fotoW),
      Integer("FOTOH", &Settings::fotoH),
      Integer("FOTOSTATE", &Settings::fotoState),
      Integer("FOTOZ", &Settings::fotoZ),
      Integer("FCONFGLEFT", &Settings::fConfGLeft),
      Integer("FCONFGTOP", &Settings::fConfGTop),
      Integer("FGRAL", &Settings::fGraL),
      Integer("FGRAT", &Settings::fGraT),
      Integer("FGRAW", &Settings::fGraW),
      Integer("FGRAH", &Settings::fGraH),
      {"FGRASTATE",
       [](const Settings& s) -> std::optional<std::string> {
         if (s.fGraState == 1 || s.fGraState == 2) return IntToStr(s.fGraState);
         return std::nullopt;  // minimised: the next start keeps the design state
       },
       [](Settings& s, std::string_view v) {
         if (v == "1") s.fGraState = 1;
         if (v == "2") s.fGraState = 2;
       }},
      Text("OBS", &Settings::obs),
      Text("FILTROIN", &Settings::filtroIn),
      Text("FILTROEX", &Settings::filtroEx),
      {"FILTROAC", [](const Settings& s) { return std::string(1, s.filtroAc); },
       [](Settings& s, std::string_view v) {
         if (v == "N" || v == "I" || v == "E") s.filtroAc = v[0];
       }},
      Text("DIRFOTO", &Settings::dirFoto),
      Text("DIRDATO", &Settings::dirDato),
      Text("DIRPERI", &Settings::dirPeri),
      Integer("XLUPA", &Settings::xLupa),
      Integer("YLUPA", &Settings::yLupa),
      Text("A_OBSCODE", &Settings::aObscode),
      Text("A_CHART", &Settings::aChart),
      {"A_FILTER", [](const Settings& s) { return IntToStr(s.aFilter); },
       [](Settings& s, std::string_view v) {
         if (auto n = ToInt(v, 0)) s.aFilter = *n;
       }},
      Text("CDR_FMT", &Settings::cdrFmt),
      Text("CDR_MES", &Settings::cdrMes),
      Text("CDR_TEL", &Settings::cdrTel),
      Text("CDR_CAP", &Settings::cdrCap),
      Text("CDR_CAT", &Settings::cdrCat),
      Text("CDR_POS", &Settings::cdrPos),
      {"CDR_FIL", [](const Settings& s) { return IntToStr(s.cdrFil); },
       [](Settings& s, std::string_view v) {
         if (auto n = ToInt(v, 0)) s.cdrFil = *n;
       }},
      {"G_DEC", [](const Settings& s) { return IntToStr(s.gDec); },
       [](Settings& s, std::string_view v) {
         // A 16-bit position, kept within 1..5 by the up-down control.
         if (auto n = ToInt(v, -32768, 32767)) s.gDec = std::clamp(*n, 1, 5);
       }},
      Flag("G_ORD", &Settings::gOrd),
      Flag("G_CANT", &Settings::gCant),
      Flag("G_RSR", &Settings::gRsr),
      Flag("G_AIR", &Settings::gAir),
      Flag("G_TRA", &Settings::gTra),
      Flag("G_FWHM", &Settings::gFwhm),
      Flag("G_BRI", &Settings::gBri),
  };
  return keys;
}

const Key* FindKey(std::string_view name) {
  for (const Key& key : Keys())
    if (key.name == name) return &key;
  return nullptr;
}

std::string ReadError(const std::string& path) {
  return "No se puede leer el fichero " + path;
}

// A settings file that exists (as anything) but cannot be read is an error;
// a missing one means defaults.
std::optional<std::vector<std::string>> ReadIfPresent(const std::string& path, Status& status) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  std::optional<std::vector<std::string>> lines;
  if (std::filesystem::is_regular_file(path, ec)) lines = ReadTextLines(path);
  if (!lines) status = Status::Fail(ReadError(path));
  return lines;
}

}  // namespace

void Settings::RefreshMirrors() {
  mFlipX = flipX;
  mFlipY = flipY;
  // A field text that is not a number (possible only through a direct edit of
  // the record) leaves the mirror as it was.
  if (auto r = ParseDouble(radio)) mRadio = *r;
  if (auto n = ToInt(radioI)) mRadioI = *n;
  if (auto n = ToInt(radioE)) mRadioE = *n;
}

std::optional<unsigned> ParseColourHex(std::string_view text) {
  std::string t = Trim(text);
  if (t.size() != 6) return std::nullopt;
  unsigned rgb = 0;
  for (char c : t) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      return std::nullopt;
    rgb = rgb * 16 + static_cast<unsigned>(d);
  }
  return rgb;
}

std::string FormatColourHex(unsigned rgb) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(6, '0');
  for (int i = 5; i >= 0; --i) {
    out[i] = kHex[rgb & 0xF];
    rgb >>= 4;
  }
  return out;
}

void ApplySettingsLine(std::string_view line, Settings& settings) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view name = line.substr(0, eq);
  const std::string_view value = CutChars(line.substr(eq + 1), kMaxValueChars);
  if (const Key* key = FindKey(name)) key->apply(settings, value);
}

std::vector<std::string> SettingsLines(const Settings& settings) {
  std::vector<std::string> lines;
  for (const Key& key : Keys()) {
    if (auto value = key.write(settings)) lines.push_back(std::string(key.name) + "=" + *value);
  }
  return lines;
}

Status LoadSettings(const std::string& appDir, Settings& settings) {
  // The image-window geometry and the magnifier position start from their
  // design values on every load; the file then overrides what it holds.
  const Settings design;
  settings.fotoL = design.fotoL;
  settings.fotoT = design.fotoT;
  settings.fotoW = design.fotoW;
  settings.fotoH = design.fotoH;
  settings.fotoState = design.fotoState;
  settings.fotoZ = design.fotoZ;
  settings.xLupa = design.xLupa;
  settings.yLupa = design.yLupa;

  Status status;
  if (auto lines = ReadIfPresent(appDir + kSettingsFile, status)) {
    for (const std::string& line : *lines) ApplySettingsLine(line, settings);
  }
  settings.RefreshMirrors();
  if (!status.ok()) return status;

  if (auto lines = ReadIfPresent(appDir + kColourFile, status)) {
    settings.customColours.resize(kCustomColourCount, kDefaultCustomColour);
    const size_t n = std::min(lines->size(), settings.customColours.size());
    for (size_t i = 0; i < n; ++i) {
      if (auto rgb = ParseColourHex((*lines)[i])) settings.customColours[i] = FormatColourHex(*rgb);
    }
  }
  return status;
}

Status SaveSettings(const std::string& appDir, Settings& settings) {
  // The measurement must follow the fields even if the disk refuses the file.
  settings.RefreshMirrors();
  if (Status written = WriteFileAtomic(appDir + kSettingsFile, JoinLines(SettingsLines(settings)));
      !written.ok())
    return written;

  std::vector<std::string> colours;
  for (int i = 0; i < kCustomColourCount; ++i) {
    std::optional<unsigned> rgb;
    if (i < static_cast<int>(settings.customColours.size()))
      rgb = ParseColourHex(settings.customColours[i]);
    colours.push_back(rgb ? FormatColourHex(*rgb) : std::string(kDefaultCustomColour));
  }
  return WriteFileAtomic(appDir + kColourFile, JoinLines(colours));
}

}  // namespace lumenda
