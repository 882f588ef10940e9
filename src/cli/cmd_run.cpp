// lumenda-cli proceso | tabla | guardar | recuperar: the photometry run and
// its results file from the command line.
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "astro/coords.h"
#include "cli_support.h"
#include "commands.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/results_tables.h"
#include "run/run_state.h"
#include "run/save_recover.h"
#include "run/star_list.h"
#include "settings/user_folder.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda::cli {
namespace {

namespace fs = std::filesystem;

// Exit status of a run stopped on an image (the rows before it are kept).
constexpr int kStoppedRun = 2;

struct ProcesoOptions {
  std::string stars;
  std::string ra, dec, lat, lon, res;
  bool following = false;
  std::string output;
  std::vector<std::string> images;
};

// Files and folders given on the command line -> FITS files, with full
// paths as the results rows keep them.
std::vector<std::string> ExpandImages(const std::vector<std::string>& args) {
  std::vector<std::string> out;
  for (const std::string& arg : args) {
    std::error_code ec;
    const fs::path full = fs::absolute(arg, ec);
    const std::string a = ec ? arg : full.lexically_normal().string();
    if (DirectoryExists(a)) {
      const auto files = FitsFilesInFolder(a);
      out.insert(out.end(), files.begin(), files.end());
    } else {
      out.push_back(a);
    }
  }
  return out;
}

// "40 24 00 N", "-40 24 00" or "40 24 00" (hemisphere `positive`):
// the digits and the hemisphere letter.
void SiteText(const std::string& text, char positive, char negative, std::string& digits,
              char& side, const char* what) {
  std::string t = Trim(text);
  side = positive;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    side = t[0] == '-' ? negative : positive;
    t = Trim(t.substr(1));
  }
  if (!t.empty()) {
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(t.back())));
    if (last == positive || last == negative) {
      side = last;
      t = Trim(t.substr(0, t.size() - 1));
    }
  }
  const size_t fieldWidth = positive == 'W' ? 9 : 8;
  if (t.size() != fieldWidth) Fail(std::string("Formato de ") + what + " no válido: " + text);
  digits = t;
}

void RunProceso(const ProcesoOptions& o) {
  const std::stop_token stop = InterruptToken();
  Settings settings = LoadUserSettings();
  const std::string appDir = AppDir();
  const std::vector<std::string> paths = ExpandImages(o.images);
  if (paths.empty()) Fail("No hay imágenes seleccionadas.");
  if (o.following &&
      (!FileExists(o.output.empty() ? appDir + results::kInstrumentalFileName : o.output)))
    Fail("Datos anteriores no encontrados.");

  RunJob job;
  auto stars = ReadStarFile(o.stars);
  if (!stars.ok()) Fail(o.stars + ": " + stars.message);
  job.stars = SplitStarFile(stars.value);

  const double cTiempo = ParseDouble(settings.cTiempo).value_or(0.0);
  auto lista = ListImages(paths, cTiempo, stop);
  if (!lista.ok()) Fail(lista);
  job.ListaFotos = std::move(lista.value);

  TPlaca image;
  // Field, site and scale: the first image's header and the settings, unless
  // given here.
  if (Status loaded = image.LoadHeader(paths.front()); !loaded.ok()) Fail(loaded.message);
  CoordinateTexts texts = CoordinateTextsFromHeader(image, settings);
  if (!o.ra.empty()) {
    const auto ra = NormalizeRA(o.ra);
    if (!ra.ok()) Fail(ra.message);
    texts.ar = ra.value;
  }
  if (!o.dec.empty()) {
    const auto dec = NormalizeDec(o.dec);
    if (!dec.ok()) Fail(dec.message);
    texts.decSign = dec.value[0] == '-' ? 'S' : 'N';
    texts.dec = dec.value.substr(1);
  }
  if (!o.lat.empty()) SiteText(o.lat, 'N', 'S', texts.lat, texts.latSign, "latitud");
  if (!o.lon.empty()) SiteText(o.lon, 'W', 'E', texts.lon, texts.lonSide, "longitud");
  if (!o.res.empty()) texts.res = o.res;
  auto field = ParseCoordinateTexts(texts);
  if (!field.ok()) Fail(field.message);
  job.field = field.value;
  job.PrimeraSerie = !o.following;
  job.settings = RunSettingsFrom(settings);
  job.instrumentalPath = o.output.empty() ? appDir + results::kInstrumentalFileName : o.output;
  const std::string resultsPath = job.instrumentalPath;
  job.starsPath = appDir + results::kStarsFileName;

  // Per image "i - file"; the last step ("Finalizado") is printed below,
  // after what stopped the run.
  const Progress progress = [](const ProgressStep& step) {
    if (step.line == ProgressLine::kOverall && step.done < step.total)
      std::cerr << step.text << "\n";
  };
  const auto total = job.ListaFotos.size();
  const Result<RunResult> out = ProcessImages(std::move(job), 1, stop, progress);
  if (!out.ok()) Fail(out);
  const RunResult& run = out.value;
  for (const std::string& line : run.linearity) std::cout << line << "\n";
  if (!run.stopped.ok()) std::cerr << run.stopped.message << "\n";

  const ResultsTables& tables = run.results;
  std::cerr << "Finalizado\n"
            << "Imágenes: " << run.rowsWritten << " de " << total << "\n"
            << "Estrellas: " << tables.comparisonCount << " de calibrado, "
            << tables.lbNomVar.size() << " medidas\n";
  const size_t comps = static_cast<size_t>(tables.comparisonCount);
  for (size_t k = 0; k < tables.lbNomVar.size() && comps + k < tables.lbMag.size(); ++k)
    std::cerr << "  " << PadRight(tables.lbNomVar[k], results::kNameWidth) << "  "
              << tables.lbMag[comps + k] << "\n";
  std::cerr << "Resultados: " << resultsPath << "\n";
  if (!run.stopped.ok()) Fail("", kStoppedRun);
}

struct TablaOptions {
  std::string file;
  std::string kind;
  std::string sensitivity = "1";
};

void RunTabla(const TablaOptions& o) {
  const auto sens = ParseInt(o.sensitivity);
  if (!sens || *sens < 1 || *sens > 3) Fail("La sensibilidad debe ser 1, 2 o 3.");
  ResultsTables t;
  if (Status s = BuildResultsFromFile(o.file, t, static_cast<int>(*sens)); !s.ok())
    Fail(fs::path(o.file).filename().string() + ": " + s.message);
  const std::vector<std::string>* table = nullptr;
  if (o.kind == "instrumental") table = &t.tInstrumental;
  if (o.kind == "diferencia") table = &t.tDiferencia;
  if (o.kind == "absoluta") table = &t.tAbsoluta;
  if (o.kind == "flujos") table = &t.tFlujos;
  if (o.kind == "posibles") table = &t.tPosiblesVariables;
  if (!table)
    Fail("Tipo de tabla no válido: " + o.kind +
         " (instrumental, diferencia, absoluta, flujos o posibles).");
  if (table == &t.tAbsoluta && table->empty())
    Fail(
        "Nombre de estrellas de calibrado no numérico, informe de fotometría absoluta no "
        "disponible.");
  for (const std::string& line : *table) std::cout << line << "\n";
}

void RunGuardar(const std::string& file, const std::string& destination) {
  if (!FileExists(file)) Fail("No se puede leer el fichero " + file);
  if (Status s = SaveResults(file, destination); !s.ok()) Fail(s.message);
}

void RunRecuperar(const std::vector<std::string>& files, const std::string& output) {
  const std::string path = output.empty() ? AppDir() + results::kInstrumentalFileName : output;
  const auto r = RecoverResults(files, path);
  if (!r.ok()) Fail(r.message);
  std::cout << r.value.ListaFotos.size() << " filas en " << path << "\n";
}

}  // namespace

void AddRunCommands(CLI::App& app) {
  auto p = std::make_shared<ProcesoOptions>();
  CLI::App* proceso = app.add_subcommand(
      "proceso", "Fotometría de una serie de imágenes (primera serie o serie siguiente)");
  proceso->add_option("--estrellas", p->stars, "Fichero de estrellas (líneas \"V \" y \"C \")")
      ->required();
  proceso->add_option("--ar", p->ra, "AR del centro del campo, hh mm ss.s (OBJCTRA)");
  proceso->add_option("--dec", p->dec, "Dec del centro del campo, +dd mm ss (OBJCTDEC)");
  proceso->add_option("--lat", p->lat, "Latitud, \"dd mm ss N|S\" (configuración)");
  proceso->add_option("--lon", p->lon, "Longitud, \"ddd mm ss W|E\" (configuración)");
  proceso->add_option("--res", p->res, "Resolución, segundos de arco por pixel (configuración)");
  proceso->add_flag("--siguiente", p->following, "Serie siguiente: añade a los resultados");
  proceso->add_option("--salida", p->output, "Fichero de resultados (instrumental.txt)");
  proceso->add_option("IMAGEN", p->images, "Imágenes FITS o carpetas")->required();
  proceso->callback([p] { RunProceso(*p); });

  auto t = std::make_shared<TablaOptions>();
  CLI::App* tabla = app.add_subcommand("tabla", "Tabla de resultados calculada de un fichero");
  tabla->add_option("RESULTADOS", t->file, "Fichero de resultados")->required();
  tabla->add_option("--tipo", t->kind, "instrumental, diferencia, absoluta, flujos o posibles")
      ->required();
  tabla->add_option("--sensibilidad", t->sensitivity, "Sensibilidad de la búsqueda: 1, 2 o 3");
  tabla->callback([t] { RunTabla(*t); });

  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* guardar =
      app.add_subcommand("guardar", "Guarda los resultados como copia .txt o tabla .csv");
  guardar->add_option("RESULTADOS", *files, "Fichero de resultados y destino (.txt o .csv)")
      ->required()
      ->expected(2);
  guardar->callback([files] { RunGuardar((*files)[0], (*files)[1]); });

  auto rfiles = std::make_shared<std::vector<std::string>>();
  auto output = std::make_shared<std::string>();
  CLI::App* recuperar =
      app.add_subcommand("recuperar", "Recupera uno o varios ficheros de resultados guardados");
  recuperar->add_option("--salida", *output, "Fichero de resultados (instrumental.txt)");
  recuperar->add_option("RESULTADOS", *rfiles, "Ficheros guardados")->required();
  recuperar->callback([rfiles, output] { RunRecuperar(*rfiles, *output); });
}

}  // namespace lumenda::cli
