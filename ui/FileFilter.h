// Turns a "description|patterns|description|patterns" filter into Qt's form.
#pragma once

#include <QStringList>

// One entry per description; the patterns go in parentheses, blank-separated,
// each in upper and lower case because Qt matches them case-sensitively here.
QStringList QtNameFilters(const QString& filter);
