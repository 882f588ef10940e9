#include "commands.h"

namespace lumenda::cli {

void AddTimeCommands(CLI::App& app) { (void)app; }

}  // namespace lumenda::cli
