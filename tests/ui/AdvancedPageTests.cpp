// The page "Erweitert": each control writes its field of the settings or of
// the page choice at once, and starts from the described defaults.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

#include "tests/ui/UiTestDoubles.h"

namespace {

class AdvancedPageControls : public ::testing::Test {
 protected:
  FormUnderTest ui;
  const ConversionSettings& Settings() const { return ui.form->Settings(); }
};

TEST_F(AdvancedPageControls, StartWithTheDefaultsOfBothFrontEnds) {
  const ConversionSettings defaults;
  EXPECT_EQ(Settings().soundCompression, SoundCompression::Pcm);
  EXPECT_EQ(Settings().mp3BitrateKbit, defaults.mp3BitrateKbit);
  EXPECT_EQ(Settings().tolerance, 0);
  EXPECT_EQ(Settings().width, 0);
  EXPECT_EQ(Settings().height, 0);
  EXPECT_EQ(Settings().startSeconds, 0);
  EXPECT_EQ(Settings().endSeconds, 0);
  EXPECT_EQ(ui.form->Page().kind, PageKind::Ruffle);
  EXPECT_EQ(ui.form->Page().ruffleScript, kDefaultRuffleScript);
  EXPECT_FALSE(ui.Find("Mp3BitrateBox")->isEnabled());
  EXPECT_TRUE(ui.Find("RuffleScriptEdit")->isEnabled());
}

TEST_F(AdvancedPageControls, SoundFormatAndBitrate) {
  auto* format = ui.Find<QComboBox>("SoundFormatBox");
  auto* bitrate = ui.Find<QComboBox>("Mp3BitrateBox");
  format->setCurrentIndex(1);
  EXPECT_EQ(Settings().soundCompression, SoundCompression::Adpcm);
  EXPECT_FALSE(bitrate->isEnabled());
  format->setCurrentIndex(2);
  EXPECT_EQ(Settings().soundCompression, SoundCompression::Mp3);
  EXPECT_TRUE(bitrate->isEnabled());
  bitrate->setCurrentIndex(bitrate->findText("96 kbit/s"));
  EXPECT_EQ(Settings().mp3BitrateKbit, 96);
  bitrate->setCurrentIndex(0);
  EXPECT_EQ(Settings().mp3BitrateKbit, 0);
  format->setCurrentIndex(0);
  EXPECT_EQ(Settings().soundCompression, SoundCompression::Pcm);
}

TEST_F(AdvancedPageControls, NumbersReachTheirFields) {
  struct Case {
    const char* name;
    double value;
    double ConversionSettings::*seconds;
    int ConversionSettings::*whole;
  };
  const Case cases[] = {
      {"ToleranceEd", 8, nullptr, &ConversionSettings::tolerance},
      {"WidthEd", 320, nullptr, &ConversionSettings::width},
      {"HeightEd", 2880, nullptr, &ConversionSettings::height},
      {"StartEd", 1.5, &ConversionSettings::startSeconds, nullptr},
      {"EndEd", 12.25, &ConversionSettings::endSeconds, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.whole != nullptr) {
      ui.Find<QSpinBox>(c.name)->setValue(static_cast<int>(c.value));
      EXPECT_EQ(Settings().*c.whole, c.value);
    } else {
      ui.Find<QDoubleSpinBox>(c.name)->setValue(c.value);
      EXPECT_EQ(Settings().*c.seconds, c.value);
    }
  }
  ui.Find<QSpinBox>("ToleranceEd")->setValue(999);
  EXPECT_EQ(Settings().tolerance, 255);
}

TEST_F(AdvancedPageControls, PictureShapeDeinterlacingAndDvdTitles) {
  EXPECT_FALSE(Settings().keepPixelShape);
  EXPECT_EQ(Settings().deinterlace, Deinterlace::Auto);
  EXPECT_TRUE(Settings().wholeDvdTitle);
  ui.Find<QCheckBox>("KeepPixelShapeCheck")->setChecked(true);
  EXPECT_TRUE(Settings().keepPixelShape);
  auto* deinterlace = ui.Find<QComboBox>("DeinterlaceBox");
  for (const Deinterlace mode : {Deinterlace::Off, Deinterlace::On, Deinterlace::Auto}) {
    deinterlace->setCurrentIndex(static_cast<int>(mode));
    EXPECT_EQ(Settings().deinterlace, mode);
  }
  ui.Find<QCheckBox>("WholeDvdTitleCheck")->setChecked(false);
  EXPECT_FALSE(Settings().wholeDvdTitle);
}

TEST_F(AdvancedPageControls, PageKindAndRuffleAddress) {
  auto* kind = ui.Find<QComboBox>("PageKindBox");
  auto* script = ui.Find<QLineEdit>("RuffleScriptEdit");
  kind->setCurrentIndex(1);
  EXPECT_EQ(ui.form->Page().kind, PageKind::Flash);
  EXPECT_FALSE(script->isEnabled());
  kind->setCurrentIndex(0);
  EXPECT_EQ(ui.form->Page().kind, PageKind::Ruffle);
  script->setText(" https://cdn.example/ruffle.js ");
  EXPECT_EQ(ui.form->Page().ruffleScript, "https://cdn.example/ruffle.js");
  script->clear();
  EXPECT_EQ(ui.form->Page().ruffleScript, kDefaultRuffleScript);
}

}  // namespace
