// The coordinates window (TFCoord): the field centre, the site and the plate
// scale confirmed when a series is listed, and the time correction.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include "app/app_context.h"
#include "run/image_list.h"
#include "widgets/masked_edit.h"

namespace lumenda::ui {

class CoordinatesWindow : public QDialog {
  Q_OBJECT

 public:
  explicit CoordinatesWindow(AppContext& context, QWidget* parent = nullptr);

  // Fills the fields (the time correction from the settings).
  void Prepare(const CoordinateTexts& texts);
  // The texts as the user left them.
  CoordinateTexts Texts() const;

  // Closing is refused while "Segundos:" is not a number; otherwise the
  // time correction goes to the settings.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool TimeCorrectionValid() const;

  AppContext& context_;
  MaskedEdit* meAR_;
  MaskedEdit* meDec_;
  QComboBox* cbDec_;
  MaskedEdit* meLat_;
  QComboBox* cbLat_;
  MaskedEdit* meLon_;
  QComboBox* cbLon_;
  MaskedEdit* meRes_;
  QLineEdit* meTiempo_;
};

}  // namespace lumenda::ui
