// "Lumenda - Informe CdR" (TFCdR): the keyword fields of the CdR report.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <array>
#include <string>
#include <vector>

#include "session/session.h"

namespace lumenda::ui {

class CdrDialog : public QDialog {
  Q_OBJECT

 public:
  CdrDialog(Session& session, QWidget* parent = nullptr);

  // Shows the dialog with NOM set to Variable 1; after "Aceptar" the fields
  // are left in the session's report fields and kept in the settings. False
  // when cancelled.
  bool Ask();
  // The fields as on opening, without showing the dialog.
  void Fill();

 private:
  Session& session_;
  std::array<QLineEdit*, 7> edits_{};  // FMT, NOM, MES, TEL, CAP, CAT, POS
  QComboBox* cbFil_;
};

}  // namespace lumenda::ui
