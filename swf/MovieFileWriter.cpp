#include "swf/MovieFileWriter.h"

#include <array>
#include <cerrno>
#include <limits>
#include <system_error>

#include "swf/FObjCollection.h"
#include "swf/TagCodes.h"

namespace {
constexpr std::size_t kFileBuffer = 1 << 16;  // small tags go out in few writes
}  // namespace

MovieFileWriter::MovieFileWriter(const std::filesystem::path& target) : target_(target) {
  if (target.empty()) return;  // nothing to put beside
  file_ = CreateTempBeside(target, tempPath_);
  if (!file_) {
    tempPath_.clear();
    error_ = errno != 0 ? errno : EIO;
    return;
  }
  std::setvbuf(file_.get(), nullptr, _IOFBF, kFileBuffer);
  const std::array<unsigned char, kSwfHeaderSize> room{};  // the header, written by Save
  complete_ = std::fwrite(room.data(), 1, room.size(), file_.get()) == room.size();
  NoteFailure(complete_);
  size_ = room.size();
}

void MovieFileWriter::NoteFailure(bool succeeded) {
  if (!succeeded && error_ == 0) error_ = errno != 0 ? errno : EIO;
}

MovieFileWriter::~MovieFileWriter() { Discard(); }

void MovieFileWriter::Discard() {
  if (!file_) return;
  file_.reset();
  std::error_code ignored;
  std::filesystem::remove(tempPath_, ignored);
}

void MovieFileWriter::Add(const FObj& tag) {
  if (tag.IsShowFrame()) ++frameCount_;
  if (!file_) return;
  tagBytes_.Clear();
  tag.WriteTo(tagBytes_);
  size_ += tagBytes_.Size();
  const bool written = tagBytes_.WriteToFile(file_.get());
  NoteFailure(written);
  complete_ = written && complete_;
}

bool MovieFileWriter::Save(std::int32_t width, std::int32_t height, std::int32_t fps) {
  if (!file_) return false;
  FSWFStream end;
  end.WriteTagHeader(TagCode::End, 0);
  const std::uint64_t fileLength = size_ + end.Size();
  complete_ = end.WriteToFile(file_.get()) && complete_;
  NoteFailure(complete_);
  std::array<unsigned char, kSwfHeaderSize> header{};
  WriteSwfHeader(header.data(), static_cast<std::uint32_t>(fileLength), width, height, fps, frameCount_);
  if (complete_ && fileLength > std::numeric_limits<std::uint32_t>::max()) {
    complete_ = false;
    error_ = EFBIG;
  }
  complete_ = complete_ && std::fseek(file_.get(), 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), file_.get()) == header.size();
  NoteFailure(complete_);
  ResetCharacterIDs();
  complete_ = std::fclose(file_.release()) == 0 && complete_;
  NoteFailure(complete_);
  std::error_code error;
  if (complete_) std::filesystem::rename(tempPath_, target_, error);
  if (error && error_ == 0) error_ = error.value();
  if (complete_ && !error) return true;
  std::filesystem::remove(tempPath_, error);
  return false;
}
