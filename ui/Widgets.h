// Small helpers that place named controls at fixed pixel positions, so the
// windows keep the exact geometry of their tables.
#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QRect>

enum class Bevel {
  None,
  Lowered,             // one sunken line
  RaisedInLoweredOut,  // a groove: sunken outer line, raised inner line
};

template <typename Control>
Control* Place(QWidget* parent, const char* name, QRect geometry) {
  auto* control = new Control(parent);
  control->setObjectName(name);
  control->setGeometry(geometry);
  return control;
}

QFrame* MakePanel(QWidget* parent, const char* name, QRect geometry, Bevel bevel);
void Colour(QWidget* widget, QColor background);
// A label sized to its text, like an auto-sized label.
QLabel* MakeLabel(QWidget* parent, const char* name, QPoint position, const QString& text);
// A label of fixed size whose text wraps at word boundaries.
QLabel* MakeWrappedLabel(QWidget* parent, const char* name, QRect geometry, const QString& text);
