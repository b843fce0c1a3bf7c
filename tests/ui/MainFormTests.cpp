// The main window's behaviour: settings in step with the controls, the
// message list, the imaging quality, the start of a run and its errors.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include "tests/ui/UiTestDoubles.h"

namespace {

const QString kNoSource = QString::fromUtf8("Sie müssen eine Quellvideo-Datei auswählen!");

class MainFormBehaviour : public ::testing::Test {
 protected:
  void Click(const char* name) { ui.Find<QAbstractButton>(name)->click(); }
  QStringList ListLines() {
    QStringList lines;
    auto* list = ui.Find<QListWidget>("ListBox1");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  FormUnderTest ui;
};

struct CheckField {
  const char* name;
  bool ConversionSettings::*field;
};

TEST_F(MainFormBehaviour, CheckBoxesSetTheirSettingAtOnce) {
  const CheckField fields[] = {{"convertaudio", &ConversionSettings::convertAudio},
                               {"bit16check", &ConversionSettings::audio16Bit},
                               {"stereocheck", &ConversionSettings::stereo},
                               {"SaveChangedCheck", &ConversionSettings::storeOnlyChanges},
                               {"AutoLoadFlashCheck", &ConversionSettings::openResult},
                               {"CreateHTMLCheck", &ConversionSettings::createHtmlPage}};
  for (const CheckField& f : fields) {
    auto* check = ui.Find<QCheckBox>(f.name);
    const bool before = ui.form->Settings().*f.field;
    EXPECT_EQ(before, check->isChecked()) << f.name;
    check->click();
    EXPECT_EQ(ui.form->Settings().*f.field, !before) << f.name;
  }
}

TEST_F(MainFormBehaviour, NumbersAndSampleRateFollowTheirControls) {
  EXPECT_EQ(ui.form->Settings().sampleRateChoice, 1);
  ui.Find<QSpinBox>("BpSEd")->setValue(25);
  ui.Find<QSpinBox>("CompressEd")->setValue(70);
  ui.Find<QComboBox>("SoundBox")->setCurrentIndex(3);
  EXPECT_EQ(ui.form->Settings().framesPerSecond, 25.0);
  EXPECT_EQ(ui.form->Settings().compression, 70);
  EXPECT_EQ(ui.form->Settings().sampleRateChoice, 3);
}

TEST_F(MainFormBehaviour, StartHandsQualityFiftyThenEveryChangeAtOnce) {
  EXPECT_EQ(RecordedQualities(), std::vector<int>{50});
  ui.Find<QSpinBox>("CompressEd")->setValue(35);
  EXPECT_EQ(RecordedQualities(), (std::vector<int>{50, 65}));
  ui.Find<QSpinBox>("CompressEd")->stepUp();
  ui.Find<QSpinBox>("CompressEd")->setValue(0);
  EXPECT_EQ(RecordedQualities(), (std::vector<int>{50, 65, 60, 100}));
}

TEST_F(MainFormBehaviour, MessageListKeepsTheLastFiveLines) {
  for (const char* line : {"1", "2", "3", "4", "5"}) ui.form->ShowStatusLine(line);
  EXPECT_EQ(ListLines(), (QStringList{"1", "2", "3", "4", "5"}));
  ui.form->ShowStatusLine("6");
  EXPECT_EQ(ListLines(), (QStringList{"2", "3", "4", "5", "6"}));
  EXPECT_EQ(ui.Find<QListWidget>("ListBox1")->currentRow(), -1);
  EXPECT_EQ(ui.Find<QListWidget>("ListBox1")->item(0)->sizeHint().height(), 13);
}

TEST_F(MainFormBehaviour, StartWithEmptySourceAndCancelledDialogOnlyTellsTheUser) {
  Click("CreateFlashBtn");
  ASSERT_EQ(ui.dialogs.openCalls.size(), 1u);
  EXPECT_EQ(ui.dialogs.openCalls[0].title, QString::fromUtf8("Videodatei zum Konvertieren auswählen"));
  EXPECT_EQ(ui.dialogs.openCalls[0].filter,
            "Videodateien (*.AVI;*.MPEG;*.MPG;*.VOB)|*.AVI;*.MPEG;*.MPG;*.VOB|Alle Dateien (*)|*");
  EXPECT_EQ(ui.dialogs.messages, std::vector<QString>{kNoSource});
  EXPECT_TRUE(ui.dialogs.saveCalls.empty());
  EXPECT_TRUE(ui.runs.empty());
}

TEST_F(MainFormBehaviour, QuotedSourcePathReachesTheConversionWithoutQuotes) {
  ui.dialogs.openAnswers.push_back("/videos/mein urlaub/tag eins.avi");
  ui.dialogs.saveAnswers.push_back("/filme/urlaub.swf");
  Click("SelectVideoBtn");
  EXPECT_EQ(ui.Find<QLineEdit>("FilenameEdit1")->text(), "\"/videos/mein urlaub/tag eins.avi\"");
  Click("CreateFlashBtn");
  ASSERT_EQ(ui.runs.size(), 1u);
  EXPECT_EQ(ui.runs[0].sourcePath, "/videos/mein urlaub/tag eins.avi");
  EXPECT_EQ(ui.runs[0].targetPath, "/filme/urlaub.swf");
  ASSERT_EQ(ui.dialogs.saveCalls.size(), 1u);
  EXPECT_EQ(ui.dialogs.saveCalls[0].filter, "Flash-Film (*.swf)|*.swf");
  EXPECT_EQ(ui.dialogs.saveCalls[0].defaultSuffix, "swf");
  EXPECT_TRUE(ui.dialogs.messages.empty());
}

TEST_F(MainFormBehaviour, SourceFromTheCommandLineIsShownAndTheOpenDialogStartsAtIt) {
  ui.form->PreselectSource("/videos/mein urlaub/tag eins.avi");
  EXPECT_EQ(ui.Find<QLineEdit>("FilenameEdit1")->text(), "\"/videos/mein urlaub/tag eins.avi\"");
  Click("SelectVideoBtn");
  ASSERT_EQ(ui.dialogs.openCalls.size(), 1u);
  EXPECT_EQ(ui.dialogs.openCalls[0].directory, "/videos/mein urlaub");
  EXPECT_EQ(ui.dialogs.openCalls[0].fileName, "/videos/mein urlaub/tag eins.avi");
}

TEST_F(MainFormBehaviour, CancelledSaveDialogStartsNothingAndSaysNothing) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  Click("CreateFlashBtn");
  EXPECT_EQ(ui.dialogs.saveCalls.size(), 1u);
  EXPECT_TRUE(ui.dialogs.openCalls.empty());
  EXPECT_TRUE(ui.runs.empty());
  EXPECT_TRUE(ui.dialogs.messages.empty());
}

TEST_F(MainFormBehaviour, TypedPathOfAnExistingFileIsTakenWhole) {
  QTemporaryDir dir;
  const QString path = dir.filePath("zwei teile.avi");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  ui.Find<QLineEdit>("FilenameEdit1")->setText(path);
  EXPECT_EQ(ui.form->Settings().sourcePath, path.toStdString());
  ui.Find<QLineEdit>("FilenameEdit1")->setText(dir.filePath("fehlt hier.avi"));
  EXPECT_EQ(ui.form->Settings().sourcePath, dir.filePath("fehlt").toStdString());
}

TEST_F(MainFormBehaviour, BrowseStartsInTheEditsFolderAndFocusesTheEdit) {
  QTemporaryDir dir;
  auto* edit = ui.Find<QLineEdit>("FilenameEdit1");
  edit->setText(dir.filePath("alt.avi"));
  ui.dialogs.openAnswers.push_back("/videos/neu.avi");
  ui.form->BrowseClick();
  ASSERT_EQ(ui.dialogs.openCalls.size(), 1u);
  EXPECT_EQ(ui.dialogs.openCalls[0].directory, dir.path());
  EXPECT_EQ(ui.dialogs.openCalls[0].fileName, dir.filePath("alt.avi"));
  EXPECT_EQ(edit->text(), "/videos/neu.avi");
  ui.form->SelectVideoBtnClick();
  EXPECT_EQ(ui.dialogs.openCalls[1].directory, "/videos");
}

TEST_F(MainFormBehaviour, ControlChangedDuringARunReachesTheSameSettings) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers.push_back("/filme/a.swf");
  bool seenDuringRun = true;
  ui.duringRun = [&](ConversionSettings& settings, ConversionWindow&) {
    ui.Find<QCheckBox>("SaveChangedCheck")->click();
    seenDuringRun = settings.storeOnlyChanges;
  };
  Click("CreateFlashBtn");
  EXPECT_FALSE(seenDuringRun);
}

TEST_F(MainFormBehaviour, RunningConversionLocksStartAndExitAndRefusesClosing) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers.push_back("/filme/a.swf");
  std::vector<bool> enabledDuringRun;
  bool closedDuringRun = true;
  ui.duringRun = [&](ConversionSettings&, ConversionWindow&) {
    for (const char* name : {"CreateFlashBtn", "SelectVideoBtn", "EndeBtn"}) {
      enabledDuringRun.push_back(ui.Find(name)->isEnabled());
    }
    closedDuringRun = ui.form->close();
  };
  Click("CreateFlashBtn");
  EXPECT_EQ(enabledDuringRun, (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(closedDuringRun);
  EXPECT_TRUE(ui.Find("CreateFlashBtn")->isEnabled());
  EXPECT_TRUE(ui.Find("EndeBtn")->isEnabled());
  EXPECT_FALSE(ui.form->RunGoing());
}

TEST_F(MainFormBehaviour, ErrorEscapingTheRunIsReportedAndTheWindowGoesOn) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers = {"/filme/a.swf", "/filme/b.swf"};
  ui.duringRun = [](ConversionSettings&, ConversionWindow&) {
    throw std::runtime_error("Datei /filme/a.htm kann nicht erstellt werden");
  };
  Click("CreateFlashBtn");
  ASSERT_EQ(ui.dialogs.errors.size(), 1u);
  EXPECT_EQ(ui.dialogs.errors[0].text, "Datei /filme/a.htm kann nicht erstellt werden.");
  EXPECT_EQ(ui.dialogs.errors[0].caption, "Tessaline");
  EXPECT_FALSE(ui.form->RunGoing());
  ui.duringRun = nullptr;
  Click("CreateFlashBtn");
  EXPECT_EQ(ui.runs.size(), 2u);
}

TEST_F(MainFormBehaviour, CodeLinesAreSavedWithCrLfAndReplacedOnClear) {
  QTemporaryDir dir;
  const std::string page = dir.filePath("seite.htm").toStdString();
  ui.form->AppendCodeLine("<object>");
  ui.form->AppendCodeLine("</object>");
  ui.form->SaveCodeLines(page);
  QFile file(QString::fromStdString(page));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("<object>\r\n</object>\r\n"));
  file.close();
  ui.form->ClearCodeLines();
  ui.form->AppendCodeLine("neu");
  EXPECT_EQ(ui.Find<QPlainTextEdit>("Memo1")->toPlainText(), "neu");
}

TEST_F(MainFormBehaviour, WebButtonAndShellOpenGoThroughTheOpener) {
  ui.Find<QToolButton>("wwwBtn")->click();
  ui.form->ShellOpen("/filme/a.htm");
  EXPECT_EQ(ui.shell.opened, (std::vector<std::string>{"http://www.orvane.example", "/filme/a.htm"}));
}

TEST(MainFormStart, MissingImagingModuleShowsOneMessageAndFails) {
  ScriptedDialogs dialogs;
  RecordingShell shell;
  int runs = 0;
  TMainForm form({&dialogs, &shell, [] { return std::optional<LoadedImaging>(); },
                  [&](ConversionSettings&, ConversionWindow&, const PictavoApi&) {
                    ++runs;
                    return true;
                  }});
  EXPECT_FALSE(form.FormCreate());
  EXPECT_EQ(dialogs.messages, std::vector<QString>{"Could not load file Pictavo.DLL"});
  EXPECT_EQ(runs, 0);
}

}  // namespace
