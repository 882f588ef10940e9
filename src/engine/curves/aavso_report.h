// The report in the AAVSO extended file format.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "curves/light_curve.h"
#include "settings/settings.h"
#include "text/result.h"

namespace lumenda {

// FILTER list of the AAVSO dialog; the code written is the text before ":".
inline constexpr std::array<const char*, 26> kAavsoFilters{
    "U: Johnson U",     "B: Johnson B",         "V: Johnson V",         "R: Cousins R",
    "I: Cousins I",     "J: NIR 1.2 micron",    "H: NIR 1.6 micron",    "K: NIR 2.2 micron",
    "TG: Green Filter", "Z: Sloan Z",           "CV: Clear, V-band",    "CR: Clear, R-band",
    "SZ: Sloan z",      "SU: Sloan u",          "SG: Sloan g",          "SR: Sloan r",
    "SI: Sloan i",      "STU: Stromgren u",     "STV: Stromgren v",     "STB: Stromgren b",
    "STY: Stromgren y", "STHBW: Stromgren Hbw", "STHBN: Stromgren Hbn", "MA: Optec Wing A",
    "MB: Optec Wing B", "MI: Optec Wing C"};

// The code of a filter item ("V" for "V: Johnson V"); "" out of range.
std::string AavsoFilterCode(int index);
// Index of the item whose code is `code` (case-insensitive), -1 when none.
int AavsoFilterIndex(const std::string& code);
// The same, or "Filtro no válido: " + code.
Result<int> AavsoFilterChoice(const std::string& code);

// Fields of the dialog "Lumenda - Informe AAVSO" (all upper case).
struct AavsoFields {
  std::string obscode;  // Edit1
  std::string starId;   // Edit2
  std::string cname;    // Edit3
  std::string kname;    // Edit4
  int filter = 0;       // ComboBox1 index
  std::string group;    // Edit6
  std::string chart;    // Edit5
  bool cnameEnabled = true;
  bool knameEnabled = true;
};

// Whether the curve can give an AAVSO report: a refusal, or the warning to
// show before the report ("" when there is none).
Result<std::string> CheckAavsoReport(const LightCurve& curve, bool absoluteTableEmpty,
                                     bool hasVariable2);

// OBSCODE, CHART and FILTER as the settings keep them, the filter brought
// into the list.
AavsoFields AavsoFieldsFromSettings(const Settings& settings);

// The report's fields before the observer edits them: OBSCODE, FILTER and
// CHART from the settings (`keep*`), STARID from Variable 1, CNAME emptied
// and disabled for an ensemble, KNAME from Variable 2.
void PrefillAavsoFields(AavsoFields& fields, const std::string& variable1,
                        const std::string& variable2, bool ensemble);

// The first field that fails on "Aceptar" and its message; both empty when
// every field is valid.
struct FieldError {
  std::string field;
  std::string message;
};
FieldError ValidateAavsoFields(const AavsoFields& fields, bool relativeMode, bool ensemble);

// The report: header lines, then one observation per AAVSO row.
std::vector<std::string> WriteAavsoReport(const AavsoFields& fields, const LightCurve& curve,
                                          const SkyPosition& field, int decimals,
                                          const std::string& versionText);

}  // namespace lumenda
