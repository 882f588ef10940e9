// The settings dialog and the coordinates window: a round trip through the
// file, and the field checks that hold the focus until the value is fixed.
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

#include "app/desktop.h"
#include "app/main_window.h"
#include "platform/text.h"
#include "text/text_file.h"
#include "ui_test_support.h"
#include "windows/coordinates_window.h"
#include "windows/settings_dialog.h"

using namespace lumenda::ui;
using lumenda::ui::test::Click;
using lumenda::ui::test::Find;
using lumenda::ui::test::Retype;

namespace {}  // namespace

class SettingsWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallNumberConventions(); }

  void SettingsRoundTripThroughTheDialog() {
    test::TestHome home;
    AppContext context;
    context.session.appDir = home.AppDir();
    Desktop desktop(context);
    desktop.Main().show();

    test::WhenModalShows(QStringLiteral("TFConf"), [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Lumenda - Configuración"));
      Click(d, "cbFlipX");
      Retype(Find<QLineEdit>(d, "meRes"), QStringLiteral("0135"));
      Click(d, "bFotometria");
      QCOMPARE(d->focusWidget(), Find<QWidget>(d, "meRadio"));
      Retype(Find<QLineEdit>(d, "meRadio"), QStringLiteral("0750"));
      Find<QSlider>(d, "tbControl")->setValue(9);
      QCOMPARE(Find<QLineEdit>(d, "eControl")->text(), QStringLiteral("9"));
      Click(d, "bProcesado");
      Click(d, "rbFiltroIn");
      Retype(Find<QLineEdit>(d, "eFiltroIn"), QStringLiteral("m31"));
      Click(d, "bObservatorio");
      Retype(Find<QLineEdit>(d, "meLat"), QStringLiteral("402400"));
      Find<QComboBox>(d, "cbLat")->setCurrentIndex(1);
      Retype(Find<QLineEdit>(d, "meLon"), QStringLiteral("0034100"));
      Find<QComboBox>(d, "cbLon")->setCurrentIndex(1);
      Retype(Find<QLineEdit>(d, "eObs"), QStringLiteral("Observadora Ñ"));
      Click(d, "bAceptar");
    });
    QTest::mouseClick(Find<QPushButton>(&desktop.Main(), "Button3"), Qt::LeftButton);
    QVERIFY(!desktop.Windows().settings->isVisible());

    const auto file = lumenda::ReadTextLines(context.session.appDir + "lumenda2.ini");
    QVERIFY(file);
    const QStringList lines = Q(*file);
    for (const char* expected :
         {"FLIPX=S", "FLIPY=N", "RADIO=07.50", "ECONTROL=9", "RES=01.35", "LAT=40 24 00", "LAT2=S",
          "LON=003 41 00", "LON2=E", "FILTROIN=m31", "FILTROAC=I"}) {
      QVERIFY2(lines.contains(QString::fromUtf8(expected)), expected);
    }
    QVERIFY(lines.contains(QStringLiteral("OBS=Observadora Ñ")));

    // Read back into a fresh program, the dialog shows the same values.
    AppContext again;
    again.session.appDir = context.session.appDir;
    QVERIFY(lumenda::LoadSettings(again.session.appDir, again.session.settings).ok());
    SettingsDialog dialog(again);
    QCOMPARE(Find<QLineEdit>(&dialog, "meRadio")->text(), QStringLiteral("07.50"));
    QVERIFY(Find<QCheckBox>(&dialog, "cbFlipX")->isChecked());
    QCOMPARE(Find<QSlider>(&dialog, "tbControl")->value(), 9);
    QCOMPARE(Find<QComboBox>(&dialog, "cbLon")->currentText(), QStringLiteral("E"));
    QVERIFY(Find<QRadioButton>(&dialog, "rbFiltroIn")->isChecked());
    QCOMPARE(again.session.settings.mRadio, 7.5);
  }

  void FieldChecksHoldTheFocus() {
    test::TestHome home;
    AppContext context;
    context.session.appDir = home.AppDir();
    SettingsDialog dialog(context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* radio = Find<QLineEdit>(&dialog, "meRadio");
    auto* outer = Find<QLineEdit>(&dialog, "meRadioE");
    auto* tracking = Find<QLineEdit>(&dialog, "meRadioS");

    dialog.ShowPage(SettingsDialog::kPhotometry);
    Retype(outer, QStringLiteral("01"));
    radio->setFocus();
    QTest::keyClick(radio, Qt::Key_Tab);  // leaving the aperture radius
    QTRY_COMPARE(QApplication::focusWidget(), outer);
    Retype(outer, QStringLiteral("02"));
    QTest::keyClick(outer, Qt::Key_Tab);
    QTRY_VERIFY(QApplication::focusWidget() != outer);

    dialog.ShowPage(SettingsDialog::kDetection);
    for (const char* bad : {"0", "6", "9"}) {
      Retype(tracking, QString::fromLatin1(bad));
      QTest::keyClick(tracking, Qt::Key_Tab);
      QTRY_COMPARE(QApplication::focusWidget(), tracking);
      Click(&dialog, "bAceptar");  // refused: the dialog stays
      QVERIFY(dialog.isVisible());
    }
    Retype(tracking, QStringLiteral("5"));
    Click(&dialog, "bAceptar");
    QVERIFY(!dialog.isVisible());
    QVERIFY(QFile::exists(home.Path() + QStringLiteral("lumenda2.ini")));
  }

  void TimeCorrectionMustBeANumber() {
    test::TestHome home;
    AppContext context;
    context.session.appDir = home.AppDir();
    CoordinatesWindow window(context);
    lumenda::CoordinateTexts texts;
    texts.ar = "20 15 30.0";
    texts.dec = "38 20 00";
    texts.decSign = 'S';
    window.Prepare(texts);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(Find<QLineEdit>(&window, "meAR")->text(), QStringLiteral("20 15 30.0"));
    auto* seconds = Find<QLineEdit>(&window, "meTiempo");
    for (const char* bad : {"", "abc"}) {
      Retype(seconds, QString::fromLatin1(bad));
      Click(&window, "bAceptar");
      QVERIFY2(window.isVisible(), bad);
      QTRY_COMPARE(QApplication::focusWidget(), seconds);
    }
    for (const char* good : {"-30", "1.5"}) {
      window.show();
      Retype(seconds, QString::fromLatin1(good));
      Click(&window, "bAceptar");
      QVERIFY2(!window.isVisible(), good);
    }
    QCOMPARE(QString::fromStdString(context.session.settings.cTiempo), QStringLiteral("1.5"));
    const lumenda::CoordinateTexts back = window.Texts();
    QCOMPARE(QString::fromStdString(back.ar), QStringLiteral("20 15 30.0"));
    QCOMPARE(back.decSign, 'S');
  }
};

QTEST_MAIN(SettingsWindowsTest)
#include "test_settings_windows.moc"
