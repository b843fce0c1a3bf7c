// The drawn pictures: their sizes and the looks that tell them apart.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QToolButton>

#include "tests/ui/UiTestDoubles.h"
#include "ui/Pictures.h"

namespace {

// Counts pixels matching a colour test, to tell letters of a colour apart.
template <typename Test>
int CountPixels(const QPixmap& picture, Test test) {
  const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += test(QColor(image.pixel(x, y))) ? 1 : 0;
  }
  return count;
}

bool IsBlue(QColor c) { return c.blue() > 120 && c.red() < 90 && c.green() < 110; }
bool IsYellow(QColor c) { return c.red() > 200 && c.green() > 180 && c.blue() < 90; }

TEST(Pictures, ButtonFacesHaveBlueOrYellowLettersAndTheirSize) {
  for (const char* word : {"Ueber", "Ende"}) {
    const QPixmap normal = ButtonFace(word, false);
    const QPixmap pressed = ButtonFace(word, true);
    EXPECT_EQ(normal.size(), QSize(101, 30));
    EXPECT_EQ(pressed.size(), QSize(101, 30));
    EXPECT_GT(CountPixels(normal, IsBlue), 40) << word;
    EXPECT_EQ(CountPixels(normal, IsYellow), 0) << word;
    EXPECT_GT(CountPixels(pressed, IsYellow), 40) << word;
    EXPECT_EQ(CountPixels(pressed, IsBlue), 0) << word;
    const auto lightness = [](const QPixmap& p) { return QColor(p.toImage().pixel(50, 3)).lightness(); };
    EXPECT_LT(lightness(pressed), lightness(normal)) << "pressed face is darker";
  }
}

TEST(Pictures, WindowsShowThePicturesInTheirSizes) {
  FormUnderTest ui;
  auto* www = ui.Find<QToolButton>("wwwBtn");
  EXPECT_EQ(www->iconSize(), QSize(24, 25));
  EXPECT_FALSE(www->icon().isNull());
  auto* image = ui.Find<QLabel>("Image1");
  EXPECT_EQ(image->pixmap().size(), QSize(193, 281));
  EXPECT_TRUE(image->hasScaledContents());
  EXPECT_EQ(ui.Find<QLabel>("ueberbtn")->pixmap().size(), QSize(101, 30));
  EXPECT_EQ(ui.Find<QLabel>("EndeBtn2")->pixmap().size(), QSize(101, 30));
}

}  // namespace
