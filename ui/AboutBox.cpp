#include "ui/AboutBox.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "ui/Fonts.h"
#include "ui/Maker.h"
#include "ui/Pictures.h"
#include "ui/ShellOpener.h"
#include "ui/Widgets.h"

const char* const kNoticeTemplate = "© XXXX Orvane. Entwickelt und hergestellt von Orvane (info@orvane.example)";

TAboutBox::TAboutBox(QWidget* parent, QDate startDate, ShellOpener& shell)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      shell_(shell) {
  setObjectName("AboutBox");
  setWindowTitle("Info");
  setFont(WindowFont());
  setFixedSize(664, 453);
  setModal(true);
  auto* panel = MakePanel(this, "Panel1", QRect(8, 8, 649, 385), Bevel::RaisedInLoweredOut);
  Colour(panel, QColor(240, 202, 166));
  auto* icon = Place<QLabel>(panel, "ProgramIcon", QRect(16, 40, 306, 322));
  icon->setPixmap(MakerLogo(QSize(306, 322)));
  icon->setScaledContents(true);
  BuildTexts(panel);
  BuildButtons(panel);
  FormCreate(startDate);
}

void TAboutBox::BuildTexts(QWidget* panel) {
  auto* product =
      MakeWrappedLabel(panel, "ProductName", QRect(8, 8, 406, 27), QString::fromUtf8("Orvane – Qualität mit Garantie"));
  product->setWordWrap(false);
  product->setFont(NarrowBoldFont());
  QPalette black = product->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  product->setPalette(black);
  MakeWrappedLabel(panel, "Comments", QRect(336, 56, 257, 33), QString::fromUtf8(kNoticeTemplate));
  QFont bold = font();
  bold.setBold(true);
  QLabel* motto =
      MakeLabel(panel, "Label1", QPoint(336, 96), QString::fromUtf8("Orvane – Programme rund um Bild und Film"));
  motto->setFont(bold);
  motto->adjustSize();
  MakeLabel(panel, "Label2", QPoint(336, 112), QString::fromUtf8("Klein, schnell und einfach zu bedienen."));
  MakeWrappedLabel(panel, "Label3", QRect(336, 128, 238, 121),
                   QString::fromUtf8("Neuigkeiten und weitere Programme finden Sie jederzeit auf "
                                     "unserer Homepage %1.\r\nViel Spaß beim Umwandeln Ihrer "
                                     "Videos wünscht Ihnen das Orvane-Team!")
                       .arg(kMakerHost));
}

void TAboutBox::BuildButtons(QWidget* panel) {
  auto* web = Place<QPushButton>(panel, "BitBtnXP1", QRect(336, 240, 169, 25));
  QIcon globe(Globe(false));
  globe.addPixmap(Globe(true), QIcon::Disabled);
  web->setIcon(globe);
  web->setText(kMakerHost);
  web->setAutoDefault(false);
  web->raise();
  connect(web, &QPushButton::clicked, this, [this] { BitBtnXP1Click(); });
  auto* ok = Place<QPushButton>(this, "BitBtn1", QRect(241, 404, 181, 37));
  ok->setIcon(QIcon(CheckMark()));
  ok->setText("OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setTabOrder(web, ok);
}

void TAboutBox::FormCreate(QDate startDate) {
  auto* notice = findChild<QLabel*>("Comments");
  QString text = notice->text();
  const qsizetype at = text.indexOf("XXXX");
  if (at >= 0) text.replace(at, 4, QString::number(startDate.year()));
  notice->setText(text);
}

void TAboutBox::ShowFor(bool whileRunning) {
  if (!whileRunning) {
    setWindowModality(Qt::ApplicationModal);
    exec();
    return;
  }
  setWindowModality(Qt::NonModal);
  show();
  raise();
  activateWindow();
}

void TAboutBox::BitBtnXP1Click() { shell_.Open(kMakerAddress); }

// Without a cancel button, Escape does not close the window.
void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAboutBox::showEvent(QShowEvent* event) {
  const QRect area = screen()->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
  QDialog::showEvent(event);
}
