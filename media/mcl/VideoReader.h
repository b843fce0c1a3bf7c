// Frames of the video stream by index in display order. Forward reads decode
// on; backward and far jumps seek to a key frame before the target.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

#include "media/mcl/MediaSource.h"
#include "media/mcl/PacketDecoder.h"

namespace mcl {

enum class ReadStatus { kOk, kPastEnd, kError };

class VideoReader {
 public:
  // Null with the cause in kind when the file cannot be opened.
  static std::unique_ptr<VideoReader> Open(const std::string& path, ErrorKind& kind);

  ReadStatus ReadFrame(int index);
  const AVFrame* Current() const { return current_.get(); }
  const std::string& Path() const { return path_; }

 private:
  static constexpr int kNoFrame = INT_MAX;  // forces the next read to reposition

  VideoReader(std::string path, MediaSource source);
  ReadStatus DecodeOne();
  int IndexOfCurrent(std::int64_t ts);
  bool SeekBefore(int index);
  bool Rewind();
  int JumpLimit() const;
  void NoteKeyFrame(int index);
  std::int64_t TimestampOf(int index) const;

  std::string path_;
  MediaSource source_;
  std::unique_ptr<PacketDecoder> decoder_;
  FramePtr current_;
  AVRational rate_;
  int currentIndex_ = -1;
  int endIndex_ = -1;  // frame count once the end was reached
  bool afterSeek_ = false;
  std::int64_t firstTs_ = AV_NOPTS_VALUE;
  int lastKeyIndex_ = -1;
  int gop_ = 0;
};

}  // namespace mcl
