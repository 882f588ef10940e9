#include "curves/graph_settings.h"

#include <algorithm>
#include <array>

#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace {

// One line of "grafico.ini": its key and the setting it holds. Booleans are
// stored as 0 / 1.
struct IniEntry {
  const char* key;
  int GraphSettings::*number;
  bool GraphSettings::*flag;
  int low;
  int high;
};

constexpr int kAny = 0;
constexpr std::array<IniEntry, 23> kIniEntries{{
    {"VPOS", &GraphSettings::windowTop, nullptr, kAny, kAny},
    {"HPOS", &GraphSettings::windowLeft, nullptr, kAny, kAny},
    {"VTAM", &GraphSettings::windowHeight, nullptr, kAny, kAny},
    {"HTAM", &GraphSettings::windowWidth, nullptr, kAny, kAny},
    {"CFONDO", &GraphSettings::backgroundColour, nullptr, kAny, kAny},
    {"CV1", &GraphSettings::var1Colour, nullptr, kAny, kAny},
    {"TV1", &GraphSettings::var1Size, nullptr, 1, 10},
    {"EV1", &GraphSettings::var1Style, nullptr, 0, 5},
    {"CV2", &GraphSettings::var2Colour, nullptr, kAny, kAny},
    {"TV2", &GraphSettings::var2Size, nullptr, 1, 10},
    {"EV3", &GraphSettings::var2Style, nullptr, 0, 5},
    {"CM1", &GraphSettings::average1Colour, nullptr, kAny, kAny},
    {"TM1", &GraphSettings::average1Width, nullptr, 1, 10},
    {"SM1", &GraphSettings::average1Style, nullptr, kAny, kAny},
    {"VM1", nullptr, &GraphSettings::average1Visible, kAny, kAny},
    {"CM2", &GraphSettings::average2Colour, nullptr, kAny, kAny},
    {"TM2", &GraphSettings::average2Width, nullptr, 1, 10},
    {"SM2", &GraphSettings::average2Style, nullptr, kAny, kAny},
    {"VM2", nullptr, &GraphSettings::average2Visible, kAny, kAny},
    {"MMP", &GraphSettings::averageLength, nullptr, 1, 20},
    {"CAM", &GraphSettings::conditionsLineColour, nullptr, kAny, kAny},
    {"TAM", &GraphSettings::conditionsLineWidth, nullptr, 1, 8},
    {"CFO", &GraphSettings::conditionsBackground, nullptr, kAny, kAny},
}};

}  // namespace

std::string GraphSettingsText(const GraphSettings& settings) {
  std::vector<std::string> lines;
  for (const IniEntry& entry : kIniEntries) {
    long long value = entry.flag ? (settings.*entry.flag ? 1 : 0) : settings.*entry.number;
    lines.push_back(std::string(entry.key) + "=" + IntToStr(value));
  }
  return JoinLines(lines);
}

Status SaveGraphSettings(const std::string& appDir, const GraphSettings& settings) {
  return WriteFileAtomic(appDir + kGraphSettingsFile, GraphSettingsText(settings));
}

Status ApplyGraphSettingsText(std::string_view text, GraphSettings& settings) {
  for (const std::string& line : SplitLines(text)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1, 255);
    auto entry = std::find_if(kIniEntries.begin(), kIniEntries.end(),
                              [&](const IniEntry& e) { return key == e.key; });
    if (entry == kIniEntries.end()) continue;
    auto number = ParseInt(value);
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
      return Status::Fail("'" + value + "' no es un valor entero válido.");
    if (entry->flag) {
      settings.*entry->flag = *number != 0;
      continue;
    }
    int v = static_cast<int>(*number);
    // The spin controls keep their values within their ranges.
    if (entry->low != entry->high) v = std::clamp(v, entry->low, entry->high);
    settings.*entry->number = v;
  }
  return Status::Ok();
}

Status LoadGraphSettings(const std::string& appDir, GraphSettings& settings) {
  const std::string path = appDir + kGraphSettingsFile;
  if (!FileExists(path)) return Status::Fail("Preferencias no definidas.");
  auto text = ReadTextFile(path);
  if (!text) return Status::Fail("No se puede leer el archivo " + path);
  return ApplyGraphSettingsText(*text, settings);
}

void RestoreDefaultLook(GraphSettings& settings) {
  settings.backgroundColour = kColourChartBackground;
  settings.var1Colour = kColourRed;
  settings.var2Colour = kColourNavy;
  settings.average1Colour = kColourRed;
  settings.average2Colour = kColourNavy;
  settings.var1Size = 4;
  settings.var2Size = 4;
  settings.average1Width = 2;
  settings.average2Width = 2;
  settings.var1Style = 1;
  settings.var2Style = 1;
  settings.average1Style = 0;
  settings.average2Style = 0;
}

void RestoreConditionsLook(GraphSettings& settings) {
  settings.conditionsLineColour = kColourRed;
  settings.conditionsLine2Colour = kColourNavy;
  settings.conditionsBackground = kColourChartBackground;
  settings.conditionsLineWidth = 2;
}

void SetAverageStyle(GraphSettings& settings, int line, int style) {
  int& s = line == 1 ? settings.average1Style : settings.average2Style;
  int& w = line == 1 ? settings.average1Width : settings.average2Width;
  s = style;
  if (style != 0) w = 1;
}

void SetAverageWidth(GraphSettings& settings, int line, int width) {
  int& s = line == 1 ? settings.average1Style : settings.average2Style;
  int& w = line == 1 ? settings.average1Width : settings.average2Width;
  w = std::clamp(width, 1, 10);
  if (w != 1) s = 0;
}

double ShiftOf(const std::string& step, int count) {
  return ParseDouble(step).value_or(0.0) * count;
}

}  // namespace lumenda
