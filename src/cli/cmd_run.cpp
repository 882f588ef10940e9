#include "commands.h"

namespace lumenda::cli {

void AddRunCommands(CLI::App& app) { (void)app; }

}  // namespace lumenda::cli
