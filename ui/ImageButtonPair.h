// A picture button made of two stacked pictures: the normal one on top and
// the pressed one under it. The holder (their common parent) keeps the
// mouse while a button is down, because the picture that took the press
// is hidden at once and could not receive the rest.
#pragma once

#include <functional>

#include <QObject>
#include <QPointF>

class QWidget;

class ImageButtonPair final : public QObject {
  Q_OBJECT
 public:
  // pressedFlag is the window's flag for this pair; click runs on a left
  // release over the normal picture.
  ImageButtonPair(QWidget* normal, QWidget* pressed, bool& pressedFlag, std::function<void()> click);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Press();
  void Move(QPointF position);
  void Release(QPointF position, bool leftButton);
  void ShowPressed(bool pressedLook);
  bool Inside(QPointF position) const;

  QWidget* normal_;
  QWidget* pressed_;
  QWidget* holder_;
  bool& pressedFlag_;
  bool holding_ = false;
  std::function<void()> click_;
};
