#include "windows/splash_window.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace lumenda::ui {

SplashWindow::SplashWindow(const QString& versionText, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("TFSplash"));
  setWindowTitle(versionText);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(16, 24, 48));
  pal.setColor(QPalette::WindowText, QColor(235, 235, 245));
  setPalette(pal);

  auto* name = new QLabel(QStringLiteral("Lumenda"), this);
  name->setObjectName(QStringLiteral("lbNombre"));
  QFont big = name->font();
  big.setPointSize(big.pointSize() * 3);
  big.setBold(true);
  name->setFont(big);
  auto* subtitle =
      new QLabel(QStringLiteral("Fotometría de estrellas variables y asteroides"), this);
  subtitle->setObjectName(QStringLiteral("lbSubtitulo"));
  auto* version = new QLabel(versionText, this);
  version->setObjectName(QStringLiteral("VersionText"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(36, 28, 36, 28);
  layout->setSpacing(10);
  for (QLabel* label : {name, subtitle, version}) {
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
  }
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

}  // namespace lumenda::ui
