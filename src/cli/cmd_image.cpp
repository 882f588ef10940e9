#include "commands.h"

namespace lumenda::cli {

void AddImageCommands(CLI::App& app) { (void)app; }

}  // namespace lumenda::cli
