// The rename window (TFCambiaVar): new names for the measured stars, applied
// at once to the results file and every table.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "session/session.h"

namespace lumenda::ui {

class RenameWindow : public QDialog {
  Q_OBJECT

 public:
  RenameWindow(Session& session, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void NameChosen();
  void Change();  // "Cambiar"
  void Apply();   // "Aplicar cambios"

  Session& session_;
  QListWidget* listBox1_;              // the names as they will be
  std::vector<std::string> previous_;  // the names when the window opened
  QLineEdit* edit1_;
  QPushButton* button2_;  // Cambiar
  QPushButton* button1_;  // Aplicar cambios
  int edited_ = -1;
};

}  // namespace lumenda::ui
