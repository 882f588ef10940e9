// The chart every chart window builds on: what it holds, the chart's own
// mapping between pixels and values, clicks, zooms and its GIF picture.
#include <QSignalSpy>
#include <QtTest>

#include "platform/text.h"
#include "ui_test_support.h"
#include "widgets/chart_panel.h"
#include "widgets/gif_picture.h"

using namespace lumenda::ui;

namespace {

// A shown chart of two point series and a segment series over x 10..20,
// y 5..15, magnitudes upwards.
struct Sample {
  ChartPanel chart;
  int stars, other, bars;
  Sample() {
    chart.resize(640, 420);
    stars = chart.AddPoints(QStringLiteral("V1"), Qt::red, 4, PointShape::kCircle);
    other = chart.AddPoints(QStringLiteral("V2"), QColor(0, 0, 128), 4, PointShape::kCross);
    bars = chart.AddSegments(QStringLiteral("barras"), Qt::red, 3);
    chart.SetPoints(stars, {{12, 8}, {14, 9}, {16, 10}},
                    {QStringLiteral("/a/1.fit"), QStringLiteral("/a/2.fit"), QString()});
    chart.SetPoints(other, {{13, 12}, {17, 13}});
    chart.SetSegments(bars, {QLineF(15, 6, 15, 14)});
    chart.SetInvertedY(true);
    chart.SetRanges(10, 20, 5, 15);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
  }
};

}  // namespace

class ChartPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallNumberConventions(); }

  void PixelsAndValuesGoThroughTheChartsMapping() {
    Sample s;
    const QPoint p = s.chart.PixelOf({16, 10});
    const auto v = s.chart.ValueAt(p);
    QVERIFY(v);
    QVERIFY(std::abs(v->x() - 16) < 0.03 && std::abs(v->y() - 10) < 0.04);
    // Inverted: the smaller magnitude is drawn higher.
    QVERIFY(s.chart.PixelOf({16, 6}).y() < s.chart.PixelOf({16, 14}).y());
    QVERIFY(!s.chart.ValueAt(QPoint(2, 2)));

    // A click on a point gives its series and index; the label rides along.
    QSignalSpy clicked(&s.chart, &ChartPanel::pointClicked);
    QTest::mouseClick(s.chart.viewport(), Qt::LeftButton, {}, s.chart.PixelOf({14, 9}));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked[0][0].toInt(), s.stars);
    QCOMPARE(clicked[0][1].toInt(), 1);
    QCOMPARE(s.chart.PointLabel(s.stars, 1), QStringLiteral("/a/2.fit"));
    QTest::mouseClick(s.chart.viewport(), Qt::LeftButton, {}, s.chart.PixelOf({17, 13}));
    QCOMPARE(clicked[1][0].toInt(), s.other);
    QCOMPARE(clicked[1][1].toInt(), 1);
    QTest::mouseClick(s.chart.viewport(), Qt::LeftButton, {}, s.chart.PixelOf({19, 6}));
    QCOMPARE(clicked.count(), 2);  // nothing there

    // In press mode a press gives the value and picks nothing.
    s.chart.SetMode(ChartPanel::Mode::kPress);
    QSignalSpy pressed(&s.chart, &ChartPanel::pressedAt);
    QTest::mouseClick(s.chart.viewport(), Qt::LeftButton, {}, s.chart.PixelOf({14, 9}));
    QCOMPARE(pressed.count(), 1);
    QVERIFY(std::abs(pressed[0][0].toPointF().x() - 14) < 0.03);
    QCOMPARE(clicked.count(), 2);
  }

  void ZoomsAndTheirUndo() {
    Sample s;
    QSignalSpy zoomed(&s.chart, &ChartPanel::zoomChanged);
    QTest::mousePress(s.chart.viewport(), Qt::LeftButton, {}, s.chart.PixelOf({12, 6}));
    QTest::mouseMove(s.chart.viewport(), s.chart.PixelOf({14, 8}));
    QTest::mouseMove(s.chart.viewport(), s.chart.PixelOf({16, 10}));
    QTest::mouseRelease(s.chart.viewport(), Qt::LeftButton, {}, s.chart.PixelOf({16, 10}));
    QVERIFY(s.chart.Zoomed());
    QCOMPARE(zoomed.count(), 1);
    QVERIFY(std::abs(s.chart.XMin() - 12) < 0.1 && std::abs(s.chart.XMax() - 16) < 0.1);
    QVERIFY(std::abs(s.chart.YMin() - 6) < 0.1 && std::abs(s.chart.YMax() - 10) < 0.1);

    s.chart.UndoZoom();
    QVERIFY(!s.chart.Zoomed());
    QCOMPARE(s.chart.XMin(), 10.0);
    QCOMPARE(s.chart.YMax(), 15.0);

    s.chart.ZoomPercent(111);
    QVERIFY(std::abs((s.chart.XMax() - s.chart.XMin()) - 10 / 1.11) < 1e-9);
    QCOMPARE((s.chart.XMin() + s.chart.XMax()) / 2, 15.0);
    const double width = s.chart.XMax() - s.chart.XMin();
    const double before = s.chart.XMin();
    s.chart.ScrollX(1.0 / 30);
    QVERIFY(std::abs(s.chart.XMin() - before - width / 30) < 1e-9);
    // A fresh drawing drops the zoom.
    s.chart.SetRanges(0, 100, 0, 1);
    QVERIFY(!s.chart.Zoomed());
    QCOMPARE(zoomed.last()[0].toBool(), false);
  }

  void DateTimeAxisShowsUtcFieldsOfCalendarValues() {
    Sample s;
    // 12/08/2008 from 21:00 to 23:00.
    s.chart.UseDateTimeAxisX(QStringLiteral("hh:nn"));
    s.chart.SetRanges(39672 + 21.0 / 24, 39672 + 23.0 / 24, 5, 15);
    auto* axis = qobject_cast<QDateTimeAxis*>(s.chart.AxisX());
    QVERIFY(axis);
    QCOMPARE(axis->format(), QStringLiteral("HH:mm"));
    QCOMPARE(axis->min().toString(QStringLiteral("dd/MM/yyyy HH:mm")),
             QStringLiteral("12/08/2008 21:00"));
    s.chart.SetPoints(s.stars, {{39672 + 22.0 / 24, 9}});
    QVERIFY(std::abs(s.chart.Points(s.stars)[0].x() - (39672 + 22.0 / 24)) < 1e-9);
    const auto v = s.chart.ValueAt(s.chart.PixelOf({39672 + 22.0 / 24, 9}));
    QVERIFY(v && std::abs(v->x() - (39672 + 22.0 / 24)) * 1440 < 0.5);  // within half a minute
    s.chart.UseValueAxisX();
    QVERIFY(!s.chart.DateTimeAxisX());
    QVERIFY(std::abs(s.chart.Points(s.stars)[0].x() - (39672 + 22.0 / 24)) < 1e-9);
  }

  void PictureShowsSegmentsAndMarksAndSavesAsGif() {
    Sample s;
    s.chart.SetMarks({ChartMark{11, QStringLiteral("1"), Qt::green, 3}});
    const QImage picture = s.chart.Picture();
    const double ratio = picture.devicePixelRatio();
    const QPoint bar = s.chart.PixelOf({15, 7}) * ratio;
    QCOMPARE(picture.pixelColor(bar), QColor(Qt::red));
    const QPoint mark = s.chart.PixelOf({11, 12}) * ratio;
    QCOMPARE(picture.pixelColor(mark), QColor(Qt::green));

    test::TestHome home;
    const QString path = QString::fromStdString(home.AppDir()) + QStringLiteral("grafico.gif");
    QVERIFY(SaveWidgetAsGif(s.chart, path).ok());
    QImage back(path);
    QCOMPARE(back.size(), s.chart.size());
    // A chart has few colours: the GIF keeps them exactly.
    QCOMPARE(back.pixelColor(s.chart.PixelOf({15, 7})), QColor(Qt::red));

    test::ScriptedDialogs dialogs;
    dialogs.saveAnswers.append(QString::fromStdString(home.AppDir()) + QStringLiteral("no/x.gif"));
    QVERIFY(SavePictureAs(s.chart).isEmpty());
    QCOMPARE(dialogs.choices.last().filter, QStringLiteral("Imágenes gif (*.gif)"));
    QCOMPARE(dialogs.Texts('E').size(), 1);
  }
};

QTEST_MAIN(ChartPanelTest)
#include "test_chart_panel.moc"
