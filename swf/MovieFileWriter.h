#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "swf/FObj.h"
#include "swf/FObjCollection.h"
#include "swf/FSWFStream.h"

// Writes a movie tag by tag into a temporary file beside the target, so a
// movie of any length takes no more memory than its largest tag. Save adds
// the End tag, writes the header over the room kept for it (the file length
// and the frame count are known only then) and puts the file in the target's
// place; a movie not saved leaves no file and the target untouched.
class MovieFileWriter {
 public:
  explicit MovieFileWriter(const std::filesystem::path& target);
  ~MovieFileWriter();
  MovieFileWriter(const MovieFileWriter&) = delete;
  MovieFileWriter& operator=(const MovieFileWriter&) = delete;

  // Writes the tag at once; the data blocks it points at are read here only.
  void Add(const FObj& tag);
  // True only when the whole movie reached the target; sizes in twips.
  bool Save(std::int32_t width, std::int32_t height, std::int32_t fps);

  std::int32_t FrameCount() const { return frameCount_; }
  // Bytes of the file so far, header room included, End tag not.
  std::uint64_t Size() const { return size_; }
  // The temporary file beside the target; empty when it could not be made.
  const std::filesystem::path& TempPath() const { return tempPath_; }
  // The errno of the first failure (making the temporary file, a write); 0
  // while everything went through. Once set, Save cannot succeed.
  int Error() const { return error_; }

 private:
  void Discard();
  // Notes errno when a step failed; a later success does not clear it.
  void NoteFailure(bool succeeded);

  std::filesystem::path target_;
  std::filesystem::path tempPath_;
  FilePtr file_;
  FSWFStream tagBytes_;  // reused for every tag
  std::int32_t frameCount_ = 0;
  std::uint64_t size_ = 0;
  bool complete_ = true;  // every write so far went through
  int error_ = 0;
};
