// The graph settings (TFConfG): every choice that shapes the light-curve
// window, on two pages ("Configuración", "Resumen y comentarios"). The
// choices live in the session's graph settings; this window shows and edits
// them and tells the light-curve window what to recompute.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <array>

#include "session/session.h"
#include "widgets/small_controls.h"

namespace lumenda::ui {

class RenameWindow;

// The colour picker, with the custom colours of "color.ini", on a colour of
// "grafico.ini" (red in the lowest byte). True when one was chosen.
bool PickStoredColour(Settings& settings, int& stored);
// The colour of a "grafico.ini" value.
QColor ColourOfStored(int stored);

class GraphSettingsWindow : public QDialog {
  Q_OBJECT

 public:
  GraphSettingsWindow(Session& session, QWidget* parent = nullptr);

  // The rename window that "Cambio de nombre" shows.
  void SetRenameWindow(RenameWindow* window) { rename_ = window; }

  // Fills "Variable 1" and "Variable 2" with the star names of the results
  // and selects the session's choices (the first items when out of range).
  void FillStarChoosers();
  // Shows the session's choices in the controls.
  void ShowSettings();
  // "Resumen y comentarios" from the current source rows.
  void FillSummary();

 signals:
  // The source rows must be rebuilt (stars, mode, grouping), then redrawn.
  void curveChanged();
  // Only the grouping of the rows (time scale), then redrawn.
  void groupingChanged();
  // Only the drawing.
  void lookChanged();
  // "Recuperar preferencias" set the light-curve window's place and size.
  void geometryRestored();
  // The star names changed ("Cambio de nombre").
  void namesChanged();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* BuildSettingsPage();
  QWidget* BuildSummaryPage();
  void ConnectReactions();
  void ClearTrend();
  void ModeChosen();
  void ApplyModeLook();
  void SavePreferences();
  void RecoverPreferences();
  void DefaultValues();
  void RenameStars();
  void AddToComment(const QString& text);

  Session& session_;
  RenameWindow* rename_ = nullptr;
  bool syncing_ = false;  // controls being set from the session: no reactions

  QTabWidget* pages_;
  QComboBox *cbVar1_, *cbVar2_;
  QRadioButton *rbDiferencial_, *rbAbsoluta_, *rbBrillo_, *rbFlujos_;
  ColourShape *shape3_, *shape1_, *shape2_, *shape4_, *shape5_;
  QSpinBox *upVar1T_, *upVar2T_, *upMedia1_, *upMedia2_, *upMM_;
  QComboBox *cbVar1S_, *cbVar2S_, *cbMediaStyl1_, *cbMediaStyl2_;
  QCheckBox *cbMM1_, *cbMM2_, *cbBarras_;
  QRadioButton *rbMMFechas_, *rbMMTodo_;
  QRadioButton *rbFJH_, *rbFJG_, *rbFJB_, *rbFMPC_, *rbFH_;
  QSpinBox *upDown3_, *upDown4_, *upDown1_, *upDown2_, *upMargen_;
  QRadioButton *rbImagenes_, *rbMinutos_;
  QSpinBox *udImagenes_, *udMinutos_, *udDesV1_, *udDesV2_;
  QComboBox *cbV1_, *cbV2_;
  QLabel* lbDecimalesV_;
  QWidget* gbDesplazamiento_;

  // Summary: name and six values per star.
  std::array<std::array<ClickableLabel*, 7>, 2> summary_{};
  std::array<QLineEdit*, 2> comments_{};
  std::array<QRadioButton*, 2> commentTargets_{};
};

}  // namespace lumenda::ui
