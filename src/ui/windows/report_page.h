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
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/latest_work.h"
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

  // The general report from the grouped rows; the format boxes are unticked
  // and the options enabled as the mode allows.
  void GeneralReport();
  // The report shown, line by line.
  std::vector<std::string> Lines() const { return lines_; }
  // A report asked for is not shown yet.
  bool Building() const { return work_.Pending(); }

 signals:
  void settingsRequested();  // "Configuración"
  void reportShown();        // a report replaced the memo

 private:
  using Report = std::vector<std::string>;
  // Builds a report on a worker (a long light curve in HJD takes a while):
  // the work gets its own copies of what it reads, and only the latest
  // report asked for is shown.
  void Build(std::function<Result<Report>(std::stop_token)> work);
  void ShowReport(Report lines);
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
  QPushButton* button8_;
  std::vector<std::string> lines_;
  LatestWork work_;
};

}  // namespace lumenda::ui
