// The splash and the main window.
#include "app/main_window.h"
#include "screenshots.h"
#include "windows/splash_window.h"

namespace lumenda::ui::shots {
namespace {

const bool kSplash = RegisterShot(
    QStringLiteral("TFSplash"),
    {[](ShotEnv& env) { return std::make_unique<SplashWindow>(env.context.versionText); }, {}});

const bool kMain =
    RegisterShot(QStringLiteral("TForm1"),
                 {[](ShotEnv& env) { return std::make_unique<MainWindow>(env.context); }, {}});

const bool kMainEnCasa = RegisterShot(QStringLiteral("TForm1_encasa"),
                                      {[](ShotEnv& env) {
                                         env.context.enCasa = true;
                                         auto window = std::make_unique<MainWindow>(env.context);
                                         env.context.enCasa = false;
                                         return window;
                                       },
                                       {}});

}  // namespace
}  // namespace lumenda::ui::shots
