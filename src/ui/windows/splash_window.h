// The splash shown while the program starts (TFSplash).
#pragma once

#include <QWidget>

namespace lumenda::ui {

class SplashWindow : public QWidget {
  Q_OBJECT

 public:
  // `versionText` is the caption and the line under the program's name.
  explicit SplashWindow(const QString& versionText, QWidget* parent = nullptr);

  // How long the splash stays: 1 s in developer mode, 3 s otherwise.
  static int HoldMs(bool enCasa) { return enCasa ? 1000 : 3000; }
};

}  // namespace lumenda::ui
