// Every picture of the program, drawn at run time.
#pragma once

#include <QPixmap>

QPixmap MakerLogo(QSize size);
// A stylised hand holding a fan of photo prints.
QPixmap HandWithPrints(QSize size);
// 101 by 30: light grey face with blue letters, or darker with yellow when pressed.
QPixmap ButtonFace(const QString& word, bool pressed);
QPixmap Globe(bool grey);
QPixmap CheckMark();
QPixmap FolderGlyph();
