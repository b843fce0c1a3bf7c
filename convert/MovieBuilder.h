// The movie of one run: its tags in play order, and the bytes that picture
// and sound tags point at, kept for as long as the tag that reads them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "swf/swf.h"

// Bytes a tag points at without owning them.
using TagBytes = std::unique_ptr<unsigned char[]>;

// A tag together with the bytes it points at: neither can outlive the other.
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
  void Add(std::unique_ptr<FObj> tag) { movie_.AddObject(std::move(tag)); }
  void Add(std::unique_ptr<FObj> tag, TagBytes bytes) {
    movie_.AddObject(std::make_unique<TagWithBytes>(std::move(tag), std::move(bytes)));
  }
  // True only when the whole movie reached path; sizes in twips.
  bool Save(const std::string& path, std::int32_t width, std::int32_t height, std::int32_t fps) {
    return movie_.SaveMovie(path, width, height, fps);
  }

 private:
  FObjCollection movie_;
};
