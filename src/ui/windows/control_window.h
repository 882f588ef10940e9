// The linearity warning (TFControl): what went above the linearity level
// during a run.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <string>
#include <vector>

namespace lumenda::ui {

class ControlWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ControlWindow(QWidget* parent = nullptr);
  // Fills the list with the run's report lines.
  void SetReport(const std::vector<std::string>& lines);

 private:
  QListWidget* list_;
};

}  // namespace lumenda::ui
