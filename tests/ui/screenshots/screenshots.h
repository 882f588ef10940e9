// `make screenshots`: each window registers how to build it in a state worth
// looking at; the program shows it, lets it settle, and writes
// build/screenshots/<name>.png.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/app_context.h"

namespace lumenda::ui::shots {

struct ShotEnv {
  AppContext context;    // settings loaded from a private user folder
  QString sampleFolder;  // the sample night (60 images, "estrellas.txt")
};

// Builds the window to photograph. The program shows it, waits, grabs it and
// destroys it. `settle` (optional) runs once the window is shown.
struct Shot {
  std::function<std::unique_ptr<QWidget>(ShotEnv&)> make;
  std::function<void(QWidget&)> settle;
};

// Registers a screenshot under its file name (without ".png"); used as
//   static const bool registered = RegisterShot("TForm1", {...});
bool RegisterShot(const QString& name, Shot shot);

}  // namespace lumenda::ui::shots
