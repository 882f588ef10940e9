#include "windows/period_chart.h"

#include <QGraphicsItem>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>
#include <cmath>

#include "platform/text.h"

namespace lumenda::ui {

namespace {

QColor ColourOf(const Rgb& rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

}  // namespace

// The observations: circles in the colour of their series, stamped from one
// small picture per colour, clipped to the plot.
class PointCloud : public QGraphicsItem {
 public:
  static constexpr double kMarker = 7;

  explicit PointCloud(ChartPanel* panel) : QGraphicsItem(panel->chart()), panel_(panel) {
    for (const Rgb& rgb : SeriesColours) {
      QPixmap marker(static_cast<int>(kMarker), static_cast<int>(kMarker));
      marker.fill(Qt::transparent);
      QPainter painter(&marker);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(QPen(ColourOf(rgb).darker(140), 1));
      painter.setBrush(ColourOf(rgb));
      painter.drawEllipse(QRectF(0.5, 0.5, kMarker - 1, kMarker - 1));
      markers_.push_back(marker);
    }
    setZValue(50);
  }

  void SetPoints(const std::vector<PlotPoint>& points) {
    points_ = points;
    Refresh();
  }
  void Refresh() {
    prepareGeometryChange();
    update();
  }

  // The pixel of a value in the chart's coordinates.
  QPointF Position(double x, double y) const {
    const QRectF plot = panel_->chart()->plotArea();
    const double fx = (x - panel_->XMin()) / (panel_->XMax() - panel_->XMin());
    double fy = (y - panel_->YMin()) / (panel_->YMax() - panel_->YMin());
    if (!panel_->AxisY()->isReverse()) fy = 1 - fy;
    return {plot.left() + fx * plot.width(), plot.top() + fy * plot.height()};
  }

  QRectF boundingRect() const override { return panel_->chart()->plotArea(); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    if (points_.empty() || !(panel_->XMax() > panel_->XMin()) ||
        !(panel_->YMax() > panel_->YMin())) {
      return;
    }
    painter->save();
    painter->setClipRect(panel_->chart()->plotArea());
    const double half = kMarker / 2;
    for (const PlotPoint& p : points_) {
      const QPointF at = Position(p.x, p.y);
      painter->drawPixmap(QPointF(at.x() - half, at.y() - half),
                          markers_[static_cast<size_t>(((p.series % 20) + 20) % 20)]);
    }
    painter->restore();
  }

 private:
  ChartPanel* panel_;
  std::vector<QPixmap> markers_;
  std::vector<PlotPoint> points_;
};

PeriodChart::PeriodChart(QWidget* parent) : ChartPanel(parent) {
  setObjectName(QStringLiteral("Chart1"));
  setAccessibleName(QStringLiteral("Gráfico"));
  setFocusPolicy(Qt::StrongFocus);
  series1_ = new PointCloud(this);
  connect(chart(), &QChart::plotAreaChanged, this, [this] { series1_->Refresh(); });
  connect(AxisY(), &QValueAxis::rangeChanged, this, [this] { series1_->Refresh(); });
  if (auto* x = qobject_cast<QValueAxis*>(AxisX())) {
    connect(x, &QValueAxis::rangeChanged, this, [this] { series1_->Refresh(); });
  }
  series2_ = AddLine(QStringLiteral("Series2"), Qt::red, 2, Qt::SolidLine, true);
  SetSeriesSize(series2_, 1, PointShape::kCircle);
  series3_ = AddLine(QStringLiteral("Series3"), Qt::red, 2);
  connect(this, &ChartPanel::pressedAt, this,
          [this](QPointF value, QPoint pixel) { emit pictureClicked(pixel, value.x()); });
  connect(this, &ChartPanel::pointClicked, this, [this](int series, int index) {
    if (periodogramShown_ && series == series2_) emit trialClicked(static_cast<size_t>(index));
  });
  ApplyAxes();
}

PeriodChart::~PeriodChart() = default;

void PeriodChart::ShowPicture(const PhasePicture& picture, bool phaseView) {
  periodogramShown_ = false;
  phaseView_ = phaseView;
  points_ = picture.points;
  series1_->SetPoints(points_);
  SetPoints(series2_, {});
  QList<QPointF> mean;
  for (const MeanPoint& m : picture.mean) mean.append(QPointF(m.x, m.y));
  SetPoints(series3_, mean);
  chart()->setTitle(Q(picture.title));
  SetInvertedY(true);
  horizontalIncrement_ = 0.1;
  ApplyAxes();
  SetRanges(picture.range.xMin, picture.range.xMax, picture.range.yMin, picture.range.yMax);
  SetMode(clicksToWindow_ ? Mode::kPress : Mode::kZoom);
  ShowMarks(marks_);
  setCursor(Qt::ArrowCursor);
}

void PeriodChart::ShowPeriodogram(const Periodogram& periodogram) {
  periodogramShown_ = true;
  phaseView_ = false;
  points_.clear();
  series1_->SetPoints(points_);
  SetPoints(series3_, {});
  periodogram_ = periodogram;
  QList<QPointF> line;
  line.reserve(static_cast<qsizetype>(periodogram.size()));
  for (const PeriodogramPoint& p : periodogram) line.append(QPointF(p.Period, p.Dispersion));
  SetPoints(series2_, line);
  chart()->setTitle(QString());
  SetInvertedY(false);
  const ChartRange range = PeriodogramRange(periodogram);
  SetRanges(range.xMin, range.xMax, range.yMin, range.yMax);
  SetMode(Mode::kZoom);
  ShowMarks(marks_);
  setCursor(Qt::CrossCursor);
}

void PeriodChart::Clear() {
  points_.clear();
  periodogram_.clear();
  periodogramShown_ = false;
  series1_->SetPoints(points_);
  ClearData();
  chart()->setTitle(QString());
  ShowMarks(marks_);
}

void PeriodChart::ShowMarks(bool on) {
  marks_ = on;
  std::vector<ChartMark> marks;
  if (on && phaseView_ && !periodogramShown_) {
    for (double phase : {0.0, 1.0})
      marks.push_back({phase, QString(), QColor(0x00, 0x00, 0x80), 3});
  }
  SetMarks(marks);
}

void PeriodChart::SetAxisSettings(const AxisSettings& settings) {
  axes_ = settings;
  horizontalIncrement_ = HorizontalIncrement(settings.horizontalDecimals);
  ApplyAxes();
}

void PeriodChart::ApplyAxes() {
  SetLabelLook(Qt::Vertical, AxisDecimalPlaces(axes_.verticalDecimals),
               LabelSeparation(axes_.verticalSeparation));
  SetLabelLook(Qt::Horizontal, AxisDecimalPlaces(axes_.horizontalDecimals),
               LabelSeparation(axes_.horizontalSeparation));
  SetLabelIncrement(Qt::Horizontal, horizontalIncrement_);
  // No two labels alike: a step of at least the last decimal shown.
  SetLabelIncrement(Qt::Vertical, std::pow(10.0, -AxisDecimalPlaces(axes_.verticalDecimals)));
}

void PeriodChart::SetClicksToWindow(bool on) {
  clicksToWindow_ = on;
  if (!periodogramShown_) SetMode(on ? Mode::kPress : Mode::kZoom);
}

int PeriodChart::PlotWidth() const {
  return static_cast<int>(std::lround(chart()->plotArea().width()));
}

std::optional<size_t> PeriodChart::PlotPointNear(const QPoint& pixel) const {
  const QPointF target = chart()->mapFromScene(mapToScene(pixel));
  std::optional<size_t> best;
  double bestDistance = PointCloud::kMarker;
  for (size_t i = 0; i < points_.size(); ++i) {
    const QPointF at = series1_->Position(points_[i].x, points_[i].y);
    const double d = std::hypot(at.x() - target.x(), at.y() - target.y());
    if (d <= bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

void PeriodChart::mousePressEvent(QMouseEvent* event) {
  setFocus();
  if (event->button() == Qt::RightButton && periodogramShown_) {
    // The trials within a twentieth of the period under the pointer.
    if (const std::optional<QPointF> at = ValueAt(event->position().toPoint())) {
      const ChartRange range = PeriodogramRangeAround(periodogram_, at->x());
      ZoomToPixels(
          QRect(PixelOf(QPointF(range.xMin, range.yMax)), PixelOf(QPointF(range.xMax, range.yMin)))
              .normalized()
              .adjusted(-1, -1, 1, 1));
    }
    return;
  }
  ChartPanel::mousePressEvent(event);
}

void PeriodChart::mouseMoveEvent(QMouseEvent* event) {
  ChartPanel::mouseMoveEvent(event);
  const std::optional<QPointF> at = ValueAt(event->position().toPoint());
  emit readout(at ? at->x() : 0, at.has_value());
}

void PeriodChart::leaveEvent(QEvent* event) {
  emit readout(0, false);
  ChartPanel::leaveEvent(event);
}

}  // namespace lumenda::ui
