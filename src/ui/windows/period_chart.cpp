#include "windows/period_chart.h"

#include <QFontMetrics>
#include <QGraphicsItem>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

#include "astro/chart_axis.h"
#include "platform/text.h"

namespace lumenda::ui {

namespace {

QColor ColourOf(const Rgb& rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

// An axis needs some extent to be drawn at all.
std::pair<double, double> Extent(double lo, double hi) {
  if (hi > lo) return {lo, hi};
  const double pad = lo == 0 ? 1 : std::abs(lo) / 100;
  return {lo - pad, hi + pad};
}

constexpr double kPickPixels = 6;

}  // namespace

// The observations: circles of 3 pixels in the colour of their series,
// painted from one marker picture per colour.
class PointCloud : public QGraphicsItem {
 public:
  PointCloud(QChart* chart, QValueAxis* x, QValueAxis* y)
      : QGraphicsItem(chart), chart_(chart), x_(x), y_(y) {
    for (const Rgb& rgb : SeriesColours) {
      QPixmap marker(7, 7);
      marker.fill(Qt::transparent);
      QPainter painter(&marker);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(Qt::NoPen);
      painter.setBrush(ColourOf(rgb));
      painter.drawEllipse(QRectF(0.5, 0.5, 6, 6));
      markers_.push_back(marker);
    }
    setZValue(5);
  }

  void SetPoints(const std::vector<PlotPoint>& points) {
    values_.clear();
    colours_.clear();
    values_.reserve(points.size());
    colours_.reserve(points.size());
    for (const PlotPoint& p : points) {
      values_.emplace_back(p.x, p.y);
      colours_.push_back(static_cast<uint8_t>(((p.series % 20) + 20) % 20));
    }
    Changed();
  }
  // The plot area or the axes moved.
  void Changed() {
    prepareGeometryChange();
    update();
  }

  QRectF boundingRect() const override { return chart_->plotArea(); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF plot = chart_->plotArea();
    const double xSpan = x_->max() - x_->min();
    const double ySpan = y_->max() - y_->min();
    if (values_.empty() || !(xSpan > 0) || !(ySpan > 0)) return;
    painter->setClipRect(plot);
    const double sx = plot.width() / xSpan;
    const double sy = plot.height() / ySpan;
    const bool reverse = y_->isReverse();
    for (size_t i = 0; i < values_.size(); ++i) {
      const double px = plot.left() + (values_[i].x() - x_->min()) * sx;
      const double fy = (values_[i].y() - y_->min()) * sy;
      const double py = reverse ? plot.top() + fy : plot.bottom() - fy;
      painter->drawPixmap(QPointF(px - 3.5, py - 3.5), markers_[colours_[i]]);
    }
  }

 private:
  QChart* chart_;
  QValueAxis* x_;
  QValueAxis* y_;
  std::vector<QPixmap> markers_;
  std::vector<QPointF> values_;
  std::vector<uint8_t> colours_;
};

PeriodChart::PeriodChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("Chart1"));
  setAccessibleName(QStringLiteral("Gráfico"));
  chart_ = new QChart;
  chart_->legend()->hide();
  // Room under the axis for the observer and the version.
  chart_->setMargins(QMargins(6, 6, 6, 22));
  chart_->setBackgroundRoundness(0);
  setChart(chart_);
  setRenderHint(QPainter::Antialiasing, false);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  axisX_ = new QValueAxis(chart_);
  axisY_ = new QValueAxis(chart_);
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);

  auto attach = [this](QXYSeries* series) {
    chart_->addSeries(series);
    series->attachAxis(axisX_);
    series->attachAxis(axisY_);
  };
  series1_ = new PointCloud(chart_, axisX_, axisY_);
  connect(chart_, &QChart::plotAreaChanged, this, [this] { series1_->Changed(); });
  connect(axisX_, &QValueAxis::rangeChanged, this, [this] { series1_->Changed(); });
  connect(axisY_, &QValueAxis::rangeChanged, this, [this] { series1_->Changed(); });
  connect(axisY_, &QValueAxis::reverseChanged, this, [this] { series1_->Changed(); });
  series2_ = new QLineSeries(chart_);
  series2_->setObjectName(QStringLiteral("Series2"));
  series2_->setPen(QPen(Qt::red, 2));
  series2_->setPointsVisible(true);
  series2_->setMarkerSize(3);
  attach(series2_);
  series3_ = new QLineSeries(chart_);
  series3_->setObjectName(QStringLiteral("Series3"));
  series3_->setPen(QPen(Qt::red, 2));
  attach(series3_);
  SetRange({0, 1, 0, 1}, false);
}

PeriodChart::~PeriodChart() = default;

void PeriodChart::ShowPicture(const PhasePicture& picture, bool phaseView) {
  periodogramShown_ = false;
  phaseView_ = phaseView;
  if (zoomed_) {
    zoomed_ = false;
    emit zoomChanged(false);
  }
  points_ = picture.points;
  series1_->SetPoints(points_);
  series2_->clear();
  QList<QPointF> mean;
  for (const MeanPoint& m : picture.mean) mean.append(QPointF(m.x, m.y));
  series3_->replace(mean);
  chart_->setTitle(Q(picture.title));
  horizontalIncrement_ = 0.1;
  SetRange(picture.range, true);
  setCursor(Qt::ArrowCursor);
}

void PeriodChart::ShowPeriodogram(const Periodogram& periodogram) {
  periodogramShown_ = true;
  phaseView_ = false;
  points_.clear();
  series1_->SetPoints(points_);
  series3_->clear();
  periodogram_ = periodogram;
  QList<QPointF> line;
  line.reserve(static_cast<qsizetype>(periodogram.size()));
  for (const PeriodogramPoint& p : periodogram) line.append(QPointF(p.Period, p.Dispersion));
  series2_->replace(line);
  chart_->setTitle(QString());
  UndoZoom();
  setCursor(Qt::CrossCursor);
}

void PeriodChart::UndoZoom() {
  SetRange(PeriodogramRange(periodogram_), false);
  if (zoomed_) {
    zoomed_ = false;
    emit zoomChanged(false);
  }
}

void PeriodChart::Clear() {
  points_.clear();
  periodogram_.clear();
  periodogramShown_ = false;
  series1_->SetPoints(points_);
  series2_->clear();
  series3_->clear();
  chart_->setTitle(QString());
  viewport()->update();
}

void PeriodChart::SetMarks(bool on) {
  marks_ = on;
  viewport()->update();
}

void PeriodChart::SetCorners(const QString& observer, const QString& version) {
  observer_ = observer;
  version_ = version;
  viewport()->update();
}

void PeriodChart::SetAxisSettings(const AxisSettings& settings) {
  axes_ = settings;
  horizontalIncrement_ = HorizontalIncrement(settings.horizontalDecimals);
  UpdateTicks();
}

void PeriodChart::SetRange(const ChartRange& range, bool magnitudes) {
  const auto [x0, x1] = Extent(range.xMin, range.xMax);
  const auto [y0, y1] = Extent(range.yMin, range.yMax);
  axisY_->setReverse(magnitudes);
  // A hair more than the range keeps a label that falls on its end (see
  // UpdateTicks).
  axisX_->setRange(x0, x1 + (x1 - x0) * 1e-6);
  axisY_->setRange(y0, y1 + (y1 - y0) * 1e-6);
  UpdateTicks();
  viewport()->update();
}

void PeriodChart::UpdateTicks() {
  const QRectF plot = chart_->plotArea();
  const int xPlaces = AxisDecimalPlaces(axes_.horizontalDecimals);
  const int yPlaces = AxisDecimalPlaces(axes_.verticalDecimals);
  axisX_->setLabelFormat(QStringLiteral("%.%1f").arg(xPlaces));
  axisY_->setLabelFormat(QStringLiteral("%.%1f").arg(yPlaces));
  const QFontMetrics xFont(axisX_->labelsFont());
  const QFontMetrics yFont(axisY_->labelsFont());
  const double widest = std::max(std::abs(axisX_->min()), std::abs(axisX_->max()));
  // The chart pads each label: below that room it cuts the labels to "...".
  const double labelWidth = xFont.horizontalAdvance(QString::number(-widest, 'f', xPlaces)) + 8.0;
  const double labelHeight = yFont.height() + 8.0;
  const double xStep =
      LabelStep(axisX_->min(), axisX_->max(), horizontalIncrement_, std::max(plot.width(), 100.0),
                labelWidth, LabelSeparation(axes_.horizontalSeparation));
  const double yStep = LabelStep(axisY_->min(), axisY_->max(), std::pow(10.0, -yPlaces),
                                 std::max(plot.height(), 100.0), labelHeight,
                                 LabelSeparation(axes_.verticalSeparation));
  // The chart adds the interval up from the anchor: a hair above zero keeps
  // the rounding of that sum from labelling zero "-0.00".
  axisX_->setTickType(QValueAxis::TicksDynamic);
  axisX_->setTickAnchor(xStep * 1e-9);
  axisX_->setTickInterval(xStep);
  axisY_->setTickType(QValueAxis::TicksDynamic);
  axisY_->setTickAnchor(yStep * 1e-9);
  axisY_->setTickInterval(yStep);
}

int PeriodChart::PlotWidth() const {
  return static_cast<int>(std::lround(chart_->plotArea().width()));
}

PeriodChart::AxisValue PeriodChart::ValueAt(QPointF pixel) const {
  const QPointF at = chart_->mapFromScene(mapToScene(pixel.toPoint()));
  const QRectF plot = chart_->plotArea();
  const ChartAxis horizontal{plot.left(), plot.right(), axisX_->min(), axisX_->max(), false};
  const ChartAxis vertical{plot.top(), plot.bottom(), axisY_->min(), axisY_->max(),
                           axisY_->isReverse()};
  const ChartValue value = ChartValueAtX(horizontal, vertical, at.x(), at.y());
  return {value.value, value.inside};
}

std::optional<size_t> PeriodChart::Nearest(const std::vector<QPointF>& values,
                                           QPointF pixel) const {
  const QPointF at = chart_->mapFromScene(mapToScene(pixel.toPoint()));
  const QRectF plot = chart_->plotArea();
  const double xSpan = axisX_->max() - axisX_->min();
  const double ySpan = axisY_->max() - axisY_->min();
  if (!(xSpan > 0) || !(ySpan > 0)) return std::nullopt;
  std::optional<size_t> best;
  double bestDistance = kPickPixels * kPickPixels;
  for (size_t i = 0; i < values.size(); ++i) {
    const double px = plot.left() + (values[i].x() - axisX_->min()) / xSpan * plot.width();
    double fy = (values[i].y() - axisY_->min()) / ySpan;
    if (!axisY_->isReverse()) fy = 1 - fy;
    const double py = plot.top() + fy * plot.height();
    const double d = (px - at.x()) * (px - at.x()) + (py - at.y()) * (py - at.y());
    if (d <= bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

std::optional<size_t> PeriodChart::PointNear(QPointF pixel) const {
  std::vector<QPointF> values;
  values.reserve(points_.size());
  for (const PlotPoint& p : points_) values.emplace_back(p.x, p.y);
  return Nearest(values, pixel);
}

std::optional<size_t> PeriodChart::PeriodogramPointNear(QPointF pixel) const {
  if (!periodogramShown_) return std::nullopt;
  std::vector<QPointF> values;
  values.reserve(periodogram_.size());
  for (const PeriodogramPoint& p : periodogram_) values.emplace_back(p.Period, p.Dispersion);
  return Nearest(values, pixel);
}

QImage PeriodChart::Picture() {
  return grab().toImage();
}

void PeriodChart::mouseMoveEvent(QMouseEvent* event) {
  const AxisValue value = ValueAt(event->position());
  emit pointerMoved(value.x, value.inside);
  QChartView::mouseMoveEvent(event);
}

void PeriodChart::mousePressEvent(QMouseEvent* event) {
  setFocus();
  const AxisValue value = ValueAt(event->position());
  if (event->button() == Qt::LeftButton) {
    emit leftClicked(event->position(), value.x, value.inside);
  } else if (event->button() == Qt::RightButton && periodogramShown_ && value.inside) {
    SetRange(PeriodogramRangeAround(periodogram_, value.x), false);
    zoomed_ = true;
    emit zoomChanged(true);
  }
  event->accept();
}

void PeriodChart::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
}

void PeriodChart::leaveEvent(QEvent* event) {
  emit pointerMoved(0, false);
  QChartView::leaveEvent(event);
}

void PeriodChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  // The plot area follows the new size once the chart has laid itself out.
  QTimer::singleShot(0, this, [this] { UpdateTicks(); });
}

void PeriodChart::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  painter->save();
  const QRectF plot = chart_->mapRectToScene(chart_->plotArea());
  if (marks_ && phaseView_ && !periodogramShown_) {
    const double span = axisX_->max() - axisX_->min();
    painter->setPen(QPen(QColor(0x00, 0x00, 0x80), 3));
    for (double phase : {0.0, 1.0}) {
      const double x = plot.left() + (phase - axisX_->min()) / span * plot.width();
      painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
  }
  const QRectF area = chart_->mapRectToScene(chart_->rect());
  painter->setPen(Qt::black);
  const QRectF corner = area.adjusted(8, 0, -8, -4);
  if (!observer_.isEmpty()) painter->drawText(corner, Qt::AlignLeft | Qt::AlignBottom, observer_);
  painter->drawText(corner, Qt::AlignRight | Qt::AlignBottom, version_);
  painter->restore();
}

}  // namespace lumenda::ui
