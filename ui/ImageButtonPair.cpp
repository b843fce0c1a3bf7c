#include "ui/ImageButtonPair.h"

#include <QMouseEvent>
#include <QWidget>

ImageButtonPair::ImageButtonPair(QWidget* normal, QWidget* pressed, bool& pressedFlag, std::function<void()> click)
    : QObject(normal),
      normal_(normal),
      pressed_(pressed),
      holder_(normal->parentWidget()),
      pressedFlag_(pressedFlag),
      click_(std::move(click)) {
  normal_->installEventFilter(this);
  holder_->installEventFilter(this);
}

bool ImageButtonPair::eventFilter(QObject* watched, QEvent* event) {
  if (!normal_->isEnabled()) return false;
  const auto* mouse = dynamic_cast<QMouseEvent*>(event);
  if (mouse == nullptr) return false;
  if (watched == normal_ && event->type() == QEvent::MouseButtonPress) {
    Press();
    return true;
  }
  if (watched != holder_ || !holding_) return false;
  const QPointF position = mouse->position() - QPointF(normal_->pos());
  if (event->type() == QEvent::MouseMove) Move(position);
  if (event->type() == QEvent::MouseButtonRelease) {
    Release(position, mouse->button() == Qt::LeftButton);
  }
  return true;
}

void ImageButtonPair::Press() {
  ShowPressed(true);
  pressedFlag_ = true;
  holding_ = true;
  holder_->grabMouse();
}

void ImageButtonPair::Move(QPointF position) {
  if (pressedFlag_) ShowPressed(Inside(position));
}

void ImageButtonPair::Release(QPointF position, bool leftButton) {
  holding_ = false;
  holder_->releaseMouse();
  ShowPressed(false);
  pressedFlag_ = false;
  if (leftButton && Inside(position)) click_();
}

void ImageButtonPair::ShowPressed(bool pressedLook) {
  pressed_->setVisible(pressedLook);
  normal_->setVisible(!pressedLook);
}

bool ImageButtonPair::Inside(QPointF position) const {
  return position.x() >= 0 && position.y() >= 0 && position.x() < normal_->width() && position.y() < normal_->height();
}
