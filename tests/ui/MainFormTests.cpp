// The main window's behaviour: settings in step with the controls, the
// message list, the imaging quality, the start of a run and its errors.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QCheckBox>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMimeData>
#include <QUrl>
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

TEST_F(MainFormBehaviour, RunningConversionLocksStartAndExitAndClosingStopsItFirst) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers.push_back("/filme/a.swf");
  std::vector<bool> enabledDuringRun;
  bool closedDuringRun = true;
  bool cancelledByClosing = false;
  ui.duringRun = [&](ConversionSettings&, ConversionWindow& window) {
    for (const char* name : {"CreateFlashBtn", "SelectVideoBtn", "EndeBtn"}) {
      enabledDuringRun.push_back(ui.Find(name)->isEnabled());
    }
    closedDuringRun = ui.form->close();
    cancelledByClosing = window.CancelRequested();
  };
  Click("CreateFlashBtn");
  EXPECT_EQ(enabledDuringRun, (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(closedDuringRun);
  EXPECT_TRUE(cancelledByClosing);
  EXPECT_TRUE(ui.Find("CreateFlashBtn")->isEnabled());
  EXPECT_TRUE(ui.Find("EndeBtn")->isEnabled());
  EXPECT_FALSE(ui.form->RunGoing());
  EXPECT_TRUE(ui.form->isVisible());
  QApplication::processEvents();  // the close waits until the run has returned
  EXPECT_FALSE(ui.form->isVisible());
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
  ui.Find<QComboBox>("PageKindBox")->setCurrentIndex(1);  // the bare code
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

TEST_F(MainFormBehaviour, RufflePageByDefaultAroundTheCodeBox) {
  QTemporaryDir dir;
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers.push_back(dir.filePath("mein film.swf"));
  Click("CreateFlashBtn");
  ui.form->AppendCodeLine("<object>");
  const std::string page = dir.filePath("mein film.htm").toStdString();
  ui.form->SaveCodeLines(page);
  QFile file(QString::fromStdString(page));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.startsWith("<!DOCTYPE html>\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("<title>mein film.swf</title>\r\n"));
  EXPECT_TRUE(text.contains("autoplay: \"on\""));
  EXPECT_TRUE(text.contains("<body>\r\n<object>\r\n</body>"));
}

TEST_F(MainFormBehaviour, SaveDialogSuggestsTheSourceNameInTheFolderLastSavedTo) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/urlaub.2024.avi");
  ui.dialogs.saveAnswers.push_back("/filme/anders.swf");
  Click("CreateFlashBtn");
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/b.mpg");
  Click("CreateFlashBtn");
  ASSERT_EQ(ui.dialogs.saveCalls.size(), 2u);
  EXPECT_EQ(ui.dialogs.saveCalls[0].fileName, "/videos/urlaub.2024.swf");
  EXPECT_EQ(ui.dialogs.saveCalls[1].fileName, "/filme/b.swf");
  EXPECT_EQ(ui.dialogs.saveCalls[1].defaultSuffix, "swf");
}

TEST_F(MainFormBehaviour, RunShowsBarAndAbbrechenWhichStopsItAndSaysSoInTheCodeBox) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers.push_back("/filme/a.swf");
  ui.form->AppendCodeLine("<object> des letzten Films");
  std::vector<bool> seen;
  ui.duringRun = [&](ConversionSettings&, ConversionWindow& window) {
    seen = {ui.Find("ProgressBar1")->isVisible(), ui.Find("AbbrechenBtn")->isVisible(),
            ui.form->findChild<QAction*>("FilenameEdit1Browse")->isEnabled(), ui.Find("TabSheet4")->isEnabled(),
            window.CancelRequested()};
    Click("AbbrechenBtn");
    seen.push_back(window.CancelRequested());
  };
  ui.runWrites = false;
  Click("CreateFlashBtn");
  EXPECT_EQ(seen, (std::vector<bool>{true, true, false, false, false, true}));
  EXPECT_EQ(ui.Find<QPlainTextEdit>("Memo1")->toPlainText(),
            "Konvertierung abgebrochen: /filme/a.swf wurde nicht geschrieben.");
  EXPECT_FALSE(ui.Find("ProgressBar1")->isVisible());
  EXPECT_FALSE(ui.Find("AbbrechenBtn")->isVisible());
  EXPECT_TRUE(ui.form->findChild<QAction*>("FilenameEdit1Browse")->isEnabled());
  EXPECT_TRUE(ui.Find("TabSheet4")->isEnabled());
  EXPECT_FALSE(ui.form->CancelRequested());
}

TEST_F(MainFormBehaviour, InformationWindowIsToldWhetherARunGoes) {
  ui.Find<QLineEdit>("FilenameEdit1")->setText("/videos/a.avi");
  ui.dialogs.saveAnswers.push_back("/filme/a.swf");
  ui.duringRun = [&](ConversionSettings&, ConversionWindow&) { ui.form->ueberbtnClick(); };
  Click("CreateFlashBtn");
  ui.form->ueberbtnClick();
  EXPECT_EQ(ui.aboutShown, 2);
  EXPECT_EQ(ui.aboutWhileRunning, 1);
}

// A file manager's drop: the file's address, and its path as text.
void Drop(QWidget* target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  data.setText(QUrl::fromLocalFile(path).toString());
  const QPoint at(target->width() / 2, target->height() / 2);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

TEST_F(MainFormBehaviour, DroppedVideoBecomesTheSourceWhereverItLands) {
  auto* edit = ui.Find<QLineEdit>("FilenameEdit1");
  auto* memo = ui.Find<QPlainTextEdit>("Memo1");
  const std::pair<QWidget*, QString> drops[] = {
      {edit, "/videos/mein urlaub.avi"}, {memo->viewport(), "/videos/b.vob"}, {ui.Find("Image1"), "/videos/c.mpg"}};
  for (const auto& [target, path] : drops) {
    SCOPED_TRACE(path.toStdString());
    Drop(target, path);
    EXPECT_EQ(ui.form->Settings().sourcePath, path.toStdString());
  }
  EXPECT_EQ(edit->text(), "/videos/c.mpg");
  EXPECT_EQ(memo->toPlainText(), "");
  ui.dialogs.saveAnswers.push_back("/filme/a.swf");
  ui.duringRun = [&](ConversionSettings&, ConversionWindow&) { Drop(edit, "/videos/d.avi"); };
  Click("CreateFlashBtn");
  EXPECT_EQ(ui.form->Settings().sourcePath, "/videos/c.mpg");
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
