// "Lumenda - Informe AAVSO" (TFAavso): the observer's and the stars'
// identifiers of the AAVSO extended report.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include "session/session.h"

namespace lumenda::ui {

class AavsoDialog : public QDialog {
  Q_OBJECT

 public:
  AavsoDialog(Session& session, QWidget* parent = nullptr);

  // Fills the fields as on opening, shows the dialog modally and, after
  // "Aceptar" with valid fields, keeps them in the session (OBSCODE, FILTER
  // and CHART also in the settings). False when cancelled.
  bool Ask();
  // The fields as on opening, without showing the dialog.
  void Fill();

 private:
  void Accept();  // "Aceptar": the fields are checked in order
  AavsoFields Fields() const;

  Session& session_;
  QLineEdit *edit1_, *edit2_, *edit3_, *edit4_, *edit6_, *edit5_;
  QComboBox* comboBox1_;
};

}  // namespace lumenda::ui
