// The image window with the sample night's stars relocated on its first
// image, the magnifier and the star selection dialog; the main window after
// the sample night's run, and both side by side for the README.
#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "app/main_window.h"
#include "image/plate_solution.h"
#include "run/image_list.h"
#include "run/run_state.h"
#include "run/star_selection.h"
#include "screenshots.h"
#include "text/text_file.h"
#include "windows/image_window.h"
#include "windows/star_selection_dialog.h"

namespace lumenda::ui::shots {
namespace {

std::string FirstImage(const ShotEnv& env) {
  return env.sampleFolder.toStdString() + "/muestra_001.fit";
}

ImageWindow* MakeImageWindow(ShotEnv& env) {
  ImageWindowSetup setup;
  setup.path = FirstImage(env);
  setup.scale = 2;
  auto window = std::make_unique<ImageWindow>(env.context, env.context.session.run.image,
                                              *env.Windows().Windows().selection, setup);
  window->Load();
  return env.Keep(std::move(window));
}

// The sample's star file relocated by its two references, the pointer on
// the eclipsing binary.
void MarkSampleStars(ImageWindow& w, ShotEnv& env) {
  env.dialogs.openAnswers.append({env.sampleFolder + QStringLiteral("/estrellas.txt")});
  w.findChild<QAbstractButton*>(QStringLiteral("Button6"))->click();
  emit w.View().clicked(QPoint(241, 263));
  emit w.View().clicked(QPoint(353, 158));
  emit w.View().pointerMoved(QPoint(241, 263));
}

ShotEnv* current = nullptr;

const bool kImage = RegisterShot(
    QStringLiteral("TFFoto"),
    [](ShotEnv& env) -> QWidget* {
      current = &env;
      return MakeImageWindow(env);
    },
    [](QWidget& w) { MarkSampleStars(static_cast<ImageWindow&>(w), *current); });

const bool kLupa = RegisterShot(QStringLiteral("TFLupa"), [](ShotEnv& env) -> QWidget* {
  ImageWindow* w = MakeImageWindow(env);
  w->show();
  MarkSampleStars(*w, env);
  w->Lupa().SetMagnification(3);
  w->Lupa().Show(w->View().Picture(), QPoint(241, 263),
                 [w](QPainter& painter) { w->View().DrawMarkers(painter); });
  return &w->Lupa();
});

const bool kSel = RegisterShot(QStringLiteral("TFSel"), [](ShotEnv& env) -> QWidget* {
  ImageWindow* w = MakeImageWindow(env);
  SelectionRequest request;
  request.readout =
      ReadSelection(env.context.session.run.image, ApertureSettings{10, 10, 10, false, false},
                    ReadPlateSolution(env.context.session.run.image), 2, 241, 263);
  request.picture = w->View().PictureWithMarkers();
  request.todasOffered = true;
  request.defaultCalibrado = "CAL-1";
  request.defaultVariable = "VAR-1";
  StarSelectionDialog* dialog = env.Windows().Windows().selection;
  dialog->Prepare(request);
  return dialog;
});

// The sample night listed, its stars marked from its star file, processed:
// the session as after "Proceso".
void RunSampleNight(ShotEnv& env) {
  Session& session = env.context.session;
  if (!session.run.results.lbNomVar.empty()) return;
  const std::string folder = env.sampleFolder.toStdString();
  auto listed = ListImages(FitsFilesInFolder(folder), 0);
  SetImageList(session.run, std::move(listed.value));
  TPlaca header;
  if (!header.LoadHeader(session.run.images.front().path).ok()) return;
  CoordinateTexts texts = CoordinateTextsFromHeader(header, session.settings);
  texts.lat = "40 24 00";
  texts.lon = "003 41 00";
  session.run.field = ParseCoordinateTexts(texts).value;
  for (const std::string& line :
       ReadTextLines(folder + "/estrellas.txt").value_or(std::vector<std::string>{})) {
    const StarFileStar star = ParseStarFileLine(line);
    (void)AddStar(session.run.stars, star.kind == 'C' ? StarRole::kComparison : StarRole::kVariable,
                  star.x, star.y, star.name);
  }
  auto run = ProcessImages(MakeRunJob(session));
  if (run.ok()) ApplyRun(session.run, std::move(run.value));
}

MainWindow* MainAfterRun(ShotEnv& env, QWidget* parent = nullptr) {
  RunSampleNight(env);
  auto* main = new MainWindow(env.context, env.Windows().Windows(), parent);
  main->findChild<QLabel*>(QStringLiteral("Label4"))->setText(QStringLiteral("Finalizado"));
  return main;
}

const bool kMainAfterRun = RegisterShot(QStringLiteral("TForm1_proceso"), [](ShotEnv& env) {
  return env.Keep(std::unique_ptr<QWidget>(MainAfterRun(env)));
});

// Developer mode: the working lists beside the buttons.
const bool kMainEnCasa = RegisterShot(QStringLiteral("TForm1_encasa"), [](ShotEnv& env) {
  RunSampleNight(env);
  env.context.session.enCasa = true;
  auto window = std::make_unique<MainWindow>(env.context, env.Windows().Windows());
  env.context.session.enCasa = false;
  return env.Keep(std::move(window));
});

// The README's picture: the main window after the run beside the image
// window with the night's stars.
const bool kReadme = RegisterShot(
    QStringLiteral("escritorio"),
    [](ShotEnv& env) -> QWidget* {
      current = &env;
      auto frame = std::make_unique<QWidget>();
      frame->setObjectName(QStringLiteral("escritorio"));
      auto* layout = new QHBoxLayout(frame.get());
      layout->setContentsMargins(12, 12, 12, 12);
      layout->setSpacing(16);
      MainWindow* main = MainAfterRun(env, frame.get());
      ImageWindow* image = MakeImageWindow(env);
      (void)env.owned.back().release();  // the frame owns it from now on
      env.owned.pop_back();
      image->setParent(frame.get(), Qt::Widget);
      image->setFixedSize(760, 560);
      layout->addWidget(main, 0, Qt::AlignTop);
      layout->addWidget(image);
      return env.Keep(std::move(frame));
    },
    [](QWidget& frame) {
      MarkSampleStars(*frame.findChild<ImageWindow*>(QStringLiteral("TFFoto")), *current);
    });

}  // namespace
}  // namespace lumenda::ui::shots
