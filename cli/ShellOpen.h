#pragma once

#include <string>

// Starts the desktop's opener (xdg-open) for the file at path, handed over as
// an absolute path, in its own session with its input and output on
// /dev/null, and does not wait for it. Like the shell call on the desktop,
// failures are silent. Returns whether it started.
bool OpenWithDesktop(const std::string& path);
