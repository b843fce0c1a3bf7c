// The movie of one run. Each tag goes to the file as it is added, while the
// bytes it points at are still in hand, so the movie's length costs no memory.
#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "convert/DeadRunLeftovers.h"
#include "convert/RemoveOnSignal.h"
#include "swf/swf.h"

// Bytes a tag points at without owning them.
using TagBytes = std::unique_ptr<unsigned char[]>;

// A tag that waits to be added, together with the bytes it points at:
// neither can outlive the other.
class TagWithBytes : public FObj {
 public:
  TagWithBytes(std::unique_ptr<FObj> tag, TagBytes bytes) : bytes_(std::move(bytes)), tag_(std::move(tag)) {}
  void WriteTo(FSWFStream& stream) const override { tag_->WriteTo(stream); }
  bool IsShowFrame() const override { return tag_->IsShowFrame(); }

 private:
  TagBytes bytes_;
  std::unique_ptr<FObj> tag_;
};

class MovieBuilder {
 public:
  explicit MovieBuilder(const std::string& targetPath) : MovieBuilder(targetPath, EndingSignalsHeld()) {}
  void Add(const FObj& tag) { writer_.Add(tag); }
  void Add(std::unique_ptr<FObj> tag) { writer_.Add(*tag); }
  // True only when the whole movie reached the target path; sizes in twips.
  bool Save(std::int32_t width, std::int32_t height, std::int32_t fps) { return writer_.Save(width, height, fps); }
  std::uint64_t Size() const { return writer_.Size(); }
  // The errno of the first failure: the temporary file could not be made or
  // a write failed, so the movie cannot be saved. 0 while all is well.
  int Error() const { return writer_.Error(); }
  // Before Save: Error(), or ENOENT once the temporary file or its folder was
  // taken away, which the writes would not notice.
  int ProblemSoFar() const {
    std::error_code gone;
    if (writer_.Error() != 0 || std::filesystem::exists(writer_.TempPath(), gone)) return writer_.Error();
    return ENOENT;
  }

 private:
  // The temporary file is made and registered while no ending signal can
  // come between.
  MovieBuilder(const std::string& targetPath, const EndingSignalsHeld&)
      : writer_(targetPath),
        tempFileKept_(writer_.TempPath().string(), RemoveOnSignal::Kind::File),
        tempFileLock_(writer_.TempPath().string()) {}

  MovieFileWriter writer_;
  // The temporary file goes too when a signal ends the program.
  RemoveOnSignal tempFileKept_;
  // Tells later runs that it is in use; see DeadRunLeftovers.h.
  OwnerLock tempFileLock_;
};
