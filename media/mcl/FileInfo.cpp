#include "media/mcl/FileInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "media/mcl/Clock.h"
#include "media/mcl/ClockMender.h"
#include "media/mcl/MediaSource.h"
#include "media/mcl/PacketDecoder.h"

namespace mcl {
namespace {

struct PacketCount {
  bool chunkNumbered = false;         // AVI: a packet's decoding time is its chunk's number
  std::optional<ClockMender> clock;  // none where times are trusted as they are
  int pictures = 0;                  // packets with a picture; AVI's empty chunks of dropped frames have none
  bool untimed = false;
  std::int64_t firstPts = AV_NOPTS_VALUE;
  std::int64_t lastPts = AV_NOPTS_VALUE;
  bool damaged = false;
};

void CountPacket(const AVPacket& packet, PacketCount& count) {
  if (packet.size <= 0) return;
  ++count.pictures;
  if (packet.flags & AV_PKT_FLAG_CORRUPT) count.damaged = true;
  // AVI gives streams with B-frames (H.264) only the decoding time: its
  // chunk number, which counts the empty chunks of dropped frames too.
  const std::int64_t ts = packet.pts != AV_NOPTS_VALUE || !count.chunkNumbered ? packet.pts : packet.dts;
  if (ts == AV_NOPTS_VALUE) {
    count.untimed = true;
  } else {
    const std::int64_t mended = count.clock ? count.clock->Mend(ts) : ts;
    count.firstPts = count.firstPts == AV_NOPTS_VALUE ? mended : std::min(count.firstPts, mended);
    count.lastPts = count.lastPts == AV_NOPTS_VALUE ? mended : std::max(count.lastPts, mended);
  }
}

// Containers such as MPEG program streams record no frame count, and a cut
// AVI keeps the count of the whole file, so the packets are read instead.
PacketCount CountVideoPackets(AVFormatContext* format, int stream, bool isAvi) {
  PacketCount count;
  count.chunkNumbered = isAvi;
  const AVStream* video = format->streams[stream];
  if (ClockIsMended(format)) count.clock.emplace(video->time_base, StreamRate(video));
  PacketPtr packet(av_packet_alloc());
  if (!packet) {
    count.damaged = true;
    return count;
  }
  int result = 0;
  while ((result = av_read_frame(format, packet.get())) >= 0) {
    if (packet->stream_index == stream) CountPacket(*packet, count);
    av_packet_unref(packet.get());
  }
  if (result != AVERROR_EOF) count.damaged = true;
  return count;
}

// The frame slots up to the last picture's, on the clock the pictures are read by.
int SlotCount(const PacketCount& count, const AVStream* stream) {
  if (count.firstPts == AV_NOPTS_VALUE) return count.pictures;
  const double frames =
      static_cast<double>(count.lastPts - count.firstPts) * av_q2d(stream->time_base) * av_q2d(StreamRate(stream));
  const int slots = SlotOfTime(frames) + 1;
  // Where some packets carry no time, the last picture's may be among them.
  return count.untimed ? std::max(slots, count.pictures) : slots;
}

// A part cut inside a group of pictures starts with pictures whose references
// are in the part before; the decoder gives none of them, and the reader's
// clock starts at the first picture it gives. No time: nothing to go by.
std::int64_t FirstPicturePts(const SourceFiles& files) {
  MediaSource source;
  if (OpenMediaSource(files, AVMEDIA_TYPE_VIDEO, source) != ErrorKind::kNone) return AV_NOPTS_VALUE;
  PacketDecoder decoder(source.format.get(), source.codec.get(), source.stream);
  FramePtr picture(av_frame_alloc());
  if (!picture || decoder.Next(picture.get()) != DecodeStatus::kFrame) return AV_NOPTS_VALUE;
  return picture->pts;
}

double AudioSampleRate(const AVFormatContext* format) {
  const int audio = FirstStreamOf(format, AVMEDIA_TYPE_AUDIO);
  return audio < 0 ? 0.0 : format->streams[audio]->codecpar->sample_rate;
}

}  // namespace

PictureSize DisplaySize(PictureSize stored, AVRational sampleAspect) {
  if (sampleAspect.num <= 0 || sampleAspect.den <= 0 || sampleAspect.num == sampleAspect.den) return stored;
  // Bounded so that a wild ratio still makes a whole number; the delivered
  // size then fits it to the stage.
  const double width = std::clamp(stored.width * av_q2d(sampleAspect), 1.0, 1e6);
  return {static_cast<int>(std::lround(width)), stored.height};
}

PictureSize DeliveredSize(PictureSize source) {
  if (source.width <= kLargestDeliveredSide && source.height <= kLargestDeliveredSide) return source;
  const double scale = std::min(static_cast<double>(kLargestDeliveredSide) / source.width,
                                static_cast<double>(kLargestDeliveredSide) / source.height);
  const auto fit = [scale](int side) { return std::max(1, static_cast<int>(std::lround(side * scale))); };
  return {fit(source.width), fit(source.height)};
}

double FrameRateOf(const AVStream* stream) { return av_q2d(StreamRate(stream)); }

ErrorKind ReadFileInfo(const SourceFiles& files, int flags, SourceFileInfo& info, double& damageAt) {
  std::memset(&info, 0, sizeof info);
  MediaSource source;
  const ErrorKind opened = OpenMediaSource(files, AVMEDIA_TYPE_VIDEO, source);
  if (opened != ErrorKind::kNone) return opened;
  AVStream* stream = source.Stream();
  const PictureSize stored{stream->codecpar->width, stream->codecpar->height};
  const AVRational sampleAspect = av_guess_sample_aspect_ratio(source.format.get(), stream, nullptr);
  const PictureSize size =
      DeliveredSize((flags & kMclKeepPixelShape) != 0 ? stored : DisplaySize(stored, sampleAspect));
  info.width = size.width;
  info.height = size.height;
  info.frameRate = FrameRateOf(stream);
  info.audioSampleRate = AudioSampleRate(source.format.get());
  // Only AVI's recorded count is the number of stored frames, so only there does
  // a shortfall mean the file was cut.
  const bool isAvi = std::strcmp(source.format->iformat->name, "avi") == 0;
  const std::int64_t recorded = isAvi ? stream->nb_frames : 0;
  PacketCount count = CountVideoPackets(source.format.get(), source.stream, isAvi);
  const std::int64_t firstShown = FirstPicturePts(files);
  if (firstShown != AV_NOPTS_VALUE && count.firstPts != AV_NOPTS_VALUE && firstShown > count.firstPts) {
    count.firstPts = std::min(firstShown, count.lastPts);
  }
  info.frameCount = SlotCount(count, stream);
  const bool clockBroken = count.clock && count.clock->Broken();
  if (files.size() == 1) RememberClockBroken(files.front(), clockBroken);
  if (size.width <= 0 || size.height <= 0 || count.pictures == 0) return ErrorKind::kCorrupt;
  if (count.damaged || recorded > info.frameCount) return ErrorKind::kCorrupt;
  if (clockBroken) {
    damageAt = static_cast<double>(count.clock->FirstBreakAt() - count.firstPts) * av_q2d(stream->time_base);
    return ErrorKind::kClockJump;
  }
  return ErrorKind::kNone;
}

bool ClockBreaksIn(const SourceFiles& files) {
  MediaSource source;
  if (OpenMediaSource(files, AVMEDIA_TYPE_VIDEO, source) != ErrorKind::kNone) return false;
  const bool isAvi = std::strcmp(source.format->iformat->name, "avi") == 0;
  const PacketCount count = CountVideoPackets(source.format.get(), source.stream, isAvi);
  return count.clock && count.clock->Broken();
}

}  // namespace mcl
