// The light-curve window with each of its pages, the graph settings, the
// three report dialogs, the data window and the rename window, on the sample
// night measured once.
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "curves/chart_series.h"
#include "sample_session.h"
#include "screenshots.h"
#include "ui_test_support.h"
#include "windows/aavso_dialog.h"
#include "windows/alcdef_dialog.h"
#include "windows/cdr_dialog.h"
#include "windows/conditions_page.h"
#include "windows/curve_windows.h"
#include "windows/data_window.h"
#include "windows/graph_settings_window.h"
#include "windows/light_curve_window.h"
#include "windows/rename_window.h"
#include "windows/report_page.h"
#include "windows/variables_page.h"

namespace lumenda::ui::shots {
namespace {

// The sample night measured once; the windows of every shot work on it.
Session& MeasuredSession(ShotEnv& env) {
  static QTemporaryDir home;
  static Session session;
  static bool measured = false;
  if (!measured) {
    const Status status =
        test::MeasureSampleNight(session, home.path().toStdString() + "/", env.sampleFolder);
    if (!status.ok()) qFatal("%s", status.message.c_str());
    session.settings.obs = "J. Pérez";
    measured = true;
  }
  return session;
}

int StarColumn(const Session& session, const std::string& prefix) {
  const auto& names = session.run.results.lbNomVar;
  for (size_t k = 0; k < names.size(); ++k)
    if (names[k].rfind(prefix, 0) == 0) return static_cast<int>(k);
  return 0;
}

// Fresh windows for one shot (their parent lives as long as the program).
CurveWindows Windows(ShotEnv& env) {
  static QWidget* holder = new QWidget;  // outlives the shots; the program ends with it
  Session& session = MeasuredSession(env);
  CurveWindows w = CreateCurveWindows(session, holder);
  session.graph = GraphSettings{};
  session.graph.var2 = StarColumn(session, "CHK") + 1;
  session.graph.comment1 = "Binaria eclipsante, noche simulada";
  w.confG->FillStarChoosers();
  return w;
}

void WaitForReport(ReportPage* page) {
  for (int i = 0; i < 500 && page->Building(); ++i) QTest::qWait(10);
}

const bool kGrafico = RegisterShot(QStringLiteral("TFGrafico"), [](ShotEnv& env) {
  CurveWindows w = Windows(env);
  MeasuredSession(env).graph.average1Visible = true;
  return w.grafico;
});

const bool kMarcas = RegisterShot(
    QStringLiteral("TFGrafico_marcas"), [](ShotEnv& env) { return Windows(env).grafico; },
    [](QWidget& w) {
      auto& window = static_cast<LightCurveWindow&>(w);
      QTest::mouseClick(test::Find<QPushButton>(&window, "bInclinacion"), Qt::LeftButton);
      ChartPanel* chart = window.Chart1();
      const double low = chart->XMin(), span = chart->XMax() - chart->XMin();
      for (double f : {0.05, 0.3, 0.6, 0.9})
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {},
                          chart->PixelOf({low + f * span, (chart->YMin() + chart->YMax()) / 2}));
    });

const bool kCondiciones = RegisterShot(
    QStringLiteral("TFGrafico_condiciones"), [](ShotEnv& env) { return Windows(env).grafico; },
    [](QWidget& w) { static_cast<LightCurveWindow&>(w).Pages()->setCurrentIndex(1); });

const bool kInforme = RegisterShot(
    QStringLiteral("TFGrafico_informe"), [](ShotEnv& env) { return Windows(env).grafico; },
    [](QWidget& w) {
      auto& window = static_cast<LightCurveWindow&>(w);
      window.Pages()->setCurrentIndex(2);
      WaitForReport(window.Report());
    });

const bool kInformeAavso = RegisterShot(
    QStringLiteral("TFGrafico_informe_aavso"),
    [](ShotEnv& env) {
      CurveWindows w = Windows(env);
      Session& session = MeasuredSession(env);
      session.graph.mode = PhotometryMode::kAbsolute;
      session.settings.aObscode = "XYZ";
      session.settings.aChart = "X12345";
      return w.grafico;
    },
    [](QWidget& w) {
      auto& window = static_cast<LightCurveWindow&>(w);
      window.Pages()->setCurrentIndex(2);
      WaitForReport(window.Report());
      test::WhenModalShows(QStringLiteral("TFAavso"), [](QWidget* dialog) {
        QTest::mouseClick(test::Find<QPushButton>(dialog, "Button1"), Qt::LeftButton);
      });
      QTest::mouseClick(test::Find<QCheckBox>(&window, "cbAAVSO"), Qt::LeftButton);
      WaitForReport(window.Report());
    });

const bool kEnCasa = RegisterShot(
    QStringLiteral("TFGrafico_encasa"),
    [](ShotEnv& env) {
      Session& session = MeasuredSession(env);
      session.enCasa = true;
      CurveWindows w = Windows(env);
      session.enCasa = false;
      return w.grafico;
    },
    [](QWidget& w) { static_cast<LightCurveWindow&>(w).Pages()->setCurrentIndex(3); });

const bool kVariables = RegisterShot(
    QStringLiteral("TFGrafico_variables"), [](ShotEnv& env) { return Windows(env).grafico; },
    [](QWidget& w) {
      auto& window = static_cast<LightCurveWindow&>(w);
      window.Pages()->setCurrentWidget(window.Variables());
      QTest::qWait(100);
      ChartPanel* chart = window.Variables()->Chart();
      const QList<QPointF> points = chart->Points(0);
      if (!points.isEmpty())
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf(points[10]));
    });

const bool kConfG =
    RegisterShot(QStringLiteral("TFConfG"), [](ShotEnv& env) { return Windows(env).confG; });

const bool kConfGResumen = RegisterShot(
    QStringLiteral("TFConfG_resumen"),
    [](ShotEnv& env) {
      CurveWindows w = Windows(env);
      (void)lumenda::RebuildCurve(MeasuredSession(env));
      return w.confG;
    },
    [](QWidget& w) { test::Find<QTabWidget>(&w, "PageControl1")->setCurrentIndex(1); });

const bool kAavso = RegisterShot(QStringLiteral("TFAavso"), [](ShotEnv& env) {
  CurveWindows w = Windows(env);
  w.aavso->Fill();
  return w.aavso;
});

const bool kAst = RegisterShot(QStringLiteral("TFAst"), [](ShotEnv& env) {
  CurveWindows w = Windows(env);
  (void)lumenda::RebuildCurve(MeasuredSession(env));
  w.ast->Fill();
  return w.ast;
});

const bool kCdr = RegisterShot(QStringLiteral("TFCdR"), [](ShotEnv& env) {
  CurveWindows w = Windows(env);
  w.cdr->Fill();
  return w.cdr;
});

const bool kDatos = RegisterShot(QStringLiteral("TFDatos"), [](ShotEnv& env) {
  CurveWindows w = Windows(env);
  Session& session = MeasuredSession(env);
  (void)lumenda::RebuildCurve(session);
  const auto point =
      InspectPoint(session.curves.curve, session.graph, FieldPosition(session.run.results),
                   Variable1Name(session.run.results, session.graph), 1, 12);
  if (point) w.datos->SetPoint(*point);
  return w.datos;
});

const bool kCambiaVar = RegisterShot(
    QStringLiteral("TFCambiaVar"), [](ShotEnv& env) { return Windows(env).cambiaVar; },
    [](QWidget& w) {
      auto* list = test::Find<QListWidget>(&w, "ListBox1");
      list->setCurrentRow(0);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(0)).center());
    });

}  // namespace
}  // namespace lumenda::ui::shots
