#include "media/mcl/MediaSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <thread>

#include "media/mcl/JoinedFile.h"

namespace mcl {
namespace {

// Matroska stays for the variable-rate clips it has always read.
constexpr const char* kContainerFormats = "avi,mpeg,matroska";

void QuietLibraryLog() {
  // Damaged input is reported through the error text, not on stderr.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
  LoggedErrors::Install();
}

// Only regular files: a folder, a device or a FIFO is refused before it is
// opened, as reading a FIFO or a device could block or never end.
ErrorKind CheckFile(const std::string& path) {
  struct stat status {};
  if (path.empty()) return ErrorKind::kFileNotFound;
  if (stat(path.c_str(), &status) != 0) {
    return errno == EACCES ? ErrorKind::kAccessDenied : ErrorKind::kFileNotFound;
  }
  if (S_ISDIR(status.st_mode)) return ErrorKind::kFolder;
  if (!S_ISREG(status.st_mode)) return ErrorKind::kNotAFile;
  return status.st_size == 0 ? ErrorKind::kEmptyFile : ErrorKind::kNone;
}

// The demuxers of the containers the program reads. None of them opens other
// files: a playlist or a concatenation list named ".avi" is refused, not
// followed. MPEG elementary streams only where the name says MPEG video.
std::string FormatWhitelist(const std::string& path) {
  const std::string extension = LowerCaseExtension(path);
  const bool elementaryName =
      extension == ".m1v" || extension == ".m2v" || extension == ".mpv" || extension == ".mpg" || extension == ".mpeg";
  return elementaryName ? std::string(kContainerFormats) + ",mpegvideo" : kContainerFormats;
}

// Several files are read through a joined input, handed to a context made here.
ErrorKind PrepareInput(const SourceFiles& files, AVFormatContext*& raw, AvioPtr& joined) {
  if (files.size() < 2) return ErrorKind::kNone;
  ErrorKind kind = ErrorKind::kNone;
  joined = OpenJoinedInput(files, kind);
  if (!joined) return kind;
  raw = avformat_alloc_context();
  if (raw == nullptr) return ErrorKind::kOutOfMemory;
  raw->pb = joined.get();
  raw->flags |= AVFMT_FLAG_CUSTOM_IO;
  return ErrorKind::kNone;
}

ErrorKind OpenFormat(const SourceFiles& files, FormatPtr& format, LoggedErrors& opening) {
  AVFormatContext* raw = nullptr;
  AvioPtr joined;
  if (const ErrorKind kind = PrepareInput(files, raw, joined); kind != ErrorKind::kNone) return kind;
  if (raw == nullptr && (raw = avformat_alloc_context()) == nullptr) return ErrorKind::kOutOfMemory;
  opening.Attach(raw);
  // Local files only: the prefix keeps a name such as "Teil:1.avi" or
  // "http://..." a file name, the lists stop a file from naming others.
  AVDictionary* options = nullptr;
  if (av_dict_set(&options, "protocol_whitelist", "file", 0) < 0 ||
      av_dict_set(&options, "format_whitelist", FormatWhitelist(files.front()).c_str(), 0) < 0) {
    av_dict_free(&options);
    avformat_free_context(raw);
    return ErrorKind::kOutOfMemory;
  }
  // On failure FFmpeg frees the context it was given, but not our input.
  int result = avformat_open_input(&raw, ("file:" + files.front()).c_str(), nullptr, &options);
  av_dict_free(&options);
  // A format off the list is refused with EINVAL: not a video of ours.
  if (result == AVERROR(EINVAL)) return ErrorKind::kNotAVideo;
  if (result < 0) return KindOfAvError(result);
  format.reset(raw);
  joined.release();  // closed with the context now
  result = avformat_find_stream_info(raw, nullptr);
  raw->opaque = nullptr;
  if (result < 0) return result == AVERROR(ENOMEM) ? ErrorKind::kOutOfMemory : ErrorKind::kNotAVideo;
  return ErrorKind::kNone;
}

}  // namespace

std::string LowerCaseExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

int VideoDecoderThreads(bool allCores) {
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::max(1, allCores ? cores : cores - 1);
}

ErrorKind OpenDecoder(const AVStream* stream, int threads, CodecPtr& codec, LoggedErrors* errors) {
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (decoder == nullptr) return ErrorKind::kNoDecoder;
  codec.reset(avcodec_alloc_context3(decoder));
  if (!codec) return ErrorKind::kOutOfMemory;
  if (avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) return ErrorKind::kCorrupt;
  codec->pkt_timebase = stream->time_base;
  if (errors != nullptr) errors->Attach(codec.get());
  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    codec->thread_count = threads;
    codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  }
  const int result = avcodec_open2(codec.get(), decoder, nullptr);
  if (result < 0) return result == AVERROR(ENOMEM) ? ErrorKind::kOutOfMemory : ErrorKind::kNoDecoder;
  return ErrorKind::kNone;
}

ErrorKind CheckSourceFile(const std::string& path) { return CheckFile(path); }

int FirstStreamOf(const AVFormatContext* format, AVMediaType type) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* stream = format->streams[i];
    if (stream->codecpar->codec_type == type && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

ErrorKind OpenMediaSource(const SourceFiles& files, AVMediaType type, MediaSource& source) {
  QuietLibraryLog();
  ErrorKind kind = files.empty() ? ErrorKind::kFileNotFound : ErrorKind::kNone;
  for (std::size_t i = 0; i < files.size() && kind == ErrorKind::kNone; ++i) kind = CheckFile(files[i]);
  LoggedErrors opening;
  if (kind == ErrorKind::kNone) kind = OpenFormat(files, source.format, opening);
  if (kind != ErrorKind::kNone) return kind;
  source.openingErrors = opening.Count();
  source.stream = FirstStreamOf(source.format.get(), type);
  if (source.stream < 0) {
    return type == AVMEDIA_TYPE_VIDEO ? ErrorKind::kNoVideoStream : ErrorKind::kNone;
  }
  // Each reader has a file of its own: the demuxer skips the other streams'
  // packets instead of parsing them (on a DVD, the sound's reader would
  // otherwise split the whole picture stream into frames once more).
  for (unsigned i = 0; i < source.format->nb_streams; ++i)
    if (static_cast<int>(i) != source.stream) source.format->streams[i]->discard = AVDISCARD_ALL;
  return OpenDecoder(source.Stream(), VideoDecoderThreads(false), source.codec);
}

// Set after opening: errors of the probing of the first packets are not the
// reading's. A decoder's own threads take the field over at the next packet.
void MediaSource::CountErrorsIn(LoggedErrors& counter) {
  errors = &counter;
  counter.Attach(format.get());
  if (codec) counter.Attach(codec.get());
}

}  // namespace mcl
