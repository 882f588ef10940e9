#include "windows/image_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QKeyEvent>
#include <QSaveFile>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"
#include "run/run_state.h"
#include "run/star_list.h"
#include "text/number_format.h"
#include "text/text_file.h"
#include "windows/star_selection_dialog.h"

namespace lumenda::ui {
namespace {

constexpr int kLocateTickMs = 500;

QPushButton* Button(const char* name, const QString& caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);  // Enter belongs to the picture
  return b;
}

QRadioButton* Radio(const char* name, const QString& caption) {
  auto* b = new QRadioButton(caption);
  b->setObjectName(QString::fromLatin1(name));
  b->setFocusPolicy(Qt::ClickFocus);  // the arrow keys belong to the picture
  return b;
}

QLabel* Label(const char* name, const QString& text = {}) {
  auto* l = new QLabel(text);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

QScrollBar* LevelBar(const char* name, const QString& accessibleName) {
  auto* bar = new QScrollBar(Qt::Horizontal);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setAccessibleName(accessibleName);
  bar->setFocusPolicy(Qt::ClickFocus);
  bar->setMinimumWidth(160);
  return bar;
}

// Platforms where a program may move the pointer.
bool PointerCanMove() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
         platform == QLatin1String("cocoa");
}

}  // namespace

ImageWindow::ImageWindow(AppContext& context, TPlaca& image, StarSelectionDialog& selection,
                         ImageWindowSetup setup, QWidget* parent)
    : QDialog(parent),
      context_(context),
      image_(image),
      selection_(selection),
      setup_(std::move(setup)) {
  setObjectName(QStringLiteral("TFFoto"));
  setWindowTitle(QStringLiteral("Lumenda - ") + Q(setup_.path));
  setModal(true);
  setMinimumSize(600, 400);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  keyboardCross_ = !PointerCanMove();
  BuildLayout();
  RestoreGeometry();
  locateTimer_.setInterval(kLocateTickMs);
  connect(&locateTimer_, &QTimer::timeout, this, [this] {
    if (const auto step = locateProgress_.Take(ProgressLine::kOverall)) {
      lEstado_->setText(Q(step->text));
    }
  });
}

ImageWindow::~ImageWindow() {
  job_.Wait();
}

void ImageWindow::BuildLayout() {
  view_ = new ImageView;
  view_->setFocusPolicy(Qt::StrongFocus);
  view_->installEventFilter(this);
  area_ = new QScrollArea;
  area_->setObjectName(QStringLiteral("Panel1"));
  area_->setWidget(view_);
  area_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  area_->setBackgroundRole(QPalette::Dark);
  area_->horizontalScrollBar()->setObjectName(QStringLiteral("ScrollBar1"));
  area_->horizontalScrollBar()->setAccessibleName(QStringLiteral("Desplazamiento horizontal"));
  area_->verticalScrollBar()->setObjectName(QStringLiteral("ScrollBar2"));
  area_->verticalScrollBar()->setAccessibleName(QStringLiteral("Desplazamiento vertical"));

  lupa_ = new Magnifier(this);
  lupa_->move(context_.session.settings.xLupa, context_.session.settings.yLupa);
  connect(lupa_, &Magnifier::placeLeft, this, [this](QPoint p) {
    context_.session.settings.xLupa = p.x();
    context_.session.settings.yLupa = p.y();
  });
  connect(lupa_, &Magnifier::keyPressed, this, [this](QKeyEvent* e) { keyPressEvent(e); });

  scrollBar3_ = LevelBar("ScrollBar3", QStringLiteral("Fondo"));
  scrollBar4_ = LevelBar("ScrollBar4", QStringLiteral("Rango"));
  lFondo_ = Label("lFondo");
  lRango_ = Label("lRango");
  for (QLabel* l : {lFondo_, lRango_}) l->setMinimumWidth(50);
  auto* levels = new QGroupBox(QStringLiteral("Visualización"));
  auto* levelGrid = new QGridLayout(levels);
  levelGrid->addWidget(new QLabel(QStringLiteral("Fondo")), 0, 0);
  levelGrid->addWidget(scrollBar3_, 0, 1);
  levelGrid->addWidget(lFondo_, 0, 2);
  levelGrid->addWidget(new QLabel(QStringLiteral("Rango")), 1, 0);
  levelGrid->addWidget(scrollBar4_, 1, 1);
  levelGrid->addWidget(lRango_, 1, 2);
  button2_ = Button("Button2", QStringLiteral("Restaura"));
  levelGrid->addWidget(button2_, 2, 1, 1, 2, Qt::AlignRight);
  connect(scrollBar3_, &QScrollBar::valueChanged, this,
          [this](int v) { SetLevels(v, display_.rango); });
  connect(scrollBar4_, &QScrollBar::valueChanged, this,
          [this](int v) { SetLevels(display_.fondo, v); });
  connect(button2_, &QPushButton::clicked, this, &ImageWindow::Restore);

  rbZ1_ = Radio("rbZ1", QStringLiteral("X 1"));
  rbZ05_ = Radio("rbZ05", QStringLiteral("X 0.5"));
  rbz025_ = Radio("rbz025", QStringLiteral("X 0.25"));
  auto* zoom = new QGroupBox(QStringLiteral("Zoom"));
  auto* zoomRow = new QHBoxLayout(zoom);
  auto* zoomGroup = new QButtonGroup(this);
  for (QRadioButton* b : {rbZ1_, rbZ05_, rbz025_}) {
    zoomRow->addWidget(b);
    zoomGroup->addButton(b);
  }
  connect(rbZ1_, &QRadioButton::clicked, this, [this] { SetZoom(kZoom1); });
  connect(rbZ05_, &QRadioButton::clicked, this, [this] { SetZoom(kZoomHalf); });
  connect(rbz025_, &QRadioButton::clicked, this, [this] { SetZoom(kZoomQuarter); });

  bitBtn1_ = Button("BitBtn1", QStringLiteral("Lupa"));
  rbX3_ = Radio("rbX3", QStringLiteral("x3"));
  rbX5_ = Radio("rbX5", QStringLiteral("x5"));
  rbX3_->setChecked(true);
  auto* lupaGroup = new QButtonGroup(this);
  lupaGroup->addButton(rbX3_);
  lupaGroup->addButton(rbX5_);
  auto* lupaRow = new QHBoxLayout;
  lupaRow->addWidget(bitBtn1_);
  lupaRow->addWidget(rbX3_);
  lupaRow->addWidget(rbX5_);
  lupaRow->addStretch(1);
  connect(bitBtn1_, &QPushButton::clicked, this, [this] {
    lupa_->show();
    lupa_->raise();
  });
  connect(rbX3_, &QRadioButton::clicked, this, [this] { lupa_->SetMagnification(3); });
  connect(rbX5_, &QRadioButton::clicked, this, [this] { lupa_->SetMagnification(5); });

  lX_ = Label("lX", QStringLiteral("X: "));
  lY_ = Label("lY", QStringLiteral("Y: "));
  lI_ = Label("lI", QStringLiteral("I: "));
  lAR_ = Label("lAR");
  lDEC_ = Label("lDEC");
  auto* readout = new QGroupBox(QStringLiteral("Puntero"));
  auto* readoutGrid = new QGridLayout(readout);
  readoutGrid->addWidget(lX_, 0, 0);
  readoutGrid->addWidget(lY_, 0, 1);
  readoutGrid->addWidget(lI_, 1, 0, 1, 2);
  readoutGrid->addWidget(lAR_, 2, 0, 1, 2);
  readoutGrid->addWidget(lDEC_, 3, 0, 1, 2);
  for (QLabel* l : {lAR_, lDEC_}) l->setMinimumWidth(180);

  button4_ = Button("Button4", QStringLiteral("Guardar como..."));
  button6_ = Button("Button6", QStringLiteral("Recupera posiciones..."));
  button7_ = Button("Button7", QStringLiteral("Guarda posiciones..."));
  button3_ = Button("Button3", QStringLiteral("Aceptar"));
  button5_ = Button("Button5", QStringLiteral("Cancelar"));
  connect(button4_, &QPushButton::clicked, this, &ImageWindow::SavePicture);
  connect(button6_, &QPushButton::clicked, this, &ImageWindow::RecoverStars);
  connect(button7_, &QPushButton::clicked, this, &ImageWindow::SaveStars);
  connect(button3_, &QPushButton::clicked, this, &QDialog::accept);
  connect(button5_, &QPushButton::clicked, this, &QDialog::reject);
  lEstado_ = Label("lEstado");
  lEstado_->setWordWrap(true);
  QFont bold = lEstado_->font();
  bold.setBold(true);
  lEstado_->setFont(bold);

  auto* side = new QVBoxLayout;
  side->addWidget(levels);
  side->addWidget(zoom);
  side->addLayout(lupaRow);
  side->addWidget(readout);
  side->addWidget(button4_);
  side->addSpacing(8);
  side->addWidget(button6_);
  side->addWidget(button7_);
  side->addWidget(lEstado_);
  side->addStretch(1);
  auto* okRow = new QHBoxLayout;
  okRow->addWidget(button3_);
  okRow->addWidget(button5_);
  side->addLayout(okRow);
  auto* sideWidget = new QWidget;
  sideWidget->setLayout(side);
  sideWidget->setFixedWidth(sideWidget->sizeHint().width());

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(area_, 1);
  layout->addWidget(sideWidget);

  connect(view_, &ImageView::pointerMoved, this, &ImageWindow::PointerAt);
  connect(view_, &ImageView::pointerLeft, this, [this] {
    for (QLabel* l : {lAR_, lDEC_}) l->clear();
  });
  connect(view_, &ImageView::clicked, this, &ImageWindow::ClickAt);
}

ApertureSettings ImageWindow::Aperture() const {
  const Settings& s = context_.session.settings;
  return ApertureSettings{s.mRadio, s.mRadioI, s.mRadioE, s.mFlipX, s.mFlipY};
}

void ImageWindow::RestoreGeometry() {
  const Settings& s = context_.session.settings;
  move(s.fotoL, s.fotoT);
  resize(std::max(s.fotoW, 600), std::max(s.fotoH, 400));
  if (s.fotoState == 2) setWindowState(windowState() | Qt::WindowMaximized);
  display_.zoomCode = s.fotoZ == kZoomHalf || s.fotoZ == kZoomQuarter ? s.fotoZ : kZoom1;
  (display_.zoomCode == kZoomHalf      ? rbZ05_
   : display_.zoomCode == kZoomQuarter ? rbz025_
                                       : rbZ1_)
      ->setChecked(true);
}

void ImageWindow::StoreGeometry() {
  Settings& s = context_.session.settings;
  const bool maximised = isMaximized();
  const QRect g = maximised ? normalGeometry() : geometry();
  s.fotoL = g.x();
  s.fotoT = g.y();
  s.fotoW = g.width();
  s.fotoH = g.height();
  s.fotoState = maximised ? 2 : 1;
  s.fotoZ = display_.zoomCode;
}

bool ImageWindow::Load() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Status loaded = image_.LoadFile(setup_.path);
  QApplication::restoreOverrideCursor();
  if (!loaded) {
    Dialogs().Error(Q(loaded.message));
    return false;
  }
  plate_ = ReadPlateSolution(image_);
  display_.flipX = context_.session.settings.mFlipX;
  display_.flipY = context_.session.settings.mFlipY;
  levels_ = AutoLevels(image_);
  for (QScrollBar* bar : {scrollBar3_, scrollBar4_}) bar->blockSignals(true);
  scrollBar3_->setRange(levels_.fondoMin, levels_.fondoMax);
  scrollBar4_->setRange(levels_.rangoMin, levels_.rangoMax);
  for (QScrollBar* bar : {scrollBar3_, scrollBar4_}) bar->blockSignals(false);
  Restore();
  return true;
}

void ImageWindow::Restore() {
  SetLevels(levels_.fondo, levels_.rango);
}

void ImageWindow::SetLevels(int fondo, int rango) {
  display_.fondo = fondo;
  display_.rango = rango;
  for (QScrollBar* bar : {scrollBar3_, scrollBar4_}) bar->blockSignals(true);
  scrollBar3_->setValue(fondo);
  scrollBar4_->setValue(rango);
  for (QScrollBar* bar : {scrollBar3_, scrollBar4_}) bar->blockSignals(false);
  lFondo_->setText(QString::number(fondo));
  lRango_->setText(QString::number(rango));
  Render();
}

void ImageWindow::SetZoom(int zoomCode) {
  display_.zoomCode = zoomCode;
  Render();
  view_->setFocus(Qt::OtherFocusReason);
}

void ImageWindow::Render() {
  if (!image_.HasPixels()) return;
  QImage& picture = view_->PictureToRender(QSize(PictureExtent(image_.Width(), display_.zoomCode),
                                                 PictureExtent(image_.Height(), display_.zoomCode)),
                                           ZoomFactor(display_.zoomCode));
  RenderPicture(image_, display_, reinterpret_cast<uint32_t*>(picture.bits()),
                static_cast<int>(picture.bytesPerLine() / 4));
  view_->PictureRendered();
  ShowMarkers();
}

void ImageWindow::ShowMarkers() {
  view_->SetMarkers(marking_.Markers(), context_.session.settings.mRadio);
}

void ImageWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!activated_) {
    activated_ = true;
    // After the window is on the screen, so the prompt shows above it.
    QTimer::singleShot(0, this, &ImageWindow::ChooseMode);
  }
}

void ImageWindow::ChooseMode() {
  std::vector<std::string> previous;
  if (!setup_.primeraSerie && !setup_.forceIndividual) {
    const auto lines = ReadTextLines(StarsFilePath(context_.session));
    if (lines) previous = *lines;
  }
  const std::string prompt = marking_.Open(setup_.primeraSerie, setup_.forceIndividual, previous);
  button6_->setEnabled(marking_.RecoverEnabled());
  lEstado_->setText(Q(marking_.StatusText()));
  if (!prompt.empty()) Dialogs().Info(Q(prompt));
}

void ImageWindow::PointerAt(QPoint p) {
  pointer_ = p;
  const PointerReadout r = ReadPointer(image_, plate_, display_, p.x(), p.y());
  lX_->setText(Q(r.xText));
  lY_->setText(Q(r.yText));
  lI_->setText(Q(r.iText));
  lAR_->setText(Q(r.arText));
  lDEC_->setText(Q(r.decText));
  if (lupa_->isVisible()) {
    lupa_->Show(view_->Picture(), p, [this](QPainter& painter) { view_->DrawMarkers(painter); });
  }
}

void ImageWindow::ClickAt(QPoint p) {
  if (busy_) return;
  const double z = ZoomFactor(display_.zoomCode);
  const double x = p.x() / z;
  const double y = p.y() / z;
  if (marking_.CurrentMode() == StarMarking::Mode::kMarking) {
    MarkStar(x, y);
  } else if (marking_.TakesReferenceClick()) {
    ReferenceClick(x, y);
  }
}

void ImageWindow::MarkStar(double x, double y) {
  SelectionRequest request;
  request.readout = ReadSelection(image_, Aperture(), plate_, setup_.scale, x, y);
  request.picture = view_->PictureWithMarkers();
  request.zoom = ZoomFactor(display_.zoomCode);
  request.todasOffered = marking_.TodasOffered();
  request.defaultCalibrado = marking_.DefaultName(SelectionRole::kCalibrado);
  request.defaultVariable = marking_.DefaultName(SelectionRole::kVariable);
  const bool lupaShown = lupa_->isVisible();
  lupa_->hide();
  const std::optional<SelectionAnswer> answer = selection_.Ask(request);
  if (lupaShown) lupa_->show();
  if (!answer) return;
  if (answer->role == SelectionRole::kTodas) {
    LocateAllStars();
    return;
  }
  const Status added =
      marking_.AddStar(answer->role, request.readout.star.x, request.readout.star.y, answer->name);
  if (!added.ok()) Dialogs().Error(Q(added.message));
  ShowMarkers();
}

void ImageWindow::Busy(bool busy, const QString& status) {
  busy_ = busy;
  lEstado_->setText(status);
  for (QWidget* w : {static_cast<QWidget*>(bitBtn1_), static_cast<QWidget*>(rbX3_),
                     static_cast<QWidget*>(rbX5_)}) {
    w->setVisible(!busy);
  }
  for (QWidget* w : {button2_, button3_, button4_, button6_, button7_}) {
    w->setEnabled(!busy && (w != button6_ || marking_.RecoverEnabled()));
  }
  view_->setCursor(busy ? Qt::WaitCursor : Qt::CrossCursor);
}

void ImageWindow::LocateAllStars() {
  Busy(true, QStringLiteral("Localizando estrellas..."));
  locating_ = true;
  locateTimer_.start();
  const StarSearch search = StarSearchFrom(context_.session.settings);
  const TPlaca* image = &image_;
  Progress progress = locateProgress_.Callback();
  emit locatingChanged(true);
  job_.Start(
      this,
      [image, search, progress](std::stop_token stop) {
        return FindStars(*image, search, stop, progress);
      },
      [this](Result<FoundStars> found) {
        locating_ = false;
        locateTimer_.stop();
        Busy(false, QString());
        emit locatingChanged(false);
        if (!found.ok()) {
          if (!found.Interrupted()) Dialogs().Error(Q(found.message));
          return;
        }
        const int added = marking_.AddFoundStars(image_, Aperture(), found.value);
        ShowMarkers();
        if (added == 0 && !found.value.notice.empty()) Dialogs().Info(Q(found.value.notice));
      });
}

void ImageWindow::ReferenceClick(double x, double y) {
  const StarMeasurement m = MeasureStar(image_, Aperture(), x, y);
  const StarMarking::Next next = marking_.ReferenceClicked(m.x, m.y);
  ShowMarkers();
  if (next == StarMarking::Next::kAskSecondReference) {
    const bool ok = Dialogs().Confirm(Q(marking_.SecondReferencePrompt()));
    if (!marking_.SecondReferenceAnswer(ok)) {
      lEstado_->setText(Q(marking_.StatusText()));
      return;
    }
  }
  Relocate();
}

void ImageWindow::Relocate() {
  Busy(true, QStringLiteral("Recuperando estrellas..."));
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  marking_.Relocate(image_, Aperture());
  Busy(false, Q(marking_.StatusText()));
  ShowMarkers();
}

void ImageWindow::SavePicture() {
  FileChoice choice;
  choice.caption = QStringLiteral("Guardar como...");
  choice.filter = QStringLiteral("JPEG (*.jpg *.jpeg)");
  choice.defaultSuffix = QStringLiteral("jpg");
  const QString path = Dialogs().SaveFile(choice);
  if (path.isEmpty()) return;
  // Written whole or not at all.
  QSaveFile file(path);
  QImageWriter writer(&file, "jpeg");
  writer.setQuality(90);
  if (!file.open(QIODevice::WriteOnly) || !writer.write(view_->PictureWithMarkers()) ||
      !file.commit()) {
    Dialogs().Error(QStringLiteral("No se puede escribir el fichero ") + path);
  }
}

void ImageWindow::SaveStars() {
  if (!marking_.Stars().Complete()) {
    Dialogs().Error(
        QStringLiteral("Debes seleccionar al menos una estrella de calibrado y una variable."));
    return;
  }
  FileChoice choice;
  choice.caption = QStringLiteral("Guarda posiciones...");
  choice.fileName = context_.lastStarFile;
  choice.filter = QStringLiteral("Posiciones (*.txt)");
  choice.defaultSuffix = QStringLiteral("txt");
  const QString path = Dialogs().SaveFile(choice);
  if (path.isEmpty()) return;
  context_.lastStarFile = path;
  const Status written = SaveStarFile(S(path), marking_.Stars());
  if (!written.ok()) Dialogs().Error(Q(written.message));
}

void ImageWindow::RecoverStars() {
  FileChoice choice;
  choice.caption = QStringLiteral("Recupera posiciones...");
  choice.fileName = context_.lastStarFile;
  choice.filter = QStringLiteral("Posiciones (*.txt);;Todos (*)");
  const QString path = Dialogs().OpenFile(choice);
  if (path.isEmpty()) return;
  context_.lastStarFile = path;
  const auto lines = ReadStarFile(S(path));
  if (!lines.ok()) {
    Dialogs().Error(Q(lines.message));
    return;
  }
  const std::string prompt = marking_.LoadStarFile(lines.value);
  ShowMarkers();
  lEstado_->setText(Q(marking_.StatusText()));
  if (!prompt.empty()) Dialogs().Info(Q(prompt));
}

void ImageWindow::MoveKeyboardPointer(int dx, int dy) {
  if (!pointer_) return;
  const QPoint next = *pointer_ + QPoint(dx, dy);
  if (next.x() < 0 || next.y() < 0 || next.x() >= view_->width() || next.y() >= view_->height())
    return;
  if (keyboardCross_) {
    view_->SetKeyboardCross(next);
  } else {
    QCursor::setPos(view_->mapToGlobal(next));
  }
  PointerAt(next);
}

bool ImageWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return event->isAccepted();
  }
  if (watched == view_ && event->type() == QEvent::Enter) view_->setFocus(Qt::MouseFocusReason);
  return QDialog::eventFilter(watched, event);
}

void ImageWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      MoveKeyboardPointer(-1, 0);
      break;
    case Qt::Key_Right:
      MoveKeyboardPointer(1, 0);
      break;
    case Qt::Key_Up:
      MoveKeyboardPointer(0, -1);
      break;
    case Qt::Key_Down:
      MoveKeyboardPointer(0, 1);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (pointer_) ClickAt(*pointer_);
      break;
    default:
      QDialog::keyPressEvent(event);
      return;
  }
  event->accept();
}

void ImageWindow::done(int result) {
  if (locating_) {  // closed while "Todas" works: its stars are not wanted
    job_.Wait();
    locating_ = false;
    locateTimer_.stop();
  }
  StoreGeometry();
  lupa_->close();
  QDialog::done(result);
}

}  // namespace lumenda::ui
