#include "ui/PageControlStyle.h"

QRect PageControlStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const {
  if (element == SE_TabWidgetTabPane) return pane_;
  if (element == SE_TabWidgetTabContents) return contents_;
  if (element == SE_TabWidgetTabBar) {
    QRect bar = QProxyStyle::subElementRect(element, option, widget);
    bar.moveTopLeft(QPoint(2, pane_.top() - bar.height() + 2));
    return bar;
  }
  return QProxyStyle::subElementRect(element, option, widget);
}
