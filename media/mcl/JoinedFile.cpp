#include "media/mcl/JoinedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace mcl {
namespace {

constexpr int kBufferBytes = 16 * 2048;  // whole DVD sectors

class JoinedFile {
 public:
  JoinedFile() = default;
  ~JoinedFile() {
    for (const Part& part : parts_) ::close(part.fd);
  }
  JoinedFile(const JoinedFile&) = delete;
  JoinedFile& operator=(const JoinedFile&) = delete;

  ErrorKind Add(const std::string& path);
  int Read(std::uint8_t* buffer, int wanted);
  std::int64_t Seek(std::int64_t offset, int whence);

 private:
  struct Part {
    int fd;
    std::int64_t start;  // in the joined stream
    std::int64_t size;
  };

  std::vector<Part> parts_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// Only regular files with bytes in them: a folder, a device or a FIFO could
// block or never end.
ErrorKind JoinedFile::Add(const std::string& path) {
  if (path.empty()) return ErrorKind::kFileNotFound;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == EACCES || errno == EPERM ? ErrorKind::kAccessDenied : ErrorKind::kFileNotFound;
  parts_.push_back({fd, size_, 0});
  struct stat status {};
  if (::fstat(fd, &status) != 0) return ErrorKind::kFileNotFound;
  if (S_ISDIR(status.st_mode)) return ErrorKind::kFolder;
  if (!S_ISREG(status.st_mode)) return ErrorKind::kNotAFile;
  if (status.st_size <= 0) return ErrorKind::kEmptyFile;
  parts_.back().size = status.st_size;
  size_ += status.st_size;
  return ErrorKind::kNone;
}

// Up to the end of the part the position is in; FFmpeg asks again for more.
int JoinedFile::Read(std::uint8_t* buffer, int wanted) {
  const auto part =
      std::find_if(parts_.begin(), parts_.end(), [this](const Part& p) { return position_ < p.start + p.size; });
  if (part == parts_.end() || wanted <= 0) return AVERROR_EOF;
  const std::int64_t inPart = position_ - part->start;
  const auto count = static_cast<std::size_t>(std::min<std::int64_t>(wanted, part->size - inPart));
  ssize_t got = 0;
  do {
    got = ::pread(part->fd, buffer, count, inPart);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return AVERROR(errno);
  if (got == 0) return AVERROR_EOF;  // the part shrank since it was opened
  position_ += got;
  return static_cast<int>(got);
}

std::int64_t JoinedFile::Seek(std::int64_t offset, int whence) {
  std::int64_t base = 0;
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
      return size_;
    case SEEK_SET:
      break;
    case SEEK_CUR:
      base = position_;
      break;
    case SEEK_END:
      base = size_;
      break;
    default:
      return AVERROR(EINVAL);
  }
  if (offset < -base) return AVERROR(EINVAL);
  position_ = base + offset;
  return position_;
}

int ReadJoined(void* file, std::uint8_t* buffer, int wanted) {
  return static_cast<JoinedFile*>(file)->Read(buffer, wanted);
}

std::int64_t SeekJoined(void* file, std::int64_t offset, int whence) {
  return static_cast<JoinedFile*>(file)->Seek(offset, whence);
}

}  // namespace

void AvioCloser::operator()(AVIOContext* io) const {
  delete static_cast<JoinedFile*>(io->opaque);
  av_freep(&io->buffer);  // FFmpeg may have replaced the one it was given
  avio_context_free(&io);
}

AvioPtr OpenJoinedInput(const std::vector<std::string>& parts, ErrorKind& kind) {
  auto file = std::make_unique<JoinedFile>();
  kind = parts.empty() ? ErrorKind::kFileNotFound : ErrorKind::kNone;
  for (std::size_t i = 0; i < parts.size() && kind == ErrorKind::kNone; ++i) kind = file->Add(parts[i]);
  if (kind != ErrorKind::kNone) return nullptr;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
  AVIOContext* io =
      buffer ? avio_alloc_context(buffer, kBufferBytes, 0, file.get(), ReadJoined, nullptr, SeekJoined) : nullptr;
  if (io == nullptr) {
    av_free(buffer);
    kind = ErrorKind::kOutOfMemory;
    return nullptr;
  }
  file.release();  // now the context's: AvioCloser deletes it
  return AvioPtr(io);
}

}  // namespace mcl
