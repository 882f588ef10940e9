// Small controls of the settings and report windows: a colour swatch that
// opens the colour picker when clicked, a label that reports clicks, and
// edit fields that keep what is typed in upper case.
#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace lumenda::ui {

class ColourShape : public QFrame {
  Q_OBJECT

 public:
  explicit ColourShape(const QString& accessibleName, QWidget* parent = nullptr);
  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QColor colour_ = Qt::white;
};

class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

// What is typed into `edit` turns upper case as it is typed.
void ForceUpperCase(QLineEdit* edit);

}  // namespace lumenda::ui
