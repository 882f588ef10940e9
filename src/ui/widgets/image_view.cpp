#include "widgets/image_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

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

QImage& ImageView::PictureToRender(QSize size, double zoom) {
  if (picture_.size() != size) {
    const auto kept = std::find_if(spare_.begin(), spare_.end(),
                                   [size](const QImage& p) { return p.size() == size; });
    QImage next = kept != spare_.end() ? std::move(*kept) : QImage(size, QImage::Format_RGB32);
    if (kept != spare_.end()) spare_.erase(kept);
    if (!picture_.isNull()) spare_.push_back(std::move(picture_));
    if (spare_.size() > 2) spare_.erase(spare_.begin());
    picture_ = std::move(next);
    setFixedSize(size);
  }
  zoom_ = zoom;
  return picture_;
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
