// AUTO mode at the telescope: images arrive in the observing folder while the
// light-curve window is open; each is measured once, a file still being
// written waits, and an image the run cannot measure stops AUTO.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "image/fits_image.h"
#include "image/fits_writer.h"
#include "platform/text.h"
#include "sample_session.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"
#include "ui_test_support.h"
#include "widgets/chart_panel.h"
#include "windows/curve_windows.h"
#include "windows/light_curve_window.h"

using namespace lumenda;
using namespace lumenda::ui;
using lumenda::ui::test::Find;

namespace {

QByteArray Bytes(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

QString Name(int i) {
  return QStringLiteral("muestra_%1.fit").arg(i, 3, 10, QLatin1Char('0'));
}

// How many rows of the results file measure each image.
std::map<std::string, int> RowsPerImage(const Session& session) {
  std::map<std::string, int> rows;
  const auto lines = ReadTextLines(ResultsFilePath(session));
  for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
    const size_t star = line.find('*');
    if (star != std::string::npos) ++rows[line.substr(star + 1)];
  }
  return rows;
}

}  // namespace

class AutoModeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallNumberConventions(); }

  void NewImagesAreMeasuredOnceAndAnUnmeasurableOneStopsAuto() {
    // The night so far: 40 images in the observing folder.
    test::TestHome home;
    QTemporaryDir night;
    const QString source = test::SampleNightFolder() + QStringLiteral("/");
    const QString folder = night.path() + QStringLiteral("/");
    for (int i = 1; i <= 40; ++i) QVERIFY(QFile::copy(source + Name(i), folder + Name(i)));
    QVERIFY(QFile::copy(source + QStringLiteral("estrellas.txt"),
                        folder + QStringLiteral("estrellas.txt")));
    Session session;
    QVERIFY(test::MeasureSampleNight(session, home.AppDir(), night.path(), 40).ok());
    QCOMPARE(RowsPerImage(session).size(), size_t{40});

    test::ScriptedDialogs dialogs;
    QWidget holder;
    CurveWindows w = CreateCurveWindows(session, &holder);
    w.grafico->SetAutoAvailable(true);
    w.grafico->show();
    Find<QTimer>(w.grafico, "TimerAuto")->setInterval(50);
    auto* button = Find<QPushButton>(w.grafico, "bAuto");
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("Cancelar AUTO"));

    // The camera is still writing image 41: it waits, however long.
    const QByteArray image41 = Bytes(source + Name(41));
    Write(folder + Name(41), image41.left(image41.size() / 2));
    QTest::qWait(600);
    QCOMPARE(RowsPerImage(session).size(), size_t{40});
    QVERIFY(Find<QLabel>(w.grafico, "lbAuto")->text().contains(QStringLiteral("incompleta")));

    // Image 41 is finished and two more arrive; a file of another kind too.
    Write(folder + Name(41), image41);
    for (int i = 42; i <= 43; ++i) QVERIFY(QFile::copy(source + Name(i), folder + Name(i)));
    Write(folder + QStringLiteral("notas.txt"), "x");
    QTRY_COMPARE_WITH_TIMEOUT(RowsPerImage(session).size(), size_t{43}, 60000);
    QTest::qWait(500);  // more ticks: nothing is measured again
    QTRY_VERIFY_WITH_TIMEOUT(!w.grafico->AutoBusy(), 30000);
    for (const auto& [path, rows] : RowsPerImage(session)) QCOMPARE(rows, 1);
    QCOMPARE(RowsPerImage(session).size(), size_t{43});
    QCOMPARE(w.grafico->Chart1()->Points(0).size(), 43);
    QCOMPARE(session.run.lastImage.FileName(), Name(43).toStdString());
    QVERIFY(dialogs.shown.isEmpty());

    // A small frame of the same field: the comparison stars fall outside it.
    // The run stops on it with its message, the rows before it stay, and
    // AUTO is off with its button gone.
    TPlaca next;
    QVERIFY(next.LoadHeader((source + Name(44)).toStdString()));
    FitsImage16 small;
    small.width = small.height = 60;
    small.pixels.assign(3600, 1000);
    small.cards = {StringCard("DATE-OBS", Trim(next.GetKeyword("DATE-OBS"))),
                   NumberCard("EXPTIME", "0.0", 30)};
    QVERIFY(WriteFits16((folder + Name(44)).toStdString(), small).ok());
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.isEmpty(), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!w.grafico->AutoBusy(), 30000);
    QVERIFY(
        dialogs.Texts('E').value(0).startsWith(QStringLiteral("Error en imagen:\n") + Name(44)));
    QVERIFY(dialogs.Texts('E').value(0).endsWith(QStringLiteral("\n\nProceso terminado.")));
    QVERIFY(!w.grafico->AutoOn());
    QVERIFY(!button->isVisible());
    QCOMPARE(button->text(), QStringLiteral("Activar AUTO"));
    QCOMPARE(RowsPerImage(session).size(), size_t{43});

    // Leaving the window by Escape switches AUTO off too.
    w.grafico->SetAutoAvailable(true);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(w.grafico->AutoOn());
    QTest::keyClick(w.grafico, Qt::Key_Escape);
    QVERIFY(!w.grafico->isVisible());
    QVERIFY(!w.grafico->AutoOn());
  }
};

QTEST_MAIN(AutoModeTest)
#include "test_auto_mode.moc"
