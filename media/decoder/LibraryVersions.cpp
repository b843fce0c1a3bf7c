#include "media/decoder/LibraryVersions.h"

#include "media/mcl/LibraryVersions.h"

#if __has_include(<jconfig.h>)
#include <jconfig.h>
#endif

std::vector<std::string> MediaLibraryVersions() {
  std::vector<std::string> lines = {"FFmpeg: " + FfmpegLibraryVersions()};
#ifdef LIBJPEG_TURBO_VERSION
#define TESSALINE_TEXT(x) #x
#define TESSALINE_VERSION_TEXT(x) TESSALINE_TEXT(x)
  lines.push_back(std::string("libjpeg-turbo: ") + TESSALINE_VERSION_TEXT(LIBJPEG_TURBO_VERSION));
#endif
  return lines;
}
