// Start-up: one running copy, the splash.
#include <QLabel>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/single_instance.h"
#include "ui_test_support.h"
#include "windows/splash_window.h"

using namespace lumenda::ui;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  // A second start finds the first copy, asks it to come to the front and
  // ends at once without touching the user folder.
  void SecondStartSignalsTheFirstAndEnds() {
    QTemporaryDir runtime;  // private, as a runtime folder must be
    QTemporaryDir home;
    SingleInstance first;
    QVERIFY(first.Listen(runtime.path() + QStringLiteral("/MiLumenda")));
    QSignalSpy activated(&first, &SingleInstance::activationRequested);

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("LUMENDA_DIR"), home.path() + QStringLiteral("/usuario/"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(LUMENDA_GUI), {});
    QVERIFY(second.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, 10000);
    if (second.state() != QProcess::NotRunning) QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!QDir(home.path() + QStringLiteral("/usuario")).exists());
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

  void SplashShowsTheVersionAndHoldsByMode() {
    SplashWindow splash(QStringLiteral("Lumenda 2.07"));
    QCOMPARE(splash.objectName(), QStringLiteral("TFSplash"));
    QCOMPARE(splash.windowTitle(), QStringLiteral("Lumenda 2.07"));
    auto* version = test::Find<QLabel>(&splash, "VersionText");
    QVERIFY(version);
    QCOMPARE(version->text(), QStringLiteral("Lumenda 2.07"));
    QCOMPARE(SplashWindow::HoldMs(false), 3000);
    QCOMPARE(SplashWindow::HoldMs(true), 1000);
  }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
