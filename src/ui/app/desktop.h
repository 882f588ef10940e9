// The running desktop program: start-up, the windows in their creation
// order, and the end.
#pragma once

#include <QObject>
#include <memory>

#include "app/app_context.h"
#include "app/desktop_windows.h"

namespace lumenda::ui {

class MainWindow;

// Every long-lived window, created once in this order and kept until the
// program ends. The image window is created for each star selection instead.
class Desktop {
 public:
  explicit Desktop(AppContext& context);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  MainWindow& Main() { return *main_; }
  const DesktopWindows& Windows() const { return windows_; }

 private:
  AppContext& context_;
  DesktopWindows windows_;
  // The other windows are the main window's children: they go with it.
  std::unique_ptr<MainWindow> main_;
};

// The program: single copy, splash, windows, settings, event loop. Returns
// the exit status.
int RunDesktop(int argc, char** argv);

}  // namespace lumenda::ui
