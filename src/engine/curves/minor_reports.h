// The CdR report and the ALCDEF report (minor-planet light curves), with
// their dialogs' values and "ast.ini".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "curves/general_report.h"
#include "curves/light_curve.h"
#include "settings/settings.h"
#include "text/result.h"

namespace lumenda {

// ---- CdR ----

inline constexpr char kCdrNeedsAbsolute[] = "Informe CdR solo disponible para fotometría absoluta.";

// Fields of "Lumenda - Informe CdR".
struct CdrFields {
  std::string fmt = "DVv";
  std::string nom;  // name of Variable 1, set on every opening
  std::string mes, tel, cap, cat, pos;
  int fil = 0;  // 0 = "-", k = AAVSO filter item k - 1
};

// The dialog on opening: NOM from Variable 1, the rest from the settings (the
// filter brought into the list).
CdrFields CdrFieldsFromSettings(const Settings& settings, const std::string& variable1);
// The whole text of a FIL item.
std::string CdrFilterText(int index);
// The FIL item of a code: "-" or an AAVSO filter code, else the message.
Result<int> CdrFilterChoice(const std::string& code);
// The CdR box needs absolute photometry (kCdrNeedsAbsolute).
Status CheckCdrReport(PhotometryMode mode);

std::vector<std::string> WriteCdrReport(const CdrFields& fields, const LightCurve& curve,
                                        const std::vector<std::string>& comparisonLines,
                                        const std::string& versionText);

// ---- ALCDEF ----

inline constexpr std::array<const char*, 13> kAlcdefFilters{"C",  "B",  "V",  "R", "I", "SU", "SG",
                                                            "SR", "SI", "SZ", "J", "K", "H"};
inline constexpr std::array<const char*, 13> kAlcdefBands{"B",  "V",  "R",  "I", "SU", "SG", "SR",
                                                          "SI", "SZ", "GG", "J", "K",  "H"};

// The ALCDEF box is disabled in the flux modes: "Informe ALCDEF no disponible
// con flujos.".
Status CheckAlcdefReport(PhotometryMode mode);
// FILTER and MAGBAND items of a code (any case), else the message.
Result<std::string> AlcdefFilterChoice(const std::string& code);
Result<std::string> AlcdefBandChoice(const std::string& code);

// Fields of "Lumenda - Informe ALCDEF", by the keyword each feeds.
struct AlcdefFields {
  std::string revisedData = "FALSE";
  std::string objectNumber, objectName, mpcDesig;
  std::string contactName, contactInfo, observers;
  std::string obsLongitude, obsLatitude;
  std::string sessionDate, sessionTime;
  std::string filter = "C";
  std::string magBand = "B";
  std::string differMags, standard, reducedMags, ltcType, ltcApp;
  std::string objectRa, objectDec;
  std::array<std::string, 10> compMag, compName;
  std::vector<std::string> comments;
};

inline constexpr char kAstFile[] = "ast.ini";

// Contact fields of "ast.ini" (missing file: left empty).
void LoadAstIni(const std::string& appDir, AlcdefFields& fields);
Status SaveAstIni(const std::string& appDir, const AlcdefFields& fields);

// Object number and name from the name of Variable 1: "433 EROS" gives 433
// and EROS; a name without a leading number gives "0" and the whole name.
void ObjectFromStarName(const std::string& name, std::string& number, std::string& objectName);

// "+000.000000;-000.000000" from "ddd mm ss" and "W"/"E" (west negative);
// "+00.000000;-00.000000" from "dd mm ss" and "N"/"S".
std::string AlcdefLongitude(const std::string& lon, const std::string& side);
std::string AlcdefLatitude(const std::string& lat, const std::string& side);

// The report's fields before the observer edits them: contact fields from
// "ast.ini", object from the star
// name, site, session midpoint, field and comparison magnitudes and band
// from the results file, DIFFERMAGS / STANDARD by the mode. The filter,
// band default and REVISEDDATA choices keep their values.
void PrefillAlcdefFields(AlcdefFields& fields, const std::string& appDir, const Settings& settings,
                         const std::string& variable1, const LightCurve& curve,
                         const std::vector<std::string>& resultsFileLines, PhotometryMode mode);

std::vector<std::string> WriteAlcdefReport(const AlcdefFields& fields, const LightCurve& curve);

}  // namespace lumenda
