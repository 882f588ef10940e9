#include "windows/conditions_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "curves/chart_axes.h"
#include "curves/chart_series.h"
#include "curves/light_curve.h"
#include "platform/text.h"
#include "widgets/gif_picture.h"
#include "windows/graph_settings_window.h"

namespace lumenda::ui {
namespace {

QList<QPointF> PointsOf(const std::vector<double>& x, const std::vector<double>& y) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(x.size()));
  for (size_t i = 0; i < x.size() && i < y.size(); ++i) points.append(QPointF(x[i], y[i]));
  return points;
}

}  // namespace

ConditionsPage::ConditionsPage(Session& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("TabSheet2"));
  picture_ = new QWidget(this);
  picture_->setObjectName(QStringLiteral("pnCondiciones"));
  auto* grid = new QGridLayout(picture_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(2);
  static const char* const kNames[] = {"chAirmass", "chTransparencia", "chFWHM", "chFondo",
                                       "chDeriva"};
  static const char* const kTitles[] = {"Airmass", "Transparencia", "FWHM", "Fondo",
                                        "Deriva X / Y"};
  for (int i = 0; i < 5; ++i) {
    auto* chart = new ChartPanel(picture_);
    chart->setObjectName(QString::fromLatin1(kNames[i]));
    chart->setAccessibleName(QString::fromUtf8(kTitles[i]));
    chart->chart()->setTitle(QString::fromUtf8(kTitles[i]));
    chart->AddLine(QString::fromUtf8(kTitles[i]), Qt::red, 2);
    if (i == 4) chart->AddLine(QStringLiteral("Deriva Y"), QColor(0, 0, 128), 2);
    charts_[static_cast<size_t>(i)] = chart;
    grid->addWidget(chart, i / 2, i % 2, 1, i == 4 ? 2 : 1);  // the drift chart is wide
  }
  lbEscala_ = new QLabel(picture_);
  lbEscala_->setObjectName(QStringLiteral("lbEscala"));
  lbEscala_->setAlignment(Qt::AlignCenter);
  grid->addWidget(lbEscala_, 3, 0, 1, 2);

  shpLinea1_ = new ColourShape(QStringLiteral("Color de la línea 1"), this);
  shpLinea1_->setObjectName(QStringLiteral("shpLinea1"));
  shpLinea2_ = new ColourShape(QStringLiteral("Color de la línea 2"), this);
  shpLinea2_->setObjectName(QStringLiteral("shpLinea2"));
  shpFondo_ = new ColourShape(QStringLiteral("Color de fondo"), this);
  shpFondo_->setObjectName(QStringLiteral("shpFondo"));
  upGrosor_ = new QSpinBox(this);
  upGrosor_->setObjectName(QStringLiteral("upGrosor"));
  upGrosor_->setRange(1, 8);
  upGrosor_->setAccessibleName(QStringLiteral("Grosor de línea"));
  auto* defaults = new QPushButton(QStringLiteral("Por defecto"), this);
  defaults->setObjectName(QStringLiteral("bPorDefecto"));
  auto* save = new QPushButton(QStringLiteral("Guardar como..."), this);
  save->setObjectName(QStringLiteral("Button9"));
  auto* undoZoom = new QPushButton(QStringLiteral("Deshacer zoom"), this);
  undoZoom->setObjectName(QStringLiteral("bDeshacerZoom2"));
  undoZoom->hide();

  auto* controls = new QHBoxLayout();
  auto label = [this](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  controls->addWidget(label(QStringLiteral("Línea:"), shpLinea1_));
  controls->addWidget(shpLinea1_);
  controls->addWidget(shpLinea2_);
  controls->addSpacing(12);
  controls->addWidget(label(QStringLiteral("Fondo:"), shpFondo_));
  controls->addWidget(shpFondo_);
  controls->addSpacing(12);
  controls->addWidget(label(QStringLiteral("Grosor:"), upGrosor_));
  controls->addWidget(upGrosor_);
  controls->addWidget(defaults);
  controls->addStretch(1);
  controls->addWidget(undoZoom);
  controls->addWidget(save);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picture_, 1);
  layout->addLayout(controls);

  GraphSettings& g = session_.graph;
  const std::pair<ColourShape*, int GraphSettings::*> shapes[] = {
      {shpLinea1_, &GraphSettings::conditionsLineColour},
      {shpLinea2_, &GraphSettings::conditionsLine2Colour},
      {shpFondo_, &GraphSettings::conditionsBackground}};
  for (const auto& [shape, member] : shapes)
    connect(shape, &ColourShape::clicked, this, [this, member, &g] {
      if (PickStoredColour(session_.settings, g.*member)) ShowLook();
    });
  connect(upGrosor_, &QSpinBox::valueChanged, this, [this, &g](int width) {
    g.conditionsLineWidth = width;
    ShowLook();
  });
  connect(defaults, &QPushButton::clicked, this, [this, &g] {
    RestoreConditionsLook(g);
    ShowLook();
  });
  connect(save, &QPushButton::clicked, this, [this] { SavePictureAs(*picture_); });
  // "Deshacer zoom" shows while any chart is zoomed and undoes them all.
  for (ChartPanel* chart : charts_)
    connect(chart, &ChartPanel::zoomChanged, undoZoom, [this, undoZoom] {
      undoZoom->setVisible(
          std::any_of(charts_.begin(), charts_.end(), [](ChartPanel* c) { return c->Zoomed(); }));
    });
  connect(undoZoom, &QPushButton::clicked, this, [this] {
    for (ChartPanel* chart : charts_) chart->UndoZoom();
  });
  ShowLook();
}

void ConditionsPage::ShowLook() {
  const GraphSettings& g = session_.graph;
  shpLinea1_->SetColour(ColourOfStored(g.conditionsLineColour));
  shpLinea2_->SetColour(ColourOfStored(g.conditionsLine2Colour));
  shpFondo_->SetColour(ColourOfStored(g.conditionsBackground));
  upGrosor_->blockSignals(true);
  upGrosor_->setValue(g.conditionsLineWidth);
  upGrosor_->blockSignals(false);
  for (size_t i = 0; i < charts_.size(); ++i) {
    ChartPanel* chart = charts_[i];
    chart->SetBackground(ColourOfStored(g.conditionsBackground));
    chart->SetSeriesColour(0, ColourOfStored(g.conditionsLineColour));
    chart->SetSeriesPen(0, g.conditionsLineWidth);
    if (i == 4) {
      chart->SetSeriesColour(1, ColourOfStored(g.conditionsLine2Colour));
      chart->SetSeriesPen(1, g.conditionsLineWidth);
    }
  }
}

void ConditionsPage::Fill(const QString& timeCaption) {
  const LightCurve& curve = session_.curves.curve;
  const GraphSettings& g = session_.graph;
  const ConditionsSeries c = Conditions(curve, g, FieldPosition(session_.run.results));
  if (c.x.empty()) return;
  lbEscala_->setText(timeCaption);
  const auto [xLow, xHigh] = std::minmax_element(c.x.begin(), c.x.end());
  const double pad = std::max(1e-6, (*xHigh - *xLow) * 0.02);
  const std::string format = DateTimeAxisFormat(g.scale, *xHigh - *xLow);
  const AxisLook time = TimeAxis(g, 40);
  const std::vector<double>* values[] = {&c.airMass, &c.transparency, &c.fwhm, &c.background};
  for (size_t i = 0; i < charts_.size(); ++i) {
    ChartPanel* chart = charts_[i];
    if (format.empty())
      chart->UseValueAxisX();
    else
      chart->UseDateTimeAxisX(Q(format));
    chart->SetLabelLook(Qt::Horizontal, time.decimals, time.separationPercent);
    chart->SetLabelLook(Qt::Vertical, 2, 60);
    Range range;
    if (i < 4) {
      chart->SetPoints(0, PointsOf(c.x, *values[i]));
      range = ConditionsRange(*values[i]);
    } else {
      chart->SetPoints(0, PointsOf(c.x, c.driftX));
      chart->SetPoints(1, PointsOf(c.x, c.driftY));
      std::vector<double> both = c.driftX;
      both.insert(both.end(), c.driftY.begin(), c.driftY.end());
      range = ConditionsRange(both);
    }
    chart->SetRanges(*xLow - pad, *xHigh + pad, range.low, range.high);
  }
  ShowLook();
}

}  // namespace lumenda::ui
