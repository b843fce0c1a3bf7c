#include "swf/FObjCollection.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "swf/FSWFStream.h"
#include "swf/TagCodes.h"

namespace {
constexpr std::uint32_t headerSize = kSwfHeaderSize;
constexpr std::uint32_t version = 4;         // SWF version
constexpr std::uint32_t frameSizeBits = 17;  // fixed bit count of the frame-size RECT
constexpr std::uint32_t rectCountBits = 5;   // width of a RECT's bit count
static_assert(kLargestHeaderTwips == (1 << (frameSizeBits - 1)) - 1);
}  // namespace

// "x": exclusive, so nothing that was there is written into.
FilePtr CreateTempBeside(const std::filesystem::path& target, std::filesystem::path& tempPath) {
  constexpr int attempts = 1000;
  for (int n = 0; n < attempts; ++n) {
    tempPath = target;
    tempPath += ".tmp" + std::to_string(n);
    if (FilePtr file{std::fopen(tempPath.c_str(), "wbx")}) {
      return file;
    }
    const int openError = errno;
    std::error_code ignored;
    if (!std::filesystem::exists(tempPath, ignored)) {
      errno = openError;  // the folder cannot take a file: no use trying other names
      return nullptr;
    }
  }
  errno = EEXIST;
  return nullptr;
}

FObjCollection::~FObjCollection() {
  // First to last, as the objects were added.
  while (!objects.empty()) {
    objects.pop_front();
  }
}

void FObjCollection::AddObject(std::unique_ptr<FObj> object) {
  if (object && object->IsShowFrame()) {
    ++frameCount;
  }
  objects.push_back(std::move(object));
}

const unsigned char* FObjCollection::Keep(std::unique_ptr<unsigned char[]> bytes) {
  keptBytes.push_back(std::move(bytes));
  return keptBytes.back().get();
}

const unsigned char* FObjCollection::Keep(std::vector<unsigned char> bytes) {
  keptVectors.push_back(std::move(bytes));
  return keptVectors.back().data();
}

void FObjCollection::WriteObjects(FSWFStream& stream) const {
  for (const std::unique_ptr<FObj>& object : objects) {
    if (object) {
      object->WriteTo(stream);
    }
  }
}

void FObjCollection::WriteEndTag(FSWFStream& stream) const { stream.WriteTagHeader(TagCode::End, 0); }

void FObjCollection::WriteMovie(FSWFStream& stream, std::int32_t width, std::int32_t height, std::int32_t fps) {
  for (std::uint32_t i = 0; i < headerSize; ++i) {
    stream.WriteByte(0);  // room for the header, patched below
  }
  WriteObjects(stream);
  WriteEndTag(stream);
  WriteHeader(stream.Buffer(), stream.Size(), width, height, fps);
  ResetCharacterIDs();
}

void FObjCollection::WriteHeader(unsigned char* dest, std::uint32_t fileLength, std::int32_t width, std::int32_t height,
                                 std::int32_t fps) const {
  WriteSwfHeader(dest, fileLength, width, height, fps, frameCount);
}

void WriteSwfHeader(unsigned char* dest, std::uint32_t fileLength, std::int32_t width, std::int32_t height,
                    std::int32_t fps, std::int32_t frameCount) {
  FSWFStream header;
  header.WriteByte('F');  // signature
  header.WriteByte('W');
  header.WriteByte('S');
  header.WriteByte(version);
  header.WriteDWord(fileLength);
  header.WriteBits(frameSizeBits, rectCountBits);
  header.WriteBits(0, frameSizeBits);                                   // Xmin
  header.WriteBits(static_cast<std::uint32_t>(width), frameSizeBits);   // Xmax
  header.WriteBits(0, frameSizeBits);                                   // Ymin
  header.WriteBits(static_cast<std::uint32_t>(height), frameSizeBits);  // Ymax
  header.FlushBits();
  header.WriteByte(0);                                // frame rate, fraction
  header.WriteByte(static_cast<std::uint32_t>(fps));  // frame rate, whole part
  header.WriteWord(static_cast<std::uint32_t>(frameCount));
  std::copy(header.Buffer(), header.Buffer() + headerSize, dest);
}

bool FObjCollection::SaveMovie(const std::filesystem::path& fileName, std::int32_t width, std::int32_t height,
                               std::int32_t fps) {
  std::filesystem::path tempPath;
  FilePtr file = CreateTempBeside(fileName, tempPath);
  if (!file) {
    return false;
  }
  FSWFStream movie;
  WriteMovie(movie, width, height, fps);
  bool complete = movie.WriteToFile(file.get());
  complete = std::fclose(file.release()) == 0 && complete;
  std::error_code error;
  if (complete) {
    std::filesystem::rename(tempPath, fileName, error);
  }
  if (!complete || error) {
    std::filesystem::remove(tempPath, error);
    return false;
  }
  return true;
}
