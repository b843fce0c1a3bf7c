// The information window: its controls, the year put in at creation, the
// web button and how it closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "tests/ui/UiTestDoubles.h"
#include "ui/AboutBox.h"

namespace {

class AboutBoxTest : public ::testing::Test {
 protected:
  RecordingShell shell;
  TAboutBox box{nullptr, QDate(2031, 12, 31), shell};
  QWidget* Find(const char* name) { return box.findChild<QWidget*>(name); }
};

TEST_F(AboutBoxTest, ControlsSitWhereTheyBelong) {
  const std::tuple<const char*, const char*, const char*, QRect> controls[] = {
      {"Panel1", "AboutBox", "QFrame", {8, 8, 649, 385}},
      {"ProgramIcon", "Panel1", "QLabel", {16, 40, 306, 322}},
      {"ProductName", "Panel1", "QLabel", {8, 8, 406, 27}},
      {"Comments", "Panel1", "QLabel", {336, 56, 257, 33}},
      {"Label3", "Panel1", "QLabel", {336, 128, 238, 121}},
      {"BitBtnXP1", "Panel1", "QPushButton", {336, 240, 169, 25}},
      {"BitBtn1", "AboutBox", "QPushButton", {241, 404, 181, 37}}};
  for (const auto& [name, parent, kind, geometry] : controls) {
    QWidget* control = Find(name);
    ASSERT_NE(control, nullptr) << name;
    EXPECT_TRUE(control->inherits(kind)) << name;
    EXPECT_EQ(control->parentWidget()->objectName(), parent) << name;
    EXPECT_EQ(control->geometry(), geometry) << name;
  }
  EXPECT_EQ(Find("Label1")->pos(), QPoint(336, 96));
  EXPECT_EQ(Find("Label2")->pos(), QPoint(336, 112));
}

TEST_F(AboutBoxTest, WindowLooksAsDescribed) {
  EXPECT_EQ(box.windowTitle(), "Info");
  EXPECT_EQ(box.size(), QSize(664, 453));
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  EXPECT_FALSE(box.windowFlags() & Qt::WindowMinMaxButtonsHint);
  EXPECT_EQ(Find("Panel1")->palette().color(QPalette::Window), QColor(240, 202, 166));
  const QFont product = Find("ProductName")->font();
  EXPECT_EQ(product.pixelSize(), 24);
  EXPECT_TRUE(product.bold());
  EXPECT_TRUE(Find("Label1")->font().bold());
  EXPECT_TRUE(static_cast<QLabel*>(Find("Label3"))->text().contains("www.orvane.example"));
  auto* ok = static_cast<QPushButton*>(Find("BitBtn1"));
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_FALSE(ok->icon().isNull());
  EXPECT_EQ(Find("BitBtnXP1")->nextInFocusChain(), ok);
}

TEST_F(AboutBoxTest, YearOfTheStartReplacesThePlaceholderForEveryShowing) {
  const QString expected = QString::fromUtf8(kNoticeTemplate).replace("XXXX", "2031");
  for (int showing = 0; showing < 2; ++showing) {
    box.show();
    EXPECT_EQ(static_cast<QLabel*>(Find("Comments"))->text(), expected);
    box.hide();
  }
}

TEST_F(AboutBoxTest, WebButtonOpensTheMakersAddressAndStaysOpen) {
  box.show();
  static_cast<QPushButton*>(Find("BitBtnXP1"))->click();
  EXPECT_EQ(shell.opened, std::vector<std::string>{"http://www.orvane.example"});
  EXPECT_TRUE(box.isVisible());
  box.hide();
}

TEST_F(AboutBoxTest, EscapeDoesNotCloseButOkDoes) {
  box.show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&box, &escape);
  EXPECT_TRUE(box.isVisible());
  static_cast<QPushButton*>(Find("BitBtn1"))->click();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(AboutBoxYear, YearComesFromTheStartDateNotFromToday) {
  RecordingShell shell;
  TAboutBox box(nullptr, QDate(1999, 1, 1), shell);
  const QString notice = box.findChild<QLabel*>("Comments")->text();
  EXPECT_EQ(notice.count("1999"), 1);
  EXPECT_FALSE(notice.contains(QString::number(QDate::currentDate().year())));
}

}  // namespace

namespace {

// A modal loop here would hold the conversion that let the click through.
TEST_F(AboutBoxTest, ShownDuringARunItReturnsAtOnceAndLeavesTheMainWindowUsable) {
  box.ShowFor(true);
  EXPECT_TRUE(box.isVisible());
  EXPECT_FALSE(box.isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  box.close();
}

TEST_F(AboutBoxTest, ShownOutsideARunItIsModalUntilClosed) {
  bool modalWhileShown = false;
  QTimer::singleShot(0, &box, [&] {
    modalWhileShown = QApplication::activeModalWidget() == &box;
    box.close();
  });
  box.ShowFor(false);
  EXPECT_TRUE(modalWhileShown);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
