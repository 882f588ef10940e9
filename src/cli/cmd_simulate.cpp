// lumenda-cli simular CARPETA [--imagenes N] [--semilla S]
#include <iostream>
#include <limits>
#include <memory>
#include <string>

#include "cli_support.h"
#include "commands.h"
#include "sample/sample_night.h"
#include "text/number_format.h"

namespace lumenda::cli {
namespace {

struct SimulateOptions {
  std::string folder;
  std::string images = "60";
  std::string seed = "1";
};

void RunSimulate(const SimulateOptions& o) {
  // Numbers are parsed here, not by the option parser, so that a bad value
  // gets a Spanish message and exit status 1.
  const auto images = ParseInt(o.images);
  if (!images || *images < 1 || *images > kSampleMaxImages)
    Fail("El número de imágenes debe estar entre 1 y " + std::to_string(kSampleMaxImages) + ".");
  const auto seed = ParseInt(o.seed);
  if (!seed || *seed < 0 || *seed > std::numeric_limits<unsigned>::max())
    Fail("La semilla debe ser un número entero entre 0 y " +
         std::to_string(std::numeric_limits<unsigned>::max()) + ".");

  const Status status =
      WriteSampleNight(o.folder, static_cast<int>(*images), static_cast<unsigned>(*seed));
  if (!status.ok()) Fail(status.message);

  const std::string dir = o.folder.back() == '/' ? o.folder : o.folder + "/";
  std::cout << "CARPETA " << dir << "\n"
            << "IMAGENES " << *images << "\n"
            << "SEMILLA " << *seed << "\n"
            << "PRIMERA " << dir << SampleImageName(1) << "\n"
            << "ULTIMA " << dir << SampleImageName(static_cast<int>(*images)) << "\n"
            << "ESTRELLAS " << dir << "estrellas.txt\n"
            << "VERDAD " << dir << "verdad.txt\n";
}

}  // namespace

void AddSimulateCommand(CLI::App& app) {
  auto options = std::make_shared<SimulateOptions>();
  CLI::App* cmd = app.add_subcommand(
      "simular", "Escribe la noche de muestra simulada (imágenes FITS, estrellas.txt, verdad.txt)");
  cmd->add_option("CARPETA", options->folder, "Carpeta de destino (se crea si no existe)")
      ->required();
  cmd->add_option("--imagenes", options->images,
                  "Número de imágenes, de 1 a " + std::to_string(kSampleMaxImages) + " (60)");
  cmd->add_option("--semilla", options->seed, "Semilla del ruido y del campo (1)");
  cmd->callback([options] { RunSimulate(*options); });
}

}  // namespace lumenda::cli
