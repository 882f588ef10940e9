#include "windows/variables_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "curves/light_curve.h"
#include "curves/variable_display.h"
#include "period/phase_diagram.h"
#include "platform/text.h"
#include "run/variable_search.h"
#include "widgets/gif_picture.h"

namespace lumenda::ui {
namespace {

QColor CurveColour(int column) {
  const Rgb c = SeriesColour(column);
  return QColor(c.r, c.g, c.b);
}

constexpr int kPointSize = 1;         // points of 3 x 3
constexpr int kClickedPointSize = 3;  // emphasised

}  // namespace

VariablesPage::VariablesPage(Session& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("TabSheet5"));
  picture_ = new QWidget(this);
  picture_->setObjectName(QStringLiteral("pnVariables"));
  chart6_ = new ChartPanel(picture_);
  chart6_->setObjectName(QStringLiteral("Chart6"));
  chart6_->setAccessibleName(QStringLiteral("Curvas instrumentales"));
  chart6_->SetTitles(QString(), QStringLiteral("Magnitud instrumental"));
  chart6_->SetInvertedY(true);
  chart6_->SetLabelLook(Qt::Vertical, 2, 20);
  auto* pictureLayout = new QVBoxLayout(picture_);
  pictureLayout->setContentsMargins(0, 0, 0, 0);
  pictureLayout->addWidget(chart6_);

  auto named = [](auto* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
  };
  cbGrupos_ = named(new QCheckBox(QStringLiteral("Visualizar por grupos"), this), "cbGrupos");
  cbGrupos_->setChecked(true);
  cbVariables_ =
      named(new QCheckBox(QStringLiteral("Sólo posibles variables"), this), "cbVariables");
  cbCant_ = named(new QComboBox(this), "cbCant");
  cbCant_->addItems({QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("10"),
                     QStringLiteral("15"), QStringLiteral("25")});
  cbCant_->setCurrentIndex(1);
  cbAltura_ = named(new QComboBox(this), "cbAltura");
  cbAltura_->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                       QStringLiteral("4"), QStringLiteral("5")});
  cbAltura_->setCurrentIndex(2);
  cbFiltroVari_ = named(new QComboBox(this), "cbFiltroVari");
  cbFiltroVari_->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
  rbRegular_ = named(new QRadioButton(QStringLiteral("Espaciado regular"), this), "rbRegular");
  rbFecha_ = named(new QRadioButton(QStringLiteral("Por tiempo"), this), "rbFecha");
  rbRegular_->setChecked(true);
  auto* zoomIn = named(new QPushButton(QStringLiteral("+"), this), "bZoomMas");
  auto* zoomOut = named(new QPushButton(QStringLiteral("-"), this), "bZoomMenos");
  zoomIn->setAccessibleName(QStringLiteral("Ampliar"));
  zoomOut->setAccessibleName(QStringLiteral("Reducir"));
  bGrupoMenos_ = named(new QPushButton(QStringLiteral("-"), this), "bGrupoMenos");
  bGrupoMas_ = named(new QPushButton(QStringLiteral("+"), this), "bGrupoMas");
  bGrupoMenos_->setAccessibleName(QStringLiteral("Grupo anterior"));
  bGrupoMas_->setAccessibleName(QStringLiteral("Grupo siguiente"));
  for (QPushButton* b : {zoomIn, zoomOut, bGrupoMenos_, bGrupoMas_}) b->setFixedWidth(32);
  bDeshacer_ = named(new QPushButton(QStringLiteral("Deshacer"), this), "bDeshacerZoom6");
  auto* save = named(new QPushButton(QStringLiteral("Guardar como..."), this), "bGuardarComo6");
  button10_ = named(new QPushButton(this), "Button10");
  button10_->hide();
  label26_ = named(new QLabel(this), "Label26");
  lbNombre_ = named(new QLabel(this), "lbNombreVS");
  QFont bold = lbNombre_->font();
  bold.setBold(true);
  lbNombre_->setFont(bold);
  lbPromedio_ = named(new QLabel(this), "lbPromedio");
  lbDesv_ = named(new QLabel(this), "lbDesv");
  lbAltura_ = named(new QLabel(this), "lbAlturaVS");
  lbRatio_ = named(new QLabel(this), "lbRatio");
  lbVeredicto_ = named(new QLabel(this), "lbVeredicto");
  lbVeredicto_->setFont(bold);
  lbVeredicto_->setStyleSheet(QStringLiteral("color: red"));

  auto label = [this](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  auto* side = new QGridLayout();
  int r = 0;
  side->addWidget(cbGrupos_, r++, 0, 1, 3);
  side->addWidget(label(QStringLiteral("Cantidad:"), cbCant_), r, 0);
  side->addWidget(cbCant_, r++, 1, 1, 2);
  side->addWidget(label(QStringLiteral("Altura:"), cbAltura_), r, 0);
  side->addWidget(cbAltura_, r++, 1, 1, 2);
  side->addWidget(new QLabel(QStringLiteral("Grupo:"), this), r, 0);
  side->addWidget(bGrupoMenos_, r, 1);
  side->addWidget(bGrupoMas_, r++, 2);
  side->addWidget(label26_, r++, 0, 1, 3);
  side->addWidget(new QLabel(QStringLiteral("Eje X:"), this), r++, 0, 1, 3);
  side->addWidget(rbRegular_, r++, 0, 1, 3);
  side->addWidget(rbFecha_, r++, 0, 1, 3);
  side->addWidget(cbVariables_, r++, 0, 1, 3);
  side->addWidget(label(QStringLiteral("Sensibilidad:"), cbFiltroVari_), r, 0);
  side->addWidget(cbFiltroVari_, r++, 1, 1, 2);
  side->addWidget(new QLabel(QStringLiteral("Zoom:"), this), r, 0);
  side->addWidget(zoomIn, r, 1);
  side->addWidget(zoomOut, r++, 2);
  side->addWidget(bDeshacer_, r++, 0, 1, 3);
  side->addItem(new QSpacerItem(1, 10), r++, 0);
  for (QLabel* l : {lbNombre_, lbPromedio_, lbDesv_, lbAltura_, lbRatio_, lbVeredicto_})
    side->addWidget(l, r++, 0, 1, 3);
  side->setRowStretch(r++, 1);
  side->addWidget(button10_, r++, 0, 1, 3);
  side->addWidget(save, r++, 0, 1, 3);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(picture_, 1);
  layout->addLayout(side);

  auto redraw = [this] { Fill(); };
  connect(cbCant_, &QComboBox::currentIndexChanged, this, redraw);
  connect(cbAltura_, &QComboBox::currentIndexChanged, this, redraw);
  connect(rbRegular_, &QRadioButton::toggled, this, redraw);
  connect(cbGrupos_, &QCheckBox::toggled, this, [this](bool on) {
    groupStart_ = 0;
    bGrupoMenos_->setEnabled(on);
    bGrupoMas_->setEnabled(on);
    cbCant_->setEnabled(on);
    cbAltura_->setEnabled(on);
    Fill();
  });
  connect(cbVariables_, &QCheckBox::toggled, this, [this] {
    RebuildTable();
    Fill();
  });
  connect(cbFiltroVari_, &QComboBox::currentIndexChanged, this, [this] {
    if (!cbVariables_->isChecked()) return;
    RebuildTable();
    Fill();
  });
  auto step = [this](int direction) {
    groupStart_ = StepGroupStart(groupStart_, cbCant_->currentText().toInt(), direction);
    Fill();
  };
  connect(bGrupoMenos_, &QPushButton::clicked, this, [step] { step(-1); });
  connect(bGrupoMas_, &QPushButton::clicked, this, [step] { step(+1); });
  connect(zoomIn, &QPushButton::clicked, this, [this] { chart6_->ZoomPercent(111); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { chart6_->ZoomPercent(90); });
  connect(bDeshacer_, &QPushButton::clicked, this, [this] { chart6_->UndoZoom(); });
  connect(save, &QPushButton::clicked, this, [this] { SavePictureAs(*picture_); });
  connect(chart6_, &ChartPanel::pointClicked, this,
          [this](int series, int) { CurveClicked(series); });
  connect(button10_, &QPushButton::clicked, this, [this] {
    if (clicked_ >= 0) emit saveStarData(Q(names_[static_cast<size_t>(clicked_)]));
  });
}

void VariablesPage::RebuildTable() {
  groupStart_ = 0;
  ResultsTables& tables = session_.run.results;
  if (!cbVariables_->isChecked()) {
    search_.Drop();
    RebuildGraphInstrumental(tables, session_.curves.graphInstrumental, false, 0);
    return;
  }
  using Searched = std::pair<std::vector<std::string>, std::vector<std::string>>;
  search_.Start(
      this,
      [table = tables.tInstrumental,
       sensitivity = cbFiltroVari_->currentIndex() + 1](std::stop_token stop) mutable {
        // Stopped when a later search or the page going away supersedes it: then
        // nothing is handed back.
        std::vector<std::string> possible = SearchVariables(table, sensitivity, stop).value;
        return Searched(std::move(table), std::move(possible));
      },
      [this](Searched searched) {
        ResultsTables& now = session_.run.results;
        // The results changed meanwhile (a deletion, a rename, AUTO): once more.
        if (searched.first != now.tInstrumental) {
          RebuildTable();
          return;
        }
        now.tPosiblesVariables = std::move(searched.second);
        session_.curves.graphInstrumental = now.tPosiblesVariables;
        if (isVisible()) Fill();
      });
}

void VariablesPage::ClearStatistics() {
  for (QLabel* l : {lbNombre_, lbPromedio_, lbDesv_, lbAltura_, lbRatio_, lbVeredicto_}) l->clear();
}

void VariablesPage::Fill() {
  ClearStatistics();
  button10_->hide();
  clicked_ = -1;
  chart6_->RemoveAllSeries();
  names_.clear();
  values_.clear();
  if (Searching()) {
    label26_->setText(QStringLiteral("Buscando variables..."));
    return;
  }
  const auto& table = session_.curves.graphInstrumental;
  const bool groups = cbGrupos_->isChecked();
  StarGroup shown;
  const std::vector<StarCurve> curves = VariableCurves(
      table, groups, groupStart_, cbCant_->currentText().toInt(), cbAltura_->currentText().toInt(),
      rbFecha_->isChecked(), FieldPosition(session_.run.results), &shown);
  if (groups) groupStart_ = shown.start;
  label26_->setText(
      Q(GroupLabel(groups, shown, GraphStarCount(table), static_cast<int>(curves.size()))));
  double xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;
  bool any = false;
  for (const StarCurve& c : curves) {
    const int s = chart6_->AddLine(Q(c.name), CurveColour(c.column), 2, Qt::SolidLine, true);
    chart6_->SetSeriesSize(s, kPointSize, PointShape::kRectangle);
    QList<QPointF> points;
    for (size_t i = 0; i < c.x.size(); ++i) {
      points.append(QPointF(c.x[i], c.y[i]));
      if (!any) xLow = xHigh = c.x[i], yLow = yHigh = c.y[i], any = true;
      xLow = std::min(xLow, c.x[i]);
      xHigh = std::max(xHigh, c.x[i]);
      yLow = std::min(yLow, c.y[i]);
      yHigh = std::max(yHigh, c.y[i]);
    }
    chart6_->SetPoints(s, points);
    names_.push_back(c.name);
    values_.push_back(c.y);
  }
  const double padY = std::max(0.01, (yHigh - yLow) * 0.05);
  chart6_->SetLabelLook(Qt::Horizontal, rbFecha_->isChecked() ? 3 : 0, 60);
  chart6_->SetRanges(xLow, std::max(xHigh, xLow + 1e-6), yLow - padY, yHigh + padY);
}

void VariablesPage::CurveClicked(int series) {
  if (clicked_ >= 0) {
    chart6_->SetSeriesPen(clicked_, 2);
    chart6_->SetSeriesSize(clicked_, kPointSize, PointShape::kRectangle);
  }
  ClearStatistics();
  clicked_ = series;
  chart6_->SetSeriesPen(series, 3);
  chart6_->SetSeriesSize(series, kClickedPointSize, PointShape::kRectangle);
  const std::string& name = names_[static_cast<size_t>(series)];
  lbNombre_->setText(Q(name));
  button10_->setText(QStringLiteral("Guarda datos ") + Q(name).left(12));
  button10_->show();
  const CurveStatistics stats =
      CurveStats(values_[static_cast<size_t>(series)], cbFiltroVari_->currentIndex() + 1);
  lbPromedio_->setText(Q(stats.mean));
  lbDesv_->setText(Q(stats.sd));
  lbAltura_->setText(Q(stats.height));
  lbRatio_->setText(Q(stats.ratio));
  QFont font = lbRatio_->font();
  font.setBold(stats.possibleVariable);
  lbRatio_->setFont(font);
  lbRatio_->setStyleSheet(stats.possibleVariable ? QStringLiteral("color: red")
                                                 : QStringLiteral("color: black"));
  lbVeredicto_->setText(Q(stats.flag));
}

void VariablesPage::Scroll(int direction) {
  chart6_->ScrollX(direction / 30.0);
}

void VariablesPage::wheelEvent(QWheelEvent* event) {
  Scroll(event->angleDelta().y() > 0 ? -1 : 1);
  event->accept();
}

}  // namespace lumenda::ui
