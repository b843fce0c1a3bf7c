// Opening a file with FFmpeg: the demuxer and the decoder of one stream.
#pragma once

#include <string>
#include <vector>

#include "media/mcl/FfmpegHandles.h"
#include "media/mcl/LoggedErrors.h"
#include "media/mcl/MclError.h"

namespace mcl {

// The files a source is read from: one, or several read one after the other
// as one (the parts of a DVD title). Texts about the source name the first.
using SourceFiles = std::vector<std::string>;

struct MediaSource {
  FormatPtr format;
  CodecPtr codec;  // null when the file has no stream of the wanted type
  int stream = -1;
  LoggedErrors* errors = nullptr;  // where the decoder's and demuxer's errors count
  int openingErrors = 0;           // the demuxer's, while it read the headers

  AVStream* Stream() const { return format->streams[stream]; }
  // Errors logged from now on while the source is read count in counter,
  // which outlives the source.
  void CountErrorsIn(LoggedErrors& counter);
};

// Opens the files and the decoder of their first stream of the given type.
// A missing video stream is an error; a missing audio stream is not.
ErrorKind OpenMediaSource(const SourceFiles& files, AVMediaType type, MediaSource& source);

// ".vob" for "VTS_01_1.VOB": the name's extension, in lower case.
std::string LowerCaseExtension(const std::string& path);

// Whether the file can be opened as a source: a regular file with bytes in it.
ErrorKind CheckSourceFile(const std::string& path);

// Threads for a video decoder: one core stays with the conversion and its
// JPEG worker, which run beside the decoder (on two cores, decoding with
// threads of its own made conversions slower where the JPEGs are the most
// work), unless the decoder is the slower side and gets them all.
int VideoDecoderThreads(bool allCores);
// The stream's decoder, opened; threads count for video only.
ErrorKind OpenDecoder(const AVStream* stream, int threads, CodecPtr& codec, LoggedErrors* errors = nullptr);

// Index of the first stream of that type (cover pictures do not count), or -1.
int FirstStreamOf(const AVFormatContext* format, AVMediaType type);

}  // namespace mcl
