// What every window of the running program shares: the engine's session
// (settings, image list, stars, results...) and the little the desktop
// itself remembers.
#pragma once

#include <QString>

#include "session/session.h"

namespace lumenda::ui {

struct AppContext {
  // Windows read and change it through engine calls and keep no copy.
  Session session;
  // Where the image-list chooser starts on its first use ("lumenda
  // --imagenes CARPETA"); empty for the folder of the settings.
  QString imageFolder;
  // The last star file saved or loaded: where the star-file choosers start.
  QString lastStarFile;
};

}  // namespace lumenda::ui
