// The period-analysis window (its periodogram and its phase picture), the
// range dialog, the ephemeris window and the report window.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "../../tests/engine/period/synthetic.h"
#include "period/period_session.h"
#include "platform/text.h"
#include "screenshots.h"
#include "windows/ephemeris_window.h"
#include "windows/period_chart.h"
#include "windows/period_range_dialog.h"
#include "windows/period_report_window.h"
#include "windows/period_window.h"

namespace lumenda::ui::shots {
namespace {

// What the period window needs beside it, alive as long as the window.
struct PeriodParts {
  Session session;
  PeriodRangeDialog range;
  EphemerisWindow ephemeris;
  PeriodReportWindow report;
  QTemporaryDir folder;
};

class PeriodShot : private PeriodParts, public PeriodWindow {
 public:
  explicit PeriodShot(const ShotEnv& env)
      : PeriodWindow(PeriodParts::session, PeriodParts::range, PeriodParts::ephemeris,
                     PeriodParts::report) {
    PeriodParts::session.versionText = env.context.session.versionText;
    PeriodParts::session.settings.obs = "Observatorio de Yebes";
  }

  // Six nights of a 0.2371-day pulsator with their own zero points, searched.
  void OpenAndSearch() {
    lumenda::test::NightPlan plan;
    plan.nights = 6;
    plan.nightOffsets = {0.0, 0.12, -0.06, 0.2, -0.1, 0.05};
    const std::vector<std::string> files = lumenda::test::WriteNights(
        lumenda::test::MakeNights(plan), S(PeriodParts::folder.path()) + "/", false);
    OpenObservationFiles(Q(files));
    QTimer::singleShot(100, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialog->accept();
      }
    });
    StartSearch();
    QElapsedTimer waited;
    waited.start();
    while (Searching() && waited.elapsed() < 60000) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
};

const bool kPeriodogram = RegisterShot(
    QStringLiteral("TFAnaPer_periodograma"),
    [](ShotEnv& env) { return env.Keep(std::make_unique<PeriodShot>(env)); },
    [](QWidget& w) { static_cast<PeriodShot&>(w).OpenAndSearch(); });

const bool kPhases = RegisterShot(
    QStringLiteral("TFAnaPer"),
    [](ShotEnv& env) { return env.Keep(std::make_unique<PeriodShot>(env)); },
    [](QWidget& w) {
      auto& window = static_cast<PeriodShot&>(w);
      window.OpenAndSearch();
      window.PickPeriodAt(0.2371);
      for (const char* name :
           {"btAutoPeriodo", "btAutoAjuste", "cbFases", "cbMarca", "cbPromedio", "rbOrigen"}) {
        if (auto* b = w.findChild<QAbstractButton*>(QString::fromLatin1(name))) b->click();
      }
      // The origin at the minimum of the light curve: the title states the result.
      if (auto* chart = w.findChild<PeriodChart*>(QStringLiteral("Chart1"))) {
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf({0.95, 0}));
      }
    });

const bool kRange = RegisterShot(QStringLiteral("TFDatoPer"), [](ShotEnv& env) {
  auto* dialog = env.Keep(std::make_unique<PeriodRangeDialog>());
  dialog->setModal(false);
  return dialog;
});

const bool kEphemeris = RegisterShot(
    QStringLiteral("TFCalcEfe"),
    [](ShotEnv& env) {
      auto* window = env.Keep(std::make_unique<EphemerisWindow>());
      window->setModal(false);
      window->Fill({"SINTETICA", "2455000.34512", "0.23712", "0.000", "", ""});
      return window;
    },
    [](QWidget& w) {
      if (auto* b = w.findChild<QPushButton*>(QStringLiteral("btCalcular"))) b->click();
    });

const bool kReport = RegisterShot(QStringLiteral("TFInfoPeri"), [](ShotEnv& env) {
  auto* window = env.Keep(std::make_unique<PeriodReportWindow>());
  window->setModal(false);
  std::vector<PlotPoint> points;
  for (int i = 0; i < 40; ++i) {
    const double phase = i / 40.0;
    points.push_back({phase, 0.3 * lumenda::test::Pulse(phase) + 12, 0, 0});
  }
  window->Fill(PeriodReport("SINTETICA", points, true));
  return window;
});

}  // namespace
}  // namespace lumenda::ui::shots
