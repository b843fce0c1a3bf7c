#include "ui/FileFilter.h"

namespace {

QString QtPatterns(const QString& patterns) {
  QStringList out;
  for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    for (const QString& variant : {trimmed, trimmed.toLower(), trimmed.toUpper()}) {
      if (!out.contains(variant)) out << variant;
    }
  }
  return out.join(' ');
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters << parts[i] + " (" + QtPatterns(parts[i + 1]) + ")";
  }
  return filters;
}
