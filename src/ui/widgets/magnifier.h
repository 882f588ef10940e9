// The magnifier (TFLupa): a square of the picture around the pointer, three
// or five times larger, with a cyan cross-hair. It stays on top of the other
// windows and remembers where it was.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>

class QPainter;

namespace lumenda::ui {

class Magnifier : public QWidget {
  Q_OBJECT

 public:
  explicit Magnifier(QWidget* parent = nullptr);

  // 3 or 5.
  void SetMagnification(int magnification);
  int Magnification() const { return magnification_; }
  // Shows the picture around picture pixel `at`, with what `overlay` draws
  // on it in picture pixels (the star markers) magnified alike.
  void Show(const QImage& picture, QPoint at, const std::function<void(QPainter&)>& overlay = {});
  // What the magnifier shows (its client area).
  const QImage& View() const { return view_; }

 signals:
  // A key pressed here acts as in the image window.
  void keyPressed(QKeyEvent* event);
  // Hidden or closed: its place, to be remembered.
  void placeLeft(QPoint topLeft);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  int magnification_ = 3;
  QImage view_;
};

}  // namespace lumenda::ui
