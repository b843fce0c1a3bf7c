#pragma once

#include <string>

// Starts the desktop's opener (xdg-open) for the file at path, handed over as
// an absolute path, in its own session with its input and output on
// /dev/null. Waits for it a moment only: returns false when it could not be
// started or ended at once with a failure (nothing took the file), true when
// it succeeded or is still at work.
bool OpenWithDesktop(const std::string& path);
