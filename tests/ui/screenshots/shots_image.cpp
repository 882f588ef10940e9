// The image window with the sample night's stars relocated on its first
// image, the magnifier and the star selection dialog.
#include <QAbstractButton>

#include "image/plate_solution.h"
#include "run/star_selection.h"
#include "screenshots.h"
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
  w->Lupa().Show(w->View().Picture(), QPoint(241, 263));
  return &w->Lupa();
});

const bool kSel = RegisterShot(QStringLiteral("TFSel"), [](ShotEnv& env) -> QWidget* {
  ImageWindow* w = MakeImageWindow(env);
  SelectionRequest request;
  request.readout =
      ReadSelection(env.context.session.run.image, ApertureSettings{10, 10, 10, false, false},
                    ReadPlateSolution(env.context.session.run.image), 2, 241, 263);
  request.picture = w->View().Picture();
  request.todasOffered = true;
  request.defaultCalibrado = "CAL-1";
  request.defaultVariable = "VAR-1";
  StarSelectionDialog* dialog = env.Windows().Windows().selection;
  dialog->Prepare(request);
  return dialog;
});

}  // namespace
}  // namespace lumenda::ui::shots
