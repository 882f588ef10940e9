#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/text.h"
#include "run/series_checks.h"
#include "text/number_format.h"
#include "windows/control_window.h"
#include "windows/coordinates_window.h"
#include "windows/image_window.h"
#include "windows/light_curve_window.h"
#include "windows/period_window.h"
#include "windows/settings_dialog.h"

namespace lumenda::ui {
namespace {

// The button column's width when the working lists are hidden.
constexpr int kNarrowWidth = 345;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setMinimumHeight(30);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QListWidget* MakeList(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(accessibleName);
  list->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
  return list;
}

}  // namespace

MainWindow::MainWindow(AppContext& context, const DesktopWindows& windows, QWidget* parent)
    : QWidget(parent), context_(context), windows_(windows) {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(Q(context_.session.versionText));
  BuildLayout();

  connect(button1_, &QPushButton::clicked, this, &MainWindow::ImageList);
  connect(button2_, &QPushButton::clicked, this, &MainWindow::StarSelection);
  connect(button3_, &QPushButton::clicked, this, &MainWindow::Settings);
  connect(button4_, &QPushButton::clicked, this, &MainWindow::Process);
  connect(button7_, &QPushButton::clicked, this, &MainWindow::SaveData);
  connect(button8_, &QPushButton::clicked, this, &MainWindow::RecoverData);
  connect(button5_, &QPushButton::clicked, this, &MainWindow::GraphsAndReports);
  connect(button9_, &QPushButton::clicked, this, &MainWindow::PeriodAnalysis);
  progressTimer_.setInterval(100);
  connect(&progressTimer_, &QTimer::timeout, this, &MainWindow::ShowProgress);
  SetLabel3(QStringLiteral("000"));
  ShowState();
}

void MainWindow::BuildLayout() {
  auto* column = new QWidget(this);
  column->setObjectName(QStringLiteral("pnBotones"));
  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(10, 10, 10, 10);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(6);

  button1_ = MakeButton(column, "Button1", QStringLiteral("Lista de imágenes"));
  button2_ = MakeButton(column, "Button2", QStringLiteral("Selección de estrellas"));
  button4_ = MakeButton(column, "Button4", QStringLiteral("Proceso"));
  button7_ = MakeButton(column, "Button7", QStringLiteral("Guardar datos..."));
  button8_ = MakeButton(column, "Button8", QStringLiteral("Recuperar datos..."));
  button5_ = MakeButton(column, "Button5", QStringLiteral("Gráficos / Informes"));
  button9_ = MakeButton(column, "Button9", QStringLiteral("Análisis de periodo"));
  button3_ = MakeButton(column, "Button3", QStringLiteral("Configuración"));

  checkBox1_ = new QCheckBox(QStringLiteral("Primera serie"), column);
  checkBox1_->setObjectName(QStringLiteral("CheckBox1"));
  checkBox1_->setChecked(true);
  cbIndi_ = new QCheckBox(QStringLiteral("Forzar selección individual"), column);
  cbIndi_->setObjectName(QStringLiteral("cbIndi"));

  label1_ = MakeLabel(column, "Label1", QStringLiteral("0"));
  label2_ = MakeLabel(column, "Label2", QStringLiteral("0 / 0"));
  label3_ = MakeLabel(column, "Label3", QStringLiteral("000"));
  label4_ = MakeLabel(column, "Label4", QString());
  label5_ = MakeLabel(column, "Label5", QString());
  for (QLabel* label : {label3_, label4_, label5_}) {
    label->setMinimumWidth(1);  // a long file name must not widen the column
  }
  auto* images = MakeLabel(column, "lbImagenes", QStringLiteral("Imágenes:"));
  images->setBuddy(button1_);
  auto* stars = MakeLabel(column, "lbEstrellas", QStringLiteral("Calibrado / variable:"));
  stars->setBuddy(button2_);

  int row = 0;
  grid->addWidget(button1_, row++, 0, 1, 2);
  grid->addWidget(images, row, 0);
  grid->addWidget(label1_, row++, 1);
  grid->addWidget(checkBox1_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button2_, row++, 0, 1, 2);
  grid->addWidget(stars, row, 0);
  grid->addWidget(label2_, row++, 1);
  grid->addWidget(cbIndi_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button4_, row++, 0, 1, 2);
  grid->addWidget(label4_, row++, 0, 1, 2);
  grid->addWidget(label5_, row++, 0, 1, 2);
  grid->addWidget(label3_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button7_, row++, 0, 1, 2);
  grid->addWidget(button8_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button5_, row++, 0, 1, 2);
  grid->addWidget(button9_, row++, 0, 1, 2);
  grid->addItem(new QSpacerItem(1, 8), row++, 0);
  grid->addWidget(button3_, row++, 0, 1, 2);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(1, 1);

  // The working lists: views of the engine's state, for inspection.
  lists_ = new QGroupBox(QStringLiteral("Listas de trabajo"), this);
  lists_->setObjectName(QStringLiteral("gbListas"));
  auto* listsLayout = new QGridLayout(lists_);
  eFoto1_ = new QLineEdit(lists_);
  eFoto1_->setObjectName(QStringLiteral("eFoto1"));
  eFoto1_->setReadOnly(true);
  eFoto1_->setAccessibleName(QStringLiteral("Última imagen procesada"));
  listaFotos_ = MakeList(lists_, "ListaFotos", QStringLiteral("Lista de imágenes"));
  lbVar_ = MakeList(lists_, "lbVar", QStringLiteral("Estrellas variables"));
  lbCali_ = MakeList(lists_, "lbCali", QStringLiteral("Estrellas de calibrado"));
  lbNomVar_ = MakeList(lists_, "lbNomVar", QStringLiteral("Nombres de las estrellas medidas"));
  lbMag_ = MakeList(lists_, "lbMag", QStringLiteral("Magnitudes"));
  // Each list under its name.
  const auto captioned = [](QWidget* list) {
    auto* box = new QVBoxLayout;
    auto* caption = new QLabel(list->accessibleName());
    caption->setBuddy(list);
    box->addWidget(caption);
    box->addWidget(list);
    return box;
  };
  listsLayout->addLayout(captioned(eFoto1_), 0, 0, 1, 2);
  listsLayout->addLayout(captioned(listaFotos_), 1, 0, 1, 2);
  listsLayout->addLayout(captioned(lbVar_), 2, 0);
  listsLayout->addLayout(captioned(lbCali_), 2, 1);
  listsLayout->addLayout(captioned(lbNomVar_), 3, 0);
  listsLayout->addLayout(captioned(lbMag_), 3, 1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(column);
  layout->addWidget(lists_, 1);
  if (context_.session.enCasa) {
    resize(900, 560);
  } else {
    lists_->hide();
    column->setFixedWidth(kNarrowWidth);
    adjustSize();
  }
}

void MainWindow::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

int MainWindow::ImageCount() const {
  return static_cast<int>(context_.session.run.images.size());
}

void MainWindow::ShowState() {
  const RunState& run = context_.session.run;
  label1_->setText(QString::number(ImageCount()));
  label2_->setText(Q(StarCountText(run.stars)));
  eFoto1_->setText(run.lastImage.path.empty() ? QString() : Q(run.lastImage.Text()));
  if (!context_.session.enCasa) return;
  listaFotos_->clear();
  for (const ImageListItem& item : run.images) listaFotos_->addItem(Q(item.Text()));
  lbVar_->clear();
  for (const StarEntry& e : run.stars.variables) lbVar_->addItem(Q(StarEntryText(e)));
  lbCali_->clear();
  for (const StarEntry& e : run.stars.comparisons) lbCali_->addItem(Q(StarEntryText(e)));
  lbNomVar_->clear();
  lbNomVar_->addItems(Q(run.results.lbNomVar));
  lbMag_->clear();
  lbMag_->addItems(Q(run.results.lbMag));
}

void MainWindow::SetWorking(bool working) {
  working_ = working;
  for (QWidget* w :
       {button1_, button2_, button3_, button4_, button7_, button8_, button5_, button9_}) {
    w->setEnabled(!working);
  }
  checkBox1_->setEnabled(!working);
  cbIndi_->setEnabled(!working);
  if (working) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    progressTimer_.start();
  } else {
    progressTimer_.stop();
    ShowProgress();
    QApplication::restoreOverrideCursor();
  }
}

void MainWindow::ShowProgress() {
  if (auto step = progress_.Take(ProgressLine::kOverall)) {
    // The image list counts its images; the run names the image it is on.
    if (button1Working_) {
      label1_->setText(QString::number(step->done));
    } else {
      label4_->setText(Q(step->text));
    }
  }
  if (auto step = progress_.Take(ProgressLine::kItem)) label5_->setText(Q(step->text));
  if (auto step = progress_.Take(ProgressLine::kStage)) SetLabel3(Q(step->text));
}

void MainWindow::SetLabel3(const QString& text) {
  label3_->setText(text);
  // "000" is the idle state: nothing to show.
  label3_->setVisible(text != QStringLiteral("000"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Working()) {
    if (!Dialogs().Confirm(QStringLiteral(
            "Hay un proceso en marcha. Se detendrá sin dejar ficheros a medio escribir. "
            "¿Cerrar Lumenda?"))) {
      event->ignore();
      return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    job_.Wait();
    QApplication::restoreOverrideCursor();
  }
  const Status saved = CloseSession(context_.session);
  if (!saved.ok()) Dialogs().Error(Q(saved.message));
  event->accept();
}

void MainWindow::ImageList() {
  Session& session = context_.session;
  session.run.firstSeries = checkBox1_->isChecked();
  if (!Dialogs().Confirm(Q(SeriesConfirmation(session.run.firstSeries)))) return;
  if (!session.run.firstSeries && !PreviousSeriesPresent(session.appDir)) {
    Dialogs().Error(QString::fromUtf8(kNoPreviousSeries));
    return;
  }
  FileChoice choice;
  choice.caption = QStringLiteral("Lista de imágenes");
  choice.folder =
      context_.imageFolder.isEmpty() ? Q(session.settings.dirFoto) : context_.imageFolder;
  choice.filter = FitsFilter();
  const QStringList files = Dialogs().OpenFiles(choice);
  if (files.isEmpty()) {
    label1_->setText(QString::number(ImageCount()));
    return;
  }
  context_.imageFolder.clear();
  session.settings.dirFoto = S(QFileInfo(files.first()).absolutePath());
  if (session.run.firstSeries) session.settings.RefreshMirrors();

  if (session.run.firstSeries || session.run.field.FieldRAText.empty()) {
    TPlaca& image = session.run.image;
    if (const Status loaded = image.LoadHeader(S(files.first())); !loaded.ok()) {
      Dialogs().Info(Q(loaded.message));
      return;
    }
    CoordinatesWindow& coordinates = *windows_.coordinates;
    coordinates.Prepare(CoordinateTextsFromHeader(image, session.settings));
    coordinates.exec();
    const Result<FieldCoordinates> field = ParseCoordinateTexts(coordinates.Texts());
    if (!field.ok()) {
      Dialogs().Error(Q(field.message));
      return;
    }
    session.run.field = field.value;
  }

  const double cTiempo = ParseDouble(session.settings.cTiempo).value_or(0.0);
  button1Working_ = true;
  SetWorking(true);
  Progress progress = progress_.Callback();
  job_.Start(
      this,
      [paths = S(files), cTiempo, progress](std::stop_token stop) {
        return ListImages(paths, cTiempo, stop, progress);
      },
      [this](Result<std::vector<ImageListItem>> listed) {
        button1Working_ = false;
        SetWorking(false);
        if (listed.ok()) {
          SetImageList(context_.session.run, std::move(listed.value));
        } else if (!listed.Interrupted()) {
          Dialogs().Error(Q(listed.message));
        }
        ShowState();
      });
}

void MainWindow::StarSelection() {
  Session& session = context_.session;
  label2_->setText(QStringLiteral("Cargando imagen..."));
  if (ImageCount() == 0) {
    Dialogs().Error(QStringLiteral("No hay imágenes seleccionadas."));
    ShowState();
    return;
  }
  ImageWindowSetup setup;
  setup.path = session.run.images.front().path;
  setup.primeraSerie = session.run.firstSeries;
  setup.forceIndividual = cbIndi_->isChecked();
  setup.scale = session.run.field.scale;
  ImageWindow window(context_, session.run.image, *windows_.selection, setup, this);
  if (window.Load() && window.exec() == QDialog::Accepted) {
    session.run.stars = window.Marking().Stars();
    if (session.run.firstSeries) {
      const std::string notice = ComparisonNameNotice(session.run.stars.comparisons);
      if (!notice.empty()) Dialogs().Info(Q(notice));
    }
  }
  ShowState();
  cbIndi_->setChecked(false);
}

void MainWindow::Settings() {
  windows_.settings->Prepare();
  windows_.settings->exec();
}

void MainWindow::Process() {
  Session& session = context_.session;
  if (!session.run.stars.Complete()) {
    Dialogs().Warning(
        QStringLiteral("Debes seleccionar al menos una estrella de calibrado y una variable."));
    return;
  }
  label4_->clear();
  label5_->clear();
  windows_.graphs->SetAutoAvailable(true);
  SetWorking(true);
  Progress progress = progress_.Callback();
  job_.Start(
      this,
      [job = MakeRunJob(session), progress](std::stop_token stop) mutable {
        return ProcessImages(std::move(job), 1, stop, progress);
      },
      [this](Result<RunResult> outcome) { FinishRun(std::move(outcome)); });
}

void MainWindow::FinishRun(Result<RunResult> outcome) {
  SetWorking(false);
  SetLabel3(QStringLiteral("000"));
  label5_->clear();
  if (!outcome.ok()) {
    if (outcome.kind == FailureKind::kRefusal) {
      Dialogs().Warning(Q(outcome.message));
    } else if (!outcome.Interrupted()) {
      Dialogs().Error(Q(outcome.message));
    }
    ShowState();
    return;
  }
  // A run stopped on an image keeps the rows before it, tabled.
  const Status stopped = outcome.value.stopped;
  ApplyRun(context_.session.run, std::move(outcome.value));
  ShowState();
  if (!stopped.ok()) {
    windows_.graphs->StopAuto(/*hideButton=*/true);
    Dialogs().Error(Q(stopped.message));
  }
  if (!context_.session.run.linearity.empty()) {
    windows_.control->SetReport(context_.session.run.linearity);
    windows_.control->exec();
  }
  label4_->setText(QStringLiteral("Finalizado"));
}

void MainWindow::SaveData() {
  Session& session = context_.session;
  FileChoice choice;
  choice.caption = QStringLiteral("Guardar datos...");
  choice.folder = saveFolder_.isEmpty() ? Q(session.settings.dirDato) : saveFolder_;
  choice.filter = ResultsFilter();
  choice.defaultSuffix = QStringLiteral("txt");
  const QString path = Dialogs().SaveFile(choice);
  if (path.isEmpty()) return;
  saveFolder_ = QFileInfo(path).absolutePath();
  const Status saved = SaveResults(ResultsFilePath(session), S(path));
  if (!saved.ok()) Dialogs().Error(Q(saved.message));
}

void MainWindow::RecoverData() {
  Session& session = context_.session;
  FileChoice choice;
  choice.caption = QStringLiteral("Recuperar datos...");
  choice.folder = Q(session.settings.dirDato);
  choice.filter = ResultsFilter();
  const QStringList files = Dialogs().OpenFiles(choice);
  if (files.isEmpty()) return;
  session.settings.dirDato = S(QFileInfo(files.first()).absolutePath());
  saveFolder_ = QFileInfo(files.first()).absolutePath();
  SetLabel3(QStringLiteral("Verificando formato..."));
  SetWorking(true);
  Progress progress = progress_.Callback();
  job_.Start(
      this,
      [paths = S(files), target = ResultsFilePath(session), progress](std::stop_token stop) {
        return RecoverResults(paths, target, 1, stop, progress);
      },
      [this](Result<RecoverOutcome> recovered) {
        SetWorking(false);
        SetLabel3(QStringLiteral("000"));
        if (!recovered.ok()) {
          if (!recovered.Interrupted()) Dialogs().Error(Q(recovered.message));
          return;
        }
        ApplyRecovery(context_.session.run, std::move(recovered.value));
        ShowState();
        windows_.graphs->SetAutoAvailable(false);
        GraphsAndReports();
      });
}

void MainWindow::GraphsAndReports() {
  windows_.graphs->OpenFromMain();
  // AUTO may have measured new images meanwhile.
  ShowState();
}

void MainWindow::PeriodAnalysis() {
  if (windows_.period) windows_.period->Open();
}

}  // namespace lumenda::ui
