// Errors that FFmpeg's decoders and demuxers only write to their log (a JPEG
// picture with broken data, an audio frame that does not decode), counted
// for the reader whose contexts carry the counter: a movie made of them is
// incomplete, however cleanly the pictures come out.
#pragma once

#include <atomic>
#include <cstdarg>

#include "media/mcl/FfmpegHandles.h"

namespace mcl {

class LoggedErrors {
 public:
  LoggedErrors();
  ~LoggedErrors();
  LoggedErrors(const LoggedErrors&) = delete;
  LoggedErrors& operator=(const LoggedErrors&) = delete;

  // Takes the library's log over, once: nothing is printed, errors are counted.
  static void Install();
  // Errors the context logs from now on count here.
  void Attach(AVCodecContext* codec) { codec->opaque = this; }
  void Attach(AVFormatContext* format) { format->opaque = this; }
  // The counter the decoder was opened with, if any.
  static LoggedErrors* Of(const AVCodecContext& codec);

  // From any thread: how many so far.
  int Count() const { return count_.load(); }

 private:
  static void Handle(void* context, int level, const char* format, va_list arguments);

  std::atomic<int> count_{0};
};

}  // namespace mcl
