#include "curves/aavso_report.h"

#include <algorithm>

#include "curves/curve_formats.h"
#include "curves/general_report.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

std::string AavsoFilterCode(int index) {
  if (index < 0 || index >= static_cast<int>(kAavsoFilters.size())) return "";
  const std::string item = kAavsoFilters[index];
  return item.substr(0, item.find(':'));
}

int AavsoFilterIndex(const std::string& code) {
  for (int i = 0; i < static_cast<int>(kAavsoFilters.size()); ++i)
    if (AavsoFilterCode(i) == ToUpper(Trim(code))) return i;
  return -1;
}

Result<int> AavsoFilterChoice(const std::string& code) {
  const int index = AavsoFilterIndex(code);
  if (index < 0) return Result<int>::Fail("Filtro no válido: " + code);
  return Result<int>::Ok(index);
}

AavsoFields AavsoFieldsFromSettings(const Settings& settings) {
  AavsoFields fields;
  fields.obscode = settings.aObscode;
  fields.chart = settings.aChart;
  fields.filter = std::clamp(settings.aFilter, 0, static_cast<int>(kAavsoFilters.size()) - 1);
  return fields;
}

Result<std::string> CheckAavsoReport(const LightCurve& curve, bool absoluteTableEmpty,
                                     bool hasVariable2) {
  using Out = Result<std::string>;
  if (curve.AavsoRows.empty()) return Out::Fail("Error calculando informe AAVSO.");
  if (curve.EnsembleFlag) {
    std::string message = "Informe tipo \"ensemble\" no disponible. Es necesario:";
    if (absoluteTableEmpty)
      message +=
          "\n\n- Volver a \"procesar\" empleando \"nombres numéricos\" en las estrellas de "
          "calibrado";
    else
      message += "\n- Seleccionar \"Fotometría absoluta\" en Magnitudes / Configuración";
    message += "\n- Seleccionar una estrella de control";
    if (curve.RelativeMode || !hasVariable2) return Out::Fail(message, FailureKind::kRefusal);
  }
  std::string warning;
  if (curve.RelativeMode) {
    warning =
        "Informe AAVSO de fotometría diferencial disponible,\n"
        "sin embargo, AAVSO prefiere la fotometría absoluta.";
    if (!absoluteTableEmpty)
      warning += "\n\n- Puedes seleccionar \"Fotometría absoluta\" en Magnitudes / Configuración";
  }
  return Out::Ok(std::move(warning));
}

void PrefillAavsoFields(AavsoFields& fields, const std::string& variable1,
                        const std::string& variable2, bool ensemble) {
  fields.starId = ToUpper(variable1);
  if (ensemble) fields.cname.clear();
  fields.cnameEnabled = !ensemble;
  fields.knameEnabled = !variable2.empty();
  fields.kname = ToUpper(variable2);
}

FieldError ValidateAavsoFields(const AavsoFields& fields, bool relativeMode, bool ensemble) {
  if (Trim(fields.obscode).empty()) return {"OBSCODE", "El campo OBSCODE no puede quedar vacío"};
  if (Trim(fields.starId).empty()) return {"STARID", "El campo STARID no puede quedar vacío"};
  if (relativeMode && Trim(fields.cname).empty())
    return {"CNAME", "El uso de fotometría diferencial obliga a\ncompletar el campo CNAME"};
  if (ensemble && Trim(fields.kname).empty())
    return {"KNAME", "El uso de fotometría \"ensemble\" obliga a\ncompletar el campo KNAME"};
  if (Trim(fields.chart).empty()) return {"CHART", "El campo CHART no puede quedar vacío"};
  return {};
}

std::vector<std::string> WriteAavsoReport(const AavsoFields& fields, const LightCurve& curve,
                                          const SkyPosition& field, int decimals,
                                          const std::string& versionText) {
  const std::string mask = DecimalsMask(decimals);
  const std::string mtype = curve.RelativeMode ? "DIF" : "STD";
  std::string cname = fields.cname.empty() ? "na" : fields.cname;
  if (curve.EnsembleFlag) cname = "ENSEMBLE";
  const std::string kname = fields.kname.empty() ? "na" : fields.kname;
  const std::string group = fields.group.empty() ? "na" : fields.group;
  const std::string filter = AavsoFilterCode(fields.filter);

  auto number = [&](std::string_view row, Column column, const std::string& m) {
    return FormatFloat(m, ParseDouble(Field(row, column)).value_or(0.0));
  };

  std::vector<std::string> report = {
      "#TYPE=Extended",
      "#OBSCODE=" + fields.obscode,
      "#SOFTWARE=" + versionText,
      "#DELIM=comma",
      "#DATE=HJD",
      "#OBSTYPE=CCD",
      "#NAME,DATE,MAG,MERR,FILT,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,AMASS,GROUP,CHART,NOTES"};
  for (const std::string& row : curve.AavsoRows) {
    const std::string date = ScaleDateText(TimeScale::kHjd, Field(row, curve::kAavsoDate), field);
    const std::string cmag =
        curve.EnsembleFlag || cname == "na" ? "na" : number(row, curve::kAavsoCmag, mask);
    // A group in which the check star had no value carries the 99.0 marker.
    const double kmagValue =
        ParseDouble(Field(row, curve::kAavsoKmag)).value_or(curve::kNoCheckMagnitude);
    const std::string kmag = kname == "na" || kmagValue >= curve::kNoCheckMagnitude
                                 ? "na"
                                 : FormatFloat(mask, kmagValue);
    report.push_back(fields.starId + "," + date + "," + number(row, curve::kAavsoMag, mask) + "," +
                     number(row, curve::kAavsoError, mask) + "," + filter + ",NO," + mtype + "," +
                     cname + "," + cmag + "," + kname + "," + kmag + "," +
                     number(row, curve::kAavsoAirMass, "0.000") + "," + group + "," + fields.chart +
                     ",na");
  }
  return report;
}

}  // namespace lumenda
