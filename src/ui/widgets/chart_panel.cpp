#include "widgets/chart_panel.h"

#include <QGraphicsItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QTimeZone>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "curves/chart_axes.h"

namespace lumenda::ui {
namespace {

// Calendar time value of 1970-01-01, the origin of Qt's date-time axis.
constexpr double kUnixEpochDay = 25569.0;
constexpr double kMsPerDay = 86400000.0;

// Qt's date pattern of an engine pattern ("nn" minutes, "mm" months).
QString QtDatePattern(QString pattern) {
  pattern.replace(QStringLiteral("mm"), QStringLiteral("MM"));
  pattern.replace(QStringLiteral("nn"), QStringLiteral("mm"));
  pattern.replace(QStringLiteral("hh"), QStringLiteral("HH"));
  return pattern;
}

// The axis adds the interval tick after tick from the anchor; a hair above
// the multiple keeps the rounding of those sums from labelling zero "-0.00"
// (the last tick is still matched to the end of the range fuzzily).
double TickAnchor(double min, double step) {
  return std::floor(min / step) * step + step * 1e-9;
}

int MarkerPixels(int size) {
  return 2 * std::max(1, size) + 1;
}

}  // namespace

// Drawn once and stamped on every point, which keeps charts of many thousand
// points quick.
QImage PointShapeImage(PointShape shape, const QColor& colour, int pixels) {
  // Drawn at its size: the chart stamps it as it is.
  const int side = pixels;
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal m = 0.5;
  const QRectF box(m, m, side - 2 * m, side - 2 * m);
  const QPointF c = box.center();
  p.setPen(QPen(colour.darker(140), 1));
  p.setBrush(colour);
  switch (shape) {
    case PointShape::kRectangle:
      p.drawRect(box);
      break;
    case PointShape::kCircle:
      p.drawEllipse(box);
      break;
    case PointShape::kDiamond:
      p.drawPolygon(QPolygonF({QPointF(c.x(), box.top()), QPointF(box.right(), c.y()),
                               QPointF(c.x(), box.bottom()), QPointF(box.left(), c.y())}));
      break;
    case PointShape::kCross:
      p.setPen(QPen(colour, 2));
      p.drawLine(QPointF(c.x(), box.top()), QPointF(c.x(), box.bottom()));
      p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
      break;
    case PointShape::kDiagonalCross:
      p.setPen(QPen(colour, 2));
      p.drawLine(box.topLeft(), box.bottomRight());
      p.drawLine(box.topRight(), box.bottomLeft());
      break;
    case PointShape::kStar: {
      QPolygonF star;
      for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 ? 0.45 : 1.0) * box.width() / 2;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        star << c + QPointF(r * std::cos(a), r * std::sin(a));
      }
      p.drawPolygon(star);
      break;
    }
  }
  return image;
}

PointShape PointShapeOf(int index) {
  return static_cast<PointShape>(std::clamp(index, 0, 5));
}

Qt::PenStyle LineStyleOf(int index) {
  static constexpr Qt::PenStyle kStyles[kLineStyleCount] = {
      Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
  return kStyles[std::clamp(index, 0, kLineStyleCount - 1)];
}

struct ChartPanel::Series {
  enum class Kind { kPoints, kLine, kSegments } kind = Kind::kPoints;
  QXYSeries* xy = nullptr;  // line series
  QList<QLineF> segments;   // caller's units
  // Point series: stamped by the overlay, one picture per colour.
  QList<QPointF> points;  // caller's units
  QList<QColor> colours;
  mutable QHash<QRgb, QImage> markers;
  QStringList labels;
  QString name;
  QColor colour;
  int size = 4;
  PointShape shape = PointShape::kCircle;
  int width = 1;
  Qt::PenStyle style = Qt::SolidLine;
  bool visible = true;
  bool pointsShown = true;
};

// Draws the segment series and the marks over the plot, mapping values
// through the chart's own mapping (linear on both axes, so two mapped points
// give it whole).
class SegmentLayer : public QGraphicsItem {
 public:
  explicit SegmentLayer(ChartPanel* panel) : QGraphicsItem(panel->chart()), panel_(panel) {
    setZValue(100);
  }

  void Refresh() {
    prepareGeometryChange();
    update();
  }

  QRectF boundingRect() const override { return panel_->chart()->plotArea(); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF plot = panel_->chart()->plotArea();
    const QPointF p0 = panel_->ChartPosition(QPointF(0, 0));
    const QPointF p1 = panel_->ChartPosition(QPointF(1, 1));
    const QPointF scale = p1 - p0;
    auto map = [&](const QPointF& v) {
      return QPointF(p0.x() + v.x() * scale.x(), p0.y() + v.y() * scale.y());
    };
    painter->save();
    painter->setClipRect(plot);
    painter->setRenderHint(QPainter::Antialiasing);
    for (const ChartPanel::Series& s : panel_->series_) {
      if (s.kind != ChartPanel::Series::Kind::kSegments || !s.visible || s.segments.isEmpty())
        continue;
      QVector<QLineF> lines;
      lines.reserve(s.segments.size());
      for (const QLineF& l : s.segments) lines.append(QLineF(map(l.p1()), map(l.p2())));
      QPen pen(s.colour, s.width, s.style);
      pen.setCapStyle(Qt::FlatCap);
      painter->setPen(pen);
      painter->drawLines(lines);
    }
    // Points: one picture per colour, stamped where each point falls.
    const QRectF inside = plot.adjusted(-8, -8, 8, 8);
    for (const ChartPanel::Series& s : panel_->series_) {
      if (s.kind != ChartPanel::Series::Kind::kPoints || !s.visible || s.points.isEmpty()) continue;
      const QImage& single = panel_->Marker(s, s.colour);
      const QPointF half(single.width() / 2.0, single.height() / 2.0);
      for (qsizetype i = 0; i < s.points.size(); ++i) {
        const QPointF at = map(s.points[i]);
        if (!inside.contains(at)) continue;
        const QImage& marker = i < s.colours.size() ? panel_->Marker(s, s.colours[i]) : single;
        painter->drawImage(at - half, marker);
      }
    }
    const QFontMetrics metrics(painter->font());
    for (const ChartMark& mark : marks) {
      const qreal x = map(QPointF(mark.x, 0)).x();
      painter->setPen(QPen(mark.colour, mark.width));
      painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
      const qreal w = metrics.horizontalAdvance(mark.text);
      painter->drawText(QPointF(x - 4 - w, plot.top() + metrics.ascent() + 2), mark.text);
    }
    painter->restore();
  }

  std::vector<ChartMark> marks;

 private:
  ChartPanel* panel_;
};

// The view owns the chart given here; a chart set later would leave the
// view's first one to nobody.
ChartPanel::ChartPanel(QWidget* parent) : QChartView(new QChart(), parent) {
  QChart* chart = this->chart();
  chart->legend()->hide();
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(6, 6, 12, 6));
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::NoRubberBand);
  setMouseTracking(true);
  setMinimumSize(200, 150);

  valueAxisX_ = new QValueAxis(chart);
  axisY_ = new QValueAxis(chart);
  chart->addAxis(valueAxisX_, Qt::AlignBottom);
  chart->addAxis(axisY_, Qt::AlignLeft);
  StyleAxis(valueAxisX_);
  StyleAxis(axisY_);
  anchor_ = new QLineSeries(chart);
  anchor_->setColor(Qt::transparent);
  chart->addSeries(anchor_);
  AttachAxes(anchor_);

  layer_ = new SegmentLayer(this);
  connect(chart, &QChart::plotAreaChanged, this, [this] {
    ApplyTicks();
    layer_->Refresh();
  });
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, this);
  SetRanges(0, 1, 0, 1);
}

ChartPanel::~ChartPanel() = default;

void ChartPanel::StyleAxis(QAbstractAxis* axis) {
  QFont font = axis->labelsFont();
  font.setPointSizeF(8.5);
  axis->setLabelsFont(font);
  font.setPointSizeF(9);
  font.setBold(true);
  axis->setTitleFont(font);
  axis->setGridLineColor(QColor(200, 200, 200));
  axis->setTruncateLabels(false);
}

void ChartPanel::AttachAxes(QAbstractSeries* series) {
  series->attachAxis(AxisX());
  series->attachAxis(axisY_);
}

QAbstractAxis* ChartPanel::AxisX() const {
  if (dateAxis_) return dateAxis_;
  return valueAxisX_;
}

double ChartPanel::ToAxisX(double x) const {
  if (!dateAxis_) return x;
  // The axis writes local time; the offset makes it write the UTC fields.
  const qint64 utc = std::llround((x - kUnixEpochDay) * kMsPerDay);
  const int offset = QTimeZone::systemTimeZone().offsetFromUtc(
      QDateTime::fromMSecsSinceEpoch(utc, QTimeZone::utc()));
  return static_cast<double>(utc) - offset * 1000.0;
}

double ChartPanel::FromAxisX(double x) const {
  if (!dateAxis_) return x;
  const int offset = QTimeZone::systemTimeZone().offsetFromUtc(
      QDateTime::fromMSecsSinceEpoch(std::llround(x), QTimeZone::utc()));
  return (x + offset * 1000.0) / kMsPerDay + kUnixEpochDay;
}

int ChartPanel::AddPoints(const QString& name, const QColor& colour, int size, PointShape shape) {
  Series s;
  s.kind = Series::Kind::kPoints;
  s.name = name;
  s.colour = colour;
  series_.push_back(s);
  const int index = static_cast<int>(series_.size()) - 1;
  SetSeriesSize(index, size, shape);
  return index;
}

int ChartPanel::AddLine(const QString& name, const QColor& colour, int width, Qt::PenStyle style,
                        bool pointsVisible) {
  auto* line = new QLineSeries(chart());
  line->setName(name);
  line->setPointsVisible(pointsVisible);
  chart()->addSeries(line);
  AttachAxes(line);
  Series s;
  s.kind = Series::Kind::kLine;
  s.xy = line;
  s.name = name;
  s.colour = colour;
  s.pointsShown = pointsVisible;
  series_.push_back(s);
  const int index = static_cast<int>(series_.size()) - 1;
  SetSeriesPen(index, width, style);
  return index;
}

int ChartPanel::AddSegments(const QString& name, const QColor& colour, int width,
                            Qt::PenStyle style) {
  Series s;
  s.kind = Series::Kind::kSegments;
  s.name = name;
  s.colour = colour;
  s.width = width;
  s.style = style;
  series_.push_back(s);
  return static_cast<int>(series_.size()) - 1;
}

int ChartPanel::SeriesCount() const {
  return static_cast<int>(series_.size());
}

void ChartPanel::RemoveAllSeries() {
  for (Series& s : series_) {
    if (s.xy) {
      chart()->removeSeries(s.xy);
      delete s.xy;
    }
  }
  series_.clear();
  layer_->Refresh();
}

void ChartPanel::SetPoints(int series, const QList<QPointF>& points, const QStringList& labels,
                           const QList<QColor>& colours) {
  Series& s = series_.at(static_cast<size_t>(series));
  s.labels = labels;
  if (s.kind == Series::Kind::kPoints) {
    s.points = points;
    s.colours = colours;
    layer_->Refresh();
    return;
  }
  if (!s.xy) return;
  QList<QPointF> axisPoints;
  if (dateAxis_) {
    axisPoints.reserve(points.size());
    for (const QPointF& p : points) axisPoints.append(QPointF(ToAxisX(p.x()), p.y()));
  }
  if (colours.isEmpty()) {
    s.xy->clearPointsConfiguration();
  } else {
    QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> config;
    for (int i = 0; i < colours.size() && i < points.size(); ++i)
      config[i][QXYSeries::PointConfiguration::Color] = colours[i];
    s.xy->setPointsConfiguration(config);
  }
  s.xy->replace(dateAxis_ ? axisPoints : points);
}

void ChartPanel::SetSegments(int series, const QList<QLineF>& segments) {
  Series& s = series_.at(static_cast<size_t>(series));
  s.segments = segments;
  layer_->Refresh();
}

void ChartPanel::ClearData() {
  for (Series& s : series_) {
    if (s.xy) {
      s.xy->clear();
      s.xy->clearPointsConfiguration();
    }
    s.segments.clear();
    s.points.clear();
    s.colours.clear();
    s.labels.clear();
  }
  layer_->Refresh();
}

void ChartPanel::SetSeriesColour(int series, const QColor& colour) {
  Series& s = series_.at(static_cast<size_t>(series));
  s.colour = colour;
  if (s.kind == Series::Kind::kPoints) {
    s.markers.clear();
    layer_->Refresh();
  } else if (s.kind == Series::Kind::kLine) {
    SetSeriesPen(series, s.width, s.style);
  } else {
    layer_->Refresh();
  }
}

void ChartPanel::SetSeriesSize(int series, int size, PointShape shape) {
  Series& s = series_.at(static_cast<size_t>(series));
  s.size = size;
  s.shape = shape;
  s.markers.clear();
  layer_->Refresh();
  // The points of a line series are Qt's own.
  if (s.xy) s.xy->setMarkerSize(MarkerPixels(size));
}

const QImage& ChartPanel::Marker(const Series& s, const QColor& colour) const {
  auto found = s.markers.find(colour.rgba());
  if (found == s.markers.end())
    found = s.markers.insert(colour.rgba(), PointShapeImage(s.shape, colour, MarkerPixels(s.size)));
  return *found;
}

void ChartPanel::SetSeriesPen(int series, int width, Qt::PenStyle style) {
  Series& s = series_.at(static_cast<size_t>(series));
  s.width = width;
  s.style = style;
  if (s.xy && s.kind == Series::Kind::kLine) {
    QPen pen(s.colour, width, style);
    s.xy->setPen(pen);
    s.xy->setMarkerSize(std::max(5, 2 * width + 3));
  }
  layer_->Refresh();
}

void ChartPanel::SetSeriesVisible(int series, bool visible) {
  Series& s = series_.at(static_cast<size_t>(series));
  s.visible = visible;
  if (s.xy) s.xy->setVisible(visible);
  layer_->Refresh();
}

QList<QPointF> ChartPanel::Points(int series) const {
  const Series& s = series_.at(static_cast<size_t>(series));
  if (s.kind == Series::Kind::kPoints) return s.points;
  if (!s.xy) return {};
  QList<QPointF> points = s.xy->points();
  if (dateAxis_)
    for (QPointF& p : points) p.setX(FromAxisX(p.x()));
  return points;
}

QList<QLineF> ChartPanel::Segments(int series) const {
  return series_.at(static_cast<size_t>(series)).segments;
}

QString ChartPanel::PointLabel(int series, int index) const {
  const Series& s = series_.at(static_cast<size_t>(series));
  return index >= 0 && index < s.labels.size() ? s.labels[index] : QString();
}

QColor ChartPanel::SeriesColour(int series) const {
  return series_.at(static_cast<size_t>(series)).colour;
}

int ChartPanel::SeriesSize(int series) const {
  return series_.at(static_cast<size_t>(series)).size;
}

int ChartPanel::SeriesPenWidth(int series) const {
  return series_.at(static_cast<size_t>(series)).width;
}

QXYSeries* ChartPanel::XYSeries(int series) const {
  return series_.at(static_cast<size_t>(series)).xy;
}

void ChartPanel::UseValueAxisX() {
  if (!dateAxis_) return;
  const double lo = XMin(), hi = XMax();
  std::vector<QList<QPointF>> points;
  for (int i = 0; i < SeriesCount(); ++i) points.push_back(Points(i));
  for (QAbstractSeries* s : chart()->series()) s->detachAxis(dateAxis_);
  chart()->removeAxis(dateAxis_);
  delete dateAxis_;
  dateAxis_ = nullptr;
  valueAxisX_ = new QValueAxis(chart());
  StyleAxis(valueAxisX_);
  chart()->addAxis(valueAxisX_, Qt::AlignBottom);
  for (QAbstractSeries* s : chart()->series()) s->attachAxis(valueAxisX_);
  for (int i = 0; i < SeriesCount(); ++i)
    if (series_[static_cast<size_t>(i)].xy)
      series_[static_cast<size_t>(i)].xy->replace(points[static_cast<size_t>(i)]);
  SetLabelLook(Qt::Horizontal, decimals_[0], separation_[0]);
  SetVisibleRanges(lo, hi, YMin(), YMax(), zoomed_);
}

void ChartPanel::UseDateTimeAxisX(const QString& format) {
  if (!dateAxis_) {
    const double lo = XMin(), hi = XMax();
    std::vector<QList<QPointF>> points;
    for (int i = 0; i < SeriesCount(); ++i) points.push_back(Points(i));
    for (QAbstractSeries* s : chart()->series()) s->detachAxis(valueAxisX_);
    chart()->removeAxis(valueAxisX_);
    delete valueAxisX_;
    valueAxisX_ = nullptr;
    dateAxis_ = new QDateTimeAxis(chart());
    StyleAxis(dateAxis_);
    chart()->addAxis(dateAxis_, Qt::AlignBottom);
    for (QAbstractSeries* s : chart()->series()) s->attachAxis(dateAxis_);
    for (int i = 0; i < SeriesCount(); ++i) {
      if (!series_[static_cast<size_t>(i)].xy) continue;
      QList<QPointF>& p = points[static_cast<size_t>(i)];
      for (QPointF& q : p) q.setX(ToAxisX(q.x()));
      series_[static_cast<size_t>(i)].xy->replace(p);
    }
    SetVisibleRanges(lo, hi, YMin(), YMax(), zoomed_);
  }
  dateAxis_->setFormat(QtDatePattern(format));
  ApplyTicks();
}

void ChartPanel::SetTitles(const QString& x, const QString& y) {
  AxisX()->setTitleText(x);
  axisY_->setTitleText(y);
}

void ChartPanel::SetInvertedY(bool inverted) {
  axisY_->setReverse(inverted);
  layer_->Refresh();
}

void ChartPanel::SetLabelLook(Qt::Orientation orientation, int decimals, int separationPercent) {
  const int i = orientation == Qt::Horizontal ? 0 : 1;
  decimals_[i] = decimals;
  separation_[i] = separationPercent;
  QValueAxis* axis = i == 0 ? valueAxisX_ : axisY_;
  if (axis)
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f"));
  ApplyTicks();
}

void ChartPanel::SetLabelIncrement(Qt::Orientation orientation, double increment) {
  increment_[orientation == Qt::Horizontal ? 0 : 1] = std::max(0.0, increment);
  ApplyTicks();
}

void ChartPanel::SetBackground(const QColor& colour) {
  chart()->setBackgroundBrush(colour);
  chart()->setPlotAreaBackgroundVisible(false);
}

void ChartPanel::SetRanges(double xMin, double xMax, double yMin, double yMax) {
  home_[0] = xMin;
  home_[1] = xMax;
  home_[2] = yMin;
  home_[3] = yMax;
  SetVisibleRanges(xMin, xMax, yMin, yMax, false);
}

void ChartPanel::SetVisibleRanges(double xMin, double xMax, double yMin, double yMax, bool zoomed) {
  // A range of no width would collapse the mapping.
  if (!(xMax > xMin)) xMin -= 0.5, xMax = xMin + 1;
  if (!(yMax > yMin)) yMin -= 0.5, yMax = yMin + 1;
  // A tick interval of the old range could put millions of ticks on the new
  // one: a few fixed ticks meanwhile, the interval of the new range after.
  axisY_->setTickType(QValueAxis::TicksFixed);
  if (valueAxisX_) valueAxisX_->setTickType(QValueAxis::TicksFixed);
  if (dateAxis_) {
    dateAxis_->setRange(QDateTime::fromMSecsSinceEpoch(std::llround(ToAxisX(xMin))),
                        QDateTime::fromMSecsSinceEpoch(std::llround(ToAxisX(xMax))));
  } else {
    valueAxisX_->setRange(xMin, xMax);
  }
  axisY_->setRange(yMin, yMax);
  const bool changed = zoomed != zoomed_;
  zoomed_ = zoomed;
  ApplyTicks();
  layer_->Refresh();
  if (changed) emit zoomChanged(zoomed_);
}

double ChartPanel::XMin() const {
  return dateAxis_ ? FromAxisX(static_cast<double>(dateAxis_->min().toMSecsSinceEpoch()))
                   : valueAxisX_->min();
}
double ChartPanel::XMax() const {
  return dateAxis_ ? FromAxisX(static_cast<double>(dateAxis_->max().toMSecsSinceEpoch()))
                   : valueAxisX_->max();
}
double ChartPanel::YMin() const {
  return axisY_->min();
}
double ChartPanel::YMax() const {
  return axisY_->max();
}

void ChartPanel::ApplyTicks() {
  const QRectF plot = chart()->plotArea();
  if (plot.width() < 10 || plot.height() < 10) return;
  const QFontMetrics metrics(axisY_->labelsFont());
  // Vertical labels are a line high; horizontal ones as wide as the wider end.
  auto label = [&](double v, int decimals) {
    return metrics.horizontalAdvance(QString::number(v, 'f', decimals));
  };
  {
    const double step = std::max(increment_[1], AxisTickStep(YMax() - YMin(), plot.height(),
                                                             metrics.height(), separation_[1]));
    axisY_->setTickType(QValueAxis::TicksDynamic);
    axisY_->setTickAnchor(TickAnchor(YMin(), step));
    axisY_->setTickInterval(step);
  }
  if (valueAxisX_) {
    const int width = std::max(label(XMin(), decimals_[0]), label(XMax(), decimals_[0]));
    const double step =
        std::max(increment_[0], AxisTickStep(XMax() - XMin(), plot.width(), width, separation_[0]));
    valueAxisX_->setTickType(QValueAxis::TicksDynamic);
    valueAxisX_->setTickAnchor(TickAnchor(XMin(), step));
    valueAxisX_->setTickInterval(step);
  } else if (dateAxis_) {
    const int width = metrics.horizontalAdvance(dateAxis_->format()) + metrics.averageCharWidth();
    const double room = width * (1 + separation_[0] / 100.0);
    dateAxis_->setTickCount(std::clamp(static_cast<int>(plot.width() / room) + 1, 2, 12));
  }
}

void ChartPanel::SetMarks(const std::vector<ChartMark>& marks) {
  layer_->marks = marks;
  layer_->Refresh();
}

void ChartPanel::UndoZoom() {
  SetVisibleRanges(home_[0], home_[1], home_[2], home_[3], false);
}

void ChartPanel::ZoomPercent(double percent) {
  if (!(percent > 0)) return;
  const double f = 100.0 / percent;
  const double cx = (XMin() + XMax()) / 2, hx = (XMax() - XMin()) / 2 * f;
  const double cy = (YMin() + YMax()) / 2, hy = (YMax() - YMin()) / 2 * f;
  SetVisibleRanges(cx - hx, cx + hx, cy - hy, cy + hy, true);
}

void ChartPanel::ScrollX(double fraction) {
  const double d = (XMax() - XMin()) * fraction;
  SetVisibleRanges(XMin() + d, XMax() + d, YMin(), YMax(), true);
}

void ChartPanel::ZoomToPixels(const QRect& rect) {
  const QRectF plot = chart()->plotArea();
  const QRectF area = QRectF(chart()->mapToScene(plot).boundingRect());
  const QRect inside = rect.intersected(mapFromScene(area).boundingRect());
  if (inside.width() < 3 || inside.height() < 3) return;
  auto a = ValueAt(inside.topLeft() + QPoint(1, 1));
  auto b = ValueAt(inside.bottomRight() - QPoint(1, 1));
  if (!a || !b) return;
  SetVisibleRanges(std::min(a->x(), b->x()), std::max(a->x(), b->x()), std::min(a->y(), b->y()),
                   std::max(a->y(), b->y()), true);
}

QPointF ChartPanel::ChartPosition(const QPointF& value) const {
  return chart()->mapToPosition(QPointF(ToAxisX(value.x()), value.y()), anchor_);
}

std::optional<QPointF> ChartPanel::ValueAt(const QPoint& pixel) const {
  const QPointF inChart = chart()->mapFromScene(mapToScene(pixel));
  if (!chart()->plotArea().contains(inChart)) return std::nullopt;
  const QPointF v = chart()->mapToValue(inChart, anchor_);
  return QPointF(FromAxisX(v.x()), v.y());
}

QPoint ChartPanel::PixelOf(const QPointF& value) const {
  return mapFromScene(chart()->mapToScene(ChartPosition(value)));
}

std::optional<std::pair<int, int>> ChartPanel::PointNear(const QPoint& pixel, int radius) const {
  // The chart's mapping is linear on both axes: two points of it give all.
  // Line series hold axis units, point series the caller's.
  const QPointF a0 = chart()->mapToPosition(QPointF(0, 0), anchor_);
  const QPointF a1 = chart()->mapToPosition(QPointF(1, 1), anchor_);
  const QPointF c0 = ChartPosition(QPointF(0, 0));
  const QPointF c1 = ChartPosition(QPointF(1, 1));
  const QPointF target = chart()->mapFromScene(mapToScene(pixel));
  std::optional<std::pair<int, int>> best;
  double bestDistance = 0;
  for (int si = 0; si < SeriesCount(); ++si) {
    const Series& s = series_[static_cast<size_t>(si)];
    const bool stamped = s.kind == Series::Kind::kPoints;
    if ((!stamped && !s.xy) || !s.visible || !s.pointsShown) continue;
    const double r = std::max(radius, MarkerPixels(s.size) / 2 + 2);
    const QList<QPointF> points = stamped ? s.points : s.xy->points();
    const QPointF p0 = stamped ? c0 : a0, p1 = stamped ? c1 : a1;
    QPointF previous;
    for (int i = 0; i < points.size(); ++i) {
      const QPointF p(p0.x() + points[i].x() * (p1.x() - p0.x()),
                      p0.y() + points[i].y() * (p1.y() - p0.y()));
      const double d = std::hypot(p.x() - target.x(), p.y() - target.y());
      if (d <= r && (!best || d < bestDistance)) best = std::make_pair(si, i), bestDistance = d;
      if (s.kind == Series::Kind::kLine && i > 0) {
        // Distance to the segment from the previous point.
        const QPointF v = p - previous, w = target - previous;
        const double length2 = v.x() * v.x() + v.y() * v.y();
        const double t =
            length2 > 0 ? std::clamp((w.x() * v.x() + w.y() * v.y()) / length2, 0.0, 1.0) : 0.0;
        const QPointF nearest = previous + t * v;
        const double ds = std::hypot(nearest.x() - target.x(), nearest.y() - target.y());
        // A point hit keeps priority over a segment hit of the same distance.
        if (ds <= 3 && (!best || ds + 0.5 < bestDistance))
          best = std::make_pair(si, t < 0.5 ? i - 1 : i), bestDistance = ds + 0.5;
      }
      previous = p;
    }
  }
  return best;
}

QImage ChartPanel::Picture() {
  return grab().toImage();
}

void ChartPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  if (mode_ == Mode::kPress) {
    if (auto v = ValueAt(pos)) emit pressedAt(*v, pos);
    return;
  }
  pressed_ = true;
  pressPixel_ = pos;
}

void ChartPanel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (auto v = ValueAt(pos)) emit pointerMoved(*v);
  if (pressed_ && (pos - pressPixel_).manhattanLength() > 4) {
    rubberBand_->setGeometry(QRect(pressPixel_, pos).normalized());
    rubberBand_->show();
  }
}

void ChartPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  if (rubberBand_->isVisible()) {
    rubberBand_->hide();
    ZoomToPixels(rubberBand_->geometry());
    return;
  }
  if (auto hit = PointNear(event->position().toPoint())) emit pointClicked(hit->first, hit->second);
}

void ChartPanel::wheelEvent(QWheelEvent* event) {
  event->ignore();
}

void ChartPanel::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  ApplyTicks();
  layer_->Refresh();
}

}  // namespace lumenda::ui
