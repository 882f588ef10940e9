#include "widgets/small_controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace lumenda::ui {

ColourShape::ColourShape(const QString& accessibleName, QWidget* parent) : QFrame(parent) {
  setAccessibleName(accessibleName);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  setFixedSize(36, 20);
}

void ColourShape::SetColour(const QColor& colour) {
  colour_ = colour;
  update();
}

void ColourShape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect().adjusted(1, 1, -1, -1), colour_);
  p.setPen(hasFocus() ? palette().highlight().color() : Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColourShape::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit clicked();
}

void ColourShape::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
    emit clicked();
    return;
  }
  QFrame::keyPressEvent(event);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit clicked();
  QLabel::mousePressEvent(event);
}

void ForceUpperCase(QLineEdit* edit) {
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
    const QString upper = text.toUpper();
    if (upper == text) return;
    const int at = edit->cursorPosition();
    edit->setText(upper);
    edit->setCursorPosition(at);
  });
}

}  // namespace lumenda::ui
