// A chart of the program: point, line and segment series over a value or
// date-time horizontal axis and a value vertical axis, with the interactions
// every chart window shares: zoom by rubber band and its undo, zoom by a
// percentage, horizontal scrolling, a click on a point reported as series and
// index, presses reported as axis values (marks), the pointer read-out, and
// its picture. Values in and out are in the caller's units: on a date-time
// axis, x is a calendar time value (days since 1899-12-30, shown as UTC).
#pragma once

#include <QChartView>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QRubberBand>
#include <QValueAxis>
#include <QXYSeries>
#include <optional>
#include <vector>

namespace lumenda::ui {

// Point shapes of the graph settings' style lists, by index.
enum class PointShape { kRectangle, kCircle, kDiamond, kCross, kDiagonalCross, kStar };

// The picture of one point of that shape (the style lists show it too).
QImage PointShapeImage(PointShape shape, const QColor& colour, int pixels);
// The style index of the graph settings' lists: point shapes 0..5 and the
// line styles of the moving averages (0 solid, then dashed and dotted ones).
PointShape PointShapeOf(int index);
Qt::PenStyle LineStyleOf(int index);
inline constexpr int kLineStyleCount = 5;

// A vertical line across the plot at `x`, with `text` written beside it
// (the marks of the trend correction, the period marks).
struct ChartMark {
  double x = 0;
  QString text;
  QColor colour = Qt::green;
  int width = 1;
};

class SegmentLayer;

class ChartPanel : public QChartView {
  Q_OBJECT

 public:
  explicit ChartPanel(QWidget* parent = nullptr);
  ~ChartPanel() override;

  // ---- Series -------------------------------------------------------------
  // Each Add* returns the series' number in this chart (0, 1, ...).
  int AddPoints(const QString& name, const QColor& colour, int size, PointShape shape);
  int AddLine(const QString& name, const QColor& colour, int width,
              Qt::PenStyle style = Qt::SolidLine, bool pointsVisible = false);
  // Free segments: error bars, moving averages.
  int AddSegments(const QString& name, const QColor& colour, int width,
                  Qt::PenStyle style = Qt::SolidLine);
  // Removes every series.
  void RemoveAllSeries();
  int SeriesCount() const;

  // The points of a point or line series, with an optional text per point
  // (kept, not drawn: an image path, a time) and an optional colour per point
  // (else the series' colour).
  void SetPoints(int series, const QList<QPointF>& points, const QStringList& labels = {},
                 const QList<QColor>& colours = {});
  void SetSegments(int series, const QList<QLineF>& segments);
  // Empties every series, keeping them and their looks.
  void ClearData();

  void SetSeriesColour(int series, const QColor& colour);
  void SetSeriesSize(int series, int size, PointShape shape);  // point series
  void SetSeriesPen(int series, int width, Qt::PenStyle style = Qt::SolidLine);
  void SetSeriesVisible(int series, bool visible);

  // What the chart holds, in the caller's units.
  QList<QPointF> Points(int series) const;
  QList<QLineF> Segments(int series) const;
  QString PointLabel(int series, int index) const;
  QColor SeriesColour(int series) const;
  int SeriesSize(int series) const;
  int SeriesPenWidth(int series) const;
  // The Qt series of a line series; nullptr for point series (stamped by
  // one item of the chart: quick for tens of thousands of points) and
  // segment series.
  QXYSeries* XYSeries(int series) const;

  // ---- Axes ---------------------------------------------------------------
  // The horizontal axis shows numbers, or dates and times in `format`
  // (engine pattern letters: "dd/mm/yyyy", "yyyymmdd", "hh:nn:ss", "hh:nn").
  void UseValueAxisX();
  void UseDateTimeAxisX(const QString& format);
  bool DateTimeAxisX() const { return dateAxis_ != nullptr; }
  QValueAxis* AxisY() const { return axisY_; }
  QAbstractAxis* AxisX() const;

  void SetTitles(const QString& x, const QString& y);
  void SetInvertedY(bool inverted);
  // Label decimals and the least gap between labels (percent of a label).
  void SetLabelLook(Qt::Orientation orientation, int decimals, int separationPercent);
  // The least distance between two labels of a value axis, in axis units
  // (0: as the room allows); the period charts' "increment".
  void SetLabelIncrement(Qt::Orientation orientation, double increment);
  void SetBackground(const QColor& colour);

  // The ranges of a fresh drawing; any zoom is dropped and these become the
  // ranges that "Deshacer zoom" returns to.
  void SetRanges(double xMin, double xMax, double yMin, double yMax);
  // The visible ranges.
  double XMin() const;
  double XMax() const;
  double YMin() const;
  double YMax() const;

  // Vertical marks across the plot.
  void SetMarks(const std::vector<ChartMark>& marks);

  // ---- Interaction ---------------------------------------------------------
  // kZoom: a drag zooms to its rectangle, a click picks a point. kPress: a
  // press inside the plot is reported by pressedAt and nothing else happens.
  enum class Mode { kZoom, kPress };
  void SetMode(Mode mode) { mode_ = mode; }
  Mode CurrentMode() const { return mode_; }

  bool Zoomed() const { return zoomed_; }
  void UndoZoom();
  // Zooms about the centre: 111 shows 1/1.11 of the range, 90 shows 1/0.9.
  void ZoomPercent(double percent);
  // Moves the horizontal range by `fraction` of its width (right for > 0).
  void ScrollX(double fraction);
  // Zooms to a rectangle in widget pixels.
  void ZoomToPixels(const QRect& rect);

  // Axis values under a widget pixel, through the chart's own mapping;
  // nullopt outside the plot area.
  std::optional<QPointF> ValueAt(const QPoint& pixel) const;
  // Widget pixel of a value.
  QPoint PixelOf(const QPointF& value) const;
  // The point nearest to a widget pixel within `radius` pixels, over the
  // visible point and line series that show points: (series, index). A line
  // series is also hit along its segments (the index is then the nearer end).
  std::optional<std::pair<int, int>> PointNear(const QPoint& pixel, int radius = 6) const;

  // The chart as drawn (for pictures).
  QImage Picture();

 signals:
  void pointClicked(int series, int index);
  void pressedAt(QPointF value, QPoint pixel);  // kPress mode
  void pointerMoved(QPointF value);             // inside the plot
  void zoomChanged(bool zoomed);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The wheel belongs to the window around the chart (the pages scroll with
  // it), not to the chart's scene.
  void wheelEvent(QWheelEvent* event) override;

 private:
  friend class SegmentLayer;
  struct Series;
  // Position in the chart's coordinates of a value in the caller's units.
  QPointF ChartPosition(const QPointF& value) const;
  const QImage& Marker(const Series& s, const QColor& colour) const;
  double ToAxisX(double x) const;
  double FromAxisX(double x) const;
  void AttachAxes(QAbstractSeries* series);
  void SetVisibleRanges(double xMin, double xMax, double yMin, double yMax, bool zoomed);
  void ApplyTicks();
  void StyleAxis(QAbstractAxis* axis);

  QValueAxis* valueAxisX_ = nullptr;
  QDateTimeAxis* dateAxis_ = nullptr;
  QValueAxis* axisY_ = nullptr;
  QLineSeries* anchor_ = nullptr;  // keeps the axes' mapping alive with no data
  SegmentLayer* layer_ = nullptr;
  std::vector<Series> series_;
  Mode mode_ = Mode::kZoom;
  bool zoomed_ = false;
  double home_[4] = {0, 1, 0, 1};
  int decimals_[2] = {3, 2};      // horizontal, vertical
  int separation_[2] = {40, 20};  // percent
  double increment_[2] = {0, 0};  // least label step, axis units
  QRubberBand* rubberBand_ = nullptr;
  QPoint pressPixel_;
  bool pressed_ = false;
};

}  // namespace lumenda::ui
