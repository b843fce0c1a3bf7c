// The main window's controls: names, kinds, parents, places, looks, texts,
// hints, defaults and keyboard order.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

#include "tests/ui/UiTestDoubles.h"

namespace {

struct Placement {
  const char* name;
  const char* parent;
  const char* kind;
  QRect geometry;  // width 0: sized to its text, only the position counts
};

const Placement kPlacements[] = {
    {"StatusBar1", "MainForm", "QStatusBar", {0, 495, 734, 19}},
    {"Panel1", "MainForm", "QFrame", {0, 454, 734, 41}},
    {"wwwBtn", "Panel1", "QToolButton", {5, 5, 137, 33}},
    {"Panel8", "Panel1", "QFrame", {520, 0, 214, 41}},
    {"ueberBtn2", "Panel8", "QLabel", {1, 6, 101, 30}},
    {"EndeBtn2", "Panel8", "QLabel", {105, 6, 101, 30}},
    {"EndeBtn", "Panel8", "QLabel", {105, 6, 101, 30}},
    {"ueberbtn", "Panel8", "QLabel", {1, 6, 101, 30}},
    {"PageControl1", "MainForm", "QTabWidget", {0, 0, 734, 454}},
    {"Panel12", "TabSheet3", "QFrame", {0, 0, 209, 426}},
    {"Panel13", "Panel12", "QFrame", {7, 7, 195, 284}},
    {"Image1", "Panel13", "QLabel", {1, 1, 193, 281}},
    {"Panel14", "Panel13", "QFrame", {8, 8, 177, 73}},
    {"RxLabel3", "Panel14", "QLabel", {8, 8, 161, 57}},
    {"Panel16", "TabSheet3", "QFrame", {209, 0, 517, 426}},
    {"Panel17", "Panel16", "QFrame", {0, 0, 517, 281}},
    {"Label3", "Panel17", "QLabel", {8, 8, 0, 0}},
    {"FilenameEdit1", "Panel17", "QLineEdit", {8, 24, 513, 21}},
    {"SelectVideoBtn", "Panel17", "QPushButton", {8, 48, 137, 25}},
    {"CreateFlashBtn", "Panel17", "QPushButton", {152, 48, 153, 25}},
    {"Label4", "Panel17", "QLabel", {8, 80, 0, 0}},
    {"BpSEd", "Panel17", "QSpinBox", {192, 80, 65, 21}},
    {"Label1", "Panel17", "QLabel", {8, 104, 0, 0}},
    {"CompressEd", "Panel17", "QSpinBox", {192, 104, 65, 21}},
    {"Label2", "Panel17", "QLabel", {264, 104, 0, 0}},
    {"convertaudio", "Panel17", "QCheckBox", {8, 128, 241, 17}},
    {"SoundBox", "Panel17", "QComboBox", {192, 128, 145, 21}},
    {"bit16check", "Panel17", "QCheckBox", {8, 144, 153, 25}},
    {"stereocheck", "Panel17", "QCheckBox", {8, 168, 97, 17}},
    {"ListBox1", "Panel17", "QListWidget", {192, 160, 329, 73}},
    {"SaveChangedCheck", "Panel17", "QCheckBox", {8, 192, 217, 17}},
    {"AutoLoadFlashCheck", "Panel17", "QCheckBox", {8, 240, 289, 17}},
    {"CreateHTMLCheck", "Panel17", "QCheckBox", {304, 240, 201, 17}},
    {"Label22", "Panel17", "QLabel", {8, 264, 0, 0}},
    {"Memo1", "Panel16", "QPlainTextEdit", {0, 281, 517, 145}},
};

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return {};
}

class MainFormControls : public ::testing::Test {
 protected:
  FormUnderTest ui;
};

TEST_F(MainFormControls, EveryControlHasItsParentKindAndPlace) {
  for (const Placement& p : kPlacements) {
    SCOPED_TRACE(p.name);
    QWidget* control = ui.Find(p.name);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(control->inherits(p.kind)) << control->metaObject()->className();
    ASSERT_NE(control->parentWidget(), nullptr);
    EXPECT_EQ(control->parentWidget()->objectName(), p.parent);
    if (p.geometry.width() == 0) {
      EXPECT_EQ(control->pos(), p.geometry.topLeft());
      EXPECT_GT(control->width(), 0);
    } else {
      EXPECT_EQ(control->geometry(), p.geometry);
    }
  }
}

TEST_F(MainFormControls, WindowHasCaptionClientSizeIconAndFont) {
  EXPECT_EQ(ui.form->objectName(), "MainForm");
  EXPECT_EQ(ui.form->windowTitle(), "Orvane Tessaline 1.0");
  EXPECT_EQ(ui.form->size(), QSize(734, 514));
  EXPECT_EQ(ui.form->minimumSize(), ui.form->maximumSize());
  EXPECT_TRUE(ui.form->windowIcon().availableSizes().contains(QSize(32, 32)));
  EXPECT_EQ(ui.form->font().pixelSize(), 11);
}

TEST_F(MainFormControls, TabPageFillsThePageControlBelowItsTab) {
  auto* pages = ui.Find<QTabWidget>("PageControl1");
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->widget(0)->objectName(), "TabSheet3");
  EXPECT_EQ(pages->tabText(0), "Eine Videodatei in eine Flashdatei umwandeln");
  EXPECT_EQ(pages->tabText(1), "Erweitert");
  EXPECT_EQ(pages->currentIndex(), 0);
  QWidget* sheet = pages->widget(0);
  EXPECT_EQ(sheet->mapTo(pages, QPoint(0, 0)), QPoint(4, 24));
  EXPECT_EQ(sheet->size(), QSize(726, 426));
}

TEST_F(MainFormControls, TextsAreTheGermanOnesWithTheirDoubleBlanks) {
  const std::pair<const char*, const char*> texts[] = {
      {"wwwBtn", "www.orvane.example"},
      {"RxLabel3", "Video in Flash konvertieren"},
      {"Label3", "Videodatei zum Konvertieren:"},
      {"SelectVideoBtn", "Videodatei auswählen..."},
      {"CreateFlashBtn", "Konvertierung starten..."},
      {"Label4", "Bilder pro Sekunde:"},
      {"Label1", "Bild-Kompression:"},
      {"Label2", "(0 = beste Qualität; 100 = kleinste Datei)"},
      {"convertaudio", "Audiodaten konvertieren"},
      {"bit16check", "16 Bit Audiodaten"},
      {"stereocheck", "Stereo"},
      {"SaveChangedCheck", "Nur Bild-Änderungen speichern"},
      {"AutoLoadFlashCheck", "Datei nach dem Erzeugen im  Flash-Player öffnen"},
      {"CreateHTMLCheck", "HTML-Datei auch erzeugen"},
      {"Label22",
       "Quelltext zum Einbinden  des Films in eine Webseite (kopieren und einfügen in "
       "HTML Quelltext):"},
  };
  for (const auto& [name, text] : texts) {
    EXPECT_EQ(TextOf(ui.Find(name)), QString::fromUtf8(text)) << name;
  }
}

TEST_F(MainFormControls, HintsAndHandCursors) {
  const std::pair<const char*, const char*> hints[] = {
      {"wwwBtn", "Auf zur Orvane Homepage..."},           {"ueberbtn", "Informationen über das Programm"},
      {"ueberBtn2", "Informationen über das Programm"},   {"EndeBtn", "Hiermit verlassen Sie das Programm"},
      {"EndeBtn2", "Hiermit verlassen Sie das Programm"},
  };
  for (const auto& [name, hint] : hints) {
    EXPECT_EQ(ui.Find(name)->toolTip(), QString::fromUtf8(hint)) << name;
  }
  for (const char* name : {"ueberbtn", "ueberBtn2", "EndeBtn", "EndeBtn2"}) {
    EXPECT_EQ(ui.Find(name)->cursor().shape(), Qt::PointingHandCursor) << name;
  }
}

TEST_F(MainFormControls, BevelsAndColoursOfThePanels) {
  struct Look {
    const char* name;
    int shape;
    int shadow;
  };
  const Look looks[] = {{"Panel1", QFrame::NoFrame, QFrame::Plain}, {"Panel8", QFrame::NoFrame, QFrame::Plain},
                        {"Panel12", QFrame::Box, QFrame::Sunken},   {"Panel13", QFrame::Panel, QFrame::Sunken},
                        {"Panel14", QFrame::Box, QFrame::Sunken},   {"Panel16", QFrame::NoFrame, QFrame::Plain},
                        {"Panel17", QFrame::NoFrame, QFrame::Plain}};
  for (const Look& look : looks) {
    auto* panel = ui.Find<QFrame>(look.name);
    if (look.shape != QFrame::NoFrame) {
      EXPECT_EQ(panel->frameShape(), look.shape) << look.name;
      EXPECT_EQ(panel->frameShadow(), look.shadow) << look.name;
    }
    EXPECT_EQ(panel->frameShape() == QFrame::NoFrame, look.shape == QFrame::NoFrame) << look.name;
  }
  EXPECT_EQ(ui.Find("Panel12")->palette().color(QPalette::Window), QColor(192, 220, 192));
  EXPECT_EQ(ui.Find("Panel14")->palette().color(QPalette::Window), QColor(240, 202, 166));
  auto* headline = ui.Find<QLabel>("RxLabel3");
  EXPECT_EQ(headline->palette().color(QPalette::WindowText), QColor(128, 0, 0));
  EXPECT_EQ(headline->font().pixelSize(), 19);
  EXPECT_TRUE(headline->font().bold());
  EXPECT_TRUE(headline->wordWrap());
}

TEST_F(MainFormControls, StackingOfPicturesAndTitle) {
  QWidget* buttons = ui.Find("Panel8");
  const QObjectList& order = buttons->children();
  // Later siblings lie on top.
  EXPECT_GT(order.indexOf(ui.Find("ueberbtn")), order.indexOf(ui.Find("ueberBtn2")));
  EXPECT_GT(order.indexOf(ui.Find("EndeBtn")), order.indexOf(ui.Find("EndeBtn2")));
  const QObjectList& frame = ui.Find("Panel13")->children();
  EXPECT_GT(frame.indexOf(ui.Find("Panel14")), frame.indexOf(ui.Find("Image1")));
  EXPECT_TRUE(ui.Find("ueberbtn")->isVisible());
  EXPECT_TRUE(ui.Find("EndeBtn")->isVisible());
  EXPECT_FALSE(ui.Find("EndeBtn2")->isVisible());
}

TEST_F(MainFormControls, DefaultsAtStart) {
  for (const char* on : {"convertaudio", "SaveChangedCheck", "AutoLoadFlashCheck", "CreateHTMLCheck"}) {
    EXPECT_TRUE(ui.Find<QCheckBox>(on)->isChecked()) << on;
  }
  for (const char* off : {"bit16check", "stereocheck"}) {
    EXPECT_FALSE(ui.Find<QCheckBox>(off)->isChecked()) << off;
  }
  auto* fps = ui.Find<QSpinBox>("BpSEd");
  EXPECT_EQ(std::make_tuple(fps->minimum(), fps->maximum(), fps->singleStep(), fps->value()),
            std::make_tuple(1, 120, 1, 5));
  auto* compress = ui.Find<QSpinBox>("CompressEd");
  EXPECT_EQ(std::make_tuple(compress->minimum(), compress->maximum(), compress->singleStep(), compress->value()),
            std::make_tuple(0, 100, 5, 50));
  auto* rates = ui.Find<QComboBox>("SoundBox");
  EXPECT_FALSE(rates->isEditable());
  ASSERT_EQ(rates->count(), 4);
  EXPECT_EQ(rates->itemText(0), "5500 Hz");
  EXPECT_EQ(rates->itemText(3), "44000 Hz");
  EXPECT_EQ(rates->currentText(), "11000 Hz");
  EXPECT_TRUE(ui.Find<QLineEdit>("FilenameEdit1")->text().isEmpty());
  EXPECT_EQ(ui.Find<QListWidget>("ListBox1")->count(), 0);
  EXPECT_TRUE(ui.Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
}

TEST_F(MainFormControls, CodeBoxWrapsWithoutScrollBars) {
  auto* memo = ui.Find<QPlainTextEdit>("Memo1");
  EXPECT_FALSE(memo->isReadOnly());
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(MainFormControls, KeyboardOrderFollowsTheList) {
  const QStringList expected = {"AutoLoadFlashCheck",
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
  QStringList seen;
  QWidget* start = ui.Find("AutoLoadFlashCheck");
  QWidget* widget = start;
  do {
    // A spin box's inner edit counts as the spin box.
    QWidget* parent = widget->parentWidget();
    QWidget* named = qobject_cast<QAbstractSpinBox*>(parent) != nullptr ? parent : widget;
    if (expected.contains(named->objectName()) && !seen.contains(named->objectName())) {
      seen << named->objectName();
    }
    widget = widget->nextInFocusChain();
  } while (widget != start);
  EXPECT_EQ(seen, expected);
}

}  // namespace
