// Every file and listing the program writes, produced from the sample night
// and compared byte for byte with the reviewed copies in tests/data/reference/
// (its README says how a change to them is reviewed).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "cli_runner.h"
#include "curves/light_curve.h"
#include "curves/star_data_file.h"
#include "run/results_tables.h"

namespace lumenda::test {
namespace {

// The settings the night was simulated for, a low linearity level so the
// run writes its linearity report, and the fields the reports take from the
// settings.
constexpr const char* kSettings =
    "LAT=40 24 00\r\nLAT2=N\r\nLON=003 41 00\r\nLON2=W\r\nLSAT=8000\r\n"
    "OBS=Observador de prueba\r\nA_OBSCODE=XYZ\r\nA_CHART=X123\r\n";

// The folder of the run stands as "/ruta/" in every output.
std::string Portable(std::string text, const std::string& folder) {
  for (size_t at; (at = text.find(folder)) != std::string::npos;)
    text.replace(at, folder.size(), "/ruta/");
  return text;
}

// One run of the night and every output made from it, by reference name.
class Outputs {
 public:
  Outputs() {
    std::filesystem::create_directories(dir_.File("home"));
    WriteBytes(dir_.File("home/lumenda2.ini"), kSettings);
    Run("simular " + Quote(dir_.File("noche")));
    const std::string results = Quote(dir_.File("instrumental.txt"));
    outputs_["linealidad.txt"] =
        Run("proceso --estrellas " + Quote(dir_.File("noche/estrellas.txt")) + " --salida " +
            results + " " + Quote(dir_.File("noche")));
    outputs_["instrumental.txt"] = ReadBytes(dir_.File("instrumental.txt"));
    outputs_["estrellas.txt"] = ReadBytes(dir_.File("home/estrellas.txt"));
    for (const char* table : {"instrumental", "diferencia", "absoluta", "flujos", "posibles"})
      outputs_["tabla_" + std::string(table) + ".txt"] =
          Run("tabla " + results + " --tipo " + table + " --sensibilidad 3");
    Run("guardar " + results + " " + Quote(dir_.File("guardado.csv")));
    outputs_["guardado.csv"] = ReadBytes(dir_.File("guardado.csv"));

    const std::string informe = "informe " + results + " --formato ";
    outputs_["informe_texto.txt"] = Run(informe +
                                        "texto --var1 PULSANTE --var2 CHK_11.20 --escala hjd "
                                        "--agrupar imagenes:3");
    outputs_["informe_aavso.txt"] = Run(informe +
                                        "aavso --modo absoluta --var1 ECLIPSANTE --var2 "
                                        "CHK_11.20 --agrupar imagenes:2 --decimales 4");
    outputs_["informe_alcdef.txt"] = Run(informe +
                                         "alcdef --var1 ECLIPSANTE --agrupar minutos:15 "
                                         "--contacto 'A. Observer' --contacto-info a@b.es "
                                         "--observadores 'A. Observer' --comentario Prueba");
    outputs_["informe_cdr.txt"] = Run(informe +
                                      "cdr --modo absoluta --var1 PULSANTE "
                                      "--filtro V --tel 'SC 20cm' --mes 09/2024");
    outputs_["datos_estrella.txt"] = StarData("PULSANTE");

    // The period window's input is a text report of one star.
    WriteBytes(dir_.File("pulsante.txt"),
               Run(informe + "texto --var1 PULSANTE --escala hjd --sin orden"));
    Run("periodo " + Quote(dir_.File("pulsante.txt")) + " --periodo 0.0613 --guardar " +
        Quote(dir_.File("pulsante.per")));
    outputs_["pulsante.per"] = ReadBytes(dir_.File("pulsante.per"));
    outputs_["efemerides.txt"] =
        Run("efemerides --epoca 2460564.38 --periodo 0.0613 --fase 0.5 --desde 10/09/2024 "
            "--hasta 11/09/2024 --nombre PULSANTE");
    for (auto& [name, bytes] : outputs_) bytes = Portable(bytes, dir_.path());
  }

  const std::string& Get(const std::string& name) { return outputs_[name]; }
  const std::string& Failures() const { return failures_; }

 private:
  std::string Run(const std::string& arguments) {
    const CliRun run = RunCliIn(dir_, arguments);
    if (run.status != 0) failures_ += arguments + ": " + run.err;
    return run.out;
  }

  // "Guarda datos" of the light-curve window, with no trend correction.
  std::string StarData(const std::string& star) {
    const std::string path = dir_.File("instrumental.txt");
    ResultsTables tables;
    GraphSettings settings;
    LightCurve curve;
    const auto lines = ReadTextLines(path);
    if (!lines || !BuildResultsFromFile(path, tables).ok() ||
        !BuildSourceRows(tables, settings, curve).ok()) {
      failures_ += "datos de " + star + "\n";
      return "";
    }
    const auto data = StarDataFile(*lines, star, tables, curve, settings);
    failures_ += data.message;
    return JoinLines(data.value);
  }

  TempDir dir_;
  std::map<std::string, std::string> outputs_;
  std::string failures_;
};

TEST(SampleNight, EveryOutputMatchesItsReviewedFile) {
  Outputs night;
  ASSERT_EQ(night.Failures(), "");
  for (const char* name :
       {"instrumental.txt", "linealidad.txt", "estrellas.txt", "tabla_instrumental.txt",
        "tabla_diferencia.txt", "tabla_absoluta.txt", "tabla_flujos.txt", "tabla_posibles.txt",
        "guardado.csv", "informe_texto.txt", "informe_aavso.txt", "informe_alcdef.txt",
        "informe_cdr.txt", "datos_estrella.txt", "pulsante.per", "efemerides.txt"}) {
    EXPECT_FALSE(night.Get(name).empty()) << name;
    ExpectSameAsReference(std::string(LUMENDA_REFERENCE_DIR) + name, night.Get(name));
  }
}

}  // namespace
}  // namespace lumenda::test
