#include "commands.h"

namespace lumenda::cli {

void AddSimulateCommand(CLI::App& app) { (void)app; }

}  // namespace lumenda::cli
