#include "media/mcl/MediaSource.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace mcl {
namespace {

void QuietLibraryLog() {
  // Damaged input is reported through the error text, not on stderr.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

ErrorKind CheckFile(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (path.empty() || ec || !std::filesystem::exists(status)) return ErrorKind::kFileNotFound;
  if (std::filesystem::is_directory(status)) return ErrorKind::kNotAVideo;
  if (std::filesystem::is_regular_file(status) && std::filesystem::file_size(path, ec) == 0 && !ec) {
    return ErrorKind::kEmptyFile;
  }
  return ErrorKind::kNone;
}

ErrorKind OpenFormat(const std::string& path, FormatPtr& format) {
  AVFormatContext* raw = nullptr;
  int result = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (result < 0) return KindOfAvError(result);
  format.reset(raw);
  result = avformat_find_stream_info(raw, nullptr);
  if (result < 0) return result == AVERROR(ENOMEM) ? ErrorKind::kOutOfMemory : ErrorKind::kNotAVideo;
  return ErrorKind::kNone;
}

ErrorKind OpenDecoder(const AVStream* stream, CodecPtr& codec) {
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (decoder == nullptr) return ErrorKind::kNoDecoder;
  codec.reset(avcodec_alloc_context3(decoder));
  if (!codec) return ErrorKind::kOutOfMemory;
  if (avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) return ErrorKind::kCorrupt;
  codec->pkt_timebase = stream->time_base;
  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    codec->thread_count = 0;  // as many as the machine has, as the ffmpeg tool does
    codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  }
  const int result = avcodec_open2(codec.get(), decoder, nullptr);
  if (result < 0) return result == AVERROR(ENOMEM) ? ErrorKind::kOutOfMemory : ErrorKind::kNoDecoder;
  return ErrorKind::kNone;
}

}  // namespace

int FirstStreamOf(const AVFormatContext* format, AVMediaType type) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* stream = format->streams[i];
    if (stream->codecpar->codec_type == type && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

ErrorKind OpenMediaSource(const std::string& path, AVMediaType type, MediaSource& source) {
  QuietLibraryLog();
  ErrorKind kind = CheckFile(path);
  if (kind == ErrorKind::kNone) kind = OpenFormat(path, source.format);
  if (kind != ErrorKind::kNone) return kind;
  source.stream = FirstStreamOf(source.format.get(), type);
  if (source.stream < 0) {
    return type == AVMEDIA_TYPE_VIDEO ? ErrorKind::kNoVideoStream : ErrorKind::kNone;
  }
  return OpenDecoder(source.Stream(), source.codec);
}

}  // namespace mcl
