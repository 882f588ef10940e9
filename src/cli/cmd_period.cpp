#include "commands.h"

namespace lumenda::cli {

void AddPeriodCommands(CLI::App& app) { (void)app; }

}  // namespace lumenda::cli
