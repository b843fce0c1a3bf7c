// Opening a file with FFmpeg: the demuxer and the decoder of one stream.
#pragma once

#include <string>
#include <vector>

#include "media/mcl/FfmpegHandles.h"
#include "media/mcl/MclError.h"

namespace mcl {

// The files a source is read from: one, or several read one after the other
// as one (the parts of a DVD title). Texts about the source name the first.
using SourceFiles = std::vector<std::string>;

struct MediaSource {
  FormatPtr format;
  CodecPtr codec;  // null when the file has no stream of the wanted type
  int stream = -1;

  AVStream* Stream() const { return format->streams[stream]; }
};

// Opens the files and the decoder of their first stream of the given type.
// A missing video stream is an error; a missing audio stream is not.
ErrorKind OpenMediaSource(const SourceFiles& files, AVMediaType type, MediaSource& source);

// Whether the file can be opened as a source: a regular file with bytes in it.
ErrorKind CheckSourceFile(const std::string& path);

// Index of the first stream of that type (cover pictures do not count), or -1.
int FirstStreamOf(const AVFormatContext* format, AVMediaType type);

}  // namespace mcl
