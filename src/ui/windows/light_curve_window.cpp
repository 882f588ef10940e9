#include "windows/light_curve_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <set>

#include "curves/chart_axes.h"
#include "curves/chart_series.h"
#include "curves/star_data_file.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "text/text_file.h"
#include "widgets/gif_picture.h"
#include "windows/conditions_page.h"
#include "windows/data_window.h"
#include "windows/graph_settings_window.h"
#include "windows/report_page.h"
#include "windows/variables_page.h"

namespace lumenda::ui {
namespace {

constexpr int kAutoIntervalMs = 5000;
const QString kActivateAuto = QStringLiteral("Activar AUTO");
const QString kCancelAuto = QStringLiteral("Cancelar AUTO");
const QString kDataChanged =
    QStringLiteral("Ha habido cambio de datos. Recuerda \"guardarlos\" si es necesario.");

QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

// The points of a star that have a value, in the order the chart numbers them.
struct Plotted {
  QList<QPointF> points;
  QStringList labels;
  QList<QLineF> bars;
};

Plotted PlottedOf(const std::vector<CurvePoint>& points, bool errorBars) {
  Plotted out;
  for (const CurvePoint& p : points) {
    if (!p.value) continue;
    out.points.append(QPointF(p.x, *p.value));
    out.labels.append(Q(p.label));
    if (errorBars) out.bars.append(QLineF(p.x, *p.value - p.error, p.x, *p.value + p.error));
  }
  return out;
}

QList<QLineF> LinesOf(const std::vector<Segment>& segments) {
  QList<QLineF> lines;
  for (const Segment& s : segments) lines.append(QLineF(s.x0, s.y0, s.x1, s.y1));
  return lines;
}

std::set<std::string> MeasuredPaths(const RunState& run) {
  std::set<std::string> paths;
  for (const ImageListItem& item : run.images) paths.insert(item.path);
  if (!run.lastImage.path.empty()) paths.insert(run.lastImage.path);
  return paths;
}

}  // namespace

LightCurveWindow::LightCurveWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName(QStringLiteral("TFGrafico"));
  setWindowTitle(QStringLiteral("Lumenda - Gráficos"));
  setModal(true);
  setMinimumSize(776, 613);
  setWindowFlag(Qt::WindowMaximizeButtonHint);

  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addTab(BuildMagnitudesPage(), QStringLiteral("Magnitudes"));
  conditions_ = new ConditionsPage(session_, pages_);
  pages_->addTab(conditions_, QStringLiteral("Airmass / Transparencia / FWHM / Fondo"));
  report_ = new ReportPage(session_, pages_);
  pages_->addTab(report_, QStringLiteral("Informe"));
  if (session_.enCasa) pages_->addTab(BuildInfoPage(), QStringLiteral("Infos previos"));
  variables_ = new VariablesPage(session_, pages_);
  pages_->addTab(variables_, QStringLiteral("Variables?"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(pages_);

  const Settings& s = session_.settings;
  setGeometry(s.fGraL, s.fGraT, std::max(s.fGraW, 776), std::max(s.fGraH, 613));

  connect(pages_, &QTabWidget::currentChanged, this, [this] {
    if (!panelIn_->isVisible()) FillPage();
  });
  connect(report_, &ReportPage::settingsRequested, this, [this] {
    if (settings_) settings_->exec();
    FillPage();
  });
  connect(variables_, &VariablesPage::saveStarData, this, &LightCurveWindow::SaveStarData);

  timerAuto_ = new QTimer(this);
  timerAuto_->setObjectName(QStringLiteral("TimerAuto"));
  timerAuto_->setInterval(kAutoIntervalMs);
  timerAuto_->setSingleShot(true);
  connect(timerAuto_, &QTimer::timeout, this, &LightCurveWindow::AutoTick);
  autoProgressTimer_.setInterval(100);
  connect(&autoProgressTimer_, &QTimer::timeout, this, [this] {
    if (auto step = autoProgress_.Take(ProgressLine::kOverall))
      lbAuto_->setText(QStringLiteral("AUTO: ") + Q(step->text));
  });
}

LightCurveWindow::~LightCurveWindow() = default;

QWidget* LightCurveWindow::BuildMagnitudesPage() {
  auto* page = new QWidget(this);
  page->setObjectName(QStringLiteral("TabSheet1"));

  // The picture: comments and star names above the chart, the observer, the
  // time scale and the version below it.
  pnGrafico_ = new QWidget(page);
  pnGrafico_->setObjectName(QStringLiteral("pnGrafico"));
  pnGrafico_->setAutoFillBackground(true);
  lbComentario1_ = NamedLabel(pnGrafico_, "lbComentario1");
  lbComentario2_ = NamedLabel(pnGrafico_, "lbComentario2");
  label4_ = NamedLabel(pnGrafico_, "Label4");
  label5_ = NamedLabel(pnGrafico_, "Label5");
  QFont bold = label4_->font();
  bold.setBold(true);
  label4_->setFont(bold);
  label5_->setFont(bold);
  chart1_ = new ChartPanel(pnGrafico_);
  chart1_->setObjectName(QStringLiteral("Chart1"));
  chart1_->setAccessibleName(QStringLiteral("Curva de luz"));
  series1_ = chart1_->AddPoints(QStringLiteral("Series1"), Qt::red, 4, PointShape::kCircle);
  series4_ =
      chart1_->AddPoints(QStringLiteral("Series4"), QColor(0, 0, 128), 4, PointShape::kCircle);
  series6_ = chart1_->AddSegments(QStringLiteral("Series6"), Qt::red, 1);
  series7_ = chart1_->AddSegments(QStringLiteral("Series7"), QColor(0, 0, 128), 1);
  series2_ = chart1_->AddSegments(QStringLiteral("Series2"), Qt::red, 2);
  series3_ = chart1_->AddSegments(QStringLiteral("Series3"), QColor(0, 0, 128), 2);
  label9_ = NamedLabel(pnGrafico_, "Label9");
  label2_ = NamedLabel(pnGrafico_, "Label2");
  label2_->setAlignment(Qt::AlignCenter);
  label12_ = NamedLabel(pnGrafico_, "Label12");
  label12_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* picture = new QGridLayout(pnGrafico_);
  picture->setContentsMargins(6, 4, 6, 4);
  picture->setVerticalSpacing(2);
  picture->addWidget(lbComentario1_, 0, 0, 1, 2);
  picture->addWidget(label4_, 0, 2, Qt::AlignRight);
  picture->addWidget(lbComentario2_, 1, 0, 1, 2);
  picture->addWidget(label5_, 1, 2, Qt::AlignRight);
  picture->addWidget(chart1_, 2, 0, 1, 3);
  picture->addWidget(label9_, 3, 0);
  picture->addWidget(label2_, 3, 1);
  picture->addWidget(label12_, 3, 2);
  picture->setRowStretch(2, 1);
  picture->setColumnStretch(1, 1);

  // The marking panel of the trend correction.
  panelIn_ = new QWidget(page);
  panelIn_->setObjectName(QStringLiteral("PanelIn"));
  label28_ = NamedLabel(panelIn_, "Label28", QStringLiteral("Marca punto 1"));
  QFont prompt = label28_->font();
  prompt.setBold(true);
  label28_->setFont(prompt);
  auto* correct = NamedButton(panelIn_, "bCorregir", QStringLiteral("Corregir"));
  auto* undo = NamedButton(panelIn_, "bDeshacer", QStringLiteral("Deshacer"));
  auto* cancel = NamedButton(panelIn_, "bCancelar", QStringLiteral("Cancelar"));
  auto* panel = new QHBoxLayout(panelIn_);
  panel->setContentsMargins(6, 2, 6, 2);
  panel->addWidget(label28_);
  panel->addStretch(1);
  panel->addWidget(correct);
  panel->addWidget(undo);
  panel->addWidget(cancel);
  panelIn_->hide();

  bConfiguracion_ = NamedButton(page, "bConfiguracion", QStringLiteral("Configuración"));
  bInclinacion_ = NamedButton(page, "bInclinacion", QStringLiteral("Corregir inclinación"));
  bDeshacerZoom_ = NamedButton(page, "bDeshacerZoom", QStringLiteral("Deshacer zoom"));
  bDeshacerZoom_->hide();
  bAuto_ = NamedButton(page, "bAuto", kActivateAuto);
  bAuto_->hide();
  button18_ = NamedButton(page, "Button18", QStringLiteral("Guarda datos "));
  button4_ = NamedButton(page, "Button4", QStringLiteral("Guardar como..."));
  lbFecha_ = NamedLabel(page, "lbFecha");
  lbAuto_ = NamedLabel(page, "lbAuto");
  // The read-outs above the picture, so that long star names keep the
  // buttons whole at the smallest size.
  auto* readouts = new QHBoxLayout();
  readouts->setContentsMargins(6, 0, 6, 0);
  readouts->addWidget(lbFecha_);
  readouts->addStretch(1);
  readouts->addWidget(lbAuto_);
  auto* buttons = new QHBoxLayout();
  for (QWidget* w :
       std::initializer_list<QWidget*>{bConfiguracion_, bInclinacion_, bDeshacerZoom_, bAuto_})
    buttons->addWidget(w);
  buttons->addStretch(1);
  buttons->addWidget(button18_);
  buttons->addWidget(button4_);

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(panelIn_);
  layout->addLayout(readouts);
  layout->addWidget(pnGrafico_, 1);
  layout->addLayout(buttons);

  connect(bConfiguracion_, &QPushButton::clicked, this, [this] {
    if (settings_) settings_->exec();
    FillPage();
  });
  connect(bInclinacion_, &QPushButton::clicked, this, &LightCurveWindow::StartMarking);
  connect(bDeshacerZoom_, &QPushButton::clicked, this, [this] { chart1_->UndoZoom(); });
  connect(chart1_, &ChartPanel::zoomChanged, bDeshacerZoom_, &QWidget::setVisible);
  connect(chart1_, &ChartPanel::pointerMoved, this, [this](QPointF value) {
    lbFecha_->setText(
        Q(PointerTimeText(session_.graph.scale, value.x(), session_.curves.curve.ChartDayBase)));
  });
  connect(chart1_, &ChartPanel::pointClicked, this, &LightCurveWindow::PointClicked);
  connect(chart1_, &ChartPanel::pressedAt, this, &LightCurveWindow::MarkPressed);
  connect(correct, &QPushButton::clicked, this, &LightCurveWindow::Correct);
  connect(undo, &QPushButton::clicked, this, &LightCurveWindow::UndoCorrection);
  connect(cancel, &QPushButton::clicked, this, &LightCurveWindow::EndMarking);
  connect(bAuto_, &QPushButton::clicked, this, &LightCurveWindow::ToggleAuto);
  connect(button18_, &QPushButton::clicked, this,
          [this] { SaveStarData(Q(Variable1Name(session_.run.results, session_.graph))); });
  connect(button4_, &QPushButton::clicked, this, [this] { SavePictureAs(*pnGrafico_); });
  return page;
}

QWidget* LightCurveWindow::BuildInfoPage() {
  info_ = new QWidget(this);
  info_->setObjectName(QStringLiteral("TabSheet4"));
  auto* layout = new QGridLayout(info_);
  static const char* const kTitles[] = {"Filas de origen", "Filas agrupadas", "Filas AAVSO"};
  static const char* const kNames[] = {"lbFuente", "lbAgrupadas", "lbAAVSO"};
  for (int i = 0; i < 3; ++i) {
    auto* title = new QLabel(QString::fromUtf8(kTitles[i]), info_);
    auto* list = new QPlainTextEdit(info_);
    list->setObjectName(QString::fromLatin1(kNames[i]));
    list->setAccessibleName(QString::fromUtf8(kTitles[i]));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 8));
    title->setBuddy(list);
    layout->addWidget(title, 2 * i, 0);
    layout->addWidget(list, 2 * i + 1, 0);
    infoLists_[static_cast<size_t>(i)] = list;
  }
  return info_;
}

void LightCurveWindow::SetWindows(GraphSettingsWindow* settings, DataWindow* data,
                                  AavsoDialog* aavso, AlcdefDialog* alcdef, CdrDialog* cdr) {
  settings_ = settings;
  data_ = data;
  report_->SetDialogs(aavso, alcdef, cdr);
  ConnectSettings();
}

void LightCurveWindow::ConnectSettings() {
  if (!settings_) return;
  connect(settings_, &GraphSettingsWindow::curveChanged, this, [this] {
    RebuildCurve();
    FillPage();
  });
  connect(settings_, &GraphSettingsWindow::groupingChanged, this, [this] {
    Regroup();
    FillPage();
  });
  connect(settings_, &GraphSettingsWindow::lookChanged, this, [this] { FillPage(); });
  connect(settings_, &GraphSettingsWindow::geometryRestored, this, [this] {
    const GraphSettings& g = session_.graph;
    setGeometry(g.windowLeft, g.windowTop, std::max(g.windowWidth, 776),
                std::max(g.windowHeight, 613));
  });
}

// ---- Recomputing ----------------------------------------------------------

void LightCurveWindow::OpenFromMain() {
  if (session_.run.results.lbNomVar.empty()) {
    Dialogs().Warning(QStringLiteral("Datos para gráfico no disponibles."));
    return;
  }
  session_.graph.var1 = 0;
  session_.graph.var2 = 0;
  if (settings_) settings_->FillStarChoosers();
  session_.curves.dataChanged = false;
  pages_->setCurrentIndex(0);
  exec();
  if (session_.curves.dataChanged) Dialogs().Info(kDataChanged);
}

void LightCurveWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Activate();
}

void LightCurveWindow::Activate() {
  variables_->RebuildTable();
  ClearMarks();
  RebuildCurve();
  FillPage();
}

void LightCurveWindow::RebuildCurve() {
  const Status built = lumenda::RebuildCurve(session_);
  if (!built.ok()) {
    // Absolute photometry without its table: back to relative, the previous
    // series stay.
    Dialogs().Warning(Q(built.message));
    if (settings_) settings_->ShowSettings();
  }
  AfterRecompute();
}

void LightCurveWindow::Regroup() {
  GroupMeasurements(session_.graph, session_.curves.curve);
  AfterRecompute();
}

void LightCurveWindow::AfterRecompute() {
  report_->GeneralReport();
  if (settings_) settings_->FillSummary();
  FillInfo();
}

void LightCurveWindow::FillPage() {
  QWidget* shown = pages_->currentWidget();
  if (shown == conditions_) {
    // The conditions share the time base of the light curve.
    const ChartBase base =
        SetChartDayBase(session_.curves.curve, session_.graph, FieldPosition(session_.run.results));
    conditions_->Fill(Q(base.caption));
  } else if (shown == variables_) {
    variables_->Fill();
  } else if (shown == info_) {
    FillInfo();
  } else if (shown != report_) {
    FillMagnitudes();
  }
}

void LightCurveWindow::FillInfo() {
  if (!info_) return;
  const LightCurve& curve = session_.curves.curve;
  const std::vector<std::string>* lists[] = {&curve.SourceRows, &curve.GroupedRows,
                                             &curve.AavsoRows};
  for (size_t i = 0; i < infoLists_.size(); ++i)
    infoLists_[i]->setPlainText(Q(JoinLines(*lists[i], "\n")));
}

void LightCurveWindow::ShowLook() {
  const GraphSettings& g = session_.graph;
  const QColor colour1 = ColourOfStored(g.var1Colour), colour2 = ColourOfStored(g.var2Colour);
  chart1_->SetSeriesColour(series1_, colour1);
  chart1_->SetSeriesSize(series1_, g.var1Size, PointShapeOf(g.var1Style));
  chart1_->SetSeriesColour(series4_, colour2);
  chart1_->SetSeriesSize(series4_, g.var2Size, PointShapeOf(g.var2Style));
  chart1_->SetSeriesColour(series6_, colour1);
  chart1_->SetSeriesColour(series7_, colour2);
  chart1_->SetSeriesColour(series2_, ColourOfStored(g.average1Colour));
  chart1_->SetSeriesPen(series2_, g.average1Width, LineStyleOf(g.average1Style));
  chart1_->SetSeriesColour(series3_, ColourOfStored(g.average2Colour));
  chart1_->SetSeriesPen(series3_, g.average2Width, LineStyleOf(g.average2Style));
  const QColor background = ColourOfStored(g.backgroundColour);
  chart1_->SetBackground(background);
  QPalette palette = pnGrafico_->palette();
  palette.setColor(QPalette::Window, background);
  pnGrafico_->setPalette(palette);
  label4_->setStyleSheet(QStringLiteral("color: %1").arg(colour1.name()));
  label5_->setStyleSheet(QStringLiteral("color: %1").arg(colour2.name()));
  bInclinacion_->setVisible(IsRelativeMode(g.mode));
}

void LightCurveWindow::FillMagnitudes() {
  LightCurve& curve = session_.curves.curve;
  const GraphSettings& g = session_.graph;
  ShowLook();
  // Fewer than three lines (two of them headers): the chart stays as it was.
  if (curve.GroupedRows.size() < 3) return;
  const SkyPosition field = FieldPosition(session_.run.results);
  const ChartBase base = SetChartDayBase(curve, g, field);
  label2_->setText(Q(base.caption));

  const std::vector<CurvePoint> points1 = StarPoints(curve, g, field, 1);
  const std::vector<CurvePoint> points2 =
      HasVariable2(g) ? StarPoints(curve, g, field, 2) : std::vector<CurvePoint>{};
  const Plotted star1 = PlottedOf(points1, g.errorBars);
  const Plotted star2 = PlottedOf(points2, g.errorBars);
  chart1_->SetPoints(series1_, star1.points, star1.labels);
  chart1_->SetPoints(series4_, star2.points, star2.labels);
  chart1_->SetSegments(series6_, star1.bars);
  chart1_->SetSegments(series7_, star2.bars);
  chart1_->SetSegments(series2_, g.average1Visible ? LinesOf(MovingAverage(points1, g.averageLength,
                                                                           g.movingAverageByDate))
                                                   : QList<QLineF>{});
  chart1_->SetSegments(series3_,
                       g.average2Visible && HasVariable2(g)
                           ? LinesOf(MovingAverage(points2, g.averageLength, g.movingAverageByDate))
                           : QList<QLineF>{});

  // Axes.
  const AxisLook vertical = MagnitudeAxis(g);
  const AxisLook horizontal = TimeAxis(g, previousXSeparation_);
  previousXSeparation_ = horizontal.separationPercent;
  const double xLow = points1.front().x, xHigh = points1.back().x;
  const std::string dateFormat = DateTimeAxisFormat(g.scale, xHigh - xLow);
  if (dateFormat.empty())
    chart1_->UseValueAxisX();
  else
    chart1_->UseDateTimeAxisX(Q(dateFormat));
  chart1_->SetTitles(QString(), Q(vertical.title));
  chart1_->SetInvertedY(vertical.inverted);
  chart1_->SetLabelLook(Qt::Vertical, vertical.decimals, vertical.separationPercent);
  chart1_->SetLabelLook(Qt::Horizontal, horizontal.decimals, horizontal.separationPercent);
  const Range range = VerticalRange({points1, points2}, g.errorBars, g.margin);
  const double pad = std::max(1e-5, (xHigh - xLow) * 0.02);
  chart1_->SetRanges(xLow - pad, xHigh + pad, range.low, range.high);
  DrawMarks();

  const QString name1 = Q(Variable1Name(session_.run.results, g));
  button18_->setText(QStringLiteral("Guarda datos ") + name1);
  label4_->setText(name1);
  label5_->setText(Q(Variable2Name(session_.run.results, g)));
  label9_->setText(session_.settings.obs.empty()
                       ? QString()
                       : QStringLiteral("Observador: ") + Q(session_.settings.obs));
  label12_->setText(Q(session_.versionText));
  lbComentario1_->setText(Q(g.comment1));
  lbComentario2_->setText(Q(g.comment2));
}

// ---- Point inspection and "Guarda datos" -----------------------------------

void LightCurveWindow::PointClicked(int series, int index) {
  if (panelIn_->isVisible() || AutoBusy() || !data_) return;
  if (series != series1_ && series != series4_) return;
  const int star = series == series1_ ? 1 : 2;
  const GraphSettings& g = session_.graph;
  const std::string name =
      star == 1 ? Variable1Name(session_.run.results, g) : Variable2Name(session_.run.results, g);
  const auto inspection = InspectPoint(session_.curves.curve, g,
                                       FieldPosition(session_.run.results), name, star, index);
  if (!inspection) return;
  const size_t imagesBefore = session_.run.images.size();
  const bool changedBefore = session_.curves.dataChanged;
  data_->ShowPoint(*inspection);
  // A deletion changed the results: everything is recomputed.
  if (session_.curves.dataChanged != changedBefore || session_.run.images.size() != imagesBefore) {
    variables_->RebuildTable();
    RebuildCurve();
  }
  FillPage();
}

void LightCurveWindow::SaveStarData(const QString& name) {
  const auto lines = ReadTextLines(ResultsFilePath(session_));
  if (!lines) {
    Dialogs().Error(QStringLiteral("No se puede leer el archivo ") + Q(ResultsFilePath(session_)));
    return;
  }
  const auto data =
      StarDataFile(*lines, S(name), session_.run.results, session_.curves.curve, session_.graph);
  if (!data.ok()) {
    Dialogs().Error(Q(data.message));
    return;
  }
  const QString path = Dialogs().SaveFile(
      FileChoice{QStringLiteral("Guarda datos"), Q(session_.settings.dirDato), name.trimmed(),
                 QStringLiteral("Archivos de Texto (*.txt)"), QStringLiteral("txt")});
  if (path.isEmpty()) return;
  const Status written = WriteFileAtomic(S(path), JoinLines(data.value));
  if (!written.ok()) Dialogs().Error(Q(written.message));
}

// ---- Trend correction --------------------------------------------------------

void LightCurveWindow::StartMarking() {
  LightCurve& curve = session_.curves.curve;
  curve.TrendSlope = 0;
  curve.TrendIntercept = 0;
  Regroup();
  ClearMarks();
  pages_->setCurrentIndex(0);
  FillMagnitudes();
  label28_->setText(QStringLiteral("Marca punto 1"));
  panelIn_->show();
  chart1_->SetMode(ChartPanel::Mode::kPress);
}

void LightCurveWindow::MarkPressed(QPointF value, QPoint pixel) {
  if (!panelIn_->isVisible()) return;
  Mark& mark = session_.curves.marks[static_cast<size_t>(markState_)];
  mark.pixel = std::max(1, pixel.x());
  mark.value = value.x();
  markState_ = (markState_ + 1) % 4;
  label28_->setText(QStringLiteral("Marca punto %1").arg(markState_ + 1));
  DrawMarks();
}

void LightCurveWindow::DrawMarks() {
  std::vector<ChartMark> marks;
  for (size_t i = 0; i < session_.curves.marks.size(); ++i) {
    const Mark& m = session_.curves.marks[i];
    if (m.set()) marks.push_back(ChartMark{m.value, QString::number(i + 1), QColor(0, 160, 0), 1});
  }
  chart1_->SetMarks(marks);
}

void LightCurveWindow::ClearMarks() {
  session_.curves.marks = {};
  markState_ = 0;
  chart1_->SetMarks({});
}

void LightCurveWindow::Correct() {
  const GraphSettings& g = session_.graph;
  const std::vector<CurvePoint> points =
      StarPoints(session_.curves.curve, g, FieldPosition(session_.run.results), 1);
  const Result<Trend> fit = FitTrend(session_.curves.marks, points);
  if (!fit.ok()) {
    Dialogs().Error(Q(fit.message));
    return;
  }
  session_.curves.curve.TrendSlope = fit.value.slope;
  session_.curves.curve.TrendIntercept = fit.value.intercept;
  EndMarking();
  Regroup();
  FillMagnitudes();
}

void LightCurveWindow::UndoCorrection() {
  session_.curves.curve.TrendSlope = 0;
  session_.curves.curve.TrendIntercept = 0;
  EndMarking();
  Regroup();
  FillMagnitudes();
}

void LightCurveWindow::EndMarking() {
  ClearMarks();
  panelIn_->hide();
  chart1_->SetMode(ChartPanel::Mode::kZoom);
}

// ---- AUTO ------------------------------------------------------------------

void LightCurveWindow::SetAutoAvailable(bool available) {
  bAuto_->setVisible(available);
  if (!available) StopAuto(true);
}

void LightCurveWindow::StopAuto(bool hideButton) {
  autoOn_ = false;
  timerAuto_->stop();
  bAuto_->setText(kActivateAuto);
  if (hideButton) bAuto_->hide();
  if (!AutoBusy()) lbAuto_->clear();
}

void LightCurveWindow::ToggleAuto() {
  if (autoOn_) {
    StopAuto(false);
    // A scan or run under way finishes; nothing new starts after it.
    return;
  }
  autoOn_ = true;
  bAuto_->setText(kCancelAuto);
  lbAuto_->setText(QStringLiteral("AUTO: esperando imágenes..."));
  if (!AutoBusy()) timerAuto_->start();
}

void LightCurveWindow::RearmAuto() {
  if (autoOn_) timerAuto_->start();
}

void LightCurveWindow::AutoTick() {
  if (!autoOn_ || AutoBusy()) return;
  const AutoScanJob job = MakeAutoScanJob(session_.run.lastImage, MeasuredPaths(session_.run),
                                          session_.settings, autoMemory_);
  autoJob_.Start(
      this, [job](std::stop_token stop) { return ScanForNewImages(job, stop); },
      [this](AutoScanOutcome outcome) { AutoScanned(std::move(outcome)); });
}

void LightCurveWindow::AutoScanned(AutoScanOutcome outcome) {
  autoMemory_ = std::move(outcome.memory);
  if (!autoOn_) return;
  if (outcome.images.empty()) {
    lbAuto_->setText(
        outcome.waiting.empty()
            ? QStringLiteral("AUTO: esperando imágenes...")
            : QStringLiteral("AUTO: %1 imagen(es) aún incompleta(s)").arg(outcome.waiting.size()));
    RearmAuto();
    return;
  }
  // The new images are measured as a following series of the same stars.
  session_.run.firstSeries = false;
  session_.run.images = std::move(outcome.images);
  RunJob job = MakeRunJob(session_);
  const int sensitivity = 1;
  autoRunning_ = true;
  SetBusy(true);
  autoProgressTimer_.start();
  Progress progress = autoProgress_.Callback();
  autoJob_.Start(
      this,
      [job = std::move(job), sensitivity, progress](std::stop_token stop) mutable {
        return ProcessImages(std::move(job), sensitivity, stop, progress);
      },
      [this](Result<RunResult> outcome) { AutoMeasured(std::move(outcome)); });
}

void LightCurveWindow::AutoMeasured(Result<RunResult> outcome) {
  autoRunning_ = false;
  autoProgressTimer_.stop();
  SetBusy(false);
  if (!outcome.ok()) {
    if (!outcome.Interrupted()) Dialogs().Error(Q(outcome.message));
    StopAuto(!outcome.Interrupted());
    return;
  }
  const Status stopped = outcome.value.stopped;
  ApplyRun(session_.run, std::move(outcome.value));
  lbAuto_->setText(QStringLiteral("AUTO: ") + Q(session_.run.lastImage.FileName()));
  if (!stopped.ok()) {
    // A run that stops on an image switches AUTO off; its rows are kept.
    StopAuto(true);
    Dialogs().Error(Q(stopped.message));
  }
  pages_->setCurrentIndex(0);
  Activate();
  RearmAuto();
}

void LightCurveWindow::SetBusy(bool busy) {
  // While a run writes the results, nothing may edit them.
  for (QWidget* w : std::initializer_list<QWidget*>{bConfiguracion_, bInclinacion_, button18_,
                                                    report_, variables_, conditions_})
    w->setEnabled(!busy);
}

// ---- Closing -----------------------------------------------------------------

void LightCurveWindow::done(int result) {
  // Every way out (the close box, Escape) ends here.
  StopAuto(false);
  session_.curves.curve.TrendSlope = 0;
  session_.curves.curve.TrendIntercept = 0;
  EndMarking();
  Settings& s = session_.settings;
  s.fGraL = geometry().x();
  s.fGraT = geometry().y();
  s.fGraW = geometry().width();
  s.fGraH = geometry().height();
  GraphSettings& g = session_.graph;
  g.windowLeft = s.fGraL;
  g.windowTop = s.fGraT;
  g.windowWidth = s.fGraW;
  g.windowHeight = s.fGraH;
  QDialog::done(result);
}

void LightCurveWindow::wheelEvent(QWheelEvent* event) {
  if (pages_->currentWidget() == variables_) {
    variables_->Scroll(event->angleDelta().y() > 0 ? -1 : 1);
    event->accept();
    return;
  }
  QDialog::wheelEvent(event);
}

}  // namespace lumenda::ui
