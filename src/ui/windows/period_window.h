// The period-analysis window (TFAnaPer): observation files in, the period
// search with its periodogram and list of dips, the folded light curve and
// its tools, the result, the report, the period data file and the
// ephemerides. Everything it shows comes from the session's period state.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/background_job.h"
#include "session/session.h"
#include "text/progress.h"

namespace lumenda::ui {

class PeriodChart;
class PeriodRangeDialog;
class EphemerisWindow;
class PeriodReportWindow;

class PeriodWindow : public QDialog {
  Q_OBJECT

 public:
  // The dialogs it opens are created by the program in their own order and
  // handed in; they outlive the window.
  PeriodWindow(Session& session, PeriodRangeDialog& range, EphemerisWindow& ephemeris,
               PeriodReportWindow& report, QWidget* parent = nullptr);
  ~PeriodWindow() override;

  // "Análisis de periodo": shows the window modally.
  void Open();

  // The handlers, public for the screenshot program and the benchmark.
  void OpenObservationFiles(const QStringList& paths);
  void StartSearch();
  bool Searching() const { return job_.Running() || searchPending_; }
  void StopSearch();
  void PickPeriodAt(double period);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class ClickMode { kNone, kDelete, kSeries, kOrigin, kEphemeris };

  void BuildLayout();
  QGroupBox* BuildPeriodGroup();
  QGroupBox* BuildMagnitudeGroup();
  QGroupBox* BuildOffsetGroup();
  QGroupBox* BuildViewGroup();
  QGroupBox* BuildClickGroup();
  QGroupBox* BuildAxisGroup();
  void Connect();

  // "Abre observaciones...", "Cálculo de periodo..." and its end.
  void ChooseObservationFiles();
  void SearchDone(Result<Periodogram> found, const PeriodSearchJob& job);
  void ShowSearchProgress();
  void FinishPeriodogram(const Status& status);

  void PeriodPicked();  // after any pick: enables the tools, draws
  void Refine();
  // Runs `work` on a copy of the state on the worker (the controls off
  // meanwhile) and takes the copy back as the state when it ends.
  void WorkOnCopy(std::function<void(PeriodState&)> work);
  void ManualPeriod();
  void ArrowKey(int key);
  void ChartClicked(QPoint pixel, double x);
  void PointerMoved(double x, bool inside);
  void SaveGif();
  void SaveData();
  void RecoverData();
  void Report();
  void Rename();

  // Draws the state: the labels, then the periodogram or the picture.
  void Redraw();
  void ShowLabels();
  void ShowSeriesOffset();
  void FillSeriesChooser();
  void FillMinima();
  ClickMode Mode() const;
  void ClearClickMode();
  void SetSearchRunning(bool running);
  // The tools a picked period enables (and a search disables).
  void EnablePeriodTools(bool on);
  int MeanHalfWidth() const;
  void FocusChart();

  Session& session_;
  PeriodState& state_;
  PeriodRangeDialog& range_;
  EphemerisWindow& ephemeris_;
  PeriodReportWindow& report_;

  PeriodChart* chart_;
  QWidget* page_;  // the chart with the observer and version: the GIF picture
  QLabel* observer_;
  QLabel* version_;
  QPushButton* open_;
  QPushButton* search_;
  QPushButton* stop_;
  QLabel* label1_;  // the period
  QLabel* label2_;  // the dispersion
  QLabel* label3_;  // the step, or the progress of a search
  QLabel* phaseReadout_;
  QLineEdit* name_;
  QPushButton* rename_;
  QPushButton* refine_;
  QPushButton* manual_;
  QLineEdit* manualPeriod_;
  QRadioButton* absolute_;
  QRadioButton* relative_;
  QComboBox* series_;
  QLabel* seriesOffset_;
  QComboBox* offsetStep_;
  QPushButton* offsetUp_;
  QPushButton* offsetDown_;
  QPushButton* offsetUndo_;
  QPushButton* offsetAuto_;
  QCheckBox* phases_;
  QCheckBox* marks_;
  QPushButton* marginPlus_;
  QPushButton* marginMinus_;
  QCheckBox* mean_;
  QSpinBox* meanWidth_;
  QButtonGroup* clickModes_;
  QRadioButton* modeDelete_;
  QRadioButton* modeSeries_;
  QRadioButton* modeOrigin_;
  QRadioButton* modeEphemeris_;
  QPushButton* autoDelete_;
  QPushButton* undoDelete_;
  QSpinBox* verticalDecimals_;
  QSpinBox* verticalSeparation_;
  QSpinBox* horizontalDecimals_;
  QSpinBox* horizontalSeparation_;
  QListWidget* minima_;
  QPushButton* undoZoom_;
  QPushButton* reportButton_;
  QPushButton* gif_;
  QPushButton* saveData_;
  QPushButton* recoverData_;

  // Every control a running search disables, and how they were before.
  std::vector<QWidget*> controls_;
  std::vector<bool> enabledBeforeSearch_;

  BackgroundJob job_;
  std::shared_ptr<ProgressMailbox> progress_ = std::make_shared<ProgressMailbox>();
  QTimer progressTimer_;
  bool searchPending_ = false;  // the job's end is still queued
  bool filterInstalled_ = false;
};

}  // namespace lumenda::ui
