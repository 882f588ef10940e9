// The chart of the period window (Chart1): the observations in days or in
// phase (Series1, one colour per series), the periodogram (Series2) and the
// running mean (Series3), the period marks, the pointer read-out and the
// clicked point. Zoom, picking and drawing are the program's ChartPanel.
#pragma once

#include <optional>
#include <vector>

#include "period/period_chart.h"
#include "period/period_session.h"
#include "widgets/chart_panel.h"

namespace lumenda::ui {

class PointCloud;

class PeriodChart : public ChartPanel {
  Q_OBJECT

 public:
  explicit PeriodChart(QWidget* parent = nullptr);
  ~PeriodChart() override;

  // The light curve or phase picture; `phaseView` draws the period marks
  // when they are on.
  void ShowPicture(const PhasePicture& picture, bool phaseView);
  // The periodogram, whole. A drag zooms; a right click shows the trials
  // around the period under the pointer.
  void ShowPeriodogram(const Periodogram& periodogram);
  void Clear();

  void ShowMarks(bool on);
  // The axis spin controls. The horizontal increment they set lasts until
  // the next picture, which goes back to 0.1.
  void SetAxisSettings(const AxisSettings& settings);
  // Clicks on the picture go to the window (a click mode is chosen) or
  // zoom and pick as on every chart.
  void SetClicksToWindow(bool on);

  bool PeriodogramShown() const { return periodogramShown_; }
  // Pixels of the horizontal axis.
  int PlotWidth() const;
  // The plotted point (index into Points()) nearest to a widget pixel.
  std::optional<size_t> PlotPointNear(const QPoint& pixel) const;
  const std::vector<PlotPoint>& Points() const { return points_; }
  const Periodogram& PeriodogramPoints() const { return periodogram_; }

 signals:
  // Horizontal value under the pointer; `inside` the plot.
  void readout(double x, bool inside);
  // A click on the picture while clicks go to the window.
  void pictureClicked(QPoint pixel, double x);
  // A click on a trial of the periodogram.
  void trialClicked(size_t index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void ApplyAxes();

  // Series1: tens of thousands of points stamped by one item of the chart,
  // several times quicker than a point series of the panel.
  PointCloud* series1_;
  int series2_ = 0;
  int series3_ = 0;
  std::vector<PlotPoint> points_;
  Periodogram periodogram_;
  bool periodogramShown_ = false;
  bool phaseView_ = false;
  bool marks_ = false;
  bool clicksToWindow_ = false;
  AxisSettings axes_;
  double horizontalIncrement_ = 0.1;
};

}  // namespace lumenda::ui
