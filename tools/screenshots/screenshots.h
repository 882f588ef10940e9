// `make screenshots`: each window registers how to build it in a state worth
// looking at; the program shows it, lets it settle, and writes
// build/screenshots/<name>.png.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_context.h"
#include "app/desktop.h"
#include "ui_test_support.h"

namespace lumenda::ui::shots {

struct ShotEnv {
  // Message boxes and file choosers answer from here: nothing blocks.
  test::ScriptedDialogs dialogs;
  AppContext context;    // settings loaded from a private user folder
  QString sampleFolder;  // the sample night (60 images, "estrellas.txt")

  // The program's windows (created on first use, kept for every shot).
  Desktop& Windows() {
    if (!desktop) desktop = std::make_unique<Desktop>(context);
    return *desktop;
  }
  // Keeps a window made for one shot until that shot is written.
  template <typename T>
  T* Keep(std::unique_ptr<T> window) {
    T* raw = window.get();
    owned.push_back(std::move(window));
    return raw;
  }

  std::unique_ptr<Desktop> desktop;
  std::vector<std::unique_ptr<QWidget>> owned;
};

// Builds (or finds) the window to photograph. The program shows it, waits,
// grabs it and hides it. `settle` (optional) runs once the window is shown.
struct Shot {
  std::function<QWidget*(ShotEnv&)> make;
  std::function<void(QWidget&)> settle;
};

// Registers a screenshot under its file name (without ".png"); used as
//   const bool kName = RegisterShot("TForm1", [](ShotEnv& env) {...});
bool RegisterShot(const QString& name, std::function<QWidget*(ShotEnv&)> make,
                  std::function<void(QWidget&)> settle = {});

}  // namespace lumenda::ui::shots
