#include "curves/minor_reports.h"

#include <algorithm>

#include "astro/time.h"
#include "curves/aavso_report.h"
#include "curves/curve_formats.h"
#include "text/dates.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace {

// Data rows of GroupedRows in which Variable 1 has a value; a row of a group
// where only Variable 2 was measured has nothing to report.
std::vector<std::string_view> RowsWithValue1(const LightCurve& curve) {
  std::vector<std::string_view> rows;
  for (size_t i = curve::kHeaderLines; i < curve.GroupedRows.size(); ++i) {
    std::string_view row = curve.GroupedRows[i];
    if (ParseDouble(Field(row, curve::kSignedValue1))) rows.push_back(row);
  }
  return rows;
}

double Sexagesimal(std::string_view text, Column d, Column m, Column s) {
  return ParseDouble(Field(text, d)).value_or(0.0) +
         ParseDouble(Field(text, m)).value_or(0.0) / 60.0 +
         ParseDouble(Field(text, s)).value_or(0.0) / 3600.0;
}

}  // namespace

CdrFields CdrFieldsFromSettings(const Settings& settings, const std::string& variable1) {
  CdrFields fields;
  fields.fmt = settings.cdrFmt;
  fields.nom = variable1;
  fields.mes = settings.cdrMes;
  fields.tel = settings.cdrTel;
  fields.cap = settings.cdrCap;
  fields.cat = settings.cdrCat;
  fields.pos = settings.cdrPos;
  fields.fil = std::clamp(settings.cdrFil, 0, static_cast<int>(kAavsoFilters.size()));
  return fields;
}

Result<int> CdrFilterChoice(const std::string& code) {
  if (Trim(code) == "-") return Result<int>::Ok(0);
  const Result<int> aavso = AavsoFilterChoice(code);
  return aavso.ok() ? Result<int>::Ok(aavso.value + 1) : aavso;
}

Status CheckCdrReport(PhotometryMode mode) {
  return mode == PhotometryMode::kAbsolute ? Status::Ok() : Status::Fail(kCdrNeedsAbsolute);
}

Status CheckAlcdefReport(PhotometryMode mode) {
  return IsFluxMode(mode) ? Status::Fail("Informe ALCDEF no disponible con flujos.") : Status::Ok();
}

namespace {

Result<std::string> Item(const auto& list, const std::string& code, const std::string& refusal) {
  const std::string upper = ToUpper(Trim(code));
  for (const char* item : list)
    if (upper == item) return Result<std::string>::Ok(upper);
  return Result<std::string>::Fail(refusal + code);
}

}  // namespace

Result<std::string> AlcdefFilterChoice(const std::string& code) {
  return Item(kAlcdefFilters, code, "Filtro no válido: ");
}

Result<std::string> AlcdefBandChoice(const std::string& code) {
  return Item(kAlcdefBands, code, "Banda no válida: ");
}

std::string CdrFilterText(int index) {
  if (index <= 0 || index > static_cast<int>(kAavsoFilters.size())) return "-";
  return kAavsoFilters[index - 1];
}

std::vector<std::string> WriteCdrReport(const CdrFields& fields, const LightCurve& curve,
                                        const std::vector<std::string>& comparisonLines,
                                        const std::string& versionText) {
  std::vector<std::string> report = {"FMT " + fields.fmt,
                                     "NOM " + fields.nom,
                                     "MES " + fields.mes,
                                     "TEL " + fields.tel,
                                     "CAP " + fields.cap,
                                     "CAT " + fields.cat,
                                     "POS " + fields.pos,
                                     "FIL " + CdrFilterText(fields.fil),
                                     "",
                                     ";FOTOMETRÍA ABSOLUTA",
                                     ";ESTRELLAS DE CALIBRADO:"};
  for (size_t i = 0; i < comparisonLines.size(); ++i)
    report.push_back(";   C" + IntToStr(static_cast<long long>(i) + 1) + ": " + comparisonLines[i]);
  report.push_back("");
  report.push_back(";GJD_UTC              MAG      +/-");
  report.push_back(";---------------------------------");
  for (std::string_view row : RowsWithValue1(curve))
    report.push_back(DateToJD(Field(row, curve::kDate)) + "  " +
                     PadNumber(Field(row, curve::kValue1), "00.000", 10) + "  " +
                     PadNumber(Field(row, curve::kError1), "0.000", 7));
  report.push_back("");
  report.push_back("; " + versionText);
  return report;
}

void LoadAstIni(const std::string& appDir, AlcdefFields& fields) {
  auto lines = ReadTextLines(appDir + kAstFile);
  if (!lines) return;
  for (const std::string& line : *lines) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (key == "CONTACTNAME") fields.contactName = value;
    if (key == "CONTACTINFO") fields.contactInfo = value;
    if (key == "OBSERVERS") fields.observers = value;
  }
}

Status SaveAstIni(const std::string& appDir, const AlcdefFields& fields) {
  return WriteFileAtomic(appDir + kAstFile, JoinLines({"CONTACTNAME=" + fields.contactName,
                                                       "CONTACTINFO=" + fields.contactInfo,
                                                       "OBSERVERS=" + fields.observers}));
}

void ObjectFromStarName(const std::string& name, std::string& number, std::string& objectName) {
  const std::string trimmed = Trim(name);
  const size_t blank = trimmed.find(' ');
  const bool numbered =
      blank != std::string::npos && blank > 0 &&
      std::all_of(trimmed.begin(), trimmed.begin() + blank, [](char c) { return IsDigit(c); });
  if (numbered) {
    number = trimmed.substr(0, blank);
    objectName = trimmed.substr(blank + 1);
  } else {
    number = "0";
    objectName = trimmed;
  }
}

std::string AlcdefLongitude(const std::string& lon, const std::string& side) {
  double degrees = Sexagesimal(lon, {1, 3}, {5, 6}, {8, 9});
  if (side == "W") degrees = -degrees;
  return FormatFloat("+000.000000;-000.000000", degrees);
}

std::string AlcdefLatitude(const std::string& lat, const std::string& side) {
  double degrees = Sexagesimal(lat, {1, 2}, {4, 5}, {7, 8});
  if (side == "S") degrees = -degrees;
  return FormatFloat("+00.000000;-00.000000", degrees);
}

void PrefillAlcdefFields(AlcdefFields& fields, const std::string& appDir, const Settings& settings,
                         const std::string& variable1, const LightCurve& curve,
                         const std::vector<std::string>& resultsFileLines, PhotometryMode mode) {
  AlcdefFields cleared;
  cleared.revisedData = fields.revisedData;
  cleared.filter = fields.filter;
  cleared.magBand = fields.magBand;
  fields = cleared;
  fields.ltcType = fields.ltcApp = fields.reducedMags = "NONE";
  LoadAstIni(appDir, fields);

  ObjectFromStarName(variable1, fields.objectNumber, fields.objectName);
  fields.obsLongitude = AlcdefLongitude(settings.lon, settings.lon2);
  fields.obsLatitude = AlcdefLatitude(settings.lat, settings.lat2);

  if (curve.GroupedRows.size() > static_cast<size_t>(curve::kHeaderLines)) {
    const double first =
        CalendarOfDate(Field(curve.GroupedRows[curve::kHeaderLines], curve::kDate));
    const double last = CalendarOfDate(Field(curve.GroupedRows.back(), curve::kDate));
    const double middle = (first + last) / 2.0;
    fields.sessionDate = FormatDate("yyyy-mm-dd", middle);
    fields.sessionTime = FormatTime("hh:nn:ss", middle);
  }

  if (resultsFileLines.size() >= 2) {
    fields.objectRa = std::string(Copy(resultsFileLines[0], 1, 2)) + ":" +
                      std::string(Copy(resultsFileLines[0], 4, 2));
    fields.objectDec = std::string(Copy(resultsFileLines[1], 1, 3));
  }
  bool bandFound = false;
  const std::vector<std::string> comparisons = ComparisonLines(resultsFileLines);
  for (size_t k = 0; k < comparisons.size(); ++k) {
    const std::string& line = comparisons[k];
    const size_t blank = line.find(' ');
    auto magnitude = ParseDouble(line.substr(0, blank));
    if (magnitude && k < fields.compMag.size())
      fields.compMag[k] = FormatFloat("+0.000;-0.000", *magnitude);
    if (!bandFound && blank != std::string::npos) {
      bandFound = true;
      const std::string band = Trim(line.substr(blank + 1));
      for (const char* item : kAlcdefBands)
        if (band == item) fields.magBand = item;
    }
  }

  const bool relative = mode == PhotometryMode::kRelative;
  fields.differMags = relative ? "TRUE" : "FALSE";
  fields.standard = relative ? "NONE" : "INTERNAL";
}

std::vector<std::string> WriteAlcdefReport(const AlcdefFields& fields, const LightCurve& curve) {
  std::vector<std::string> report;
  auto add = [&](const char* key, const std::string& value) {
    report.push_back(std::string(key) + "=" + value);
  };
  auto addIf = [&](const char* key, const std::string& value) {
    if (!value.empty()) add(key, value);
  };
  report.push_back("STARTMETADATA");
  add("REVISEDDATA", fields.revisedData);
  add("OBJECTNUMBER", fields.objectNumber);
  add("OBJECTNAME", fields.objectName);
  if (!fields.objectNumber.empty()) add("MPCDESIG", fields.mpcDesig);
  add("CONTACTNAME", fields.contactName);
  add("CONTACTINFO", fields.contactInfo);
  add("OBSERVERS", fields.observers);
  addIf("OBSLONGITUDE", fields.obsLongitude);
  addIf("OBSLATITUDE", fields.obsLatitude);
  add("SESSIONDATE", fields.sessionDate);
  add("SESSIONTIME", fields.sessionTime);
  add("FILTER", fields.filter);
  add("MAGBAND", fields.magBand);
  add("DIFFERMAGS", fields.differMags);
  addIf("STANDARD", fields.standard);
  add("REDUCEDMAGS", fields.reducedMags);
  add("LTCTYPE", fields.ltcType);
  add("LTCAPP", fields.ltcApp);
  add("OBJECTRA", fields.objectRa);
  add("OBJECTDEC", fields.objectDec);
  for (size_t k = 0; k < fields.compMag.size(); ++k) {
    const std::string n = IntToStr(static_cast<long long>(k) + 1);
    if (!fields.compMag[k].empty()) report.push_back("COMPMAG" + n + "=" + fields.compMag[k]);
    if (!fields.compName[k].empty()) report.push_back("COMPNAME" + n + "=" + fields.compName[k]);
  }
  for (const std::string& comment : fields.comments)
    if (!comment.empty()) add("COMMENT", comment);
  report.push_back("ALLOWSHARING=TRUE");
  report.push_back("CICORRECTION=FALSE");
  report.push_back("DELIMITER=PIPE");
  report.push_back("ENDMETADATA");
  for (std::string_view row : RowsWithValue1(curve)) {
    const double value = ParseDouble(Field(row, curve::kSignedValue1)).value_or(0.0);
    const double error = ParseDouble(Field(row, curve::kError1)).value_or(0.0);
    const double airMass = ParseDouble(Field(row, curve::kAirMass)).value_or(0.0);
    report.push_back("DATA=" + DateToJD(Field(row, curve::kDate)) + "|" +
                     FormatFloat("+0.000;-0.000", value) + "|" + FormatFloat("0.000", error) + "|" +
                     FormatFloat("0.000", airMass));
  }
  report.push_back("ENDDATA");
  return report;
}

}  // namespace lumenda
