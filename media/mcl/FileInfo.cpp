#include "media/mcl/FileInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/mcl/MediaSource.h"

namespace mcl {
namespace {

bool IsUsable(AVRational rate) { return rate.num > 0 && rate.den > 0; }

struct PacketCount {
  int frames = 0;
  int empty = 0;  // AVI's markers of dropped frames: no picture of their own
  bool damaged = false;
};

// Containers such as MPEG program streams record no frame count, and a cut
// AVI keeps the count of the whole file, so the packets are counted instead.
PacketCount CountVideoPackets(AVFormatContext* format, int stream) {
  PacketCount count;
  PacketPtr packet(av_packet_alloc());
  if (!packet) return {0, true};
  int result = 0;
  while ((result = av_read_frame(format, packet.get())) >= 0) {
    if (packet->stream_index == stream) {
      ++(packet->size > 0 ? count.frames : count.empty);
      if (packet->flags & AV_PKT_FLAG_CORRUPT) count.damaged = true;
    }
    av_packet_unref(packet.get());
  }
  if (result != AVERROR_EOF) count.damaged = true;
  return count;
}

double AudioSampleRate(const AVFormatContext* format) {
  const int audio = FirstStreamOf(format, AVMEDIA_TYPE_AUDIO);
  return audio < 0 ? 0.0 : format->streams[audio]->codecpar->sample_rate;
}

}  // namespace

PictureSize DeliveredSize(PictureSize source) {
  if (source.width <= kLargestDeliveredSide && source.height <= kLargestDeliveredSide) return source;
  const double scale = std::min(static_cast<double>(kLargestDeliveredSide) / source.width,
                                static_cast<double>(kLargestDeliveredSide) / source.height);
  const auto fit = [scale](int side) { return std::max(1, static_cast<int>(std::lround(side * scale))); };
  return {fit(source.width), fit(source.height)};
}

double FrameRateOf(const AVStream* stream) {
  if (IsUsable(stream->avg_frame_rate)) return av_q2d(stream->avg_frame_rate);
  if (IsUsable(stream->r_frame_rate)) return av_q2d(stream->r_frame_rate);
  return 25.0;  // nothing recorded: the most common rate
}

ErrorKind ReadFileInfo(const std::string& path, SourceFileInfo& info) {
  std::memset(&info, 0, sizeof info);
  MediaSource source;
  const ErrorKind opened = OpenMediaSource(path, AVMEDIA_TYPE_VIDEO, source);
  if (opened != ErrorKind::kNone) return opened;
  const AVStream* stream = source.Stream();
  const PictureSize size = DeliveredSize({stream->codecpar->width, stream->codecpar->height});
  info.width = size.width;
  info.height = size.height;
  info.frameRate = FrameRateOf(stream);
  info.audioSampleRate = AudioSampleRate(source.format.get());
  // Only AVI's recorded count is the number of stored frames, so only there does
  // a shortfall mean the file was cut.
  const bool isAvi = std::strcmp(source.format->iformat->name, "avi") == 0;
  const std::int64_t recorded = isAvi ? stream->nb_frames : 0;
  const PacketCount count = CountVideoPackets(source.format.get(), source.stream);
  info.frameCount = count.frames;
  if (size.width <= 0 || size.height <= 0 || count.frames == 0) return ErrorKind::kCorrupt;
  if (count.damaged || recorded > count.frames + count.empty) return ErrorKind::kCorrupt;
  return ErrorKind::kNone;
}

}  // namespace mcl
