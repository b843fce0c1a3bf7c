#pragma once

// A small, independent reader of uncompressed SWF files for tests: splits a
// movie into its header and tags and checks the structure any movie of ours
// must have.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct SwfTag {
  std::uint16_t code = 0;
  std::uint32_t length = 0;  // body length from the tag header
  bool longHeader = false;
  std::size_t offset = 0;  // file offset of the tag header
  std::vector<std::uint8_t> body;
};

struct SwfMovie {
  std::uint8_t version = 0;
  std::uint32_t fileLength = 0;
  std::int32_t xMin = 0;  // frame rectangle, twips
  std::int32_t xMax = 0;
  std::int32_t yMin = 0;
  std::int32_t yMax = 0;
  std::uint16_t frameRate = 0;  // 8.8 fixed point
  std::uint16_t frameCount = 0;
  std::vector<SwfTag> tags;
};

// Reads every tag up to the end of the bytes. On a malformed file returns
// nothing and, when error is given, says why.
std::optional<SwfMovie> ReadSwf(const std::vector<std::uint8_t>& bytes, std::string* error);
std::optional<SwfMovie> ReadSwfFile(const std::filesystem::path& file, std::string* error);

// "" when the movie is sound: header length equals fileSize, frame count
// equals the ShowFrame tags, End last and only last, every tag header in its
// shortest form (short up to 62 bytes, long from 63), no character defined
// twice, and every character placed by PlaceObject2 or filled by a bitmap
// fill of DefineShape defined earlier (bitmap 0xFFFF is allowed). Otherwise
// the first problem found.
std::string CheckMovie(const SwfMovie& movie, std::size_t fileSize);

// The tags with one code, in file order.
std::vector<const SwfTag*> TagsWithCode(const SwfMovie& movie, std::uint16_t code);
