// lumenda-cli: the command line over the engine.
#include <CLI/CLI.hpp>
#include <clocale>

#include "commands.h"
#include "settings/user_folder.h"
#include "text/text_file.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // What a killed earlier run left half-written in the user folder goes now.
  lumenda::RemoveStaleTemporaryFiles(lumenda::AppDir());
  CLI::App app{"Lumenda: fotometría de estrellas variables y asteroides"};
  app.require_subcommand(1);
  lumenda::cli::AddImageCommands(app);
  lumenda::cli::AddTimeCommands(app);
  lumenda::cli::AddSimulateCommand(app);
  lumenda::cli::AddRunCommands(app);
  lumenda::cli::AddReportCommands(app);
  lumenda::cli::AddPeriodCommands(app);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
