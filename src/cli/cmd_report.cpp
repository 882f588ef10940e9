// lumenda-cli informe | renombrar | borrar-imagen: the reports of a results
// file and the editing of its star names and images.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_support.h"
#include "commands.h"
#include "curves/aavso_report.h"
#include "curves/data_editing.h"
#include "curves/general_report.h"
#include "curves/light_curve.h"
#include "curves/minor_reports.h"
#include "run/results_file.h"
#include "run/results_tables.h"
#include "settings/user_folder.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda::cli {
namespace {

struct InformeOptions {
  std::string file;
  std::string format;
  std::string mode = "relativa";
  std::string var1, var2;
  std::string grouping = "imagenes:1";
  std::string scale = "gjd";
  std::optional<int> decimals;  // the saved setting when not given
  std::vector<std::string> without;
  // AAVSO
  std::string obscode, chart, filter, cname, kname, group;
  bool haveObscode = false, haveChart = false, haveFilter = false;
  // CdR
  std::string fmt, mes, tel, cap, cat, pos;
  // ALCDEF
  std::string revised, mpcDesig, contactName, contactInfo, observers, band;
  std::vector<std::string> compNames, comments;
};

// The engine's refusal ends the command.
void Check(const Status& status) {
  if (!status.ok()) Fail(status.message);
}
template <typename T>
T Value(Result<T> result) {
  if (!result.ok()) Fail(result.message);
  return std::move(result.value);
}

void PrintLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::cout << line << "\n";
  std::cout.flush();
}

PhotometryMode ModeOf(const std::string& text) {
  if (text == "relativa") return PhotometryMode::kRelative;
  if (text == "absoluta") return PhotometryMode::kAbsolute;
  if (text == "flujo") return PhotometryMode::kRelativeFlux;
  if (text == "cuentas") return PhotometryMode::kCounts;
  Fail("Modo de fotometría no válido: " + text);
}

TimeScale ScaleOf(const std::string& text) {
  if (text == "hjd") return TimeScale::kHjd;
  if (text == "gjd") return TimeScale::kGjd;
  if (text == "bjd") return TimeScale::kBjd;
  if (text == "mpc") return TimeScale::kMpc;
  if (text == "fecha") return TimeScale::kDateTime;
  Fail("Escala de tiempo no válida: " + text);
}

void GroupingOf(const std::string& text, GraphSettings& settings) {
  const size_t colon = text.find(':');
  const std::string kind = text.substr(0, colon);
  auto n = colon == std::string::npos ? std::nullopt : ParseInt(text.substr(colon + 1));
  if ((kind != "imagenes" && kind != "minutos") || !n || *n < 1 || *n > 100000)
    Fail("Agrupación no válida: " + text);
  settings.groupByMinutes = kind == "minutos";
  (settings.groupByMinutes ? settings.groupMinutes : settings.groupImages) = static_cast<int>(*n);
}

// Star column of a name given on the command line.
int StarIndex(const ResultsTables& tables, const std::string& name) {
  for (size_t k = 0; k < tables.lbNomVar.size(); ++k)
    if (tables.lbNomVar[k] == Trim(name)) return static_cast<int>(k);
  Fail("Estrella no encontrada.");
}

void RemoveColumns(const std::vector<std::string>& without, ReportOptions& options) {
  for (const std::string& c : without) {
    const std::string column = ToLower(c);
    if (column == "orden")
      options.order = false;
    else if (column == "cantidad")
      options.count = false;
    else if (column == "rsr")
      options.rsr = false;
    else if (column == "airmass")
      options.airMass = false;
    else if (column == "transparencia")
      options.transparency = false;
    else if (column == "fwhm")
      options.fwhm = false;
    else if (column == "fondo")
      options.background = false;
    else
      Fail("Columna no válida: " + c);
  }
}

std::vector<std::string> AavsoReport(const InformeOptions& o, const Settings& user,
                                     const ResultsTables& tables, const GraphSettings& settings,
                                     const LightCurve& curve, int decimals) {
  const Result<std::string> check =
      CheckAavsoReport(curve, tables.tAbsoluta.empty(), HasVariable2(settings));
  if (!check.ok()) Fail(check);
  if (!check.value.empty()) Warn(check.value);

  AavsoFields fields = AavsoFieldsFromSettings(user);
  if (o.haveObscode) fields.obscode = o.obscode;
  if (o.haveChart) fields.chart = o.chart;
  fields.obscode = ToUpper(fields.obscode);
  fields.chart = ToUpper(fields.chart);
  if (o.haveFilter) fields.filter = Value(AavsoFilterChoice(o.filter));
  fields.cname = ToUpper(o.cname);
  fields.group = ToUpper(o.group);
  PrefillAavsoFields(fields, Variable1Name(tables, settings), Variable2Name(tables, settings),
                     curve.EnsembleFlag);
  if (!o.kname.empty() && fields.knameEnabled) fields.kname = ToUpper(o.kname);
  const FieldError error = ValidateAavsoFields(fields, curve.RelativeMode, curve.EnsembleFlag);
  if (!error.message.empty()) Fail(error.message);
  return WriteAavsoReport(fields, curve, FieldPosition(tables), decimals, VersionText());
}

std::vector<std::string> CdrReport(const InformeOptions& o, const Settings& user,
                                   const ResultsTables& tables, const GraphSettings& settings,
                                   const LightCurve& curve,
                                   const std::vector<std::string>& fileLines) {
  Check(CheckCdrReport(settings.mode));
  CdrFields fields = CdrFieldsFromSettings(user, Variable1Name(tables, settings));
  if (!o.fmt.empty()) fields.fmt = o.fmt;
  if (!o.mes.empty()) fields.mes = o.mes;
  if (!o.tel.empty()) fields.tel = o.tel;
  if (!o.cap.empty()) fields.cap = o.cap;
  if (!o.cat.empty()) fields.cat = o.cat;
  if (!o.pos.empty()) fields.pos = o.pos;
  if (o.haveFilter) fields.fil = Value(CdrFilterChoice(o.filter));
  return WriteCdrReport(fields, curve, ComparisonLines(fileLines), VersionText());
}

std::vector<std::string> AlcdefReport(const InformeOptions& o, const Settings& user,
                                      const ResultsTables& tables, const GraphSettings& settings,
                                      const LightCurve& curve,
                                      const std::vector<std::string>& fileLines) {
  Check(CheckAlcdefReport(settings.mode));
  AlcdefFields fields;
  if (!o.revised.empty()) {
    fields.revisedData = ToUpper(o.revised);
    if (fields.revisedData != "TRUE" && fields.revisedData != "FALSE")
      Fail("Valor de REVISEDDATA no válido: " + o.revised);
  }
  if (o.haveFilter) fields.filter = Value(AlcdefFilterChoice(o.filter));
  PrefillAlcdefFields(fields, AppDir(), user, Variable1Name(tables, settings), curve, fileLines,
                      settings.mode);
  if (!o.band.empty()) fields.magBand = Value(AlcdefBandChoice(o.band));
  fields.mpcDesig = o.mpcDesig;
  if (!o.contactName.empty()) fields.contactName = o.contactName;
  if (!o.contactInfo.empty()) fields.contactInfo = o.contactInfo;
  if (!o.observers.empty()) fields.observers = o.observers;
  for (size_t k = 0; k < o.compNames.size() && k < fields.compName.size(); ++k)
    fields.compName[k] = o.compNames[k];
  fields.comments = o.comments;
  // Closing the dialog keeps the contact fields for the next report.
  const Status saved = SaveAstIni(AppDir(), fields);
  if (!saved.ok()) Fail(saved.message);
  return WriteAlcdefReport(fields, curve);
}

void RunInforme(const InformeOptions& o) {
  const Settings user = LoadUserSettings();
  auto fileLines = ReadResultsFile(o.file);
  if (!fileLines) Fail("No se puede leer el archivo " + o.file);
  ResultsTables tables;
  const Status built = BuildResults(*fileLines, tables);
  if (!built.ok()) Fail(o.file + ": " + built.message);
  if (tables.lbNomVar.empty()) Fail("Datos para gráfico no disponibles.");

  GraphSettings settings;
  settings.mode = ModeOf(o.mode);
  settings.scale = ScaleOf(o.scale);
  GroupingOf(o.grouping, settings);
  settings.var1 = o.var1.empty() ? 0 : StarIndex(tables, o.var1);
  settings.var2 = o.var2.empty() ? 0 : StarIndex(tables, o.var2) + 1;

  LightCurve curve;
  const Status source = BuildSourceRows(tables, settings, curve);
  if (!source.ok()) Fail(source.message);

  ReportOptions options = ReportOptionsFromSettings(user);
  if (o.decimals) {
    Check(CheckReportDecimals(*o.decimals));
    options.decimals = *o.decimals;
  }
  RemoveColumns(o.without, options);

  if (o.format == "texto") {
    ReportSource reportSource{&tables, ComparisonLines(*fileLines), user.obs, VersionText()};
    PrintLines(GeneralReport(curve, settings, options, reportSource).value);
  } else if (o.format == "aavso") {
    PrintLines(AavsoReport(o, user, tables, settings, curve, options.decimals));
  } else if (o.format == "cdr") {
    PrintLines(CdrReport(o, user, tables, settings, curve, *fileLines));
  } else if (o.format == "alcdef") {
    PrintLines(AlcdefReport(o, user, tables, settings, curve, *fileLines));
  } else {
    Fail("Formato de informe no válido: " + o.format);
  }
}

ResultsTables LoadTables(const std::string& file) {
  ResultsTables tables;
  if (!FileExists(file)) Fail("No se puede leer el archivo " + file);
  const Status built = BuildResultsFromFile(file, tables);
  if (!built.ok()) Fail(file + ": " + built.message);
  return tables;
}

void RunRenombrar(const std::string& file, const std::string& oldName, const std::string& newName) {
  ResultsTables tables = LoadTables(file);
  const int k = StarIndex(tables, oldName);
  const std::string typed = ToUpper(Trim(newName));
  if (typed.empty()) Fail("El nombre nuevo no puede quedar vacío.");
  if (RenameEditText(typed) != typed) Fail("El nombre nuevo no puede tener más de 12 caracteres.");
  std::vector<std::string> names = tables.lbNomVar;
  names[static_cast<size_t>(k)] = typed;
  EditTargets targets;
  targets.resultsPath = file;
  targets.tables = &tables;
  const Status status = ApplyRenames(targets, tables.lbNomVar, names);
  if (!status.ok()) Fail(status.message);
}

void RunBorrarImagen(const std::string& file, const std::string& image) {
  if (!FileExists(file)) Fail("No se puede leer el archivo " + file);
  EditTargets targets;
  targets.resultsPath = file;
  const Result<int> removed = DeleteImageData(targets, image);
  if (!removed.ok()) Fail(removed);
  if (removed.value == 0) Fail("Imagen no encontrada en los resultados.");
}

}  // namespace

void AddReportCommands(CLI::App& app) {
  auto o = std::make_shared<InformeOptions>();
  CLI::App* informe = app.add_subcommand("informe", "Informe de la curva de luz de un resultado");
  informe->add_option("RESULTADOS", o->file, "Fichero de resultados")->required();
  informe->add_option("--formato", o->format, "texto, aavso, alcdef o cdr")->required();
  informe->add_option("--modo", o->mode, "relativa, absoluta, flujo o cuentas");
  informe->add_option("--var1", o->var1, "Variable 1 (nombre de la estrella)");
  informe->add_option("--var2", o->var2, "Variable 2 / estrella de control");
  informe->add_option("--agrupar", o->grouping, "imagenes:N o minutos:N");
  informe->add_option("--escala", o->scale, "hjd, gjd, bjd, mpc o fecha");
  informe->add_option("--decimales", o->decimals, "Decimales (1 a 5)");
  informe->add_option("--sin", o->without,
                      "Columnas omitidas: orden cantidad rsr airmass transparencia fwhm fondo");
  informe->add_option("--obscode", o->obscode, "AAVSO: OBSCODE");
  informe->add_option("--chart", o->chart, "AAVSO: CHART");
  informe->add_option("--filtro", o->filter,
                      "AAVSO/CdR: código de filtro (V, B...); ALCDEF: FILTER");
  informe->add_option("--cname", o->cname, "AAVSO: CNAME");
  informe->add_option("--kname", o->kname, "AAVSO: KNAME");
  informe->add_option("--grupo", o->group, "AAVSO: GROUP");
  informe->add_option("--fmt", o->fmt, "CdR: FMT");
  informe->add_option("--mes", o->mes, "CdR: MES");
  informe->add_option("--tel", o->tel, "CdR: TEL");
  informe->add_option("--cap", o->cap, "CdR: CAP");
  informe->add_option("--cat", o->cat, "CdR: CAT");
  informe->add_option("--pos", o->pos, "CdR: POS");
  informe->add_option("--revisado", o->revised, "ALCDEF: REVISEDDATA (TRUE o FALSE)");
  informe->add_option("--mpcdesig", o->mpcDesig, "ALCDEF: MPCDESIG");
  informe->add_option("--contacto", o->contactName, "ALCDEF: CONTACTNAME");
  informe->add_option("--contacto-info", o->contactInfo, "ALCDEF: CONTACTINFO");
  informe->add_option("--observadores", o->observers, "ALCDEF: OBSERVERS");
  informe->add_option("--banda", o->band, "ALCDEF: MAGBAND");
  informe->add_option("--comp-nombre", o->compNames, "ALCDEF: COMPNAME1, COMPNAME2...");
  informe->add_option("--comentario", o->comments, "ALCDEF: una línea COMMENT cada vez");
  informe->callback([o, informe] {
    o->haveObscode = informe->count("--obscode") > 0;
    o->haveChart = informe->count("--chart") > 0;
    o->haveFilter = informe->count("--filtro") > 0;
    RunInforme(*o);
  });

  auto names = std::make_shared<std::vector<std::string>>();
  CLI::App* renombrar =
      app.add_subcommand("renombrar", "Cambia el nombre de una variable en un resultado");
  renombrar->add_option("ARGS", *names, "RESULTADOS VIEJO NUEVO")->required()->expected(3);
  renombrar->callback([names] { RunRenombrar((*names)[0], (*names)[1], (*names)[2]); });

  auto del = std::make_shared<std::vector<std::string>>();
  CLI::App* borrar =
      app.add_subcommand("borrar-imagen", "Borra de un resultado los datos de una imagen");
  borrar->add_option("ARGS", *del, "RESULTADOS RUTA_IMAGEN")->required()->expected(2);
  borrar->callback([del] { RunBorrarImagen((*del)[0], (*del)[1]); });
}

}  // namespace lumenda::cli
