// The light-curve window (TFGrafico): the results of a run as charts on the
// pages "Magnitudes", "Airmass / Transparencia / FWHM / Fondo", "Informe",
// "Infos previos" (developer mode) and "Variables?", with the point
// inspection, the trend correction by marks, "Guarda datos", the GIF
// pictures and the AUTO mode that measures new images while the night goes on.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <array>

#include "platform/background_job.h"
#include "run/auto_scan.h"
#include "session/session.h"
#include "text/progress.h"
#include "widgets/chart_panel.h"

namespace lumenda::ui {

class ConditionsPage;
class ReportPage;
class VariablesPage;
class GraphSettingsWindow;
class DataWindow;
class AavsoDialog;
class AlcdefDialog;
class CdrDialog;

class LightCurveWindow : public QDialog {
  Q_OBJECT

 public:
  LightCurveWindow(Session& session, QWidget* parent = nullptr);
  ~LightCurveWindow() override;

  // The windows this one opens (created in their own place of the
  // creation order).
  void SetWindows(GraphSettingsWindow* settings, DataWindow* data, AavsoDialog* aavso,
                  AlcdefDialog* alcdef, CdrDialog* cdr);

  // "Gráficos / Informes" of the main window: refused without results;
  // otherwise the star choosers are filled, the window shown modally on
  // "Magnitudes", and a change of the data reminded of when it closes.
  void OpenFromMain();

  // The AUTO button shows after a run and hides after a recovery.
  void SetAutoAvailable(bool available);
  // Switches AUTO off (a run that stopped on an error hides the button too).
  void StopAuto(bool hideButton);
  bool AutoOn() const { return autoOn_; }
  // Work of AUTO still running (the folder scan or a run).
  bool AutoBusy() const { return autoJob_.Running() || autoRunning_; }

  // Closing, whichever way: AUTO off, trend and marks cleared, the place and
  // size kept.
  void done(int result) override;

  // Everything recomputed from the results and the page shown drawn again,
  // as when the window becomes active.
  void Activate();

  ChartPanel* Chart1() const { return chart1_; }
  ConditionsPage* Conditions() const { return conditions_; }
  ReportPage* Report() const { return report_; }
  VariablesPage* Variables() const { return variables_; }
  QTabWidget* Pages() const { return pages_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QWidget* BuildMagnitudesPage();
  QWidget* BuildInfoPage();
  void ConnectSettings();
  void RebuildCurve();  // source rows from the mode, then grouped
  void Regroup();       // grouped again only
  void AfterRecompute();
  void FillPage();  // the chart of the page shown
  void FillMagnitudes();
  void FillInfo();
  void ShowLook();
  void PointClicked(int series, int index);
  void SaveStarData(const QString& name);  // "Guarda datos"
  // Trend correction.
  void StartMarking();  // "Corregir inclinación"
  void MarkPressed(QPointF value, QPoint pixel);
  void Correct();         // "Corregir"
  void UndoCorrection();  // "Deshacer"
  void EndMarking();      // "Cancelar" and after a correction
  void DrawMarks();
  void ClearMarks();
  // AUTO.
  void ToggleAuto();  // "Activar AUTO" / "Cancelar AUTO"
  void AutoTick();
  void AutoScanned(AutoScanOutcome outcome);
  void AutoMeasured(Result<RunResult> outcome);
  void RearmAuto();
  void SetBusy(bool busy);

  Session& session_;
  GraphSettingsWindow* settings_ = nullptr;
  DataWindow* data_ = nullptr;

  QTabWidget* pages_;
  // "Magnitudes"
  QWidget* pnGrafico_;  // the chart and its labels: the page's picture
  ChartPanel* chart1_;
  int series1_, series4_, series6_, series7_, series2_, series3_;
  QLabel *label2_, *label4_, *label5_, *label9_, *label12_, *lbComentario1_, *lbComentario2_;
  QWidget* panelIn_;
  QLabel* label28_;
  QPushButton *bConfiguracion_, *bInclinacion_, *bDeshacerZoom_, *bAuto_, *button18_, *button4_;
  QLabel *lbFecha_, *lbAuto_;
  int markState_ = 0;  // the mark the next press sets (0..3)
  int previousXSeparation_ = 40;
  // Pages.
  ConditionsPage* conditions_;
  ReportPage* report_;
  QWidget* info_ = nullptr;  // "Infos previos" (developer mode)
  std::array<QPlainTextEdit*, 3> infoLists_{};
  VariablesPage* variables_;

  // AUTO.
  QTimer* timerAuto_;  // TimerAuto
  QTimer autoProgressTimer_;
  bool autoOn_ = false;
  bool autoRunning_ = false;
  AutoScanMemory autoMemory_;
  ProgressMailbox autoProgress_;
  BackgroundJob autoJob_;
};

}  // namespace lumenda::ui
