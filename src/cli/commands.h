// Each area of the command line registers its subcommands here.
#pragma once

#include <CLI/CLI.hpp>

namespace lumenda::cli {

void AddImageCommands(CLI::App& app);    // info, clave, medir, estrellas
void AddTimeCommands(CLI::App& app);     // tiempo
void AddSimulateCommand(CLI::App& app);  // simular
void AddRunCommands(CLI::App& app);      // proceso, tabla, guardar, recuperar
void AddReportCommands(CLI::App& app);   // informe, renombrar, borrar-imagen
void AddPeriodCommands(CLI::App& app);   // periodo, efemerides

}  // namespace lumenda::cli
