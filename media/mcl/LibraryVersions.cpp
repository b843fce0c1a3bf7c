#include "media/mcl/LibraryVersions.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace {

std::string VersionText(const char* library, unsigned version) {
  return std::string(library) + " " + std::to_string(AV_VERSION_MAJOR(version)) + "." +
         std::to_string(AV_VERSION_MINOR(version)) + "." + std::to_string(AV_VERSION_MICRO(version));
}

}  // namespace

std::string FfmpegLibraryVersions() {
  return VersionText("libavformat", avformat_version()) + ", " + VersionText("libavcodec", avcodec_version()) + ", " +
         VersionText("libavutil", avutil_version()) + ", " + VersionText("libswscale", swscale_version()) + ", " +
         VersionText("libswresample", swresample_version());
}
