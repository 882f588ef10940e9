// The page "Airmass / Transparencia / FWHM / Fondo" of the light-curve
// window: the observing conditions of every image against time.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>
#include <array>

#include "session/session.h"
#include "widgets/chart_panel.h"
#include "widgets/small_controls.h"

namespace lumenda::ui {

class ConditionsPage : public QWidget {
  Q_OBJECT

 public:
  ConditionsPage(Session& session, QWidget* parent = nullptr);

  // Draws the charts from the source rows (one point per image), on the time
  // axis of the "Magnitudes" chart (its day base must be set), whose caption
  // is `timeCaption`.
  void Fill(const QString& timeCaption);
  ChartPanel* Chart(int i) const { return charts_.at(static_cast<size_t>(i)); }

 private:
  void ShowLook();

  Session& session_;
  QWidget* picture_;                     // what "Guardar como..." saves
  QLabel* lbEscala_;                     // the time scale and its day base
  std::array<ChartPanel*, 5> charts_{};  // air mass, transparency, FWHM, background, drift
  ColourShape *shpLinea1_, *shpLinea2_, *shpFondo_;
  QSpinBox* upGrosor_;
};

}  // namespace lumenda::ui
