// The source path as the file-name edit shows and reads it.
#pragma once

#include <functional>

#include <QString>

// A path containing a blank is shown in double quotes.
QString EditTextForPath(const QString& path);

// The first argument of text read like a command line: quoted parts lose
// their quotes and may hold blanks; an unquoted part ends at a blank.
QString FirstArgument(const QString& text);

// The edit's text unchanged when it names an existing file, else its first
// argument.
QString ReadSourcePath(const QString& editText, const std::function<bool(const QString&)>& fileExists);
bool IsExistingFile(const QString& path);
