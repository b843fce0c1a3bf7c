#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <vector>

#include "swf/FObj.h"

class FSWFStream;

inline constexpr std::uint32_t kSwfHeaderSize = 22;
// The header's frame-size rectangle has a fixed 17-bit signed field per
// edge: a side of more twips than this reads back negative.
inline constexpr std::int32_t kLargestHeaderTwips = (1 << 16) - 1;

// The 22 header bytes of a movie: signature, version, file length, frame
// size (twips), frame rate and frame count.
void WriteSwfHeader(unsigned char* dest, std::uint32_t fileLength, std::int32_t width, std::int32_t height,
                    std::int32_t fps, std::int32_t frameCount);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Creates a file beside the target that did not exist before (target.tmp0,
// .tmp1, ...); empty, with errno telling why, when the folder takes no file.
FilePtr CreateTempBeside(const std::filesystem::path& target, std::filesystem::path& tempPath);

// The movie: the tag objects in play order, owned, and the frame count.
class FObjCollection {
 public:
  FObjCollection() = default;
  ~FObjCollection();
  FObjCollection(const FObjCollection&) = delete;
  FObjCollection& operator=(const FObjCollection&) = delete;

  void AddObject(std::unique_ptr<FObj> object);
  // Takes the bytes a tag will borrow, before that tag is added, and keeps
  // them until every tag is gone.
  const unsigned char* Keep(std::unique_ptr<unsigned char[]> bytes);
  const unsigned char* Keep(std::vector<unsigned char> bytes);
  void WriteObjects(FSWFStream& stream) const;
  void WriteEndTag(FSWFStream& stream) const;
  // Header room, all tags, End; then patches the header and resets the IDs.
  void WriteMovie(FSWFStream& stream, std::int32_t width, std::int32_t height, std::int32_t fps);
  void WriteHeader(unsigned char* dest, std::uint32_t fileLength, std::int32_t width, std::int32_t height,
                   std::int32_t fps) const;
  // True only when the whole movie reached fileName. The file is written
  // beside the target first and replaces it only on full success.
  bool SaveMovie(const std::filesystem::path& fileName, std::int32_t width, std::int32_t height, std::int32_t fps);

  std::int32_t FrameCount() const { return frameCount; }

 private:
  std::int32_t frameCount = 0;
  // Declared before the tags: freed after them. A moved vector keeps its buffer.
  std::vector<std::unique_ptr<unsigned char[]>> keptBytes;
  std::vector<std::vector<unsigned char>> keptVectors;
  std::list<std::unique_ptr<FObj>> objects;
};
