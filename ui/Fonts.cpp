#include "ui/Fonts.h"

namespace {

QFont PixelFont(const QString& family, int pixelSize, QFont::Weight weight) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

}  // namespace

QFont WindowFont() { return PixelFont("Liberation Sans", 11, QFont::Normal); }

// DejaVu Sans Bold is the heaviest and widest installed sans, closest to Arial Black.
QFont HeadlineFont() { return PixelFont("DejaVu Sans", 19, QFont::Bold); }

QFont NarrowBoldFont() { return PixelFont("Liberation Sans Narrow", 24, QFont::Bold); }
