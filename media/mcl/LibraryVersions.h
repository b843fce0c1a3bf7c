// The versions of the FFmpeg libraries mcl runs on, for --version.
#pragma once

#include <string>

// "libavformat 59.27.100, libavcodec 59.37.100, …", as loaded, not as built against.
std::string FfmpegLibraryVersions();
