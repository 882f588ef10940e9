#include "windows/period_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "period/period_session.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "widgets/gif_picture.h"
#include "windows/ephemeris_window.h"
#include "windows/period_chart.h"
#include "windows/period_range_dialog.h"
#include "windows/period_report_window.h"

namespace lumenda::ui {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

// A check box or radio button with its text and objectName.
template <typename T>
T* Named(QWidget* parent, const char* name, const QString& text) {
  auto* widget = new T(text, parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* ValueLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QSpinBox* MakeSpin(QWidget* parent, const char* name, int from, int to, int value) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(from, to);
  spin->setValue(value);
  return spin;
}

}  // namespace

PeriodWindow::PeriodWindow(Session& session, PeriodRangeDialog& range, EphemerisWindow& ephemeris,
                           PeriodReportWindow& report, QWidget* parent)
    : QDialog(parent),
      session_(session),
      state_(session.period),
      range_(range),
      ephemeris_(ephemeris),
      report_(report) {
  setObjectName(QStringLiteral("TFAnaPer"));
  setWindowTitle(QStringLiteral("Lumenda - Análisis de periodo"));
  setModal(true);
  BuildLayout();
  controls_ = {open_,
               search_,
               name_,
               rename_,
               refine_,
               manual_,
               manualPeriod_,
               absolute_,
               relative_,
               series_,
               offsetStep_,
               offsetUp_,
               offsetDown_,
               offsetUndo_,
               offsetAuto_,
               phases_,
               marks_,
               marginPlus_,
               marginMinus_,
               mean_,
               meanWidth_,
               modeDelete_,
               modeSeries_,
               modeOrigin_,
               modeEphemeris_,
               autoDelete_,
               undoDelete_,
               verticalDecimals_,
               verticalSeparation_,
               horizontalDecimals_,
               horizontalSeparation_,
               minima_,
               undoZoom_,
               reportButton_,
               gif_,
               saveData_,
               recoverData_};
  Connect();
  progressTimer_.setInterval(50);
  connect(&progressTimer_, &QTimer::timeout, this, &PeriodWindow::ShowSearchProgress);

  // Nothing to work on yet.
  for (QWidget* w : std::initializer_list<QWidget*>{
           phases_, refine_, offsetAuto_, rename_, manual_, offsetUndo_, offsetStep_, series_,
           offsetUp_, offsetDown_, modeDelete_, modeSeries_, autoDelete_, undoDelete_, marks_,
           marginPlus_, marginMinus_, modeOrigin_, modeEphemeris_}) {
    w->setEnabled(false);
  }
  FillSeriesChooser();
  FillMinima();
  Redraw();
}

PeriodWindow::~PeriodWindow() {
  if (filterInstalled_) qApp->removeEventFilter(this);
}

void PeriodWindow::BuildLayout() {
  page_ = new QWidget(this);
  page_->setObjectName(QStringLiteral("pnGrafico"));
  page_->setAutoFillBackground(true);
  QPalette white = page_->palette();
  white.setColor(QPalette::Window, Qt::white);
  page_->setPalette(white);
  chart_ = new PeriodChart(page_);
  chart_->setMinimumSize(640, 420);
  observer_ = new QLabel(page_);
  observer_->setObjectName(QStringLiteral("lbObservador"));
  version_ = new QLabel(page_);
  version_->setObjectName(QStringLiteral("lbVersion"));
  auto* corners = new QHBoxLayout;
  corners->setContentsMargins(8, 0, 8, 4);
  corners->addWidget(observer_);
  corners->addStretch();
  corners->addWidget(version_);
  auto* pageLayout = new QVBoxLayout(page_);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  pageLayout->setSpacing(0);
  pageLayout->addWidget(chart_, 1);
  pageLayout->addLayout(corners);

  open_ = MakeButton(this, "btAbre", QStringLiteral("Abre observaciones..."));
  search_ = MakeButton(this, "btCalculo", QStringLiteral("Cálculo de periodo..."));
  stop_ = MakeButton(this, "btDetener", QStringLiteral("Detener"));
  stop_->setEnabled(false);

  label1_ = ValueLabel(this, "Label1");
  label2_ = ValueLabel(this, "Label2");
  label3_ = ValueLabel(this, "Label3");
  phaseReadout_ = ValueLabel(this, "lbFase");
  QFont strong = label1_->font();
  strong.setBold(true);
  label1_->setFont(strong);
  label2_->setFont(strong);
  label1_->setMinimumWidth(90);
  label3_->setMinimumWidth(60);

  auto* readouts = new QGridLayout;
  auto addReadout = [&](int row, const QString& caption, QLabel* value, QLabel* extra) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(value);
    readouts->addWidget(label, row, 0);
    readouts->addWidget(value, row, 1);
    if (extra) readouts->addWidget(extra, row, 2);
  };
  addReadout(0, QStringLiteral("Periodo:"), label1_, label3_);
  addReadout(1, QStringLiteral("Desv. est:"), label2_, nullptr);
  addReadout(2, QStringLiteral("Fase:"), phaseReadout_, nullptr);
  readouts->setColumnStretch(2, 1);

  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("edNombre"));
  name_->setMaxLength(kStarNameLength);
  rename_ = MakeButton(this, "btCambia", QStringLiteral("Cambia"));
  auto* nameRow = new QHBoxLayout;
  auto* nameLabel = new QLabel(QStringLiteral("Nombre"), this);
  nameLabel->setBuddy(name_);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(name_, 1);
  nameRow->addWidget(rename_);

  minima_ = new QListWidget(this);
  minima_->setObjectName(QStringLiteral("lbMinimos"));
  minima_->setAccessibleName(QStringLiteral("Mínimos del periodograma"));
  minima_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  minima_->setToolTip(
      QStringLiteral("Mínimos separados del periodograma, el más profundo primero, con su razón "
                     "a la base de la familia. Un clic elige el periodo."));
  auto* minimaLabel = new QLabel(QStringLiteral("Mínimos (periodo, desv. est., razón):"), this);
  minimaLabel->setBuddy(minima_);
  undoZoom_ = MakeButton(this, "btDeshacerZoom", QStringLiteral("Deshacer zoom"));
  undoZoom_->setVisible(false);

  reportButton_ = MakeButton(this, "btInforme", QStringLiteral("Informe"));
  gif_ = MakeButton(this, "btGuardarComo", QStringLiteral("Guardar como..."));
  saveData_ = MakeButton(this, "btGuarda", QStringLiteral("Guarda datos..."));
  recoverData_ = MakeButton(this, "btRecupera", QStringLiteral("Recupera datos..."));

  auto* column = new QVBoxLayout;
  column->addWidget(open_);
  auto* searchRow = new QHBoxLayout;
  searchRow->addWidget(search_, 1);
  searchRow->addWidget(stop_);
  column->addLayout(searchRow);
  column->addLayout(readouts);
  column->addLayout(nameRow);
  column->addWidget(BuildPeriodGroup());
  column->addWidget(BuildMagnitudeGroup());
  column->addWidget(minimaLabel);
  column->addWidget(minima_, 1);
  column->addWidget(undoZoom_);
  auto* files = new QGridLayout;
  files->addWidget(reportButton_, 0, 0);
  files->addWidget(gif_, 0, 1);
  files->addWidget(saveData_, 1, 0);
  files->addWidget(recoverData_, 1, 1);
  column->addLayout(files);

  auto* tools = new QHBoxLayout;
  tools->addWidget(BuildOffsetGroup());
  tools->addWidget(BuildViewGroup());
  tools->addWidget(BuildClickGroup());
  tools->addWidget(BuildAxisGroup());

  auto* left = new QVBoxLayout;
  left->addWidget(page_, 1);
  left->addLayout(tools);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  auto* columnWidget = new QWidget(this);
  columnWidget->setLayout(column);
  columnWidget->setFixedWidth(300);
  layout->addWidget(columnWidget);
  resize(1200, 780);
}

QGroupBox* PeriodWindow::BuildPeriodGroup() {
  auto* group = new QGroupBox(QStringLiteral("Ajuste de periodo"), this);
  group->setObjectName(QStringLiteral("gbPeriodo"));
  refine_ = MakeButton(group, "btAutoPeriodo", QStringLiteral("Automático"));
  manual_ = MakeButton(group, "btManual", QStringLiteral("Manual"));
  manualPeriod_ = new QLineEdit(QStringLiteral("01.00000"), group);
  manualPeriod_->setObjectName(QStringLiteral("meManual"));
  manualPeriod_->setInputMask(QStringLiteral("99.99999"));
  manualPeriod_->setAccessibleName(QStringLiteral("Periodo manual"));
  auto* layout = new QHBoxLayout(group);
  layout->addWidget(refine_);
  layout->addWidget(manual_);
  layout->addWidget(manualPeriod_);
  return group;
}

QGroupBox* PeriodWindow::BuildMagnitudeGroup() {
  auto* group = new QGroupBox(QStringLiteral("Magnitud"), this);
  group->setObjectName(QStringLiteral("gbMagnitud"));
  absolute_ = Named<QRadioButton>(group, "rbAbsoluta", QStringLiteral("Magnitud absoluta"));
  relative_ = Named<QRadioButton>(group, "rbRelativa", QStringLiteral("Magnitud relativa"));
  relative_->setChecked(true);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(absolute_);
  layout->addWidget(relative_);
  return group;
}

QGroupBox* PeriodWindow::BuildOffsetGroup() {
  auto* group = new QGroupBox(QStringLiteral("Ajuste vertical"), this);
  group->setObjectName(QStringLiteral("gbAjuste"));
  series_ = new QComboBox(group);
  series_->setObjectName(QStringLiteral("cbSerie"));
  seriesOffset_ = ValueLabel(group, "lbDesplazamiento");
  seriesOffset_->setMinimumWidth(48);
  offsetStep_ = new QComboBox(group);
  offsetStep_->setObjectName(QStringLiteral("cbPasoMag"));
  offsetStep_->addItems({QStringLiteral("0.1"), QStringLiteral("0.01"), QStringLiteral("0.001")});
  offsetStep_->setCurrentIndex(2);
  offsetUp_ = MakeButton(group, "btSube", QStringLiteral("▲"));
  offsetUp_->setAccessibleName(QStringLiteral("Subir la serie"));
  offsetDown_ = MakeButton(group, "btBaja", QStringLiteral("▼"));
  offsetDown_->setAccessibleName(QStringLiteral("Bajar la serie"));
  offsetUp_->setMaximumWidth(34);
  offsetDown_->setMaximumWidth(34);
  offsetAuto_ = MakeButton(group, "btAutoAjuste", QStringLiteral("Automático"));
  offsetUndo_ = MakeButton(group, "btDeshacerAjuste", QStringLiteral("Deshacer"));

  auto* layout = new QGridLayout(group);
  auto* serieLabel = new QLabel(QStringLiteral("Serie"), group);
  serieLabel->setBuddy(series_);
  auto* stepLabel = new QLabel(QStringLiteral("Mag"), group);
  stepLabel->setBuddy(offsetStep_);
  layout->addWidget(serieLabel, 0, 0);
  layout->addWidget(series_, 0, 1);
  layout->addWidget(seriesOffset_, 0, 2);
  layout->addWidget(stepLabel, 1, 0);
  layout->addWidget(offsetStep_, 1, 1);
  auto* arrows = new QHBoxLayout;
  arrows->addWidget(offsetUp_);
  arrows->addWidget(offsetDown_);
  layout->addLayout(arrows, 1, 2);
  layout->addWidget(offsetAuto_, 2, 0, 1, 2);
  layout->addWidget(offsetUndo_, 2, 2);
  return group;
}

QGroupBox* PeriodWindow::BuildViewGroup() {
  auto* group = new QGroupBox(QStringLiteral("Gráfico"), this);
  group->setObjectName(QStringLiteral("gbGrafico"));
  phases_ = Named<QCheckBox>(group, "cbFases", QStringLiteral("Fases"));
  marks_ = Named<QCheckBox>(group, "cbMarca", QStringLiteral("Marca periodo"));
  marginPlus_ = MakeButton(group, "btMas", QStringLiteral("+"));
  marginPlus_->setAccessibleName(QStringLiteral("Más margen de fase"));
  marginMinus_ = MakeButton(group, "btMenos", QStringLiteral("-"));
  marginMinus_->setAccessibleName(QStringLiteral("Menos margen de fase"));
  marginPlus_->setMaximumWidth(34);
  marginMinus_->setMaximumWidth(34);
  mean_ = Named<QCheckBox>(group, "cbPromedio", QStringLiteral("Promedio:"));
  meanWidth_ = MakeSpin(group, "sePromedio", 1, 50, 10);
  meanWidth_->setAccessibleName(QStringLiteral("Puntos del promedio"));

  auto* layout = new QGridLayout(group);
  layout->addWidget(phases_, 0, 0);
  auto* margins = new QHBoxLayout;
  margins->addWidget(marginMinus_);
  margins->addWidget(marginPlus_);
  layout->addLayout(margins, 0, 1);
  layout->addWidget(marks_, 1, 0, 1, 2);
  layout->addWidget(mean_, 2, 0);
  layout->addWidget(meanWidth_, 2, 1);
  return group;
}

QGroupBox* PeriodWindow::BuildClickGroup() {
  auto* group = new QGroupBox(QStringLiteral("Al pulsar un punto"), this);
  group->setObjectName(QStringLiteral("gbModo"));
  modeDelete_ = Named<QRadioButton>(group, "rbBorra", QStringLiteral("Borra punto"));
  modeSeries_ = Named<QRadioButton>(group, "rbSerie", QStringLiteral("Selecciona serie"));
  modeOrigin_ = Named<QRadioButton>(group, "rbOrigen", QStringLiteral("Origen"));
  modeEphemeris_ = Named<QRadioButton>(group, "rbEfemerides", QStringLiteral("Efemérides"));
  clickModes_ = new QButtonGroup(group);
  for (QRadioButton* mode : {modeDelete_, modeSeries_, modeOrigin_, modeEphemeris_}) {
    clickModes_->addButton(mode);
  }
  autoDelete_ = MakeButton(group, "btAutoBorra", QStringLiteral("Auto"));
  undoDelete_ = MakeButton(group, "btDeshacerBorra", QStringLiteral("Deshacer"));

  auto* layout = new QGridLayout(group);
  layout->addWidget(modeDelete_, 0, 0);
  layout->addWidget(modeSeries_, 1, 0);
  layout->addWidget(modeOrigin_, 0, 1);
  layout->addWidget(modeEphemeris_, 1, 1);
  layout->addWidget(autoDelete_, 2, 0);
  layout->addWidget(undoDelete_, 2, 1);
  return group;
}

QGroupBox* PeriodWindow::BuildAxisGroup() {
  auto* group = new QGroupBox(QStringLiteral("Ejes"), this);
  group->setObjectName(QStringLiteral("gbEjes"));
  verticalDecimals_ = MakeSpin(group, "seDecimalesV", 0, 3, 2);
  verticalSeparation_ = MakeSpin(group, "seSeparacionV", 1, 3, 1);
  horizontalDecimals_ = MakeSpin(group, "seDecimalesH", 0, 4, 1);
  horizontalSeparation_ = MakeSpin(group, "seSeparacionH", 1, 3, 1);
  auto* layout = new QGridLayout(group);
  layout->addWidget(new QLabel(QStringLiteral("Vertical"), group), 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Horizontal"), group), 0, 2);
  auto* decimals = new QLabel(QStringLiteral("Decimales:"), group);
  auto* separation = new QLabel(QStringLiteral("Separación:"), group);
  decimals->setBuddy(verticalDecimals_);
  separation->setBuddy(verticalSeparation_);
  layout->addWidget(decimals, 1, 0);
  layout->addWidget(verticalDecimals_, 1, 1);
  layout->addWidget(horizontalDecimals_, 1, 2);
  layout->addWidget(separation, 2, 0);
  layout->addWidget(verticalSeparation_, 2, 1);
  layout->addWidget(horizontalSeparation_, 2, 2);
  verticalDecimals_->setAccessibleName(QStringLiteral("Decimales del eje vertical"));
  verticalSeparation_->setAccessibleName(QStringLiteral("Separación del eje vertical"));
  horizontalDecimals_->setAccessibleName(QStringLiteral("Decimales del eje horizontal"));
  horizontalSeparation_->setAccessibleName(QStringLiteral("Separación del eje horizontal"));
  return group;
}

void PeriodWindow::Connect() {
  connect(open_, &QPushButton::clicked, this, &PeriodWindow::ChooseObservationFiles);
  connect(search_, &QPushButton::clicked, this, &PeriodWindow::StartSearch);
  connect(stop_, &QPushButton::clicked, this, &PeriodWindow::StopSearch);
  connect(refine_, &QPushButton::clicked, this, &PeriodWindow::Refine);
  connect(manual_, &QPushButton::clicked, this, &PeriodWindow::ManualPeriod);
  connect(rename_, &QPushButton::clicked, this, &PeriodWindow::Rename);
  connect(reportButton_, &QPushButton::clicked, this, &PeriodWindow::Report);
  connect(gif_, &QPushButton::clicked, this, &PeriodWindow::SaveGif);
  connect(saveData_, &QPushButton::clicked, this, &PeriodWindow::SaveData);
  connect(recoverData_, &QPushButton::clicked, this, &PeriodWindow::RecoverData);
  connect(chart_, &PeriodChart::pictureClicked, this, &PeriodWindow::ChartClicked);
  connect(chart_, &PeriodChart::trialClicked, this,
          [this](size_t index) { PickPeriodAt(chart_->PeriodogramPoints().at(index).Period); });
  connect(chart_, &PeriodChart::readout, this, &PeriodWindow::PointerMoved);
  connect(chart_, &PeriodChart::zoomChanged, undoZoom_, &QWidget::setVisible);
  connect(undoZoom_, &QPushButton::clicked, chart_, &PeriodChart::UndoZoom);
  connect(clickModes_, &QButtonGroup::buttonToggled, this,
          [this] { chart_->SetClicksToWindow(Mode() != ClickMode::kNone); });
  connect(minima_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { PickPeriodAt(item->data(Qt::UserRole).toDouble()); });

  connect(relative_, &QRadioButton::toggled, this, [this](bool relative) {
    SetMagnitudeMode(state_, relative ? MagnitudeMode::kRelative : MagnitudeMode::kAbsolute);
    Redraw();
  });
  connect(phases_, &QCheckBox::toggled, this, [this](bool on) {
    SetPhaseView(state_, on);
    for (QWidget* w : std::initializer_list<QWidget*>{marks_, marginPlus_, marginMinus_,
                                                      modeOrigin_, modeEphemeris_}) {
      w->setEnabled(on);
    }
    if (!on) {
      marks_->setChecked(false);
      if (Mode() == ClickMode::kOrigin || Mode() == ClickMode::kEphemeris) ClearClickMode();
    }
    Redraw();
  });
  connect(marks_, &QCheckBox::toggled, chart_, &PeriodChart::ShowMarks);
  connect(marginPlus_, &QPushButton::clicked, this, [this] {
    ChangeMargin(state_, 1);
    Redraw();
  });
  connect(marginMinus_, &QPushButton::clicked, this, [this] {
    ChangeMargin(state_, -1);
    Redraw();
  });
  connect(mean_, &QCheckBox::toggled, this, &PeriodWindow::Redraw);
  connect(meanWidth_, &QSpinBox::valueChanged, this, [this] {
    if (mean_->isChecked()) Redraw();
  });

  connect(series_, &QComboBox::currentIndexChanged, this, &PeriodWindow::ShowSeriesOffset);
  auto shift = [this](double sign) {
    const double step = ParseNumber(offsetStep_->currentText()).value_or(0.001);
    ShiftSeriesOffset(state_, series_->currentIndex(), sign * step);
    Redraw();
  };
  // Up moves the series up: brighter, a smaller magnitude.
  connect(offsetUp_, &QPushButton::clicked, this, [shift] { shift(-1); });
  connect(offsetDown_, &QPushButton::clicked, this, [shift] { shift(1); });
  connect(offsetUndo_, &QPushButton::clicked, this, [this] {
    ClearSeriesOffsets(state_);
    Redraw();
  });
  connect(offsetAuto_, &QPushButton::clicked, this,
          [this] { WorkOnCopy([](PeriodState& state) { AdjustOffsets(state); }); });
  connect(autoDelete_, &QPushButton::clicked, this, [this] {
    AutoDelete(state_, MakePhasePicture(state_, 0).points);
    Redraw();
  });
  connect(undoDelete_, &QPushButton::clicked, this, [this] {
    RestoreDeleted(state_);
    Redraw();
  });

  auto axes = [this] {
    chart_->SetAxisSettings({verticalDecimals_->value(), verticalSeparation_->value(),
                             horizontalDecimals_->value(), horizontalSeparation_->value()});
  };
  for (QSpinBox* spin :
       {verticalDecimals_, verticalSeparation_, horizontalDecimals_, horizontalSeparation_}) {
    connect(spin, &QSpinBox::valueChanged, this, axes);
  }
  axes();
}

void PeriodWindow::Open() {
  exec();
}

void PeriodWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ResetSearchRange(state_);
  const std::string& observer = session_.settings.obs;
  observer_->setText(observer.empty() ? QString() : QStringLiteral("Observador: ") + Q(observer));
  version_->setText(Q(session_.versionText));
  if (!filterInstalled_) {
    qApp->installEventFilter(this);
    filterInstalled_ = true;
  }
  Redraw();
}

void PeriodWindow::closeEvent(QCloseEvent* event) {
  // A search still running is stopped; its end finds the window closed.
  if (job_.Running()) job_.RequestStop();
  if (filterInstalled_) {
    qApp->removeEventFilter(this);
    filterInstalled_ = false;
  }
  QDialog::closeEvent(event);
}

void PeriodWindow::reject() {
  // Escape stops a running search instead of closing the window.
  if (Searching()) {
    StopSearch();
    return;
  }
  if (filterInstalled_) {
    qApp->removeEventFilter(this);
    filterInstalled_ = false;
  }
  QDialog::reject();
}

bool PeriodWindow::eventFilter(QObject* watched, QEvent* event) {
  // The window sees the arrow keys before its controls, except while the
  // manual period is being typed.
  if (event->type() != QEvent::KeyPress || !isVisible()) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this || widget == manualPeriod_) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right) {
    return false;
  }
  if (!Searching()) ArrowKey(key);
  return true;
}

// --- observations and search ------------------------------------------------

void PeriodWindow::ChooseObservationFiles() {
  const QStringList paths =
      Dialogs().OpenFiles({QStringLiteral("Abre observaciones"), Q(session_.settings.dirPeri),
                           QString(), QStringLiteral("Datos (*.txt)"), QString()});
  if (paths.isEmpty()) return;
  session_.settings.dirPeri = S(QFileInfo(paths.front()).absolutePath() + QLatin1Char('/'));
  OpenObservationFiles(paths);
}

void PeriodWindow::OpenObservationFiles(const QStringList& paths) {
  const Status opened = OpenObservations(state_, S(paths));
  name_->setText(Q(state_.data.StarName));
  {
    const QSignalBlocker blockPhases(phases_);
    const QSignalBlocker blockMode(relative_);
    phases_->setChecked(false);
    relative_->setChecked(true);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           phases_, refine_, offsetAuto_, manual_, rename_, modeDelete_, autoDelete_, undoDelete_,
           marks_, marginPlus_, marginMinus_, modeOrigin_, modeEphemeris_}) {
    w->setEnabled(false);
  }
  marks_->setChecked(false);
  ClearClickMode();
  for (QWidget* w : std::initializer_list<QWidget*>{offsetUndo_, offsetStep_, series_, offsetUp_,
                                                    offsetDown_, modeSeries_}) {
    w->setEnabled(opened.ok());
  }
  FillSeriesChooser();
  FillMinima();
  if (!opened.ok()) Dialogs().Error(Q(opened.message));
  Redraw();
  FocusChart();
}

void PeriodWindow::StartSearch() {
  if (Searching()) return;
  const Status prepared = BeginSearch(state_);
  if (!prepared.ok()) {
    Dialogs().Error(Q(prepared.message));
    return;
  }
  SetSearchRunning(true);
  if (!range_.Ask(Q(MinPeriodText(state_.search)), Q(MaxPeriodText(state_.search)))) {
    SetSearchRunning(false);
    Redraw();
    return;
  }
  ApplyRange(state_.search, S(range_.MinText()), S(range_.MaxText()), range_.IncrementIndex());
  auto job = std::make_shared<const PeriodSearchJob>(MakeSearchJob(state_));
  if (job->periods.empty()) {
    // The range did not change: the previous periodogram again.
    SetSearchRunning(false);
    FinishPeriodogram(ApplySearch(state_, *job, {}));
    return;
  }
  chart_->Clear();
  label3_->setText(QStringLiteral("0%"));
  searchPending_ = true;
  progressTimer_.start();
  QApplication::setOverrideCursor(Qt::BusyCursor);
  job_.Start(
      this,
      [job, progress = progress_](std::stop_token stop) {
        return SearchPeriods(*job, stop, progress->Callback());
      },
      [this, job](Result<Periodogram> found) { SearchDone(std::move(found), *job); });
}

void PeriodWindow::StopSearch() {
  job_.RequestStop();
}

void PeriodWindow::ShowSearchProgress() {
  if (std::optional<ProgressStep> step = progress_->Take(ProgressLine::kOverall)) {
    label1_->setText(Q(step->text));
    label3_->setText(QString::number(step->Percent()) + QLatin1Char('%'));
  }
}

void PeriodWindow::SearchDone(Result<Periodogram> found, const PeriodSearchJob& job) {
  searchPending_ = false;
  progressTimer_.stop();
  progress_->Take(ProgressLine::kOverall);
  QApplication::restoreOverrideCursor();
  SetSearchRunning(false);
  if (found.Interrupted()) {
    // The previous periodogram and picture stay; the next search runs.
    Redraw();
    return;
  }
  if (!found.ok()) {
    Dialogs().Error(Q(found.message));
    Redraw();
    return;
  }
  FinishPeriodogram(ApplySearch(state_, job, std::move(found.value)));
}

void PeriodWindow::FinishPeriodogram(const Status& status) {
  FillMinima();
  if (!status.ok()) {
    Dialogs().Error(Q(status.message));
    Redraw();
    return;
  }
  ShowPeriodogram(state_);
  {
    const QSignalBlocker block(phases_);
    phases_->setChecked(false);
  }
  EnablePeriodTools(false);
  for (QWidget* w : std::initializer_list<QWidget*>{marks_, marginPlus_, marginMinus_, modeOrigin_,
                                                    modeEphemeris_}) {
    w->setEnabled(false);
  }
  marks_->setChecked(false);
  Redraw();
  phaseReadout_->setText(QStringLiteral("---"));
  FocusChart();
}

void PeriodWindow::SetSearchRunning(bool running) {
  // The controls come back as they were before the search.
  if (running) {
    enabledBeforeSearch_.clear();
    for (QWidget* w : controls_) {
      enabledBeforeSearch_.push_back(w->isEnabled());
      w->setEnabled(false);
    }
  } else if (enabledBeforeSearch_.size() == controls_.size()) {
    for (size_t i = 0; i < controls_.size(); ++i) controls_[i]->setEnabled(enabledBeforeSearch_[i]);
    enabledBeforeSearch_.clear();
  }
  stop_->setEnabled(running);
}

// --- picking and changing the period ---------------------------------------

void PeriodWindow::PickPeriodAt(double period) {
  if (Searching() || state_.data.Empty()) return;
  PickPeriod(state_, period);
  PeriodPicked();
}

void PeriodWindow::PeriodPicked() {
  EnablePeriodTools(true);
  Redraw();
  FocusChart();
}

void PeriodWindow::EnablePeriodTools(bool on) {
  for (QWidget* w :
       std::initializer_list<QWidget*>{phases_, refine_, offsetAuto_, rename_, manual_, offsetUndo_,
                                       offsetStep_, series_, offsetUp_, offsetDown_}) {
    w->setEnabled(on);
  }
  if (on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{modeDelete_, autoDelete_, undoDelete_, modeSeries_}) {
      w->setEnabled(true);
    }
  }
}

void PeriodWindow::Refine() {
  WorkOnCopy([](PeriodState& state) { RefineCurrentPeriod(state); });
}

void PeriodWindow::WorkOnCopy(std::function<void(PeriodState&)> work) {
  if (Searching()) return;
  // Some thousand folds of every point: seconds on a long series.
  SetSearchRunning(true);
  stop_->setEnabled(false);  // it runs to its end
  searchPending_ = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  job_.Start(
      this,
      [copy = state_, work = std::move(work)](std::stop_token) mutable {
        work(copy);
        return copy;
      },
      [this](PeriodState worked) {
        searchPending_ = false;
        QApplication::restoreOverrideCursor();
        SetSearchRunning(false);
        state_ = std::move(worked);
        Redraw();
        FocusChart();
      });
}

void PeriodWindow::ManualPeriod() {
  const Status set = SetManualPeriod(state_, S(manualPeriod_->text()));
  if (!set.ok()) {
    Dialogs().Error(Q(set.message));
    manualPeriod_->setFocus();
    return;
  }
  Redraw();
  FocusChart();
}

void PeriodWindow::ArrowKey(int key) {
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    ChangeStep(state_, key == Qt::Key_Up);
    ShowLabels();
    return;
  }
  if (StepPeriod(state_, key == Qt::Key_Right)) {
    Redraw();
    FocusChart();
  }
}

void PeriodWindow::Rename() {
  RenameStar(state_, S(name_->text()));
  Redraw();
}

// --- the chart --------------------------------------------------------------

void PeriodWindow::PointerMoved(double x, bool inside) {
  if (Searching()) return;
  if (chart_->PeriodogramShown()) {
    // Over the periodogram the period label reads the pointer.
    label1_->setText(inside ? FormatNumber("0.00000", x) : Q(state_.periodText));
    return;
  }
  phaseReadout_->setText(inside ? FormatNumber("0.00000", ReadoutPhase(x)) : QStringLiteral("---"));
}

void PeriodWindow::ChartClicked(QPoint pixel, double x) {
  if (Searching() || chart_->PeriodogramShown()) return;
  switch (Mode()) {
    case ClickMode::kDelete:
      if (std::optional<size_t> i = chart_->PlotPointNear(pixel)) {
        DeletePointAt(state_, chart_->Points()[*i].time);
        Redraw();
      }
      break;
    case ClickMode::kSeries:
      if (std::optional<size_t> i = chart_->PlotPointNear(pixel)) {
        series_->setCurrentIndex(chart_->Points()[*i].series);
      }
      break;
    case ClickMode::kOrigin:
      // The phase under the pointer, as the read-out shows it.
      if (state_.view.enabled) {
        const PhaseOriginResult origin = SetOrigin(state_, ReadoutPhase(x), chart_->PlotWidth());
        Redraw();
        phaseReadout_->setText(FormatNumber("0.00000", origin.clickedPhase));
      }
      break;
    case ClickMode::kEphemeris:
      if (state_.view.enabled) ephemeris_.Open(EphemerisFor(state_, ReadoutPhase(x)));
      break;
    case ClickMode::kNone:
      break;
  }
}

PeriodWindow::ClickMode PeriodWindow::Mode() const {
  if (modeDelete_->isChecked()) return ClickMode::kDelete;
  if (modeSeries_->isChecked()) return ClickMode::kSeries;
  if (modeOrigin_->isChecked()) return ClickMode::kOrigin;
  if (modeEphemeris_->isChecked()) return ClickMode::kEphemeris;
  return ClickMode::kNone;
}

void PeriodWindow::ClearClickMode() {
  clickModes_->setExclusive(false);
  for (QAbstractButton* mode : clickModes_->buttons()) mode->setChecked(false);
  clickModes_->setExclusive(true);
}

int PeriodWindow::MeanHalfWidth() const {
  return mean_->isChecked() ? meanWidth_->value() : 0;
}

void PeriodWindow::FocusChart() {
  chart_->setFocus();
}

void PeriodWindow::Redraw() {
  ShowLabels();
  if (state_.periodogramMode) {
    if (!chart_->PeriodogramShown()) chart_->ShowPeriodogram(state_.search.Result);
    return;
  }
  chart_->ShowPicture(MakePhasePicture(state_, MeanHalfWidth()), state_.view.enabled);
}

void PeriodWindow::ShowLabels() {
  label1_->setText(state_.periodText.empty() ? QString::fromLatin1(kNoPeriodText)
                                             : Q(state_.periodText));
  label2_->setText(Q(state_.dispersionText));
  label3_->setText(Q(StepText(state_.step)));
  const QSignalBlocker blockRelative(relative_);
  const QSignalBlocker blockAbsolute(absolute_);
  const QSignalBlocker blockPhases(phases_);
  (state_.mode == MagnitudeMode::kRelative ? relative_ : absolute_)->setChecked(true);
  phases_->setChecked(state_.view.enabled);
  ShowSeriesOffset();
}

void PeriodWindow::ShowSeriesOffset() {
  const int s = series_->currentIndex();
  seriesOffset_->setText(
      s >= 0 && s < state_.data.SeriesCount()
          ? FormatNumber("0.000", state_.data.SeriesOffsets[static_cast<size_t>(s)])
          : QString());
}

void PeriodWindow::FillSeriesChooser() {
  const QSignalBlocker block(series_);
  series_->clear();
  for (int s = 0; s < state_.data.SeriesCount(); ++s) series_->addItem(QString::number(s));
  series_->setCurrentIndex(state_.data.SeriesCount() > 0 ? 0 : -1);
  ShowSeriesOffset();
}

void PeriodWindow::FillMinima() {
  minima_->clear();
  for (const PeriodMinimum& m : PeriodFamily(state_.search.Result, 8)) {
    auto* item = new QListWidgetItem(Q(PeriodMinimumText(m)), minima_);
    item->setData(Qt::UserRole, m.Period);
  }
}

// --- results and files ------------------------------------------------------

void PeriodWindow::Report() {
  if (state_.periodogramMode) return;
  const std::vector<std::string> lines = ReportOf(state_, MakePhasePicture(state_, 0));
  if (!lines.empty()) report_.Open(lines);
}

void PeriodWindow::SaveGif() {
  SavePictureAs(*page_);
}

void PeriodWindow::SaveData() {
  const QString path =
      Dialogs().SaveFile({QStringLiteral("Guarda datos"), QString(), QString(),
                          QStringLiteral("Periodos (*.per)"), QStringLiteral("per")});
  if (path.isEmpty()) return;
  // A file without observations or period could not be read back.
  if (state_.data.Empty() || !CurrentPeriod(state_)) {
    Dialogs().Error(QStringLiteral("No hay observaciones."));
    return;
  }
  const Status written = SavePeriodData(state_, S(path));
  if (!written.ok()) Dialogs().Error(Q(written.message));
}

void PeriodWindow::RecoverData() {
  const QString path = Dialogs().OpenFile({QStringLiteral("Recupera datos"), QString(), QString(),
                                           QStringLiteral("Periodos (*.per)"), QString()});
  if (path.isEmpty()) return;
  const Status read = RecoverPeriodData(state_, S(path));
  if (!read.ok()) {
    Dialogs().Error(Q(read.message));
    return;
  }
  name_->setText(Q(state_.data.StarName));
  {
    const QSignalBlocker blockPhases(phases_);
    const QSignalBlocker blockMean(mean_);
    phases_->setChecked(false);
    mean_->setChecked(false);
  }
  marks_->setChecked(false);
  ClearClickMode();
  EnablePeriodTools(true);
  for (QWidget* w : std::initializer_list<QWidget*>{marks_, marginPlus_, marginMinus_, modeOrigin_,
                                                    modeEphemeris_}) {
    w->setEnabled(false);
  }
  FillSeriesChooser();
  FillMinima();
  Redraw();
  FocusChart();
}

}  // namespace lumenda::ui
