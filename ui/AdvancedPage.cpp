#include "ui/AdvancedPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace {

constexpr int kLargestSide = 2880;      // the largest stage Flash players show
constexpr double kLongestSource = 1e6;  // seconds; longer than any video
constexpr int kMp3Bitrates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

template <typename Control>
Control* Named(const char* name) {
  auto* control = new Control;
  control->setObjectName(name);
  return control;
}

QSpinBox* SideBox(const char* name) {
  auto* box = Named<QSpinBox>(name);
  box->setRange(0, kLargestSide);
  box->setSpecialValueText(QString::fromUtf8("wie die Quelle"));
  box->setSuffix(" px");
  return box;
}

QDoubleSpinBox* SecondsBox(const char* name, const char* zeroText) {
  auto* box = Named<QDoubleSpinBox>(name);
  box->setRange(0, kLongestSource);
  box->setDecimals(2);
  box->setSuffix(" s");
  box->setSpecialValueText(QString::fromUtf8(zeroText));
  return box;
}

QWidget* Row(QWidget* first, QWidget* second) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(first);
  if (second != nullptr) layout->addWidget(second);
  layout->addStretch();
  return row;
}

QLabel* Note(const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text));
  label->setWordWrap(true);
  return label;
}

}  // namespace

AdvancedPage::AdvancedPage(ConversionSettings& settings, PageChoice& page, QWidget* parent)
    : QWidget(parent), settings_(settings), page_(page) {
  setObjectName("TabSheet4");
  auto* form = new QFormLayout(this);
  form->setContentsMargins(16, 16, 16, 16);
  AddSoundControls(form);
  AddPictureControls(form);
  AddPartControls(form);
  AddPageControls(form);
}

void AdvancedPage::AddSoundControls(QFormLayout* form) {
  auto* format = Named<QComboBox>("SoundFormatBox");
  format->addItems({QString::fromUtf8("PCM (unkomprimiert)"), "ADPCM", "MP3"});
  format->setCurrentIndex(static_cast<int>(settings_.soundCompression));
  auto* bitrate = Named<QComboBox>("Mp3BitrateBox");
  bitrate->addItem(QString::fromUtf8("automatisch (64 kbit/s mono, 128 stereo)"), 0);
  for (const int kbit : kMp3Bitrates) bitrate->addItem(QString("%1 kbit/s").arg(kbit), kbit);
  bitrate->setEnabled(settings_.soundCompression == SoundCompression::Mp3);
  connect(format, &QComboBox::currentIndexChanged, this, [this, bitrate](int index) {
    settings_.soundCompression = static_cast<SoundCompression>(index);
    bitrate->setEnabled(settings_.soundCompression == SoundCompression::Mp3);
  });
  connect(bitrate, &QComboBox::currentIndexChanged, this,
          [this, bitrate](int index) { settings_.mp3BitrateKbit = bitrate->itemData(index).toInt(); });
  form->addRow(QString::fromUtf8("Tonformat:"), Row(format, bitrate));
  form->addRow(QString(), Note("ADPCM und MP3 machen den Ton kleiner; MP3 gibt es ab 11000 Hz."));
}

void AdvancedPage::AddPictureControls(QFormLayout* form) {
  auto* tolerance = Named<QSpinBox>("ToleranceEd");
  tolerance->setRange(0, 255);
  tolerance->setValue(settings_.tolerance);
  tolerance->setSpecialValueText(QString::fromUtf8("0 (jede Abweichung zählt)"));
  connect(tolerance, &QSpinBox::valueChanged, this, [this](int value) { settings_.tolerance = value; });
  form->addRow(QString::fromUtf8("Rauschen übergehen bis:"), Row(tolerance, nullptr));
  form->addRow(QString(), Note("Ein Bildpunkt gilt erst als geändert, wenn seine Umgebung um mehr als diesen "
                               "Wert abweicht; Rauschen von Kamera und Codec macht den Film dann nicht größer."));
  auto* width = SideBox("WidthEd");
  auto* height = SideBox("HeightEd");
  connect(width, &QSpinBox::valueChanged, this, [this](int value) { settings_.width = value; });
  connect(height, &QSpinBox::valueChanged, this, [this](int value) { settings_.height = value; });
  form->addRow(QString::fromUtf8("Bildgröße (Breite × Höhe):"), Row(width, height));
  form->addRow(QString(), Note("Nur eine Seite angegeben: die andere im Seitenverhältnis der Quelle."));
  auto* shape = Named<QCheckBox>("KeepPixelShapeCheck");
  shape->setText(QString::fromUtf8("Bildpunkte wie gespeichert (nicht im Seitenverhältnis der Wiedergabe)"));
  shape->setChecked(settings_.keepPixelShape);
  connect(shape, &QCheckBox::toggled, this, [this](bool on) { settings_.keepPixelShape = on; });
  form->addRow(QString::fromUtf8("Form:"), shape);
  // In the order of the Deinterlace values.
  auto* deinterlace = Named<QComboBox>("DeinterlaceBox");
  deinterlace->addItems({QString::fromUtf8("wo die Quelle es angibt"), QString::fromUtf8("jedes Bild"),
                         QString::fromUtf8("nie")});
  deinterlace->setCurrentIndex(static_cast<int>(settings_.deinterlace));
  connect(deinterlace, &QComboBox::currentIndexChanged, this,
          [this](int index) { settings_.deinterlace = static_cast<Deinterlace>(index); });
  form->addRow(QString::fromUtf8("Zeilensprung auflösen:"), Row(deinterlace, nullptr));
}

void AdvancedPage::AddPartControls(QFormLayout* form) {
  auto* start = SecondsBox("StartEd", "Anfang");
  auto* end = SecondsBox("EndEd", "Ende der Quelle");
  connect(start, &QDoubleSpinBox::valueChanged, this, [this](double value) { settings_.startSeconds = value; });
  connect(end, &QDoubleSpinBox::valueChanged, this, [this](double value) { settings_.endSeconds = value; });
  form->addRow(QString::fromUtf8("Umwandeln von … bis:"), Row(start, end));
  auto* wholeTitle = Named<QCheckBox>("WholeDvdTitleCheck");
  wholeTitle->setText(QString::fromUtf8("DVD-Titel ganz umwandeln (VTS_01_1.VOB mit VTS_01_2.VOB … daneben)"));
  wholeTitle->setChecked(settings_.wholeDvdTitle);
  connect(wholeTitle, &QCheckBox::toggled, this, [this](bool on) { settings_.wholeDvdTitle = on; });
  form->addRow(QString(), wholeTitle);
}

void AdvancedPage::AddPageControls(QFormLayout* form) {
  auto* kind = Named<QComboBox>("PageKindBox");
  kind->addItems({QString::fromUtf8("Ruffle-Seite (spielt in heutigen Browsern)"),
                  QString::fromUtf8("nur Quelltext zum Einbinden (braucht das Flash-Plug-in)")});
  kind->setCurrentIndex(page_.kind == PageKind::Ruffle ? 0 : 1);
  auto* script = Named<QLineEdit>("RuffleScriptEdit");
  script->setText(QString::fromStdString(page_.ruffleScript));
  script->setEnabled(page_.kind == PageKind::Ruffle);
  connect(kind, &QComboBox::currentIndexChanged, this, [this, script](int index) {
    page_.kind = index == 0 ? PageKind::Ruffle : PageKind::Flash;
    script->setEnabled(page_.kind == PageKind::Ruffle);
  });
  connect(script, &QLineEdit::textChanged, this, [this](const QString& text) {
    page_.ruffleScript = text.trimmed().isEmpty() ? kDefaultRuffleScript : text.trimmed().toStdString();
  });
  form->addRow(QString::fromUtf8("HTML-Seite:"), kind);
  form->addRow(QString::fromUtf8("Adresse von Ruffle:"), script);
  form->addRow(QString(), Note("Die Ruffle-Seite spielt den Film sofort, ohne Ton, bis man auf den Film klickt, "
                               "wo der Browser das verlangt. Ruffle gehört in den Ordner ruffle neben der Seite, "
                               "und die Seite muss über einen Webserver geöffnet werden (http://…), nicht als "
                               "Datei."));
}
