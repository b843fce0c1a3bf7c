// Installed stand-ins for the Windows fonts, sized by character height in pixels.
#pragma once

#include <QFont>

QFont WindowFont();      // MS Sans Serif 8 pt: 11 px
QFont HeadlineFont();    // Arial Black: 19 px
QFont NarrowBoldFont();  // Arial Narrow bold: 24 px
