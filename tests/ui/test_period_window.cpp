// The period-analysis window, its range dialog, the ephemeris and report
// windows: the whole workflow on nightly files gives the engine's numbers (the
// engine's tests hold the periods of published light curves); a stopped
// search leaves the window as it was; every refusal is shown once.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QtTest>

#include "../engine/period/synthetic.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "period/period_file.h"
#include "period/period_session.h"
#include "platform/text.h"
#include "test_support.h"
#include "text/text_file.h"
#include "ui_test_support.h"
#include "windows/ephemeris_window.h"
#include "windows/period_chart.h"
#include "windows/period_range_dialog.h"
#include "windows/period_report_window.h"
#include "windows/period_window.h"

using namespace lumenda;
using namespace lumenda::ui;
using lumenda::ui::test::Find;
namespace engine_test = lumenda::test;

namespace {

// The windows as the program creates them, on a session of their own.
struct Windows {
  Session session;
  PeriodRangeDialog range;
  EphemerisWindow ephemeris;
  PeriodReportWindow report;
  PeriodWindow window{session, range, ephemeris, report};

  explicit Windows(const std::string& appDir) {
    session.appDir = appDir;
    session.versionText = "Lumenda 2.07";
    session.settings.obs = "Ana Núñez";
    window.show();
  }
  QString Text(const char* label) { return Find<QLabel>(&window, label)->text(); }
  void Click(const char* button) {
    auto* b = Find<QAbstractButton>(&window, button);
    QVERIFY2(b && b->isEnabled(), button);
    QTest::mouseClick(b, Qt::LeftButton);
  }
  // A button whose work goes to the worker: the window is busy when the click
  // returns, and the test waits for the end.
  void Work(const char* button) {
    Click(button);
    QVERIFY2(window.Searching(), button);
    QTRY_VERIFY_WITH_TIMEOUT(!window.Searching(), 60000);
  }
  PeriodChart* Chart() { return Find<PeriodChart>(&window, "Chart1"); }
  // "Cálculo de periodo..." with the dialog's texts and increment.
  void Search(const QString& minimum, const QString& maximum, int increment) {
    ui::test::WhenModalShows(QStringLiteral("TFDatoPer"), [=](QWidget* dialog) {
      Find<QLineEdit>(dialog, "meMinimo")->setText(minimum);
      if (!maximum.isEmpty()) Find<QLineEdit>(dialog, "meMaximo")->setText(maximum);
      Find<QComboBox>(dialog, "cbIncremento")->setCurrentIndex(increment);
      QTest::mouseClick(Find<QPushButton>(dialog, "btAceptar"), Qt::LeftButton);
    });
    Click("btCalculo");
  }
  // Picks the listed dip nearest to `period`; returns its text.
  QString PickListed(double period) {
    auto* list = Find<QListWidget>(&window, "lbMinimos");
    int best = -1;
    for (int i = 0; i < list->count(); ++i) {
      const double p = list->item(i)->data(Qt::UserRole).toDouble();
      if (best < 0 || std::abs(p - period) <
                          std::abs(list->item(best)->data(Qt::UserRole).toDouble() - period)) {
        best = i;
      }
    }
    if (best < 0) return {};
    QListWidgetItem* item = list->item(best);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    return item->text();
  }
  // The viewport pixel of a chart value.
  QPoint Pixel(double x, double y) { return Chart()->PixelOf(QPointF(x, y)); }
};

}  // namespace

class PeriodWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallNumberConventions(); }

  // "Análisis de periodo" opens the window on the program's session.
  void MainWindowOpensItOnTheSession() {
    ui::test::TestHome home;
    AppContext context;
    context.session.appDir = home.AppDir();
    context.session.versionText = "Lumenda 2.07";
    context.session.settings.obs = "Ana Núñez";
    context.session.period.periodText = "0.51435";
    Desktop desktop(context);
    desktop.Main().show();
    QString period, observer, version;
    QWidget* rangeParent = nullptr;
    ui::test::WhenModalShows(QStringLiteral("TFAnaPer"), [&](QWidget* window) {
      period = Find<QLabel>(window, "Label1")->text();
      observer = Find<QLabel>(window, "lbObservador")->text();
      version = Find<QLabel>(window, "lbVersion")->text();
      rangeParent = desktop.Windows().periodRange->parentWidget();
      window->close();
    });
    QTest::mouseClick(Find<QPushButton>(&desktop.Main(), "Button9"), Qt::LeftButton);
    QCOMPARE(period, QStringLiteral("0.51435"));
    QCOMPARE(observer, QStringLiteral("Observador: Ana Núñez"));
    QCOMPARE(version, QStringLiteral("Lumenda 2.07"));
    QCOMPARE(rangeParent, static_cast<QWidget*>(desktop.Windows().period));
  }

  // Nightly files: search, pick, refine, offsets, origin, ephemerides, the
  // report, and the period data file written and read back.
  void NightlyFilesWorkflowGivesTheEnginesNumbers() {
    ui::test::TestHome home;
    ui::test::ScriptedDialogs dialogs;
    engine_test::TempDir dir;
    engine_test::NightPlan plan;
    plan.nightOffsets = {0.0, 0.1, -0.05};
    const std::vector<std::string> files =
        engine_test::WriteNights(engine_test::MakeNights(plan), dir.path(), false);

    // The engine's own run of the same steps.
    PeriodState engine;
    QVERIFY(OpenObservations(engine, files).ok());
    QVERIFY(BeginSearch(engine).ok());
    ApplyRange(engine.search, "0.10", MaxPeriodText(engine.search), kDialogIncrementIndex);
    const PeriodSearchJob job = MakeSearchJob(engine);
    QVERIFY(ApplySearch(engine, job, SearchPeriods(job).value).ok());

    Windows w(home.AppDir());
    QCOMPARE(w.window.objectName(), QStringLiteral("TFAnaPer"));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Lumenda - Análisis de periodo"));
    dialogs.openAnswers.append(Q(files));
    w.Click("btAbre");
    QCOMPARE(dialogs.choices.back().filter, QStringLiteral("Datos (*.txt)"));
    QCOMPARE(w.Text("Label1"), Q(engine.periodText));
    QCOMPARE(Find<QLineEdit>(&w.window, "edNombre")->text(), QStringLiteral("SINTETICA"));
    QCOMPARE(Find<QComboBox>(&w.window, "cbSerie")->count(), plan.nights);
    QCOMPARE(w.Chart()->Points().size(), engine.data.Observations.size());
    QVERIFY(!Find<QCheckBox>(&w.window, "cbFases")->isEnabled());
    QCOMPARE(QString::fromStdString(w.session.settings.dirPeri), dir.path().c_str());

    w.Search(QStringLiteral("0.10"), QString(), kDialogIncrementIndex);
    QTRY_VERIFY_WITH_TIMEOUT(w.Chart()->PeriodogramShown(), 20000);
    QCOMPARE(w.session.period.search.Result.size(), engine.search.Result.size());
    QCOMPARE(w.Text("lbFase"), QStringLiteral("---"));
    auto* list = Find<QListWidget>(&w.window, "lbMinimos");
    const std::vector<PeriodMinimum> family = PeriodFamily(engine.search.Result, 8);
    QCOMPARE(list->count(), static_cast<int>(family.size()));
    QCOMPARE(list->item(0)->text(), Q(PeriodMinimumText(family[0])));

    // Pick the dip nearest the known period, then refine.
    const QString picked = w.PickListed(plan.period);
    QVERIFY(!w.Chart()->PeriodogramShown());
    QCOMPARE(w.Text("Label1"), picked.left(7));
    QVERIFY(Find<QCheckBox>(&w.window, "cbFases")->isEnabled());
    PickPeriod(engine, ParseDouble(S(picked.left(7))).value());
    QCOMPARE(w.Text("Label2"), Q(engine.dispersionText));
    w.Work("btAutoPeriodo");
    RefineCurrentPeriod(engine);
    QCOMPARE(w.Text("Label1"), Q(engine.periodText));
    QCOMPARE(w.Text("Label2"), Q(engine.dispersionText));
    QVERIFY(std::abs(ParseDouble(engine.periodText).value() - plan.period) < 0.0003);

    // Offsets: automatic, then a series moved by hand and everything undone.
    w.Work("btAutoAjuste");
    AdjustOffsets(engine);
    QCOMPARE(w.session.period.data.SeriesOffsets, engine.data.SeriesOffsets);
    QCOMPARE(w.Text("Label2"), Q(engine.dispersionText));
    Find<QComboBox>(&w.window, "cbSerie")->setCurrentIndex(1);
    Find<QComboBox>(&w.window, "cbPasoMag")->setCurrentIndex(0);
    const double before = w.session.period.data.SeriesOffsets[1];
    w.Click("btSube");
    QCOMPARE(w.session.period.data.SeriesOffsets[1], before - 0.1);
    QCOMPARE(w.Text("lbDesplazamiento"), FormatNumber("0.000", before - 0.1));
    w.Click("btDeshacerAjuste");
    QCOMPARE(w.session.period.data.SeriesOffsets, std::vector<double>(8, 0.0));

    // Phase view, then the origin where phase 0.25 is drawn.
    w.Click("cbFases");
    QVERIFY(w.session.period.view.enabled);
    QCOMPARE(w.Chart()->Points().size() > engine.data.Observations.size(), true);
    w.Click("rbOrigen");
    QTest::mouseClick(w.Chart()->viewport(), Qt::LeftButton, {}, w.Pixel(0.25, 0));
    const float origin = w.session.period.view.origin;
    QVERIFY2(std::abs(origin - 0.75f) < 0.01f, qPrintable(QString::number(origin)));
    QVERIFY(w.Chart()->chart()->title().startsWith(QStringLiteral("SINTETICA - Época HJD: ")));
    QCOMPARE(w.Chart()->chart()->title(),
             QStringLiteral("SINTETICA") + Q(w.session.period.resultTitle));

    // Ephemerides of phase 0 (the clicked spot): the engine's list.
    w.Click("rbEfemerides");
    QStringList listed;
    ui::test::WhenModalShows(QStringLiteral("TFCalcEfe"), [&](QWidget* efe) {
      Find<QLineEdit>(efe, "meFechaInicial")->setText(QStringLiteral("01/01/2024"));
      Find<QLineEdit>(efe, "meFechaFinal")->setText(QStringLiteral("02/01/2024"));
      QTest::mouseClick(Find<QPushButton>(efe, "btCero"), Qt::LeftButton);
      QTest::mouseClick(Find<QPushButton>(efe, "btCalcular"), Qt::LeftButton);
      listed = Find<QPlainTextEdit>(efe, "mmLista")->toPlainText().split(QLatin1Char('\n'));
      QTest::mouseClick(Find<QPushButton>(efe, "btCopiar"), Qt::LeftButton);
      efe->close();
    });
    QTest::mouseClick(w.Chart()->viewport(), Qt::LeftButton, {}, w.Pixel(0.5, 0));
    EphemerisInput input = EphemerisFor(w.session.period, 0.5);
    input.phaseText = "0.000";
    input.startText = "01/01/2024";
    input.endText = "02/01/2024";
    QCOMPARE(listed, Q(ComputeEphemeris(input).lines));
    QCOMPARE(QApplication::clipboard()->text(), listed.join(QLatin1Char('\n')));
    QVERIFY(listed.size() >= 7 + 8);  // two days of a 0.2371-day period

    // The report lists each observation once, in phase order.
    QStringList report;
    ui::test::WhenModalShows(QStringLiteral("TFInfoPeri"), [&](QWidget* info) {
      report = Find<QPlainTextEdit>(info, "mmInforme")->toPlainText().split(QLatin1Char('\n'));
      info->close();
    });
    w.Click("btInforme");
    QCOMPARE(report.size(), static_cast<qsizetype>(engine.data.Observations.size()) + 3);
    QCOMPARE(report[2], QStringLiteral("FASE     MAGNITUD"));

    // Saved, then read back into a fresh window.
    dialogs.saveAnswers.append(QString::fromStdString(dir.File("analisis.per")));
    w.Click("btGuarda");
    QCOMPARE(dialogs.choices.back().defaultSuffix, QStringLiteral("per"));
    Windows again(home.AppDir());
    dialogs.openAnswers.append(QStringList{QString::fromStdString(dir.File("analisis.per"))});
    again.Click("btRecupera");
    QCOMPARE(again.Text("Label1"), w.Text("Label1"));
    QCOMPARE(again.Text("Label3"), QStringLiteral("(1E-5)"));
    QCOMPARE(again.session.period.data.Observations.size(), engine.data.Observations.size());
    QVERIFY(!Find<QCheckBox>(&again.window, "cbFases")->isChecked());
    QVERIFY(Find<QPushButton>(&again.window, "btAutoPeriodo")->isEnabled());

    // Arrow keys: the step grows, the period moves by it.
    QTest::keyClick(again.Chart(), Qt::Key_Up);
    QCOMPARE(again.Text("Label3"), QStringLiteral("(0.0001)"));
    const double period = ParseDouble(S(again.Text("Label1"))).value();
    QTest::keyClick(again.Chart(), Qt::Key_Right);
    QCOMPARE(again.Text("Label1"), FormatNumber("0.000000", period + 0.0001));
    QVERIFY(dialogs.Texts('E').isEmpty());
  }

  // A stopped search: the window works on with what it showed before.
  void StoppedSearchLeavesThePreviousResults() {
    ui::test::TestHome home;
    ui::test::ScriptedDialogs dialogs;
    engine_test::TempDir dir;
    engine_test::NightPlan plan;
    plan.nights = 20;
    plan.pointsPerNight = 1000;
    const std::vector<std::string> files =
        engine_test::WriteNights(engine_test::MakeNights(plan), dir.path(), false);
    Windows w(home.AppDir());
    dialogs.openAnswers.append(Q(files));
    w.Click("btAbre");
    // A short first search to have a periodogram and a period.
    w.Search(QStringLiteral("0.20"), QStringLiteral("00.30"), 2);
    QTRY_VERIFY_WITH_TIMEOUT(w.Chart()->PeriodogramShown(), 20000);
    w.PickListed(plan.period);
    const QString period = w.Text("Label1");
    const size_t trials = w.session.period.search.Result.size();

    // 20 000 points and a fine grid: seconds of work, stopped early on.
    w.Search(QStringLiteral("0.10"), QString(), 5);
    QTRY_VERIFY_WITH_TIMEOUT(
        w.Text("Label3").endsWith(QLatin1Char('%')) && w.Text("Label3") != QStringLiteral("0%"),
        20000);
    QVERIFY(w.window.Searching());
    QVERIFY(!Find<QPushButton>(&w.window, "btCalculo")->isEnabled());
    QElapsedTimer stopping;
    stopping.start();
    w.Click("btDetener");
    QTRY_VERIFY_WITH_TIMEOUT(!w.window.Searching(), 5000);
    qInfo("search stopped after %lld ms", static_cast<long long>(stopping.elapsed()));
    QCOMPARE(w.Text("Label1"), period);
    QCOMPARE(w.session.period.search.Result.size(), trials);
    QVERIFY(!w.Chart()->PeriodogramShown());
    QCOMPARE(w.Chart()->Points().size(), w.session.period.data.Observations.size());
    QVERIFY(Find<QPushButton>(&w.window, "btCalculo")->isEnabled());
    QVERIFY(Find<QPushButton>(&w.window, "btAutoPeriodo")->isEnabled());
    QVERIFY(!Find<QPushButton>(&w.window, "btDetener")->isEnabled());
    QVERIFY(dialogs.shown.isEmpty());
    // The range changed, so the next search runs again.
    QVERIFY(w.session.period.search.SearchPending);
  }

  // Each refusal of these windows, once.
  void RefusalsAreShownOnce() {
    ui::test::TestHome home;
    ui::test::ScriptedDialogs dialogs;
    engine_test::TempDir dir;
    Windows w(home.AppDir());
    w.Click("btCalculo");
    QCOMPARE(dialogs.Log(), QStringLiteral("E:No hay observaciones."));

    dialogs.Clear();
    lumenda::test::WriteBytes(dir.File("nada.txt"), "sin datos\r\n");
    dialogs.openAnswers.append(QStringList{QString::fromStdString(dir.File("nada.txt"))});
    w.Click("btAbre");
    QCOMPARE(dialogs.Log(), QStringLiteral("E:No se encontraron datos válidos."));

    // Twelve points a given number of days apart, as one file.
    auto twelve = [&](const char* name, double spacing) {
      std::vector<std::string> lines{std::string(name) + " HJD"};
      for (int i = 0; i < 12; ++i) {
        lines.push_back(FormatFloat("0.00000", 2455000.0 + i * spacing) + " " +
                        FormatFloat("0.000", 12 + 0.01 * i));
      }
      const std::string path = dir.File(std::string(name) + ".txt");
      lumenda::test::WriteBytes(path, JoinLines(lines));
      dialogs.openAnswers.append(QStringList{QString::fromStdString(path)});
    };
    // Within a quarter of an hour: too short to search.
    dialogs.Clear();
    twelve("CORTA", 0.001);
    w.Click("btAbre");
    w.Click("btCalculo");
    QCOMPARE(dialogs.Log(), QStringLiteral("E:Datos insuficuentes"));

    // Over days: no trial mixes 40 bins.
    dialogs.Clear();
    twelve("RALA", 0.7);
    w.Click("btAbre");
    // The range dialog refuses in order, then the search finds too little.
    ui::test::WhenModalShows(QStringLiteral("TFDatoPer"), [&](QWidget* dialog) {
      auto* minimum = Find<QLineEdit>(dialog, "meMinimo");
      auto* maximum = Find<QLineEdit>(dialog, "meMaximo");
      auto* accept = Find<QPushButton>(dialog, "btAceptar");
      minimum->setText(QStringLiteral("0.00"));
      QTest::mouseClick(accept, Qt::LeftButton);
      minimum->setText(QStringLiteral("0.50"));
      maximum->setText(QStringLiteral("00.00"));
      QTest::mouseClick(accept, Qt::LeftButton);
      maximum->setText(QStringLiteral("00.40"));
      QTest::mouseClick(accept, Qt::LeftButton);
      QVERIFY(dialog->isVisible());
      Find<QComboBox>(dialog, "cbIncremento")->setCurrentIndex(0);
      maximum->setText(QStringLiteral("05.00"));
      QCOMPARE(Find<QLabel>(dialog, "lbCiclos")->text(), QStringLiteral("4"));
      QTest::mouseClick(accept, Qt::LeftButton);
    });
    w.Click("btCalculo");
    QTRY_VERIFY_WITH_TIMEOUT(!w.window.Searching(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.Texts('E').size(), 4, 5000);
    QCOMPARE(dialogs.Log(), QStringLiteral("E:El periodo mínimo debe ser mayor que 0.\n"
                                           "E:El periodo máximo debe ser mayor que 0.\n"
                                           "E:El periodo máximo debe ser mayor que el mínimo.\n"
                                           "E:Datos insuficientes."));

    // A manual period too short, once the window has one to change.
    engine_test::NightPlan plan;
    plan.nights = 2;
    const std::vector<std::string> files =
        engine_test::WriteNights(engine_test::MakeNights(plan), dir.path(), true);
    dialogs.Clear();
    dialogs.openAnswers.append(Q(files));
    w.Click("btAbre");
    w.window.PickPeriodAt(0.2371);
    auto* manual = Find<QLineEdit>(&w.window, "meManual");
    manual->setText(QStringLiteral("00.00050"));
    w.Click("btManual");
    QCOMPARE(dialogs.Log(), QStringLiteral("E:El periodo manual no puede ser inferior a 0.001"));
    QCOMPARE(w.window.focusWidget(), manual);

    // Damaged period data files.
    dialogs.Clear();
    lumenda::test::WriteBytes(dir.File("mal.per"), "123\r\nN_VAR\r\n");
    // A right checksum over a section that is not there.
    const std::vector<std::string> other{"", "N_VARS", "X"};
    lumenda::test::WriteBytes(dir.File("otro.per"),
                              std::to_string(PeriodFileChecksum(other, 1)) + "\r\nN_VARS\r\nX\r\n");
    dialogs.openAnswers.append(QStringList{QString::fromStdString(dir.File("mal.per"))});
    dialogs.openAnswers.append(QStringList{QString::fromStdString(dir.File("otro.per"))});
    const QString before = w.Text("Label1");
    w.Click("btRecupera");
    w.Click("btRecupera");
    QCOMPARE(dialogs.Log(), QStringLiteral("E:Error en lectura de datos.\n"
                                           "E:Error: formato no reconocido."));
    QCOMPARE(w.Text("Label1"), before);

    // The ephemeris window's dates.
    dialogs.Clear();
    w.ephemeris.Fill({"X", "2455000.00000", "0.50000", "0.000", "", ""});
    w.ephemeris.show();
    auto* start = Find<QLineEdit>(&w.ephemeris, "meFechaInicial");
    auto* end = Find<QLineEdit>(&w.ephemeris, "meFechaFinal");
    auto* calculate = Find<QPushButton>(&w.ephemeris, "btCalcular");
    // Opened with today and a week later.
    const QDate today = QDate::currentDate();
    QCOMPARE(start->text(), today.toString(QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(end->text(), today.addDays(7).toString(QStringLiteral("dd/MM/yyyy")));
    // The engine's date checks (tested there) reach the user.
    start->setText(QStringLiteral("32/01/2024"));
    QTest::mouseClick(calculate, Qt::LeftButton);
    QCOMPARE(dialogs.Log(), QStringLiteral("E:Fecha inicial incorrecta."));
    w.ephemeris.close();
  }
};

QTEST_MAIN(PeriodWindowTest)
#include "test_period_window.moc"
