// The light-curve window and its companions on the sample night: what the
// charts hold in each mode, the trend correction by marks, the reports
// against the reference files, the data and rename windows, the graph settings
// and the "Variables?" page, and every refusal of theirs.
#include <QListWidget>
#include <QtTest>

#include "curves/chart_series.h"
#include "curves/light_curve.h"
#include "platform/text.h"
#include "sample_session.h"
#include "text/text_file.h"
#include "ui_test_support.h"
#include "widgets/chart_panel.h"
#include "windows/curve_windows.h"
#include "windows/graph_settings_window.h"
#include "windows/light_curve_window.h"
#include "windows/report_page.h"
#include "windows/variables_page.h"

using namespace lumenda;
using namespace lumenda::ui;
using lumenda::ui::test::Find;

namespace {

// A user folder with the sample night's results recovered into a session,
// and the light-curve windows on it.
struct Curves {
  test::TestHome home;
  Session session;
  QWidget holder;
  CurveWindows w;

  bool Open(const std::string& results) {
    const Status s = test::RecoverSampleNight(session, home.AppDir(), results);
    if (!s.ok()) qWarning("%s", s.message.c_str());
    session.settings.obs = "Observador de prueba";
    w = CreateCurveWindows(session, &holder);
    return s.ok();
  }
  int Column(const std::string& name) const {
    const auto& names = session.run.results.lbNomVar;
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
  // Shows the light curve with Variable 2 = the check star.
  void Show() {
    w.confG->FillStarChoosers();
    Find<QComboBox>(w.confG, "cbVar2")->setCurrentIndex(Column("CHK_11.20") + 1);
    w.grafico->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.grafico));
  }
  void WaitForReport() { QTRY_VERIFY_WITH_TIMEOUT(!w.grafico->Report()->Building(), 20000); }
  QString ReportText() {
    WaitForReport();
    return Find<QPlainTextEdit>(w.grafico, "mInforme2")->toPlainText();
  }
};

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

void Click(QWidget* root, const char* name) {
  auto* button = Find<QAbstractButton>(root, name);
  QVERIFY2(button, name);
  button->click();
}

}  // namespace

class LightCurveWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    InstallNumberConventions();
    QVERIFY(
        test::MeasureSampleNight(master_, masterHome_.AppDir(), test::SampleNightFolder()).ok());
    results_ = ResultsFilePath(master_);
  }

  void ChartFollowsTheMagnitudeModeAndTheGrouping() {
    Curves c;
    QVERIFY(c.Open(results_));
    c.Show();
    ChartPanel* chart = c.w.grafico->Chart1();
    QCOMPARE(Find<QLabel>(c.w.grafico, "Label4")->text(), QStringLiteral("ECLIPSANTE"));
    QCOMPARE(Find<QLabel>(c.w.grafico, "Label2")->text(), QStringLiteral("GJD_UTC: 2460564 +"));
    QCOMPARE(Find<QLabel>(c.w.grafico, "Label9")->text(),
             QStringLiteral("Observador: Observador de prueba"));

    struct Mode {
      const char* radio;
      const char* title;
      bool inverted;
      bool trendButton;
    };
    const Mode modes[] = {{"rbAbsoluta", "Fotometría absoluta", true, false},
                          {"rbBrillo", "Flujo relativo", false, true},
                          {"rbFlujos", "Flujo absoluto (cuentas)", false, false},
                          {"rbDiferencial", "Fotometría relativa", true, true}};
    for (const Mode& m : modes) {
      Click(c.w.confG, m.radio);
      QCOMPARE(chart->AxisY()->titleText(), QString::fromUtf8(m.title));
      QCOMPARE(chart->AxisY()->isReverse(), m.inverted);
      QCOMPARE(Find<QPushButton>(c.w.grafico, "bInclinacion")->isVisible(), m.trendButton);
      // Every group of one image is a point of each star; its label is the image.
      const LightCurve& curve = c.session.curves.curve;
      const auto expected =
          StarPoints(curve, c.session.graph, FieldPosition(c.session.run.results), 1);
      const QList<QPointF> shown = chart->Points(0);
      QCOMPARE(shown.size(), 60);
      QCOMPARE(chart->Points(1).size(), 60);
      QCOMPARE(shown[7].y(), *expected[7].value);
      QCOMPARE(shown[7].x(), expected[7].x);
      QVERIFY(chart->PointLabel(0, 7).endsWith(QStringLiteral("muestra_008.fit")));
      // Error bars span value - error .. value + error.
      const QLineF bar = chart->Segments(2)[7];
      QCOMPARE(bar.y2() - bar.y1(), 2 * expected[7].error);
    }

    // Grouping by 3 images: 20 groups of the 60 images, and no more labels.
    Find<QSpinBox>(c.w.confG, "udImagenes")->setValue(3);
    QCOMPARE(chart->Points(0).size(), 20);
    QVERIFY(chart->PointLabel(0, 0).isEmpty());
    Find<QCheckBox>(c.w.confG, "cbBarras")->click();
    QVERIFY(chart->Segments(2).isEmpty());

    // "Fecha - Hora" over less than an hour and a half: a time axis.
    Click(c.w.confG, "rbFH");
    auto* axis = qobject_cast<QDateTimeAxis*>(chart->AxisX());
    QVERIFY(axis);
    QCOMPARE(axis->format(), QStringLiteral("HH:mm"));
    QCOMPARE(Find<QLabel>(c.w.grafico, "Label2")->text(), QStringLiteral("UTC: 10/09/2024 +"));

    // "Guardar como...": the picture of the chart and its labels, as GIF.
    test::ScriptedDialogs dialogs;
    const QString gif = c.home.Path() + QStringLiteral("curva.gif");
    dialogs.saveAnswers.append(gif);
    Click(c.w.grafico, "Button4");
    QCOMPARE(dialogs.choices.last().filter, QStringLiteral("Imágenes gif (*.gif)"));
    QCOMPARE(QImage(gif).size(), Find<QWidget>(c.w.grafico, "pnGrafico")->size());
    c.w.grafico->close();
  }

  void TrendCorrectionByFourMarksEqualsTheEnginesFit() {
    Curves c;
    QVERIFY(c.Open(results_));
    c.Show();
    test::ScriptedDialogs dialogs;
    ChartPanel* chart = c.w.grafico->Chart1();
    Click(c.w.grafico, "bInclinacion");
    auto* prompt = Find<QLabel>(c.w.grafico, "Label28");
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->text(), QStringLiteral("Marca punto 1"));
    const QList<QPointF> before = chart->Points(0);
    // Marks around the first ten and the last ten points, outside the eclipse.
    const double xs[] = {before[0].x() - 1e-4, before[9].x() + 1e-4, before[50].x() - 1e-4,
                         before[59].x() + 1e-4};
    const double y = (chart->YMin() + chart->YMax()) / 2;
    for (double x : xs)
      QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf({x, y}));
    QCOMPARE(prompt->text(), QStringLiteral("Marca punto 1"));
    std::array<Mark, 4> marks = c.session.curves.marks;
    for (int i = 0; i < 4; ++i)
      QVERIFY(std::abs(marks[static_cast<size_t>(i)].value - xs[i]) < 2e-4);

    const auto points = StarPoints(c.session.curves.curve, c.session.graph,
                                   FieldPosition(c.session.run.results), 1);
    const Result<Trend> fit = FitTrend(marks, points);
    QVERIFY(fit.ok());
    Click(c.w.grafico, "bCorregir");
    QVERIFY(!prompt->isVisible());
    QCOMPARE(c.session.curves.curve.TrendSlope, fit.value.slope);
    QCOMPARE(c.session.curves.curve.TrendIntercept, fit.value.intercept);
    // The points are corrected by the line at their time.
    const QList<QPointF> after = chart->Points(0);
    const double t = after[20].x();
    QVERIFY(std::abs(after[20].y() -
                     (before[20].y() - (t * fit.value.slope + fit.value.intercept))) < 2e-5);

    // "Deshacer" takes the correction away.
    Click(c.w.grafico, "bInclinacion");
    Click(c.w.grafico, "bDeshacer");
    QCOMPARE(c.session.curves.curve.TrendSlope, 0.0);
    QCOMPARE(chart->Points(0)[20].y(), before[20].y());

    // Refusals: marks out of order, and marks around no point.
    Click(c.w.grafico, "bInclinacion");
    for (double x : {xs[1], xs[0]})
      QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf({x, y}));
    Click(c.w.grafico, "bCorregir");
    const double gap = (before[1].x() - before[0].x()) / 4;
    Click(c.w.grafico, "bCancelar");
    Click(c.w.grafico, "bInclinacion");
    for (double x : {before[3].x() + gap, before[3].x() + 2 * gap})
      QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf({x, y}));
    Click(c.w.grafico, "bCorregir");
    QCOMPARE(dialogs.Log(), QStringLiteral("E:Error en la selección de puntos\n"
                                           "E:Error calculando recta (cantidad=0)"));
    QCOMPARE(c.session.curves.curve.TrendSlope, 0.0);
    c.w.grafico->close();
  }

  // The choices of the command line's reference reports, made in the windows.
  void ReportsSavedFromThePageEqualTheReferenceFiles() {
    Curves c;
    QVERIFY(c.Open(results_));
    c.session.settings.aObscode = "XYZ";
    c.session.settings.aChart = "X123";
    c.Show();
    test::ScriptedDialogs dialogs;
    c.w.grafico->Pages()->setCurrentWidget(c.w.grafico->Report());
    auto saveAs = [&](const char* name) {
      c.WaitForReport();
      const QString path = c.home.Path() + QString::fromLatin1(name);
      dialogs.saveAnswers.append(path);
      Click(c.w.grafico, "Button8");
      QCOMPARE(FileBytes(path),
               FileBytes(QStringLiteral(LUMENDA_REFERENCE_DIR) + QString::fromLatin1(name)));
    };
    auto* var1 = Find<QComboBox>(c.w.confG, "cbVar1");
    auto* images = Find<QSpinBox>(c.w.confG, "udImagenes");

    // The general report: PULSANTE and the check star, HJD, groups of 3.
    var1->setCurrentIndex(c.Column("PULSANTE"));
    Click(c.w.confG, "rbFJH");
    images->setValue(3);
    saveAs("informe_texto.txt");

    // ALCDEF: ECLIPSANTE in groups of 15 minutes, the contact typed.
    var1->setCurrentIndex(c.Column("ECLIPSANTE"));
    Find<QSpinBox>(c.w.confG, "udMinutos")->setValue(15);
    test::WhenModalShows(QStringLiteral("TFAst"), [](QWidget* dialog) {
      for (const char* edit : {"Edit4", "Edit6"})
        Find<QLineEdit>(dialog, edit)->setText(QStringLiteral("A. Observer"));
      Find<QLineEdit>(dialog, "Edit5")->setText(QStringLiteral("a@b.es"));
      Find<QPlainTextEdit>(dialog, "Memo1")->setPlainText(QStringLiteral("Prueba"));
      Click(dialog, "Button1");
    });
    Find<QCheckBox>(c.w.grafico, "cbALCDEF")->click();
    QVERIFY(!Find<QCheckBox>(c.w.grafico, "cbAAVSO")->isEnabled());
    saveAs("informe_alcdef.txt");
    Find<QCheckBox>(c.w.grafico, "cbALCDEF")->click();  // back to the general report

    // AAVSO: absolute photometry, ensemble with a check star, groups of 2, 4 decimals.
    Click(c.w.confG, "rbAbsoluta");
    images->setValue(2);
    Find<QSpinBox>(c.w.grafico, "upDec2")->setValue(4);
    test::WhenModalShows(QStringLiteral("TFAavso"),
                         [](QWidget* dialog) { Click(dialog, "Button1"); });
    Find<QCheckBox>(c.w.grafico, "cbAAVSO")->click();
    QVERIFY(Find<QCheckBox>(c.w.grafico, "cbAAVSO")->isChecked());
    saveAs("informe_aavso.txt");
    Find<QCheckBox>(c.w.grafico, "cbAAVSO")->click();

    // CdR: PULSANTE, every image, filter V.
    var1->setCurrentIndex(c.Column("PULSANTE"));
    images->setValue(1);
    test::WhenModalShows(QStringLiteral("TFCdR"), [](QWidget* dialog) {
      QTest::keyClicks(Find<QLineEdit>(dialog, "Edit3"), QStringLiteral("09/2024"));
      QTest::keyClicks(Find<QLineEdit>(dialog, "Edit4"), QStringLiteral("SC 20cm"));
      Find<QComboBox>(dialog, "cbFil")->setCurrentText(QStringLiteral("V: Johnson V"));
      Click(dialog, "Button1");
    });
    Find<QCheckBox>(c.w.grafico, "cbCdR")->click();
    saveAs("informe_cdr.txt");
    QVERIFY2(dialogs.Texts('E').isEmpty(), qPrintable(dialogs.Log()));

    // A column left out of the general report.
    Find<QCheckBox>(c.w.grafico, "cbCdR")->click();
    Find<QCheckBox>(c.w.grafico, "cbTrans")->click();
    QVERIFY(!c.ReportText().contains(QStringLiteral("TRANS")));
    c.w.grafico->close();
  }

  void RefusalsOfTheReportsAndTheGraphSettings() {
    Curves c;
    QVERIFY(c.Open(results_));
    test::ScriptedDialogs dialogs;
    c.Show();
    // Relative photometry with several comparison stars: no "ensemble" report.
    Find<QCheckBox>(c.w.grafico, "cbAAVSO")->click();
    QVERIFY(!Find<QCheckBox>(c.w.grafico, "cbAAVSO")->isChecked());
    Find<QCheckBox>(c.w.grafico, "cbCdR")->click();
    QVERIFY(!Find<QCheckBox>(c.w.grafico, "cbCdR")->isChecked());
    // The AAVSO dialog keeps itself open on an empty field, and a cancel
    // leaves the box unticked.
    Click(c.w.confG, "rbAbsoluta");
    bool stayedOpen = false;
    QWidget* focused = nullptr;
    test::WhenModalShows(QStringLiteral("TFAavso"), [&](QWidget* dialog) {
      Click(dialog, "Button1");
      focused = dialog->focusWidget();
      Find<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("XYZ"));
      Click(dialog, "Button1");
      stayedOpen = dialog->isVisible();
      Click(dialog, "Button2");
    });
    Find<QCheckBox>(c.w.grafico, "cbAAVSO")->click();
    QVERIFY(stayedOpen);
    QCOMPARE(focused ? focused->objectName() : QString(), QStringLiteral("Edit1"));
    QVERIFY(!Find<QCheckBox>(c.w.grafico, "cbAAVSO")->isChecked());
    // The flux modes have no AAVSO nor ALCDEF report.
    Click(c.w.confG, "rbFlujos");
    QVERIFY(!Find<QCheckBox>(c.w.grafico, "cbAAVSO")->isEnabled());
    QVERIFY(!Find<QCheckBox>(c.w.grafico, "cbALCDEF")->isEnabled());

    // Graph settings: no preferences saved; no results file to rename in.
    QFile::remove(c.home.Path() + QStringLiteral("grafico.ini"));
    Click(c.w.confG, "bRecuperarPref");
    QFile::remove(Q(ResultsFilePath(c.session)));
    Click(c.w.confG, "bCambioNombre");
    c.w.grafico->close();
    QCOMPARE(dialogs.Log(),
             QStringLiteral("E:Informe tipo \"ensemble\" no disponible. Es necesario:\n"
                            "- Seleccionar \"Fotometría absoluta\" en Magnitudes / Configuración\n"
                            "- Seleccionar una estrella de control\n"
                            "E:Informe CdR solo disponible para fotometría absoluta.\n"
                            "E:El campo OBSCODE no puede quedar vacío\n"
                            "E:El campo CHART no puede quedar vacío\n"
                            "E:Preferencias no definidas.\n"
                            "E:Archivo \"instrumental.txt\" no localizado."));

    // No results at all.
    Session empty;
    test::TestHome home;
    QVERIFY(OpenSession(empty, home.AppDir(), {}).ok());
    QWidget holder;
    CurveWindows w = CreateCurveWindows(empty, &holder);
    dialogs.Clear();
    w.grafico->OpenFromMain();
    QCOMPARE(dialogs.Log(), QStringLiteral("W:Datos para gráfico no disponibles."));
  }

  void ClickedPointDeletesItsImageAfterAskingAndTheCloseReminds() {
    Curves c;
    QVERIFY(c.Open(results_));
    test::ScriptedDialogs dialogs;
    ChartPanel* chart = c.w.grafico->Chart1();
    bool looked = false;
    test::WhenModalShows(QStringLiteral("TFGrafico"), [&](QWidget*) {
      const QPoint point = chart->PixelOf(chart->Points(0)[12]);
      test::WhenModalShows(QStringLiteral("TFDatos"), [&](QWidget* data) {
        QCOMPARE(Find<QLabel>(data, "lbNombre")->text(), QStringLiteral("ECLIPSANTE"));
        QCOMPARE(Find<QLabel>(data, "lbMPC")->text(), QStringLiteral("Fecha MPC: 20240910.90039"));
        QVERIFY(Find<QLabel>(data, "lbValor")
                    ->text()
                    .startsWith(QStringLiteral("Magnitud relativa: ")));
        QCOMPARE(Find<QLabel>(data, "lbArchivo")->text(), QStringLiteral("muestra_013.fit"));
        dialogs.confirmAnswers = {false, true};
        Click(data, "bBorrar");  // refused: nothing happens
        QVERIFY(data->isVisible());
        Click(data, "bBorrar");
        looked = true;
      });
      QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, point);
      QCOMPARE(chart->Points(0).size(), 59);
      c.w.grafico->close();
    });
    c.w.grafico->OpenFromMain();
    QVERIFY(looked);
    QCOMPARE(
        dialogs.Log(),
        QStringLiteral("C:¿Realmente quieres borrar los datos de esta imagen?\n"
                       "C:¿Realmente quieres borrar los datos de esta imagen?\n"
                       "I:Ha habido cambio de datos. Recuerda \"guardarlos\" si es necesario."));
    const auto lines = ReadTextLines(ResultsFilePath(c.session));
    QVERIFY(lines);
    QCOMPARE(std::count_if(lines->begin(), lines->end(),
                           [](const std::string& l) {
                             return l.find("muestra_013.fit") != std::string::npos;
                           }),
             0);
  }

  void GraphSettingsRoundTripTheirRulesAndRenaming() {
    Curves c;
    QVERIFY(c.Open(results_));
    c.Show();
    // Only solid lines may be wider than 1.
    auto* width = Find<QSpinBox>(c.w.confG, "upMedia1");
    auto* style = Find<QComboBox>(c.w.confG, "cbMediaStyl1");
    width->setValue(5);
    style->setCurrentIndex(2);
    QCOMPARE(width->value(), 1);
    width->setValue(3);
    QCOMPARE(style->currentIndex(), 0);
    // Saved, changed, recovered.
    Find<QSpinBox>(c.w.confG, "upVar1T")->setValue(7);
    Find<QSpinBox>(c.w.confG, "upMM")->setValue(9);
    Find<QCheckBox>(c.w.confG, "cbMM1")->click();
    Click(c.w.confG, "bGuardarPref");
    Click(c.w.confG, "bDefecto");
    QCOMPARE(Find<QSpinBox>(c.w.confG, "upVar1T")->value(), 4);
    Find<QSpinBox>(c.w.confG, "upMM")->setValue(3);
    Click(c.w.confG, "bRecuperarPref");
    QCOMPARE(Find<QSpinBox>(c.w.confG, "upVar1T")->value(), 7);
    QCOMPARE(Find<QSpinBox>(c.w.confG, "upMM")->value(), 9);
    QVERIFY(Find<QCheckBox>(c.w.confG, "cbMM1")->isChecked());
    QCOMPARE(c.w.grafico->Chart1()->SeriesSize(0), 7);
    QVERIFY(!c.w.grafico->Chart1()->Segments(4).isEmpty());  // moving average 1 drawn

    // The summary, and a click on a value into the marked comment line.
    auto* maximum = Find<QLabel>(c.w.confG, "lbV1Max");
    QCOMPARE(Find<QLabel>(c.w.confG, "lbV1Nombre")->text(), QStringLiteral("ECLIPSANTE"));
    QTest::mouseClick(maximum, Qt::LeftButton);
    QCOMPARE(Find<QLineEdit>(c.w.confG, "edComentario1")->text(), maximum->text());
    QCOMPARE(Find<QLabel>(c.w.grafico, "lbComentario1")->text(), maximum->text());

    // "Cambio de nombre": the new name in the results file, the choosers and the chart.
    test::WhenModalShows(QStringLiteral("TFCambiaVar"), [](QWidget* rename) {
      auto* list = Find<QListWidget>(rename, "ListBox1");
      QVERIFY(!Find<QPushButton>(rename, "Button2")->isEnabled());
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(0)).center());
      auto* edit = Find<QLineEdit>(rename, "Edit1");
      edit->clear();
      QTest::keyClicks(edit, QStringLiteral("algol de perseo"));
      QCOMPARE(edit->text(), QStringLiteral("ALGOL DE PER"));  // upper case, 12 characters
      Click(rename, "Button2");
      Click(rename, "Button1");
    });
    Click(c.w.confG, "bCambioNombre");
    QCOMPARE(c.session.run.results.lbNomVar.front(), std::string("ALGOL DE PER"));
    QCOMPARE(Find<QComboBox>(c.w.confG, "cbVar1")->currentText(), QStringLiteral("ALGOL DE PER"));
    QCOMPARE(Find<QComboBox>(c.w.confG, "cbVar2")->currentText(), QStringLiteral("CHK_11.20"));
    QCOMPARE(Find<QLabel>(c.w.grafico, "Label4")->text(), QStringLiteral("ALGOL DE PER"));
    const auto lines = ReadTextLines(ResultsFilePath(c.session));
    QVERIFY(lines && std::any_of(lines->begin(), lines->end(), [](const std::string& l) {
              return l.find("ALGOL DE PER") != std::string::npos;
            }));
    c.w.grafico->close();
  }

  void VariablesPageStacksGroupsAndJudgesTheClickedCurve() {
    Curves c;
    QVERIFY(c.Open(results_));
    c.Show();
    VariablesPage* page = c.w.grafico->Variables();
    c.w.grafico->Pages()->setCurrentWidget(page);
    QCOMPARE(Find<QLabel>(page, "Label26")->text(), QStringLiteral("1 a 3 de 3"));
    ChartPanel* chart = page->Chart();
    QCOMPARE(chart->SeriesCount(), 3);
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf(chart->Points(0)[28]));
    QCOMPARE(Find<QLabel>(page, "lbNombreVS")->text(), QStringLiteral("ECLIPSANTE"));
    QCOMPARE(Find<QLabel>(page, "lbVeredicto")->text(), QStringLiteral("Posible variable"));
    QVERIFY(Find<QLabel>(page, "lbRatio")->font().bold());
    QCOMPARE(chart->SeriesPenWidth(0), 3);
    QCOMPARE(Find<QPushButton>(page, "Button10")->text(),
             QStringLiteral("Guarda datos ECLIPSANTE"));
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->PixelOf(chart->Points(2)[5]));
    QCOMPARE(Find<QLabel>(page, "lbNombreVS")->text(), QStringLiteral("CHK_11.20"));
    QCOMPARE(Find<QLabel>(page, "lbVeredicto")->text(), QString());
    QCOMPARE(chart->SeriesPenWidth(0), 2);
    // Wheel: a thirtieth of the range.
    const double before = chart->XMin(), span = chart->XMax() - chart->XMin();
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, -120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(page, &wheel);
    QVERIFY(std::abs(chart->XMin() - before - span / 30) < 1e-9);
    // Groups of 3 past the end stay on the last group; "Sólo posibles variables".
    Find<QComboBox>(page, "cbCant")->setCurrentIndex(0);
    Click(page, "bGrupoMas");
    QCOMPARE(Find<QLabel>(page, "Label26")->text(), QStringLiteral("1 a 3 de 3"));
    Click(page, "cbVariables");  // the search runs on a worker
    QCOMPARE(Find<QLabel>(page, "Label26")->text(), QStringLiteral("Buscando variables..."));
    QTRY_COMPARE(chart->SeriesCount(), 2);
    c.w.grafico->close();
  }

 private:
  test::TestHome masterHome_;
  Session master_;
  std::string results_;
};

QTEST_MAIN(LightCurveWindowTest)
#include "test_light_curve_window.moc"
