#include "app/desktop.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "settings/user_folder.h"
#include "text/text_file.h"
#include "windows/aavso_dialog.h"
#include "windows/alcdef_dialog.h"
#include "windows/cdr_dialog.h"
#include "windows/control_window.h"
#include "windows/coordinates_window.h"
#include "windows/curve_windows.h"
#include "windows/data_window.h"
#include "windows/ephemeris_window.h"
#include "windows/graph_settings_window.h"
#include "windows/light_curve_window.h"
#include "windows/period_range_dialog.h"
#include "windows/period_report_window.h"
#include "windows/period_window.h"
#include "windows/rename_window.h"
#include "windows/settings_dialog.h"
#include "windows/splash_window.h"
#include "windows/star_selection_dialog.h"

namespace lumenda::ui {

Desktop::Desktop(AppContext& context) : context_(context) {
  main_ = std::make_unique<MainWindow>(context_, windows_);
  QWidget* parent = main_.get();
  Session& session = context_.session;
  CurveWindows curves;
  windows_.selection = new StarSelectionDialog(parent);
  curves.grafico = new LightCurveWindow(session, parent);
  curves.datos = new DataWindow(session, parent);
  windows_.coordinates = new CoordinatesWindow(context_, parent);
  curves.confG = new GraphSettingsWindow(session, parent);
  curves.cambiaVar = new RenameWindow(session, parent);
  windows_.control = new ControlWindow(parent);
  // The period window takes its three dialogs when it is made: they come
  // first, then sit on it. The magnifier is made with each image window.
  windows_.periodRange = new PeriodRangeDialog(parent);
  windows_.ephemeris = new EphemerisWindow(parent);
  windows_.periodReport = new PeriodReportWindow(parent);
  windows_.period = new PeriodWindow(context_.session, *windows_.periodRange, *windows_.ephemeris,
                                     *windows_.periodReport, parent);
  for (QDialog* dialog : std::initializer_list<QDialog*>{windows_.periodRange, windows_.ephemeris,
                                                         windows_.periodReport}) {
    dialog->setParent(windows_.period, dialog->windowFlags());
  }
  curves.aavso = new AavsoDialog(session, parent);
  windows_.settings = new SettingsDialog(context_, parent);
  curves.ast = new AlcdefDialog(session, parent);
  curves.cdr = new CdrDialog(session, parent);
  ConnectCurveWindows(curves);
  windows_.graphs = curves.grafico;
}

Desktop::~Desktop() = default;

int RunDesktop(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumenda"));
  // No display name: the window system would add " — Lumenda" to every caption.
  InstallNumberConventions();

  InstallQtTranslation();

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Lumenda: fotometría de estrellas variables y asteroides"));
  parser.addHelpOption();
  const QCommandLineOption imageFolder(
      QStringLiteral("imagenes"),
      QStringLiteral("Carpeta en la que se abre por primera vez la lista de imágenes."),
      QStringLiteral("carpeta"));
  parser.addOption(imageFolder);
  parser.process(app);

  // A copy is already running: it comes to the front and this one ends
  // before touching anything.
  if (SingleInstance::SignalRunningCopy()) return 0;
  SingleInstance instance;
  instance.Listen();
  // What a killed earlier copy left half-written in the user folder goes now.
  RemoveStaleTemporaryFiles(AppDir());

  // The user folder seeded, the version, the developer flag, the settings.
  AppContext context;
  const Status opened = OpenSession(context.session);
  context.imageFolder = parser.value(imageFolder);

  SplashWindow splash(Q(context.session.versionText));
  splash.show();
  QApplication::processEvents();

  Desktop desktop(context);
  if (!opened.ok()) Dialogs().Error(Q(opened.message));

  bool started = false;
  QObject::connect(&instance, &SingleInstance::activationRequested, &desktop.Main(), [&] {
    if (started) desktop.Main().BringToFront();
  });
  // The splash is held by a timer, so it keeps painting meanwhile.
  QTimer::singleShot(SplashWindow::HoldMs(context.session.enCasa), &splash, [&] {
    splash.close();
    started = true;
    desktop.Main().BringToFront();
  });
  return QApplication::exec();
}

}  // namespace lumenda::ui
