// The real program as a child process: without the imaging module it shows
// one message and no window; with it beside the program it starts.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "ui/QtDialogProvider.h"

namespace {

struct ChildRun {
  int exitCode = -1;
  QProcess::ExitStatus status = QProcess::CrashExit;
  QStringList autotestLines;
};

// Copies the program (and the module, when asked) into a folder of its own
// and runs it there with nothing else pointing at the module.
ChildRun RunCopiedProgram(const QTemporaryDir& dir, bool withModule, const QStringList& arguments) {
  const QString program = dir.filePath("tessaline");
  EXPECT_TRUE(QFile::copy(TESSALINE_BINARY, program));
  if (withModule) {
    EXPECT_TRUE(QFile::copy(PICTAVO_MODULE, dir.filePath("libPictavo.so")));
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("TESSALINE_MODULE_DIR");
  environment.remove("LD_LIBRARY_PATH");
  environment.insert(kAutotestVariable, "1");
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess child;
  child.setProcessEnvironment(environment);
  child.setWorkingDirectory(dir.path());
  child.start(program, arguments);
  EXPECT_TRUE(child.waitForFinished(120000));
  ChildRun run{child.exitCode(), child.exitStatus(), {}};
  for (const QByteArray& line : child.readAllStandardError().split('\n')) {
    if (line.startsWith(kAutotestPrefix)) run.autotestLines << QString::fromUtf8(line);
  }
  return run;
}

TEST(ProgramStart, MissingModuleShowsExactlyOneMessageAndNoWindow) {
  QTemporaryDir dir;
  const ChildRun run = RunCopiedProgram(dir, false, {});
  EXPECT_EQ(run.status, QProcess::NormalExit);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.autotestLines, QStringList{QString(kAutotestPrefix) + "message: Could not load file Pictavo.DLL"});
}

TEST(ProgramStart, ModuleBesideTheProgramIsFoundAndBothWindowsAreMade) {
  QTemporaryDir dir;
  const QString shots = dir.filePath("bilder");
  const ChildRun run = RunCopiedProgram(dir, true, {"--screenshot", shots});
  EXPECT_EQ(run.status, QProcess::NormalExit);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.autotestLines.isEmpty()) << run.autotestLines.join('\n').toStdString();
  EXPECT_EQ(QImage(shots + "/mainwindow.png").size(), QSize(734, 514));
  EXPECT_EQ(QImage(shots + "/aboutbox.png").size(), QSize(664, 453));
}

}  // namespace
