// The star selection dialog (TFSel): the read-outs of the clicked star, a
// magnified view of it, its name and its role.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <optional>
#include <string>

#include "run/star_selection.h"

namespace lumenda::ui {

struct SelectionRequest {
  SelectionReadout readout;      // the star measured at the click
  QImage picture;                // the displayed picture
  double zoom = 1;               // its zoom factor
  bool todasOffered = false;     // "Todas" can be chosen
  std::string defaultCalibrado;  // "CAL-n"
  std::string defaultVariable;   // "VAR-n"
};

struct SelectionAnswer {
  SelectionRole role = SelectionRole::kNone;
  std::string name;
};

class StarSelectionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit StarSelectionDialog(QWidget* parent = nullptr);

  // Fills the dialog for one click (name cleared, no role chosen).
  void Prepare(const SelectionRequest& request);
  // Shows it modally: the answer, or nothing when cancelled.
  std::optional<SelectionAnswer> Ask(const SelectionRequest& request);

  // "Aceptar" is refused, with its message, until a role (and a name for a
  // comparison or variable star) is given.
  void accept() override;

 private:
  void ShowMagnified();
  SelectionRole Role() const;

  SelectionRequest request_;
  QLabel* lX_;
  QLabel* lY_;
  QLabel* lADU_;
  QLabel* lMAX_;
  QLabel* lFWHM_;
  QLabel* lAR_;
  QLabel* lDEC_;
  QLabel* lMAG_;
  QLabel* view_;
  QCheckBox* cbX2_;
  QLineEdit* eNombre_;
  QRadioButton* rbCal_;
  QRadioButton* rbVar_;
  QRadioButton* rbTodas_;
};

}  // namespace lumenda::ui
