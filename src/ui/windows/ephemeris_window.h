// The ephemeris window (TFCalcEfe): the dates and times at which the star
// passes a phase between two dates, listed in a fixed-width font, copied to
// the clipboard or saved as text.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "period/ephemeris.h"

namespace lumenda::ui {

class EphemerisWindow : public QDialog {
  Q_OBJECT

 public:
  explicit EphemerisWindow(QWidget* parent = nullptr);

  // Takes the star, epoch, period and phase of the click and shows the
  // window modally. The dates stay from one opening to the next.
  void Open(const EphemerisInput& input);
  // The same without waiting (the screenshot program).
  void Fill(const EphemerisInput& input);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Calculate();  // "Calcular"
  void Copy();       // "Copiar"
  void SaveAs();     // "Guardar como..."
  EphemerisInput Input() const;

  QLabel* name_;
  QLabel* epoch_;
  QLabel* period_;
  QLineEdit* phase_;
  QPushButton* zero_;
  QLineEdit* start_;
  QLineEdit* end_;
  QPlainTextEdit* list_;
  QPushButton* calculate_;
  QPushButton* copy_;
  QPushButton* save_;
};

}  // namespace lumenda::ui
