// The splash, the main window and its small windows.
#include "app/main_window.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "screenshots.h"
#include "windows/control_window.h"
#include "windows/coordinates_window.h"
#include "windows/settings_dialog.h"
#include "windows/splash_window.h"

namespace lumenda::ui::shots {
namespace {

const bool kSplash = RegisterShot(QStringLiteral("TFSplash"), [](ShotEnv& env) {
  return env.Keep(std::make_unique<SplashWindow>(Q(env.context.session.versionText)));
});

const bool kMain = RegisterShot(QStringLiteral("TForm1"),
                                [](ShotEnv& env) -> QWidget* { return &env.Windows().Main(); });

// One shot per page of the settings dialog.
QWidget* SettingsPage(ShotEnv& env, int page) {
  SettingsDialog* dialog = env.Windows().Windows().settings;
  dialog->Prepare();
  dialog->ShowPage(page);
  return dialog;
}
const bool kConf1 = RegisterShot(QStringLiteral("TFConf_1_optica"),
                                 [](ShotEnv& env) { return SettingsPage(env, 0); });
const bool kConf2 = RegisterShot(QStringLiteral("TFConf_2_fotometria"),
                                 [](ShotEnv& env) { return SettingsPage(env, 1); });
const bool kConf3 = RegisterShot(QStringLiteral("TFConf_3_deteccion"),
                                 [](ShotEnv& env) { return SettingsPage(env, 2); });
const bool kConf4 = RegisterShot(QStringLiteral("TFConf_4_procesado"),
                                 [](ShotEnv& env) { return SettingsPage(env, 3); });
const bool kConf5 = RegisterShot(QStringLiteral("TFConf_5_observatorio"),
                                 [](ShotEnv& env) { return SettingsPage(env, 4); });

const bool kCoord = RegisterShot(QStringLiteral("TFCoord"), [](ShotEnv& env) -> QWidget* {
  CoordinatesWindow* w = env.Windows().Windows().coordinates;
  CoordinateTexts t;
  t.ar = "20 15 30.0";
  t.dec = "38 20 00";
  t.lat = "40 24 00";
  t.lon = "003 41 00";
  t.res = "02.00";
  w->Prepare(t);
  return w;
});

// The image-list chooser as "make run" opens it: in the sample's folder.
const bool kChooser = RegisterShot(QStringLiteral("Selector_imagenes"), [](ShotEnv& env) {
  FileChoice choice;
  choice.caption = QStringLiteral("Lista de imágenes");
  choice.folder = env.sampleFolder;
  choice.filter = FitsFilter();
  return env.Keep<QWidget>(MakeFileChooser(choice, QFileDialog::ExistingFiles));
});

const bool kControl = RegisterShot(QStringLiteral("TFControl"), [](ShotEnv& env) -> QWidget* {
  ControlWindow* w = env.Windows().Windows().control;
  w->SetReport({"muestra_012.fit", "  51234  0211.4  0187.9  ECLIPSANTE", ""});
  return w;
});

}  // namespace
}  // namespace lumenda::ui::shots
