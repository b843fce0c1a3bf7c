// The main window's controls, each at its fixed place with its settings.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include "ui/Fonts.h"
#include "ui/MainForm.h"
#include "ui/Maker.h"
#include "ui/PageControlStyle.h"
#include "ui/Pictures.h"
#include "ui/Widgets.h"

namespace {

constexpr int kClientWidth = 734;
constexpr int kClientHeight = 514;

QLabel* MakePicture(QWidget* parent, const char* name, QRect geometry, const QPixmap& picture, const char* hint) {
  auto* label = Place<QLabel>(parent, name, geometry);
  label->setPixmap(picture);
  label->setCursor(Qt::PointingHandCursor);
  label->setToolTip(QString::fromUtf8(hint));
  return label;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, QRect geometry, const char* text, bool checked) {
  auto* check = Place<QCheckBox>(parent, name, geometry);
  check->setText(QString::fromUtf8(text));
  check->setChecked(checked);
  return check;
}

QSpinBox* MakeSpin(QWidget* parent, const char* name, QRect geometry, QPoint range, int step, int value) {
  auto* spin = Place<QSpinBox>(parent, name, geometry);
  spin->setRange(range.x(), range.y());
  spin->setSingleStep(step);
  spin->setValue(value);
  return spin;
}

}  // namespace

void TMainForm::BuildControls() {
  setObjectName("MainForm");
  setWindowTitle(kMainCaption);
  setWindowIcon(QIcon(MakerLogo(QSize(32, 32))));
  setFont(WindowFont());
  setFixedSize(kClientWidth, kClientHeight);

  auto* statusBar = Place<QStatusBar>(this, "StatusBar1", QRect(0, 495, kClientWidth, 19));
  statusBar->setSizeGripEnabled(false);
  BuildBottomPanel();

  auto* pageControl = Place<QTabWidget>(this, "PageControl1", QRect(0, 0, kClientWidth, 454));
  auto* style = new PageControlStyle(QRect(0, 20, kClientWidth, 434), QRect(4, 24, 726, 426));
  style->setParent(pageControl);
  pageControl->setStyle(style);
  auto* sheet = new QWidget;
  sheet->setObjectName("TabSheet3");
  pageControl->addTab(sheet, QString::fromUtf8("Eine Videodatei in eine Flashdatei umwandeln"));
  BuildPictureSide(sheet);

  auto* right = MakePanel(sheet, "Panel16", QRect(209, 0, 517, 426), Bevel::None);
  BuildSettingsPanel(right);
  memo_ = Place<QPlainTextEdit>(right, "Memo1", QRect(0, 281, 517, 145));
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pageControl->addTab(new AdvancedPage(settings_, page_), QString::fromUtf8("Erweitert"));
  SetTabOrder();
}

QWidget* TMainForm::BuildBottomPanel() {
  auto* panel = MakePanel(this, "Panel1", QRect(0, 454, kClientWidth, 41), Bevel::None);
  auto* www = Place<QToolButton>(panel, "wwwBtn", QRect(5, 5, 137, 33));
  www->setAutoRaise(true);
  www->setFocusPolicy(Qt::NoFocus);
  www->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  www->setIcon(QIcon(MakerLogo(QSize(24, 25))));
  www->setIconSize(QSize(24, 25));
  www->setText(kMakerHost);
  www->setToolTip(QString::fromUtf8("Auf zur Orvane Homepage..."));
  connect(www, &QToolButton::clicked, this, [this] { Guarded([this] { wwwBtnClick(); }); });

  auto* right = MakePanel(panel, "Panel8", QRect(520, 0, 214, 41), Bevel::None);
  BuildImageButtons(right);
  BuildRunControls(panel);
  return panel;
}

void TMainForm::BuildImageButtons(QWidget* panel) {
  const char* infoHint = "Informationen über das Programm";
  const char* exitHint = "Hiermit verlassen Sie das Programm";
  MakePicture(panel, "ueberBtn2", QRect(1, 6, 101, 30), ButtonFace("Ueber", true), infoHint);
  MakePicture(panel, "EndeBtn2", QRect(105, 6, 101, 30), ButtonFace("Ende", true), exitHint)->setVisible(false);
  MakePicture(panel, "EndeBtn", QRect(105, 6, 101, 30), ButtonFace("Ende", false), exitHint);
  MakePicture(panel, "ueberbtn", QRect(1, 6, 101, 30), ButtonFace("Ueber", false), infoHint);
}

// Between the web button and the image buttons, seen only while a run goes.
void TMainForm::BuildRunControls(QWidget* panel) {
  progressBar_ = Place<QProgressBar>(panel, "ProgressBar1", QRect(152, 10, 250, 21));
  progressBar_->setVisible(false);
  auto* cancel = Place<QPushButton>(panel, "AbbrechenBtn", QRect(410, 8, 100, 25));
  cancel->setText(QString::fromUtf8("Abbrechen"));
  cancel->setToolTip(QString::fromUtf8("Die Konvertierung beim nächsten Bild beenden; es bleibt kein Film zurück"));
  cancel->setVisible(false);
  connect(cancel, &QPushButton::clicked, this, [this] { AbbrechenBtnClick(); });
}

QWidget* TMainForm::BuildPictureSide(QWidget* sheet) {
  auto* side = MakePanel(sheet, "Panel12", QRect(0, 0, 209, 426), Bevel::RaisedInLoweredOut);
  Colour(side, QColor(192, 220, 192));
  auto* frame = MakePanel(side, "Panel13", QRect(7, 7, 195, 284), Bevel::Lowered);
  auto* image = Place<QLabel>(frame, "Image1", QRect(1, 1, 193, 281));
  image->setPixmap(HandWithPrints(QSize(193, 281)));
  image->setScaledContents(true);
  auto* title = MakePanel(frame, "Panel14", QRect(8, 8, 177, 73), Bevel::RaisedInLoweredOut);
  Colour(title, QColor(240, 202, 166));
  title->raise();
  auto* label =
      MakeWrappedLabel(title, "RxLabel3", QRect(8, 8, 161, 57), QString::fromUtf8("Video in Flash konvertieren"));
  label->setFont(HeadlineFont());
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
  label->setPalette(palette);
  return side;
}

QWidget* TMainForm::BuildSettingsPanel(QWidget* parent) {
  auto* panel = MakePanel(parent, "Panel17", QRect(0, 0, 517, 281), Bevel::None);
  BuildSourceControls(panel);
  BuildNumberControls(panel);
  BuildAudioControls(panel);
  BuildResultControls(panel);
  return panel;
}

void TMainForm::BuildSourceControls(QWidget* panel) {
  MakeLabel(panel, "Label3", QPoint(8, 8), QString::fromUtf8("Videodatei zum Konvertieren:"));
  filenameEdit_ = Place<QLineEdit>(panel, "FilenameEdit1", QRect(8, 24, 513, 21));
  QAction* browse = filenameEdit_->addAction(QIcon(FolderGlyph()), QLineEdit::TrailingPosition);
  browse->setObjectName("FilenameEdit1Browse");
  connect(browse, &QAction::triggered, this, [this] { Guarded([this] { BrowseClick(); }); });
  auto* select = Place<QPushButton>(panel, "SelectVideoBtn", QRect(8, 48, 137, 25));
  select->setText(QString::fromUtf8("Videodatei auswählen..."));
  auto* start = Place<QPushButton>(panel, "CreateFlashBtn", QRect(152, 48, 153, 25));
  start->setText(QString::fromUtf8("Konvertierung starten..."));
}

void TMainForm::BuildNumberControls(QWidget* panel) {
  MakeLabel(panel, "Label4", QPoint(8, 80), QString::fromUtf8("Bilder pro Sekunde:"));
  bpsEd_ = MakeSpin(panel, "BpSEd", QRect(192, 80, 65, 21), QPoint(1, 120), 1, 5);
  MakeLabel(panel, "Label1", QPoint(8, 104), QString::fromUtf8("Bild-Kompression:"));
  compressEd_ = MakeSpin(panel, "CompressEd", QRect(192, 104, 65, 21), QPoint(0, 100), 5, 50);
  MakeLabel(panel, "Label2", QPoint(264, 104), QString::fromUtf8("(0 = beste Qualität; 100 = kleinste Datei)"));
}

void TMainForm::BuildAudioControls(QWidget* panel) {
  MakeCheck(panel, "convertaudio", QRect(8, 128, 241, 17), "Audiodaten konvertieren", true);
  soundBox_ = Place<QComboBox>(panel, "SoundBox", QRect(192, 128, 145, 21));
  soundBox_->setEditable(false);
  soundBox_->addItems({"5500 Hz", "11000 Hz", "22000 Hz", "44000 Hz"});
  MakeCheck(panel, "bit16check", QRect(8, 144, 153, 25), "16 Bit Audiodaten", false);
  MakeCheck(panel, "stereocheck", QRect(8, 168, 97, 17), "Stereo", false);
  listBox_ = Place<QListWidget>(panel, "ListBox1", QRect(192, 160, 329, 73));
  listBox_->setSelectionMode(QAbstractItemView::NoSelection);
  MakeCheck(panel, "SaveChangedCheck", QRect(8, 192, 217, 17), "Nur Bild-Änderungen speichern", true);
}

void TMainForm::BuildResultControls(QWidget* panel) {
  MakeCheck(panel, "AutoLoadFlashCheck", QRect(8, 240, 289, 17), "Datei nach dem Erzeugen im  Flash-Player öffnen",
            true);
  MakeCheck(panel, "CreateHTMLCheck", QRect(304, 240, 201, 17), "HTML-Datei auch erzeugen", true);
  MakeLabel(panel, "Label22", QPoint(8, 264),
            QString::fromUtf8("Quelltext zum Einbinden  des Films in eine Webseite (kopieren und "
                              "einfügen in HTML Quelltext):"));
}

void TMainForm::SetTabOrder() {
  const char* order[] = {"AutoLoadFlashCheck",
                         "CreateHTMLCheck",
                         "BpSEd",
                         "CompressEd",
                         "convertaudio",
                         "SoundBox",
                         "bit16check",
                         "stereocheck",
                         "SaveChangedCheck",
                         "ListBox1",
                         "FilenameEdit1",
                         "SelectVideoBtn",
                         "CreateFlashBtn",
                         "Memo1"};
  QWidget* previous = nullptr;
  for (const char* name : order) {
    auto* current = findChild<QWidget*>(name);
    if (previous != nullptr) setTabOrder(previous, current);
    previous = current;
  }
}
