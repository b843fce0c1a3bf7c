// Writes a small file the way the movie is written: under a temporary name
// beside it (made exclusively, never through a link, locked and registered
// for removal like the movie's), then renamed onto its path. A link at the
// path is replaced, not followed; a failed write leaves whatever was there
// untouched and no file behind.
#pragma once

#include <string>

// 0 when path holds bytes, else the errno of the step that failed.
int WriteFileByRename(const std::string& path, const std::string& bytes);
