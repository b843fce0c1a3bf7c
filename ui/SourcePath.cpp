#include "ui/SourcePath.h"

#include <QFileInfo>

namespace {

bool IsSeparator(QChar c) { return c.unicode() <= ' '; }

}  // namespace

QString EditTextForPath(const QString& path) { return path.contains(' ') ? '"' + path + '"' : path; }

QString FirstArgument(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && IsSeparator(text[i])) ++i;
  QString argument;
  bool quoted = false;
  for (; i < text.size() && (quoted || !IsSeparator(text[i])); ++i) {
    if (text[i] == '"') {
      quoted = !quoted;
    } else {
      argument += text[i];
    }
  }
  return argument;
}

QString ReadSourcePath(const QString& editText, const std::function<bool(const QString&)>& fileExists) {
  if (!editText.isEmpty() && fileExists(editText)) return editText;
  return FirstArgument(editText);
}

bool IsExistingFile(const QString& path) { return QFileInfo(path).isFile(); }
