// The image window (TFFoto): the first image of the list with adjustable
// black level, range and zoom, the pointer read-out and the magnifier, where
// the user marks the stars to measure (or relocates those of a star file).
#pragma once

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <optional>
#include <string>

#include "app/app_context.h"
#include "image/fits_image.h"
#include "image/image_display.h"
#include "image/plate_solution.h"
#include "platform/background_job.h"
#include "run/star_selection.h"
#include "text/progress.h"
#include "widgets/image_view.h"
#include "widgets/magnifier.h"

namespace lumenda::ui {

class StarSelectionDialog;

struct ImageWindowSetup {
  std::string path;              // the first image of the list
  bool primeraSerie = true;      // a first series marks afresh
  bool forceIndividual = false;  // "Forzar selección individual"
  double scale = 0;              // arc seconds per pixel (coordinates window)
};

class ImageWindow : public QDialog {
  Q_OBJECT

 public:
  // `image` is the program's current image; the window loads into it.
  ImageWindow(AppContext& context, TPlaca& image, StarSelectionDialog& selection,
              ImageWindowSetup setup, QWidget* parent = nullptr);
  ~ImageWindow() override;

  // Loads the image and shows it at its automatic levels. False, with the
  // image's message shown, when it cannot be read.
  bool Load();

  // The stars marked (taken by the main window after "Aceptar").
  const StarMarking& Marking() const { return marking_; }
  ImageView& View() { return *view_; }
  Magnifier& Lupa() { return *lupa_; }
  const DisplayView& Display() const { return display_; }
  // "Todas" is locating the stars of the field (until its stars are added).
  bool Locating() const { return locating_; }

  void done(int result) override;

 signals:
  // "Todas" starts (before its work is handed to the worker) or ends.
  void locatingChanged(bool locating);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  void RestoreGeometry();
  void StoreGeometry();
  void ChooseMode();
  void Render();
  void SetLevels(int fondo, int rango);
  void Restore();
  void SetZoom(int zoomCode);
  void PointerAt(QPoint picturePixel);
  void ClickAt(QPoint picturePixel);
  void MarkStar(double x, double y);
  void LocateAllStars();
  void ReferenceClick(double x, double y);
  void Relocate();
  void SavePicture();
  void SaveStars();
  void RecoverStars();
  void Busy(bool busy, const QString& status);
  void ShowMarkers();
  void MoveKeyboardPointer(int dx, int dy);
  ApertureSettings Aperture() const;

  AppContext& context_;
  TPlaca& image_;
  StarSelectionDialog& selection_;
  ImageWindowSetup setup_;
  StarMarking marking_;
  PlateReading plate_;
  DisplayLevels levels_;
  DisplayView display_;
  bool activated_ = false;
  bool busy_ = false;
  bool locating_ = false;
  std::optional<QPoint> pointer_;  // last pointer position on the picture
  bool keyboardCross_ = false;     // the real pointer cannot be moved here
  BackgroundJob job_;
  QTimer locateTimer_;
  ProgressMailbox locateProgress_;  // "Todas": the search posts here, the timer shows it

  ImageView* view_;
  QScrollArea* area_;
  Magnifier* lupa_;
  QScrollBar* scrollBar3_;  // Fondo
  QScrollBar* scrollBar4_;  // Rango
  QLabel* lFondo_;
  QLabel* lRango_;
  QPushButton* button2_;  // Restaura
  QRadioButton* rbZ1_;
  QRadioButton* rbZ05_;
  QRadioButton* rbz025_;
  QPushButton* bitBtn1_;  // magnifier
  QRadioButton* rbX3_;
  QRadioButton* rbX5_;
  QPushButton* button4_;  // Guardar como...
  QPushButton* button6_;  // Recupera posiciones...
  QPushButton* button7_;  // Guarda posiciones...
  QPushButton* button3_;  // Aceptar
  QPushButton* button5_;  // Cancelar
  QLabel* lX_;
  QLabel* lY_;
  QLabel* lI_;
  QLabel* lAR_;
  QLabel* lDEC_;
  QLabel* lEstado_;
};

}  // namespace lumenda::ui
