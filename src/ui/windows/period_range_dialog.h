// The range dialog of the period search (TFDatoPer): the shortest and
// longest trial period, the relative increment and the live count of trials.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lumenda::ui {

class PeriodRangeDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PeriodRangeDialog(QWidget* parent = nullptr);

  // Shows the dialog modally with the range texts the search proposes;
  // false when the user cancelled. The increment chosen is kept for the
  // next time, as the list keeps it.
  bool Ask(const QString& minText, const QString& maxText);

  QString MinText() const;
  QString MaxText() const;
  int IncrementIndex() const;

 protected:
  void done(int result) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Recount();

  QLineEdit* minimum_;
  QLineEdit* maximum_;
  QComboBox* increment_;
  QLabel* count_;
  QPushButton* accept_;
  QPushButton* cancel_;
};

}  // namespace lumenda::ui
