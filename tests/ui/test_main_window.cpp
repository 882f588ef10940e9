// The main window: its button column, its refusals and the settings saved
// when it closes.
#include <QtTest>

#include "app/desktop.h"
#include "app/main_window.h"
#include "settings/user_folder.h"
#include "ui_test_support.h"

using namespace lumenda::ui;
using lumenda::ui::test::Find;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void ButtonsFollowTheWorkOfANight() {
    test::TestHome home;
    AppContext context;
    context.appDir = home.AppDir();
    context.versionText = QStringLiteral("Lumenda 2.07");
    Desktop desktop(context);
    MainWindow& window = desktop.Main();
    window.show();
    QCOMPARE(window.objectName(), QStringLiteral("TForm1"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Lumenda 2.07"));
    const QList<QPair<const char*, QString>> buttons = {
        {"Button1", QStringLiteral("Lista de imágenes")},
        {"Button2", QStringLiteral("Selección de estrellas")},
        {"Button4", QStringLiteral("Proceso")},
        {"Button7", QStringLiteral("Guardar datos...")},
        {"Button8", QStringLiteral("Recuperar datos...")},
        {"Button5", QStringLiteral("Gráficos / Informes")},
        {"Button9", QStringLiteral("Análisis de periodo")},
        {"Button3", QStringLiteral("Configuración")}};
    int previousY = -1;
    for (const auto& [name, caption] : buttons) {
      auto* button = Find<QPushButton>(&window, name);
      QVERIFY2(button, name);
      QCOMPARE(button->text(), caption);
      QVERIFY2(button->isEnabled(), name);
      QVERIFY2(button->y() > previousY, name);
      previousY = button->y();
    }
    QVERIFY(Find<QCheckBox>(&window, "CheckBox1")->isChecked());
    QCOMPARE(Find<QLabel>(&window, "Label2")->text(), QStringLiteral("0 / 0"));
    // Narrow: the working lists show only in developer mode.
    QVERIFY(!Find<QWidget>(&window, "ListaFotos")->isVisible());
    QVERIFY(window.width() <= 360);
  }

  void RefusalsWithNothingToWorkOn() {
    test::TestHome home;
    test::ScriptedDialogs dialogs;
    AppContext context;
    context.appDir = home.AppDir();
    Desktop desktop(context);
    MainWindow& window = desktop.Main();
    window.show();
    QTest::mouseClick(Find<QPushButton>(&window, "Button2"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(&window, "Button5"), Qt::LeftButton);
    QCOMPARE(dialogs.Log(), QStringLiteral("E:No hay imágenes seleccionadas.\n"
                                           "W:Datos para gráfico no disponibles."));
  }

  void ClosingSavesTheSettings() {
    test::TestHome home;
    AppContext context;
    context.appDir = home.AppDir();
    context.settings.obs = "Observadora Ñ";
    Desktop desktop(context);
    MainWindow& window = desktop.Main();
    window.show();
    QVERIFY(window.close());
    lumenda::Settings reread;
    QVERIFY(lumenda::LoadSettings(context.appDir, reread).ok());
    QCOMPARE(QString::fromStdString(reread.obs), QStringLiteral("Observadora Ñ"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
