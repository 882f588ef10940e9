#include "widgets/magnifier.h"

#include <QPainter>

#include "image/image_display.h"

namespace lumenda::ui {

Magnifier::Magnifier(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      view_(kMagnifierSize, kMagnifierSize, QImage::Format_RGB32) {
  setObjectName(QStringLiteral("TFLupa"));
  setWindowTitle(QStringLiteral("Lumenda - Lupa"));
  setAccessibleName(QStringLiteral("Lupa"));
  setFixedSize(kMagnifierSize, kMagnifierSize);
  view_.fill(QColor(128, 128, 128));
}

void Magnifier::SetMagnification(int magnification) {
  magnification_ = magnification == 5 ? 5 : 3;
}

void Magnifier::Show(const QImage& picture, QPoint at,
                     const std::function<void(QPainter&)>& overlay) {
  const MagnifierCrop crop = MagnifierSource(at.x(), at.y(), magnification_);
  view_.fill(QColor(128, 128, 128));
  QPainter painter(&view_);
  // Nearest pixels, so single pixels stay square.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  // Only the part of the square on the picture; the rest stays grey.
  const QRect square(crop.left, crop.top, crop.side, crop.side);
  const QRect source = square.intersected(picture.rect());
  if (!source.isEmpty()) {
    const int m = magnification_;
    const QRect target((source.left() - square.left()) * m, (source.top() - square.top()) * m,
                       source.width() * m, source.height() * m);
    painter.drawImage(target, picture, source);
    if (overlay) {
      painter.save();
      painter.setClipRect(target);
      painter.scale(m, m);
      painter.translate(-square.left(), -square.top());
      overlay(painter);
      painter.restore();
    }
  }
  painter.setPen(QPen(QColor(0, 255, 255), 1));
  const int c = crop.centre;
  painter.drawLine(c - kCrossHairOuter, c, c - kCrossHairInner, c);
  painter.drawLine(c + kCrossHairInner, c, c + kCrossHairOuter, c);
  painter.drawLine(c, c - kCrossHairOuter, c, c - kCrossHairInner);
  painter.drawLine(c, c + kCrossHairInner, c, c + kCrossHairOuter);
  painter.end();
  update();
}

void Magnifier::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, view_);
}

void Magnifier::keyPressEvent(QKeyEvent* event) {
  emit keyPressed(event);
}

void Magnifier::hideEvent(QHideEvent* event) {
  emit placeLeft(pos());
  QWidget::hideEvent(event);
}

}  // namespace lumenda::ui
