// The data window (TFDatos): the values of a clicked point of the light
// curve and the deletion of every measurement of its image.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "curves/chart_series.h"
#include "session/session.h"

namespace lumenda::ui {

class DataWindow : public QDialog {
  Q_OBJECT

 public:
  DataWindow(Session& session, QWidget* parent = nullptr);

  // Fills the labels from the inspected point and shows the window modally.
  void ShowPoint(const PointInspection& point);
  // The labels only, without showing the window.
  void SetPoint(const PointInspection& point);

 private:
  void DeleteImageData();  // "Borrar datos de esta imagen..."

  Session& session_;
  QLabel *lbNombre_, *lbTU_, *lbMPC_, *lbJuliana_, *lbValor_, *lbCarpeta_, *lbArchivo_;
  QLabel* lbMomento_;  // "Un momento..."
  QPushButton* bBorrar_;
  std::string imagePath_;  // SelectedImagePath
};

}  // namespace lumenda::ui
