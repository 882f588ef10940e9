// The image window on the sample night's first image: the picture and its
// JPEG, star marking through the selection dialog, "Todas", relocation of a
// star file and the keyboard.
#include <QImageReader>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include "app/desktop.h"
#include "platform/text.h"
#include "text/text_file.h"
#include "ui_test_support.h"
#include "windows/image_window.h"
#include "windows/star_selection_dialog.h"

using namespace lumenda::ui;
using lumenda::ui::test::Find;

namespace {

QStringList Texts(const std::vector<lumenda::StarEntry>& list) {
  QStringList out;
  for (const auto& e : list) out.append(Q(lumenda::StarEntryText(e)));
  return out;
}

// The sample's eclipsing binary and pulsating star on the first image.
const QPoint kEclipsante(241, 263);
const QPoint kPulsante(353, 158);

struct Fixture {
  test::TestHome home;
  test::ScriptedDialogs dialogs;
  AppContext context;
  std::unique_ptr<Desktop> desktop;
  std::unique_ptr<ImageWindow> window;

  explicit Fixture(bool primeraSerie = true, int zoomCode = 1) {
    context.session.appDir = home.AppDir();
    context.session.settings.fotoZ = zoomCode;
    desktop = std::make_unique<Desktop>(context);
    ImageWindowSetup setup;
    setup.path = S(test::SampleNightFolder() + QStringLiteral("/muestra_001.fit"));
    setup.primeraSerie = primeraSerie;
    setup.scale = 2;
    window = std::make_unique<ImageWindow>(context, context.session.run.image,
                                           *desktop->Windows().selection, setup);
  }
  bool Open() {
    if (!window->Load()) return false;
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
  }
  void Click(QPoint p) { QTest::mouseClick(&window->View(), Qt::LeftButton, {}, p); }
};

// Answers the next selection dialog: `steps` acts on it before "Aceptar".
void AnswerSelection(std::function<void(QWidget*)> steps) {
  test::WhenModalShows(QStringLiteral("TFSel"), [steps](QWidget* d) {
    steps(d);
    if (d->isVisible()) QTest::mouseClick(Find<QPushButton>(d, "bAceptar"), Qt::LeftButton);
  });
}

void ChooseRole(QWidget* d, const char* role) {
  QTest::mouseClick(Find<QRadioButton>(d, role), Qt::LeftButton, {}, QPoint(6, 6));
}

}  // namespace

class ImageWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallNumberConventions(); }

  void PictureAtHalfZoomAndItsJpeg() {
    Fixture f(true, 5);
    QVERIFY(f.Open());
    QVERIFY(Find<QRadioButton>(f.window.get(), "rbZ05")->isChecked());
    QCOMPARE(f.window->View().Picture().size(), QSize(256, 256));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Lumenda - ") + test::SampleNightFolder() +
                                          QStringLiteral("/muestra_001.fit"));

    const QString jpeg = f.home.Path() + QStringLiteral("imagen.jpg");
    f.dialogs.saveAnswers.append(jpeg);
    QTest::mouseClick(Find<QPushButton>(f.window.get(), "Button4"), Qt::LeftButton);
    QImageReader reader(jpeg);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage decoded = reader.read();
    QCOMPARE(decoded.size(), QSize(256, 256));

    // The zoom and the geometry are remembered.
    QTest::mouseClick(Find<QRadioButton>(f.window.get(), "rbz025"), Qt::LeftButton, {},
                      QPoint(6, 6));
    QCOMPARE(f.window->View().Picture().size(), QSize(129, 129));  // rnd(511 / 4 + 1)
    f.window->reject();
    QCOMPARE(f.context.session.settings.fotoZ, 25);
  }

  void SelectionDialogRulesAndMarking() {
    Fixture f;
    QVERIFY(f.Open());
    AnswerSelection([&](QWidget* d) {
      QVERIFY(!Find<QRadioButton>(d, "rbTodas")->isEnabled());  // no variable yet
      QCOMPARE(Find<QLabel>(d, "lX")->text(), QStringLiteral("X= 241.36"));
      QCOMPARE(Find<QLabel>(d, "lMAG")->text().left(5), QStringLiteral("MAG= "));
      QTest::mouseClick(Find<QPushButton>(d, "bAceptar"), Qt::LeftButton);
      QVERIFY(d->isVisible());
      ChooseRole(d, "rbVar");
      auto* name = Find<QLineEdit>(d, "eNombre");
      QCOMPARE(name->text(), QStringLiteral("VAR-1"));
      name->clear();
      QTest::mouseClick(Find<QPushButton>(d, "bAceptar"), Qt::LeftButton);
      QVERIFY(d->isVisible());
      QTest::keyClicks(name, QStringLiteral("eclipsante"));
    });
    f.Click(kEclipsante + QPoint(1, -1));
    QCOMPARE(
        f.dialogs.Texts('E'),
        QStringList({QStringLiteral("Debes seleccionar \"Calibrado\", \"Variable\" o \"Todas\"."),
                     QStringLiteral("Debes asignar un nombre a la estrella.")}));
    QCOMPARE(Texts(f.window->Marking().Stars().variables),
             QStringList({QStringLiteral("0241.36  0262.86  ECLIPSANTE")}));

    // Cancel: the click has no effect.
    test::WhenModalShows(QStringLiteral("TFSel"), [](QWidget* d) {
      QTest::mouseClick(Find<QPushButton>(d, "bCancelar"), Qt::LeftButton);
    });
    f.Click(kPulsante);
    QCOMPARE(f.window->Marking().Stars().variables.size(), size_t(1));

    // Saving positions needs a comparison star too.
    QTest::mouseClick(Find<QPushButton>(f.window.get(), "Button7"), Qt::LeftButton);
    QCOMPARE(
        f.dialogs.Texts('E').last(),
        QStringLiteral("Debes seleccionar al menos una estrella de calibrado y una variable."));
  }

  void TodasLocatesTheFieldStarsOffTheInterfaceThread() {
    Fixture f;
    QVERIFY(f.Open());
    AnswerSelection([](QWidget* d) { ChooseRole(d, "rbVar"); });
    f.Click(kEclipsante);
    AnswerSelection([](QWidget* d) {
      QVERIFY(Find<QRadioButton>(d, "rbTodas")->isEnabled());
      ChooseRole(d, "rbTodas");
    });
    // Posted as the work starts, so it runs before the work's end is handed
    // back: it sees the window still locating only if the interface thread
    // was free meanwhile.
    bool freeWhileLocating = false;
    QString statusMeanwhile;
    auto* status = Find<QLabel>(f.window.get(), "lEstado");
    QObject::connect(f.window.get(), &ImageWindow::locatingChanged, [&](bool locating) {
      if (!locating) return;
      QTimer::singleShot(0, [&] {
        freeWhileLocating = f.window->Locating();
        statusMeanwhile = status->text();
      });
    });
    f.Click(kPulsante);
    QTRY_VERIFY_WITH_TIMEOUT(
        !f.window->Locating() && f.window->Marking().Stars().variables.size() > 1, 30000);
    QVERIFY(freeWhileLocating);
    QVERIFY(statusMeanwhile.startsWith(QStringLiteral("Localizando estrellas")));
    const auto& variables = f.window->Marking().Stars().variables;
    QVERIFY(variables.size() > 10);
    QCOMPARE(Q(variables[1].name).left(3), QStringLiteral("VS_"));
    QVERIFY(!f.window->Marking().TodasOffered());
    QCOMPARE(status->text(), QString());
  }

  void FollowingSeriesRelocatesTheStarFile() {
    Fixture f(false);
    QVERIFY(QFile::copy(test::SampleNightFolder() + QStringLiteral("/estrellas.txt"),
                        f.home.Path() + QStringLiteral("estrellas.txt")));
    QVERIFY(f.Open());
    QTRY_COMPARE(
        f.dialogs.Texts('I'),
        QStringList({QStringLiteral("Localiza y marca estrella: ECLIPSANTE  (X: 241  Y: 263).")}));
    QVERIFY(!Find<QPushButton>(f.window.get(), "Button6")->isEnabled());
    QCOMPARE(Find<QLabel>(f.window.get(), "lEstado")->text(), QStringLiteral("Marca ECLIPSANTE"));
    f.Click(kEclipsante + QPoint(2, 1));
    QCOMPARE(
        f.dialogs.Texts('C'),
        QStringList({QStringLiteral("Localiza y marca estrella: PULSANTE  (X: 353  Y: 158).")}));
    QCOMPARE(Find<QLabel>(f.window.get(), "lEstado")->text(), QStringLiteral("Marca PULSANTE"));
    f.Click(kPulsante);
    QCOMPARE(f.window->Marking().Stars().variables.size(), size_t(3));
    QCOMPARE(f.window->Marking().Stars().comparisons.size(), size_t(3));
    QCOMPARE(Q(f.window->Marking().Stars().comparisons[0].name), QStringLiteral("10.52"));

    // "Recupera posiciones..." refuses a file that is not a star file.
    Fixture other;
    QVERIFY(other.Open());
    const QString bad = other.home.Path() + QStringLiteral("malo.txt");
    QVERIFY(lumenda::WriteFileAtomic(S(bad), "X 0001.00  0002.00  A\r\n").ok());
    other.dialogs.openAnswers.append({bad});
    QTest::mouseClick(Find<QPushButton>(other.window.get(), "Button6"), Qt::LeftButton);
    QCOMPARE(other.dialogs.Texts('E'), QStringList({QStringLiteral("Error en formato de datos.")}));
  }

  void ArrowKeysMoveThePointerAndEnterClicks() {
    Fixture f;
    QVERIFY(f.Open());
    emit f.window->View().pointerMoved(kEclipsante - QPoint(1, 0));
    f.window->View().setFocus();
    QTest::keyClick(&f.window->View(), Qt::Key_Right);
    QCOMPARE(Find<QLabel>(f.window.get(), "lX")->text(), QStringLiteral("X: 241"));
    QCOMPARE(Find<QLabel>(f.window.get(), "lY")->text(), QStringLiteral("Y: 263"));
    QVERIFY(Find<QLabel>(f.window.get(), "lAR")->text().startsWith(QStringLiteral("AR: 20 15")));
    AnswerSelection([](QWidget* d) {
      ChooseRole(d, "rbCal");
      QCOMPARE(Find<QLineEdit>(d, "eNombre")->text(), QStringLiteral("CAL-1"));
    });
    QTest::keyClick(&f.window->View(), Qt::Key_Return);
    QCOMPARE(Texts(f.window->Marking().Stars().comparisons),
             QStringList({QStringLiteral("0241.36  0262.86  CAL-1")}));
    QVERIFY(f.window->isVisible());  // Enter did not press "Aceptar"
  }
};

QTEST_MAIN(ImageWindowTest)
#include "test_image_window.moc"
