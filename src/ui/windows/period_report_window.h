// The report window of the period analysis (TFInfoPeri): the plotted points
// as text in a fixed-width font, and "Guardar como...".
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>
#include <vector>

namespace lumenda::ui {

class PeriodReportWindow : public QDialog {
  Q_OBJECT

 public:
  explicit PeriodReportWindow(QWidget* parent = nullptr);

  // Shows the report lines modally.
  void Open(const std::vector<std::string>& lines);
  // The same without waiting (the screenshot program).
  void Fill(const std::vector<std::string>& lines);

 private:
  void SaveAs();  // "Guardar como..."

  QPlainTextEdit* text_;
  QPushButton* save_;
};

}  // namespace lumenda::ui
