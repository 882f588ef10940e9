// The page "Informe" of the light-curve window: the general report with its
// column options and decimals, or the AAVSO, ALCDEF or CdR report, and
// "Guardar como...".
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/background_job.h"
#include "session/session.h"

namespace lumenda::ui {

class AavsoDialog;
class AlcdefDialog;
class CdrDialog;

class ReportPage : public QWidget {
  Q_OBJECT

 public:
  ReportPage(Session& session, QWidget* parent = nullptr);
  void SetDialogs(AavsoDialog* aavso, AlcdefDialog* alcdef, CdrDialog* cdr);

  // The general report from the grouped rows (built on a worker: a long
  // light curve in HJD or BJD takes a while); the format boxes are unticked
  // and the options enabled as the mode allows.
  void GeneralReport();
  // The report shown, line by line.
  std::vector<std::string> Lines() const { return lines_; }
  // A general report asked for is not shown yet.
  bool Building() const { return shown_ != generation_; }

 signals:
  void settingsRequested();  // "Configuración"
  void reportShown();        // a report replaced the memo

 private:
  void ShowReport(std::vector<std::string> lines);
  // The options of the general report, or (`shown`) those left while the
  // report of that box is shown.
  void EnableOptions(QCheckBox* shown);
  void OptionChanged();
  void AavsoClicked(bool checked);
  void AlcdefClicked(bool checked);
  void CdrClicked(bool checked);
  void SaveAs();  // "Guardar como..."

  Session& session_;
  AavsoDialog* aavso_ = nullptr;
  AlcdefDialog* alcdef_ = nullptr;
  CdrDialog* cdr_ = nullptr;
  QCheckBox *cbOrden2_, *cbCant2_, *cbRSR2_, *cbAirmass_, *cbTrans_, *cbFWHM_, *cbBrillo_;
  QSpinBox* upDec2_;
  QLabel* lbDecimales_;
  QCheckBox *cbAAVSO_, *cbALCDEF_, *cbCdR_;
  QPlainTextEdit* mInforme2_;
  std::vector<std::string> lines_;
  // One worker per general report asked for: a new report never waits for
  // an older one, whose result is dropped.
  std::list<std::unique_ptr<BackgroundJob>> jobs_;
  int generation_ = 0;  // the latest report asked for
  int shown_ = 0;       // the report on show
};

}  // namespace lumenda::ui
