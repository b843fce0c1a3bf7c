#include "ui/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

#include "media/pictavo/PictavoModule.h"
#include "ui/ErrorReport.h"
#include "ui/ImageButtonPair.h"
#include "ui/Maker.h"
#include "ui/SourcePath.h"
#include "ui/VideoDrop.h"

namespace {

constexpr int kOuterWidth = 750;
constexpr int kOuterHeight = 550;

std::string FileSystemText(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TMainForm::TMainForm(MainFormServices services, QWidget* parent) : QWidget(parent), services_(std::move(services)) {
  openDialog_.title = QString::fromUtf8("Videodatei zum Konvertieren auswählen");
  // The decoder reads more containers than the four named, so any file may be picked.
  openDialog_.filter = "Videodateien (*.AVI;*.MPEG;*.MPG;*.VOB)|*.AVI;*.MPEG;*.MPG;*.VOB|Alle Dateien (*)|*";
  saveDialog_.filter = "Flash-Film (*.swf)|*.swf";
  saveDialog_.defaultSuffix = "swf";
  BuildControls();
  ConnectSettings();
  ConnectButtons();
  AcceptVideoDrops();
  CentreOnScreen();
}

// A drop during a run would change the source under it.
void TMainForm::AcceptVideoDrops() {
  auto* drop = new VideoDrop(this, [this] { return !runGoing_; }, [this](const QString& file) {
    PreselectSource(QFileInfo(file).absoluteFilePath());
  });
  setAcceptDrops(true);
  installEventFilter(drop);
  for (QWidget* child : findChildren<QWidget*>()) {
    if (child->acceptDrops()) child->installEventFilter(drop);
  }
}

TMainForm::~TMainForm() = default;

bool TMainForm::FormCreate() {
  soundBox_->setCurrentIndex(1);
  imaging_ = services_.loadImaging();
  if (!imaging_) {
    services_.dialogs->ShowMessage(nullptr, kPictavoLoadFailure);
    return false;
  }
  CompressEdChange();
  return true;
}

void TMainForm::ConnectSettings() {
  connect(filenameEdit_, &QLineEdit::textChanged, this, [this] { RefreshSourcePath(); });
  connect(bpsEd_, &QSpinBox::valueChanged, this, [this](int value) { settings_.framesPerSecond = value; });
  connect(compressEd_, &QSpinBox::valueChanged, this, [this](int value) {
    settings_.compression = value;
    Guarded([this] { CompressEdChange(); });
  });
  connect(soundBox_, &QComboBox::currentIndexChanged, this, [this](int index) { settings_.sampleRateChoice = index; });
  const std::pair<const char*, bool ConversionSettings::*> checks[] = {
      {"convertaudio", &ConversionSettings::convertAudio},
      {"bit16check", &ConversionSettings::audio16Bit},
      {"stereocheck", &ConversionSettings::stereo},
      {"SaveChangedCheck", &ConversionSettings::storeOnlyChanges},
      {"AutoLoadFlashCheck", &ConversionSettings::openResult},
      {"CreateHTMLCheck", &ConversionSettings::createHtmlPage}};
  for (const auto& [name, field] : checks) {
    connect(findChild<QCheckBox*>(name), &QCheckBox::toggled, this,
            [this, field = field](bool on) { settings_.*field = on; });
  }
}

void TMainForm::ConnectButtons() {
  connect(findChild<QPushButton*>("SelectVideoBtn"), &QPushButton::clicked, this,
          [this] { Guarded([this] { SelectVideoBtnClick(); }); });
  connect(findChild<QPushButton*>("CreateFlashBtn"), &QPushButton::clicked, this,
          [this] { Guarded([this] { CreateFlashBtnClick(); }); });
  new ImageButtonPair(findChild<QWidget*>("ueberbtn"), findChild<QWidget*>("ueberBtn2"), ueberbtnPressed,
                      [this] { Guarded([this] { ueberbtnClick(); }); });
  new ImageButtonPair(findChild<QWidget*>("EndeBtn"), findChild<QWidget*>("EndeBtn2"), EndeBtnPressed,
                      [this] { Guarded([this] { EndeBtnClick(); }); });
}

void TMainForm::Guarded(const std::function<void()>& handler) { ReportErrors(*services_.dialogs, this, handler); }

void TMainForm::CentreOnScreen() {
  const QRect area = screen()->availableGeometry();
  move(area.left() + (area.width() - kOuterWidth) / 2, area.top() + (area.height() - kOuterHeight) / 2);
}

void TMainForm::CompressEdChange() {
  if (imaging_ && imaging_->api.SetJPEGQual != nullptr) {
    imaging_->api.SetJPEGQual(100 - compressEd_->value());
  }
}

void TMainForm::RefreshSourcePath() {
  settings_.sourcePath = FileSystemText(ReadSourcePath(filenameEdit_->text(), IsExistingFile));
}

void TMainForm::PutPathIntoEdit(const QString& path) { filenameEdit_->setText(EditTextForPath(path)); }

void TMainForm::PreselectSource(const QString& path) {
  openDialog_.fileName = path;
  openDialog_.directory = QFileInfo(path).absolutePath();
  PutPathIntoEdit(path);
}

void TMainForm::SelectVideoBtnClick() {
  const std::optional<QString> chosen = services_.dialogs->OpenFile(this, openDialog_);
  if (chosen) PreselectSource(*chosen);
}

void TMainForm::BrowseClick() {
  RefreshSourcePath();
  const QString current = QFile::decodeName(settings_.sourcePath.c_str());
  openDialog_.fileName = current;
  const QFileInfo info(current);
  if (!current.isEmpty() && info.dir().exists()) openDialog_.directory = info.absolutePath();
  const std::optional<QString> chosen = services_.dialogs->OpenFile(this, openDialog_);
  if (!chosen) return;
  openDialog_.fileName = *chosen;
  openDialog_.directory = QFileInfo(*chosen).absolutePath();
  PutPathIntoEdit(*chosen);
  filenameEdit_->setFocus();
}

void TMainForm::CreateFlashBtnClick() {
  RefreshSourcePath();
  if (settings_.sourcePath.empty()) SelectVideoBtnClick();
  if (settings_.sourcePath.empty()) {
    services_.dialogs->ShowMessage(this, QString::fromUtf8("Sie müssen eine Quellvideo-Datei auswählen!"));
    return;
  }
  SuggestTarget();
  const std::optional<QString> target = services_.dialogs->SaveFile(this, saveDialog_);
  if (!target) return;
  saveDialog_.fileName = *target;
  saveDialog_.directory = QFileInfo(*target).absolutePath();
  settings_.targetPath = FileSystemText(*target);
  StartRun();
}

// The source's name with ".swf", in the folder last saved to, else the source's.
void TMainForm::SuggestTarget() {
  const QFileInfo source(QFile::decodeName(settings_.sourcePath.c_str()));
  const QString folder = saveDialog_.directory.isEmpty() ? source.absolutePath() : saveDialog_.directory;
  saveDialog_.fileName = QDir(folder).filePath(source.completeBaseName() + ".swf");
}
