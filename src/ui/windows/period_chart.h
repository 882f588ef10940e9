// The chart of the period window (Chart1): the observations in days or in
// phase (Series1, one colour per series), the periodogram (Series2) and the
// running mean (Series3), the period marks, the observer and version texts
// in the lower corners, the pointer read-out and the clicked point.
#pragma once

#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <optional>
#include <vector>

#include "period/period_chart.h"
#include "period/period_session.h"

namespace lumenda::ui {

class PointCloud;

class PeriodChart : public QChartView {
  Q_OBJECT

 public:
  explicit PeriodChart(QWidget* parent = nullptr);
  ~PeriodChart() override;

  // The light curve or phase picture; `phaseView` draws the period marks
  // when they are on.
  void ShowPicture(const PhasePicture& picture, bool phaseView);
  // The periodogram, whole; a right click zooms around a period.
  void ShowPeriodogram(const Periodogram& periodogram);
  // Back to the whole periodogram.
  void UndoZoom();
  bool Zoomed() const { return zoomed_; }
  void Clear();

  void SetMarks(bool on);
  void SetCorners(const QString& observer, const QString& version);
  // The axis spin controls. The horizontal increment they set lasts until
  // the next picture, which goes back to 0.1.
  void SetAxisSettings(const AxisSettings& settings);

  bool PeriodogramShown() const { return periodogramShown_; }
  // Pixels of the horizontal axis.
  int PlotWidth() const;
  // The plotted point (index into the picture's points) or periodogram
  // point nearest to the pixel, within a few pixels.
  std::optional<size_t> PointNear(QPointF pixel) const;
  std::optional<size_t> PeriodogramPointNear(QPointF pixel) const;
  const std::vector<PlotPoint>& Points() const { return points_; }
  const Periodogram& PeriodogramPoints() const { return periodogram_; }
  // The chart as the user sees it, for the GIF picture.
  QImage Picture();

 signals:
  // Horizontal value under the pointer; `inside` strictly inside the axes.
  void pointerMoved(double x, bool inside);
  void leftClicked(QPointF pixel, double x, bool inside);
  void zoomChanged(bool zoomed);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  struct AxisValue {
    double x = 0;
    bool inside = false;
  };
  AxisValue ValueAt(QPointF pixel) const;
  void SetRange(const ChartRange& range, bool magnitudes);
  void UpdateTicks();
  std::optional<size_t> Nearest(const std::vector<QPointF>& values, QPointF pixel) const;

  QChart* chart_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  // Series1: thousands of points drawn by one item, far quicker than a
  // chart series holding an item per point.
  PointCloud* series1_;
  QLineSeries* series2_;
  QLineSeries* series3_;

  std::vector<PlotPoint> points_;
  Periodogram periodogram_;
  bool periodogramShown_ = false;
  bool phaseView_ = false;
  bool marks_ = false;
  bool zoomed_ = false;
  AxisSettings axes_;
  double horizontalIncrement_ = 0.1;
  QString observer_;
  QString version_;
};

}  // namespace lumenda::ui
