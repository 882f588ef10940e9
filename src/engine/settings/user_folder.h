// The per-user folder and the program's identity.
#pragma once

#include <string>

namespace lumenda {

// "$LUMENDA_DIR/" when set, else "$XDG_DATA_HOME/Lumenda/", else
// "~/.local/share/Lumenda/". Always ends in "/". Created when missing.
std::string AppDir();

// The folder of the program's seed files ("share/lumenda/" beside the binary).
std::string ProgramDataDir();

// Copies "lumenda2.ini", "color.ini", "ast.ini", "grafico.ini" from the
// program's data folder into appDir when they are missing there (never
// overwriting; a missing source is skipped).
void SeedUserFiles(const std::string& appDir, const std::string& dataDir);

// Developer mode: "encasa.txt" beside the program.
bool EnCasa();

// "Lumenda 2.07" for version 2.0.0.7.
std::string VersionText(const std::string& version = LUMENDA_VERSION);

}  // namespace lumenda
