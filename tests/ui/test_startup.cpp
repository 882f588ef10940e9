// Start-up: one running copy, the splash.
#include <QLabel>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/single_instance.h"
#include "ui_test_support.h"
#include "windows/splash_window.h"

using namespace lumenda::ui;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  // The first copy clears what a killed copy left half-written in its user
  // folder; a second start finds it, asks it to come to the front and ends
  // at once without touching its own user folder.
  void FirstStartCleansUpAndASecondStartSignalsIt() {
    QTemporaryDir runtime;  // private, as a runtime folder must be
    QTemporaryDir home;
    const QString firstHome = home.path() + QStringLiteral("/primera/");
    QVERIFY(QDir().mkpath(firstHome));
    const QString stale = firstHome + QStringLiteral("instrumental.txt.tmp999999999_0");
    const QString foreign = firstHome + QStringLiteral("notas.tmp.txt");
    for (const QString& path : {stale, foreign}) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto start = [&](QProcess& copy, const QString& userFolder) {
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
      env.insert(QStringLiteral("LUMENDA_DIR"), userFolder);
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
      copy.setProcessEnvironment(env);
      copy.start(QStringLiteral(LUMENDA_GUI), {});
      return copy.waitForStarted();
    };
    QProcess first;
    QVERIFY(start(first, firstHome));
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(stale), 20000);
    QVERIFY(QFile::exists(foreign));

    QProcess second;
    QVERIFY(start(second, home.path() + QStringLiteral("/segunda/")));
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!QDir(home.path() + QStringLiteral("/segunda")).exists());
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
  }

  // A socket left behind by a copy that died does not keep the next start
  // from listening.
  void LeftoverSocketIsTakenOver() {
    QTemporaryDir runtime;
    const QString name = runtime.path() + QStringLiteral("/MiLumenda");
    QFile leftover(name);
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    SingleInstance instance;
    QVERIFY(instance.Listen(name));
    QVERIFY(SingleInstance::SignalRunningCopy(name));
  }

  void SplashShowsTheVersion() {
    SplashWindow splash(QStringLiteral("Lumenda 2.07"));
    QCOMPARE(splash.objectName(), QStringLiteral("TFSplash"));
    QCOMPARE(splash.windowTitle(), QStringLiteral("Lumenda 2.07"));
    auto* version = test::Find<QLabel>(&splash, "VersionText");
    QVERIFY(version);
    QCOMPARE(version->text(), QStringLiteral("Lumenda 2.07"));
  }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
