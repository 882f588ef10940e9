#include "commands.h"

namespace lumenda::cli {

void AddReportCommands(CLI::App& app) { (void)app; }

}  // namespace lumenda::cli
