// lumenda-screenshots OUTPUT_FOLDER: writes every registered window as a PNG.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <map>

#include "app/desktop.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "screenshots.h"
#include "settings/user_folder.h"
#include "ui_test_support.h"

namespace lumenda::ui::shots {
namespace {

std::map<QString, Shot>& Registry() {
  static std::map<QString, Shot> shots;
  return shots;
}

void Settle(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

}  // namespace

bool RegisterShot(const QString& name, std::function<QWidget*(ShotEnv&)> make,
                  std::function<void(QWidget&)> settle) {
  Registry().emplace(name, Shot{std::move(make), std::move(settle)});
  return true;
}

}  // namespace lumenda::ui::shots

int main(int argc, char** argv) {
  using namespace lumenda::ui;
  QApplication app(argc, argv);
  InstallNumberConventions();
  InstallQtTranslation();
  if (argc < 2) {
    std::fprintf(stderr, "Uso: lumenda-screenshots CARPETA_DE_SALIDA\n");
    return 1;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  test::TestHome home;
  shots::ShotEnv env;
  if (const lumenda::Status opened = lumenda::OpenSession(env.context.session); !opened.ok()) {
    std::fprintf(stderr, "%s\n", opened.message.c_str());
    return 1;
  }
  env.sampleFolder = test::SampleNightFolder();

  int failures = 0;
  for (auto& [name, shot] : shots::Registry()) {
    QWidget* window = shot.make(env);
    window->show();
    shots::Settle(200);
    if (shot.settle) shot.settle(*window);
    shots::Settle(300);
    const QString file = out + QStringLiteral("/") + name + QStringLiteral(".png");
    if (window->grab().save(file)) {
      std::printf("%s\n", qPrintable(file));
    } else {
      std::fprintf(stderr, "No se pudo escribir %s\n", qPrintable(file));
      ++failures;
    }
    window->hide();
    env.owned.clear();
  }
  env.desktop.reset();
  return failures == 0 ? 0 : 1;
}
