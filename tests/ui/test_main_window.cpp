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
    context.session.appDir = home.AppDir();
    context.session.versionText = "Lumenda 2.07";
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
    context.session.appDir = home.AppDir();
    Desktop desktop(context);
    MainWindow& window = desktop.Main();
    window.show();
    const auto click = [&](const char* name) {
      QTest::mouseClick(Find<QPushButton>(&window, name), Qt::LeftButton);
    };
    click("Button2");
    click("Button4");
    click("Button5");
    // A following series needs the previous results and star file.
    QTest::mouseClick(Find<QCheckBox>(&window, "CheckBox1"), Qt::LeftButton, {}, QPoint(6, 6));
    click("Button1");
    // A first series whose first image cannot be read: its own message.
    QTest::mouseClick(Find<QCheckBox>(&window, "CheckBox1"), Qt::LeftButton, {}, QPoint(6, 6));
    dialogs.confirmAnswers = {true};
    dialogs.openAnswers.append({home.Path() + QStringLiteral("falta.fit")});
    click("Button1");
    // A refused confirmation changes nothing and asks for no file.
    dialogs.confirmAnswers = {false};
    click("Button1");
    QCOMPARE(dialogs.choices.size(), 1);
    QCOMPARE(dialogs.Log(),
             QStringLiteral("E:No hay imágenes seleccionadas.\n"
                            "W:Debes seleccionar al menos una estrella de calibrado y una "
                            "variable.\n"
                            "W:Datos para gráfico no disponibles.\n"
                            "C:Serie siguiente. Los datos serán añadidos a los existentes.\n"
                            "E:Datos anteriores no encontrados.\n"
                            "C:Primera serie, los datos anteriores serán borrados.\n"
                            "I:No se encuentra el fichero ") +
                 home.Path() +
                 QStringLiteral("falta.fit\n"
                                "C:Primera serie, los datos anteriores serán "
                                "borrados."));
    QCOMPARE(Find<QLabel>(&window, "Label1")->text(), QStringLiteral("0"));
    QCOMPARE(Find<QLabel>(&window, "Label2")->text(), QStringLiteral("0 / 0"));
  }

  void ClosingSavesTheSettings() {
    test::TestHome home;
    AppContext context;
    context.session.appDir = home.AppDir();
    context.session.settings.obs = "Observadora Ñ";
    Desktop desktop(context);
    MainWindow& window = desktop.Main();
    window.show();
    QVERIFY(window.close());
    lumenda::Settings reread;
    QVERIFY(lumenda::LoadSettings(context.session.appDir, reread).ok());
    QCOMPARE(QString::fromStdString(reread.obs), QStringLiteral("Observadora Ñ"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
