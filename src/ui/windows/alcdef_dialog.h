// "Lumenda - Informe ALCDEF" (TFAst): the metadata of the minor-planet light
// curve report.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "session/session.h"

namespace lumenda::ui {

class AlcdefDialog : public QDialog {
  Q_OBJECT

 public:
  AlcdefDialog(Session& session, QWidget* parent = nullptr);

  // Fills the fields as on opening and shows the dialog; the fields typed
  // are left in the session's report fields. Closing either way keeps the
  // contact fields in "ast.ini". False when cancelled.
  bool Ask();
  // The fields as on opening, without showing the dialog.
  void Fill();

 private:
  void Show(const AlcdefFields& fields);
  AlcdefFields Fields() const;
  QLineEdit* Edit(int number) const;

  Session& session_;
  QComboBox *comboBox1_, *comboBox4_, *comboBox5_;
  std::vector<QLineEdit*> edits_;  // by their number (Edit1 ... Edit75)
  QPlainTextEdit* memo1_;
};

}  // namespace lumenda::ui
