// The settings dialog (TFConf): five pages chosen by buttons, masked fields
// with their checks, saved to "lumenda2.ini" whenever it closes.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>

#include "app/app_context.h"
#include "widgets/masked_edit.h"

namespace lumenda::ui {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(AppContext& context, QWidget* parent = nullptr);

  // Fills the fields from the settings and shows the first page.
  void Prepare();
  // The pages, in the order of their buttons.
  enum Page { kOptics, kPhotometry, kDetection, kAutomatic, kObservatory };
  void ShowPage(int page);

  // Closing (by "Aceptar" or the close box) is refused while a field fails
  // its check; otherwise the fields are saved.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildPage(int page);
  void Store();
  // The field that fails its check, or nullptr.
  QWidget* FailingRadius() const;
  QWidget* FailingTrackingRadius() const;
  void ReturnFocus(QWidget* field);

  AppContext& context_;
  QStackedWidget* pages_;
  QButtonGroup* pageButtons_;
  QCheckBox* cbFlipX_;
  QCheckBox* cbFlipY_;
  MaskedEdit* meRes_;
  MaskedEdit* meLsat_;
  MaskedEdit* meRadio_;
  MaskedEdit* meRadioI_;
  MaskedEdit* meRadioE_;
  QSlider* tbControl_;
  QLineEdit* eControl_;
  MaskedEdit* meMinAdu_;
  MaskedEdit* meMinRsr_;
  MaskedEdit* meRadioS_;
  QRadioButton* rbFiltroNo_;
  QRadioButton* rbFiltroIn_;
  QRadioButton* rbFiltroEx_;
  QLineEdit* eFiltroIn_;
  QLineEdit* eFiltroEx_;
  MaskedEdit* meLat_;
  QComboBox* cbLat_;
  MaskedEdit* meLon_;
  QComboBox* cbLon_;
  QLineEdit* eObs_;
};

}  // namespace lumenda::ui
