// The picture of the image window: the rendered image with the star markers
// on top, the cross-hair cursor, and the pointer position in picture pixels.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>
#include <vector>

#include "run/star_selection.h"

namespace lumenda::ui {

class ImageView : public QWidget {
  Q_OBJECT

 public:
  explicit ImageView(QWidget* parent = nullptr);

  // The picture (picture pixels) to render into at this size. Pictures are
  // reused, one per zoom: a new 4096 x 4096 picture on every change of levels
  // or zoom costs more than its rendering. PictureRendered() shows it.
  QImage& PictureToRender(QSize size, double zoom);
  void PictureRendered() { update(); }
  const QImage& Picture() const { return picture_; }
  double Zoom() const { return zoom_; }
  // Markers in display coordinates at zoom 1, with the aperture radius.
  void SetMarkers(const std::vector<Marker>& markers, double radio);
  // A cross-hair drawn where the keyboard put the pointer (platforms that
  // cannot move the real pointer); none when empty.
  void SetKeyboardCross(std::optional<QPoint> at);

  // The picture with its markers, as "Guardar como..." writes it.
  QImage PictureWithMarkers() const;
  // Draws the markers in picture pixels (the magnifier, scaled).
  void DrawMarkers(QPainter& painter) const;

 signals:
  // Picture pixel under the pointer.
  void pointerMoved(QPoint picturePixel);
  void pointerLeft();
  // A left click on the picture.
  void clicked(QPoint picturePixel);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool OnPicture(QPoint p) const;

  QImage picture_;
  std::vector<QImage> spare_;  // the pictures of the other zooms
  double zoom_ = 1;
  std::vector<Marker> markers_;
  double radio_ = 10;
  std::optional<QPoint> cross_;
};

// The colour of a marker on the screen.
QColor MarkerQColor(MarkerColour colour);

}  // namespace lumenda::ui
