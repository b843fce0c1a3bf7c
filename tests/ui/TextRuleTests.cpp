// Rules on texts: the error report's full stop, the source path read from
// the edit, the start-up arguments and the dialog filters.
#include <gtest/gtest.h>

#include "ui/ErrorReport.h"
#include "ui/FileFilter.h"
#include "ui/SourcePath.h"
#include "ui/Startup.h"

namespace {

TEST(ErrorReportText, FullStopOnlyAfterCharactersSortingAfterIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"Datei a.htm kann nicht erstellt werden", "Datei a.htm kann nicht erstellt werden."},
      {"Fertig.", "Fertig."},
      {"Achtung!", "Achtung!"},
      {"Fehler 42", "Fehler 42."},
      {"(Klammer)", "(Klammer)"},  // ')' is 0x29
      {"Strich-", "Strich-"},      // '-' is 0x2D, just below '.'
      {"Pfad/", "Pfad/."},         // '/' is 0x2F, just above '.'
      {"Ende ", "Ende "},
      {"Größe ü", "Größe ü."},
      {"", ""},
  };
  for (const auto& [message, shown] : cases) {
    EXPECT_EQ(ErrorReportText(QString::fromUtf8(message)), QString::fromUtf8(shown)) << message;
  }
}

TEST(SourcePath, FirstArgumentLikeACommandLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"/videos/mein urlaub.avi\"", "/videos/mein urlaub.avi"},
      {"/videos/a.avi /videos/b.avi", "/videos/a.avi"},
      {"   /videos/a.avi", "/videos/a.avi"},
      {"\"/videos/mein urlaub\"/tag.avi rest", "/videos/mein urlaub/tag.avi"},
      {"\"/ohne/ende quote", "/ohne/ende quote"},
      {"\"\"", ""},
      {"", ""},
  };
  for (const auto& [text, argument] : cases) {
    EXPECT_EQ(FirstArgument(QString::fromUtf8(text)), QString::fromUtf8(argument)) << text;
  }
}

TEST(SourcePath, ExistingFileIsTakenUnchangedEvenWithBlanks) {
  const auto exists = [](const QString& path) { return path == "/videos/a b.avi"; };
  EXPECT_EQ(ReadSourcePath("/videos/a b.avi", exists), "/videos/a b.avi");
  EXPECT_EQ(ReadSourcePath("/videos/c d.avi", exists), "/videos/c");
  EXPECT_EQ(ReadSourcePath("", exists), "");
}

TEST(SourcePath, PathWithBlankIsShownQuoted) {
  EXPECT_EQ(EditTextForPath("/videos/a b.avi"), "\"/videos/a b.avi\"");
  EXPECT_EQ(EditTextForPath("/videos/ab.avi"), "/videos/ab.avi");
  EXPECT_EQ(FirstArgument(EditTextForPath("/v/x y z.avi")), "/v/x y z.avi");
}

TEST(StartupArguments, FirstOtherArgumentIsTheSourceAndScreenshotTakesItsValue) {
  struct Case {
    QStringList arguments;
    QString source;
    QString screenshotDir;
  };
  const Case cases[] = {
      {{"tessaline"}, "", ""},
      {{"tessaline", "/v/a b.avi"}, "/v/a b.avi", ""},
      {{"tessaline", "--screenshot", "/s", "x.avi", "y.avi"}, "x.avi", "/s"},
      {{"tessaline", "x.avi", "--screenshot"}, "x.avi", ""},
  };
  for (const Case& c : cases) {
    const StartupOptions options = ParseStartupOptions(c.arguments);
    EXPECT_EQ(options.sourceFile, c.source) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(options.screenshotDir, c.screenshotDir) << c.arguments.join(' ').toStdString();
  }
}

TEST(FileFilter, DescriptionKeptAndPatternsMatchBothCases) {
  EXPECT_EQ(QtNameFilters("Videodateien (*.AVI;*.MPEG;*.MPG;*.VOB)|*.AVI;*.MPEG;*.MPG;*.VOB"),
            QStringList{"Videodateien (*.AVI;*.MPEG;*.MPG;*.VOB) "
                        "(*.AVI *.avi *.MPEG *.mpeg *.MPG *.mpg *.VOB *.vob)"});
  EXPECT_EQ(QtNameFilters("Flash-Film (*.swf)|*.swf"), QStringList{"Flash-Film (*.swf) (*.swf *.SWF)"});
  EXPECT_EQ(QtNameFilters("A|*.a|B|*.b"), (QStringList{"A (*.a *.A)", "B (*.b *.B)"}));
  EXPECT_EQ(QtNameFilters("Flash-Film (*.swf)|*.swf|Alle Dateien (*)|*"),
            (QStringList{"Flash-Film (*.swf) (*.swf *.SWF)", "Alle Dateien (*) (*)"}));
}

}  // namespace
