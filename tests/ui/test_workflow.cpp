// The first series of the sample night done in the desktop as a user does
// it: image list, coordinates, stars marked by clicks, "Proceso". Its results
// file must equal the command line's, byte for byte.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QtTest>

#include "app/desktop.h"
#include "app/main_window.h"
#include "platform/text.h"
#include "run/star_list.h"
#include "text/text_file.h"
#include "ui_test_support.h"
#include "windows/image_window.h"

using namespace lumenda::ui;
using lumenda::ui::test::Click;
using lumenda::ui::test::Find;
using lumenda::ui::test::Retype;

namespace {

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class WorkflowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallNumberConventions(); }

  void FirstSeriesGivesTheCommandLinesResults() {
    test::TestHome home;
    test::ScriptedDialogs dialogs;
    AppContext context;
    QVERIFY(lumenda::OpenSession(context.session, home.AppDir(), "").ok());
    Desktop desktop(context);
    MainWindow& main = desktop.Main();
    main.show();
    const QString sample = test::SampleNightFolder();

    // "Lista de imágenes": the 60 images, the site typed in the coordinates
    // window (the field centre comes from the first image's header).
    QStringList images;
    for (const QString& name : QDir(sample).entryList({QStringLiteral("*.fit")}, QDir::Files)) {
      images.append(sample + QStringLiteral("/") + name);
    }
    QCOMPARE(images.size(), 60);
    std::reverse(images.begin(), images.end());  // the list sorts them by date
    dialogs.openAnswers.append(images);
    test::WhenModalShows(QStringLiteral("TFCoord"), [](QWidget* w) {
      QCOMPARE(Find<QLineEdit>(w, "meAR")->text(), QStringLiteral("20 15 30.0"));
      Retype(Find<QLineEdit>(w, "meLat"), QStringLiteral("402400"));
      Retype(Find<QLineEdit>(w, "meLon"), QStringLiteral("0034100"));
      Click(w, "bAceptar");
    });
    Click(&main, "Button1");
    QCOMPARE(dialogs.Texts('C'),
             QStringList({QStringLiteral("Primera serie, los datos anteriores serán borrados.")}));
    QCOMPARE(dialogs.choices.size(), 1);
    QCOMPARE(dialogs.choices[0].filter, FitsFilter());
    QTRY_VERIFY_WITH_TIMEOUT(!main.Working(), 30000);
    QCOMPARE(Find<QLabel>(&main, "Label1")->text(), QStringLiteral("60"));
    QCOMPARE(Q(context.session.run.images.front().path), images.last());

    // "Selección de estrellas": every star of the sample's star file marked
    // by a click at its place, then saved with "Guarda posiciones...".
    const auto starFile = lumenda::ReadTextLines(S(sample + QStringLiteral("/estrellas.txt")));
    QVERIFY(starFile);
    const QString saved = home.Path() + QStringLiteral("marcadas.txt");
    test::WhenModalShows(QStringLiteral("TFFoto"), [&](QWidget* w) {
      auto* window = static_cast<ImageWindow*>(w);
      for (const std::string& line : *starFile) {
        const lumenda::StarFileStar star = lumenda::ParseStarFileLine(line);
        test::WhenModalShows(QStringLiteral("TFSel"), [&](QWidget* d) {
          QTest::mouseClick(Find<QRadioButton>(d, star.kind == 'C' ? "rbCal" : "rbVar"),
                            Qt::LeftButton, {}, QPoint(6, 6));
          Retype(Find<QLineEdit>(d, "eNombre"), Q(star.name));
          Click(d, "bAceptar");
        });
        QTest::mouseClick(&window->View(), Qt::LeftButton, {},
                          QPoint(qRound(star.x), qRound(star.y)));
      }
      dialogs.saveAnswers.append(saved);
      Click(w, "Button7");
      Click(w, "Button3");
    });
    Click(&main, "Button2");
    QCOMPARE(Find<QLabel>(&main, "Label2")->text(), QStringLiteral("3 / 3"));
    QVERIFY(dialogs.Texts('I').isEmpty());  // comparison names are magnitudes

    // "Proceso", off the interface thread.
    Click(&main, "Button4");
    QVERIFY(main.Working());
    QVERIFY(!Find<QPushButton>(&main, "Button1")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!main.Working(), 120000);
    QCOMPARE(Find<QLabel>(&main, "Label4")->text(), QStringLiteral("Finalizado"));
    QVERIFY2(dialogs.Texts('E').isEmpty(), qPrintable(dialogs.Log()));
    QCOMPARE(context.session.run.results.lbNomVar.size(), size_t(3));
    QVERIFY(lumenda::CloseSession(context.session).ok());  // the command line reads them

    // The command line on the same images, stars and settings.
    const QString cliResults = home.Path() + QStringLiteral("cli.txt");
    QProcess cli;
    cli.start(QStringLiteral(LUMENDA_CLI),
              {QStringLiteral("proceso"), QStringLiteral("--estrellas"), saved,
               QStringLiteral("--lat"), QStringLiteral("40 24 00 N"), QStringLiteral("--lon"),
               QStringLiteral("003 41 00 W"), QStringLiteral("--salida"), cliResults, sample});
    QVERIFY(cli.waitForFinished(120000));
    QCOMPARE(cli.exitCode(), 0);
    const QByteArray desktopBytes = Bytes(Q(lumenda::ResultsFilePath(context.session)));
    QVERIFY(desktopBytes.size() > 60 * 100);
    QCOMPARE(desktopBytes, Bytes(cliResults));
  }
};

QTEST_MAIN(WorkflowTest)
#include "test_workflow.moc"
