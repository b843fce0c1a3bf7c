#include "ui/Widgets.h"

QFrame* MakePanel(QWidget* parent, const char* name, QRect geometry, Bevel bevel) {
  auto* panel = Place<QFrame>(parent, name, geometry);
  switch (bevel) {
    case Bevel::None:
      panel->setFrameStyle(QFrame::NoFrame);
      break;
    case Bevel::Lowered:
      panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      break;
    case Bevel::RaisedInLoweredOut:
      panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
      break;
  }
  panel->setLineWidth(1);
  panel->setMidLineWidth(0);
  return panel;
}

void Colour(QWidget* widget, QColor background) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, QPoint position, const QString& text) {
  auto* label = Place<QLabel>(parent, name, QRect(position, QSize(1, 1)));
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->adjustSize();
  return label;
}

QLabel* MakeWrappedLabel(QWidget* parent, const char* name, QRect geometry, const QString& text) {
  auto* label = Place<QLabel>(parent, name, geometry);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setText(text);
  return label;
}
