// Puts the tab page of the page control at a fixed place, so the page
// and everything on it keeps its pixel geometry whatever the style's tabs.
#pragma once

#include <QProxyStyle>

class PageControlStyle final : public QProxyStyle {
 public:
  PageControlStyle(QRect pane, QRect contents) : pane_(pane), contents_(contents) {}

  QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override;

 private:
  QRect pane_;
  QRect contents_;
};
