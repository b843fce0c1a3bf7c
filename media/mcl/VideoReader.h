// Frames of the video stream by index on the stream's own clock: frame i is
// the picture on screen at t0 + i / r, where t0 is the first picture's time
// and r the reported frame rate. A slot without a picture of its own (an
// empty AVI chunk, a repeated time, a rejected picture) shows the one before.
// Interlaced pictures come deinterlaced unless asked otherwise.
// Forward reads decode on; backward and far jumps seek to a key frame, except
// in a file whose clock breaks (see ClockMender), which is only read forwards.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "media/mcl/AheadDecoder.h"
#include "media/mcl/ClockMender.h"
#include "media/mcl/FramePlan.h"

namespace mcl {

enum class ReadStatus { kOk, kPastEnd, kError };

class VideoReader {
 public:
  // Null with the cause in kind when the file cannot be opened or no picture
  // of it can be decoded.
  // flags as MclReadOpen's: how pictures are deinterlaced.
  static std::unique_ptr<VideoReader> Open(const SourceFiles& files, int flags, ErrorKind& kind);

  // kError: pictures stop before the end of the stream because they cannot
  // be decoded.
  // Damage the pictures go on after (a broken clock, pictures decoded with
  // errors) is set as the library's error, once each, without failing.
  ReadStatus ReadFrame(int index);
  // index will be read after the frames told before; pictures no told frame
  // shows are then not decoded where the stream allows. A frame read but not
  // told is still read right, from the key frame before it.
  void Plan(int index) { plan_.Tell(index); }
  // Decodes the pictures after the current one, each of them, up to the end
  // or kFarJump of them: damage in them is noted as in those read.
  void ReadToEnd();
  // Sets the library's error for the last kError and returns its number.
  int ReportFailure() const;
  const AVFrame* Current() const { return current_.get(); }
  const std::string& Path() const { return files_.front(); }
  const SourceFiles& Files() const { return files_; }
  // When frame 0 is shown, seconds on the file's clock.
  double StartSeconds() const;

 private:
  VideoReader(SourceFiles files, MediaSource source, DeinterlaceMode deinterlace);
  bool Start();
  bool FillAhead();
  bool TakeDecoded();
  void NoteEnd(DecodeStatus status);
  void NoteDamage(const AVFrame& picture, int slot, bool loggedErrors);
  std::int64_t Mended(std::int64_t ts);
  double SecondsOf(int slot) const;
  bool MoveTo(int index);
  int SlotOf(std::int64_t ts) const;
  bool Reposition(int index);
  bool SeekBefore(int index);
  bool Rewind();
  int JumpLimit() const;
  void NoteKeyFrame(const AVFrame& picture, int slot);
  std::int64_t TimestampOf(int index) const;
  void CheckPlanClock(const AVFrame& picture, std::int64_t mended);
  bool DecodingTimeStaysPut() const;
  bool NewLoggedErrors();
  void TakeAhead();
  std::unique_ptr<AheadDecoder> NewDecoder(MediaSource source);

  SourceFiles files_;
  FramePlan plan_;  // before the decoder, whose thread reads it
  LoggedErrors loggedErrors_;  // likewise
  int loggedErrorsSeen_ = 0;
  bool headersDamaged_ = false;  // set as the decoder is made
  DeinterlaceMode deinterlace_;
  std::unique_ptr<AheadDecoder> decoder_;
  FramePtr current_;
  FramePtr ahead_;  // the next picture, decoded but not yet due
  AVRational rate_;
  std::int64_t firstTs_ = AV_NOPTS_VALUE;
  std::int64_t firstPts_ = AV_NOPTS_VALUE;  // the first picture's presentation time, if it has one
  int currentSlot_ = -1;
  int aheadSlot_ = -1;
  bool haveAhead_ = false;
  bool ended_ = false;         // nothing after current_
  bool stoppedEarly_ = false;  // ended on pictures the decoder rejected
  bool afterSeek_ = false;
  int endSlot_ = -1;  // frame count once the end was reached without a seek before
  int lastKeySlot_ = -1;
  int gop_ = 0;
  std::optional<ClockMender> clock_;  // none where the times are trusted as they are
  bool clockBroken_ = false;          // somewhere in the file: no seeks
  bool clockJumpNoted_ = false;
  bool damageNoted_ = false;
  std::int64_t sizeAtOpen_ = -1;
  bool shrunk_ = false;
};

}  // namespace mcl
