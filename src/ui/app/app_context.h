// What every window of the running program needs to know besides the
// engine's state: where the user's files are and who the program is.
#pragma once

#include <QString>
#include <string>

#include "settings/settings.h"

namespace lumenda::ui {

struct AppContext {
  std::string appDir;   // the per-user folder, ending in "/"
  QString versionText;  // "Lumenda 2.07": captions and reports
  bool enCasa = false;  // developer mode ("encasa.txt" beside the program)
  // Where the image-list chooser starts on its first use ("lumenda
  // --imagenes CARPETA"); empty for the folder of the settings.
  QString imageFolder;
  // The last star file saved or loaded: where the star-file choosers start.
  QString lastStarFile;
  // The settings of "lumenda2.ini"; the settings dialog edits them.
  Settings settings;
};

}  // namespace lumenda::ui
