// One real conversion started from the window: real imaging module, real
// conversion, a tiny clip made at test time. Only the dialogs and the shell
// are scripted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "convert/RunConversion.h"
#include "media/decoder/RealDecoder.h"
#include "tests/support/ClipMaker.h"
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
  EXPECT_TRUE(pageFile.readAll().endsWith("</object>\r\n"));
}

}  // namespace
