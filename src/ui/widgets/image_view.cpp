#include "widgets/image_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/text.h"

namespace lumenda::ui {

QColor MarkerQColor(MarkerColour colour) {
  switch (colour) {
    case MarkerColour::kCyan:
      return QColor(0, 255, 255);
    case MarkerColour::kGreen:
      return QColor(0, 255, 0);
    case MarkerColour::kYellow:
      break;
  }
  return QColor(255, 255, 0);
}

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Image1"));
  setAccessibleName(QStringLiteral("Imagen"));
  setMouseTracking(true);
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::SetPicture(QImage picture, double zoom) {
  picture_ = std::move(picture);
  zoom_ = zoom;
  setFixedSize(picture_.size());
  update();
}

void ImageView::SetMarkers(const std::vector<Marker>& markers, double radio) {
  markers_ = markers;
  radio_ = radio;
  update();
}

void ImageView::SetKeyboardCross(std::optional<QPoint> at) {
  cross_ = at;
  update();
}

bool ImageView::OnPicture(QPoint p) const {
  return p.x() >= 0 && p.y() >= 0 && p.x() < picture_.width() && p.y() < picture_.height();
}

void ImageView::DrawMarkers(QPainter& painter) const {
  const int r = MarkerRadius(radio_, zoom_);
  painter.setBrush(Qt::NoBrush);
  for (const Marker& m : markers_) {
    const QColor colour = MarkerQColor(m.colour);
    const QPointF centre(m.x * zoom_, m.y * zoom_);
    painter.setPen(QPen(colour, 1));
    painter.drawEllipse(centre, r, r);
    // The name's top-left corner at the star's x and y + radius.
    const QFontMetrics fm = painter.fontMetrics();
    painter.drawText(QPointF(centre.x(), centre.y() + r + fm.ascent()), Q(m.name));
  }
}

void ImageView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect().topLeft(), picture_, event->rect());
  DrawMarkers(painter);
  if (cross_) {
    painter.setPen(QPen(QColor(0, 255, 255), 1));
    const QPoint c = *cross_;
    painter.drawLine(c.x() - 8, c.y(), c.x() - 2, c.y());
    painter.drawLine(c.x() + 2, c.y(), c.x() + 8, c.y());
    painter.drawLine(c.x(), c.y() - 8, c.x(), c.y() - 2);
    painter.drawLine(c.x(), c.y() + 2, c.x(), c.y() + 8);
  }
}

QImage ImageView::PictureWithMarkers() const {
  QImage out = picture_.copy();
  QPainter painter(&out);
  painter.setFont(font());
  DrawMarkers(painter);
  return out;
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (OnPicture(p)) {
    setCursor(Qt::CrossCursor);
    emit pointerMoved(p);
  } else {
    unsetCursor();
    emit pointerLeft();
  }
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && OnPicture(p)) emit clicked(p);
}

void ImageView::leaveEvent(QEvent*) {
  emit pointerLeft();
}

}  // namespace lumenda::ui
