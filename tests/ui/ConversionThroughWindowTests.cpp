// One real conversion started from the window: real imaging module, real
// conversion, a tiny clip made at test time. Only the dialogs and the shell
// are scripted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include "convert/RunConversion.h"
#include "media/decoder/RealDecoder.h"
#include "tests/support/ClipMaker.h"
#include "tests/swf/SwfTagReader.h"
#include "tests/ui/UiTestDoubles.h"

namespace {

std::filesystem::path Clip() {
  return CachedClip("window.avi", {"-f", "lavfi", "-i", "testsrc2=size=32x24:rate=10:duration=1", "-f", "lavfi", "-i",
                                   "sine=frequency=440:sample_rate=11025:duration=1", "-c:v", "mpeg4", "-c:a",
                                   "pcm_s16le", "-ac", "1"});
}

TEST(ConversionThroughWindow, RunFillsMessageListAndCodeBoxAndOpensThePage) {
  const char* moduleDir = std::getenv("TESSALINE_MODULE_DIR");
  ASSERT_NE(moduleDir, nullptr);
  QTemporaryDir dir;
  const QString clip = dir.filePath("mein clip.avi");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(Clip().string()), clip));
  ScriptedDialogs dialogs;
  RecordingShell shell;
  TMainForm form({&dialogs, &shell, PictavoModuleLoader(moduleDir),
                  [](ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging) {
                    return RunConversion(settings, window, imaging, RealDecoder()) != ConversionOutcome::NotWritten;
                  }});
  ASSERT_TRUE(form.FormCreate());
  dialogs.openAnswers.push_back(clip);
  dialogs.saveAnswers.push_back(dir.filePath("film.swf"));
  form.findChild<QPushButton*>("CreateFlashBtn")->click();

  EXPECT_TRUE(dialogs.errors.empty());
  QFile movie(dir.filePath("film.swf"));
  ASSERT_TRUE(movie.open(QIODevice::ReadOnly));
  EXPECT_EQ(movie.read(4), QByteArray("FWS\x04", 4));
  auto* list = form.findChild<QListWidget*>("ListBox1");
  ASSERT_GT(list->count(), 0);
  EXPECT_EQ(list->item(list->count() - 1)->text(), "Konvertiertung beendet.");
  const QStringList code = form.findChild<QPlainTextEdit*>("Memo1")->toPlainText().split('\n');
  ASSERT_EQ(code.size(), 10);
  EXPECT_EQ(code[2], "width=\"32\" height=\"24\">");
  const QString page = dir.filePath("film.htm");
  EXPECT_EQ(shell.opened, std::vector<std::string>{page.toStdString()});
  QFile pageFile(page);
  ASSERT_TRUE(pageFile.open(QIODevice::ReadOnly));
  const QByteArray pageText = pageFile.readAll();
  EXPECT_TRUE(pageText.startsWith("<!DOCTYPE html>\r\n"));
  EXPECT_TRUE(pageText.endsWith("</object>\r\n</body>\r\n</html>\r\n"));
}

class WindowRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* moduleDir = std::getenv("TESSALINE_MODULE_DIR");
    ASSERT_NE(moduleDir, nullptr);
    form = std::make_unique<TMainForm>(MainFormServices{
        &dialogs, &shell, PictavoModuleLoader(moduleDir),
        [](ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging) {
          return RunConversion(settings, window, imaging, RealDecoder()) != ConversionOutcome::NotWritten;
        }});
    ASSERT_TRUE(form->FormCreate());
    form->show();
  }
  // Converts clip to film.swf in the test's folder.
  void Convert(const std::filesystem::path& clip) {
    dialogs.openAnswers.push_back(QString::fromStdString(clip.string()));
    dialogs.saveAnswers.push_back(dir.filePath("film.swf"));
    form->findChild<QPushButton*>("CreateFlashBtn")->click();
  }
  template <typename W = QWidget>
  W* Find(const char* name) const {
    return form->findChild<W*>(name);
  }
  QTemporaryDir dir;
  ScriptedDialogs dialogs;
  RecordingShell shell;
  std::unique_ptr<TMainForm> form;
};

TEST_F(WindowRun, AdvancedSettingsReachTheMovieAndThePage) {
  Find<QComboBox>("SoundFormatBox")->setCurrentIndex(2);  // MP3
  Find<QComboBox>("Mp3BitrateBox")->setCurrentIndex(Find<QComboBox>("Mp3BitrateBox")->findText("32 kbit/s"));
  Find<QSpinBox>("WidthEd")->setValue(16);
  Find<QDoubleSpinBox>("StartEd")->setValue(0.4);
  Find<QComboBox>("PageKindBox")->setCurrentIndex(1);  // the bare code
  Find<QCheckBox>("AutoLoadFlashCheck")->setChecked(false);
  Convert(Clip());

  EXPECT_TRUE(dialogs.errors.empty());
  std::string error;
  const std::optional<SwfMovie> movie = ReadSwfFile(dir.filePath("film.swf").toStdString(), &error);
  ASSERT_TRUE(movie) << error;
  EXPECT_EQ(movie->xMax - movie->xMin, 16 * 20);
  EXPECT_EQ(movie->yMax - movie->yMin, 12 * 20);
  EXPECT_EQ(movie->frameCount, 3);  // 0.6 s at 5 frames a second
  const auto heads = TagsWithCode(*movie, 45);  // SoundStreamHead2
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(heads[0]->body.at(1) >> 4, 2);  // MP3
  std::size_t mp3Bytes = 0;
  for (const SwfTag* block : TagsWithCode(*movie, 19)) mp3Bytes += block->body.size() - 4;
  EXPECT_NEAR(static_cast<double>(mp3Bytes), 0.6 * 32000 / 8, 0.6 * 32000 / 8 / 3);
  QFile page(dir.filePath("film.htm"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().startsWith("<object classid="));
}

// A clip long enough for many input turns, and the window's state at each
// frame line, taken while the run still goes.
TEST_F(WindowRun, ProgressComesWhileItRunsAndAbbrechenLeavesNothing) {
  const std::filesystem::path clip =
      CachedClip("window-long.avi", {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=40", "-c:v",
                                     "mpeg4", "-q:v", "5"});
  { QFile old(dir.filePath("film.htm")); ASSERT_TRUE(old.open(QIODevice::WriteOnly)); old.write("alt"); }
  auto* bar = Find<QProgressBar>("ProgressBar1");
  auto* list = Find<QListWidget>("ListBox1");
  QStringList linesSeen;
  int barWhenCancelled = 0;
  int barEnd = 0;
  QObject::connect(bar, &QProgressBar::valueChanged, form.get(), [&](int value) {
    if (value < 300 || barWhenCancelled != 0) return;
    barWhenCancelled = value;
    barEnd = bar->maximum();
    for (int i = 0; i < list->count(); ++i) linesSeen << list->item(i)->text();
    // Like a click: handled when the run next lets the window take input.
    QMetaObject::invokeMethod(Find<QPushButton>("AbbrechenBtn"), "click", Qt::QueuedConnection);
  });
  Find<QCheckBox>("convertaudio")->setChecked(false);
  Convert(clip);

  EXPECT_TRUE(linesSeen.contains("Frame 201 von 1000")) << linesSeen.join('|').toStdString();
  EXPECT_EQ(barEnd, 1000);
  EXPECT_GE(barWhenCancelled, 300);
  EXPECT_EQ(list->item(list->count() - 1)->text(), "Konvertierung abgebrochen, es wurde kein Film geschrieben.");
  EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText(),
            "Konvertierung abgebrochen: " + dir.filePath("film.swf") + " wurde nicht geschrieben.");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"film.htm"});
  QFile old(dir.filePath("film.htm"));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "alt");
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_TRUE(dialogs.errors.empty());
}

}  // namespace
