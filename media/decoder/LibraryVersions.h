// The libraries the programs decode and compress with, for --version.
#pragma once

#include <string>
#include <vector>

// One line per library family: FFmpeg's as loaded, libjpeg-turbo's (in the
// imaging module) as built against.
std::vector<std::string> MediaLibraryVersions();
