// The picture buttons: pressed look while the mouse is down over them, the
// normal look when dragged off, and a click only for a release over them.
#include <gtest/gtest.h>

#include "tests/ui/UiTestDoubles.h"

namespace {

enum class Look { Normal, Pressed };

struct Step {
  QEvent::Type type;
  QPoint position;  // relative to the normal picture
  Qt::MouseButton button;
  Look look;
  bool flag;
};

class ImageButtons : public ::testing::Test {
 protected:
  Look LookOf(const char* normal, const char* pressed) {
    const bool normalShown = ui.Find(normal)->isVisible();
    EXPECT_NE(normalShown, ui.Find(pressed)->isVisible()) << "exactly one picture shows";
    return normalShown ? Look::Normal : Look::Pressed;
  }
  void Play(const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
      SCOPED_TRACE(i);
      SendMouse(ui.Find("ueberbtn"), steps[i].type, steps[i].position, steps[i].button);
      EXPECT_EQ(LookOf("ueberbtn", "ueberBtn2"), steps[i].look);
      EXPECT_EQ(ui.form->ueberbtnPressed, steps[i].flag);
    }
  }
  FormUnderTest ui;
};

constexpr auto kPress = QEvent::MouseButtonPress;
constexpr auto kMove = QEvent::MouseMove;
constexpr auto kRelease = QEvent::MouseButtonRelease;

TEST_F(ImageButtons, DragOffAndBackThenReleaseOutsideOpensNothing) {
  Play({{kPress, {10, 10}, Qt::LeftButton, Look::Pressed, true},
        {kMove, {-3, 10}, Qt::LeftButton, Look::Normal, true},
        {kMove, {50, 29}, Qt::LeftButton, Look::Pressed, true},
        {kMove, {101, 5}, Qt::LeftButton, Look::Normal, true},
        {kRelease, {140, 5}, Qt::LeftButton, Look::Normal, false}});
  EXPECT_EQ(ui.aboutShown, 0);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(ImageButtons, LeftReleaseOverThePictureShowsTheInformationWindow) {
  Play({{kPress, {10, 10}, Qt::LeftButton, Look::Pressed, true},
        {kMove, {-3, 10}, Qt::LeftButton, Look::Normal, true},
        {kMove, {100, 29}, Qt::LeftButton, Look::Pressed, true},
        {kRelease, {100, 29}, Qt::LeftButton, Look::Normal, false}});
  EXPECT_EQ(ui.aboutShown, 1);
}

TEST_F(ImageButtons, RightButtonPressesButDoesNotClick) {
  Play({{kPress, {10, 10}, Qt::RightButton, Look::Pressed, true},
        {kRelease, {10, 10}, Qt::RightButton, Look::Normal, false}});
  EXPECT_EQ(ui.aboutShown, 0);
}

TEST_F(ImageButtons, MovingWithoutPressChangesNothing) {
  ui.Find("ueberBtn2")->hide();
  Play({{kMove, {10, 10}, Qt::NoButton, Look::Normal, false}});
}

TEST_F(ImageButtons, ExitPictureClosesTheWindow) {
  ASSERT_TRUE(ui.form->isVisible());
  SendMouse(ui.Find("EndeBtn"), kPress, {5, 5}, Qt::LeftButton);
  EXPECT_TRUE(ui.form->EndeBtnPressed);
  EXPECT_TRUE(ui.Find("EndeBtn2")->isVisible());
  SendMouse(ui.Find("EndeBtn"), kRelease, {5, 5}, Qt::LeftButton);
  EXPECT_FALSE(ui.form->EndeBtnPressed);
  EXPECT_FALSE(ui.form->isVisible());
  EXPECT_EQ(ui.aboutShown, 0);
}

}  // namespace
