#include "tests/swf/SwfTagReader.h"

#include <fstream>
#include <iterator>

#include "tests/swf/SwfBitReader.h"

namespace {
constexpr std::uint32_t longMarker = 0x3F;
constexpr std::size_t minimumHeader = 12;  // signature to the start of the RECT bits

bool Fail(std::string* error, const std::string& why) {
  if (error != nullptr) {
    *error = why;
  }
  return false;
}

bool ReadHeader(const std::vector<std::uint8_t>& bytes, SwfMovie& movie, std::size_t& pos, std::string* error) {
  if (bytes.size() < minimumHeader || bytes[0] != 'F' || bytes[1] != 'W' || bytes[2] != 'S') {
    return Fail(error, "no uncompressed SWF signature");
  }
  SwfBitReader reader(bytes, 3);
  movie.version = reader.U8();
  movie.fileLength = reader.U32();
  const SwfRect frame = reader.ReadRect();
  movie.xMin = frame.xMin;
  movie.xMax = frame.xMax;
  movie.yMin = frame.yMin;
  movie.yMax = frame.yMax;
  movie.frameRate = reader.U16();
  movie.frameCount = reader.U16();
  if (reader.Overrun()) {
    return Fail(error, "header cut short");
  }
  pos = reader.Position();
  return true;
}

bool ReadTag(const std::vector<std::uint8_t>& bytes, std::size_t& pos, SwfTag& tag, std::string* error) {
  SwfBitReader reader(bytes, pos);
  tag.offset = pos;
  const std::uint16_t codeAndLength = reader.U16();
  tag.code = static_cast<std::uint16_t>(codeAndLength >> 6);
  tag.length = codeAndLength & longMarker;
  tag.longHeader = tag.length == longMarker;
  if (tag.longHeader) {
    tag.length = reader.U32();
  }
  const std::size_t bodyStart = reader.Position();
  if (reader.Overrun() || bytes.size() - bodyStart < tag.length) {
    return Fail(error, "tag at offset " + std::to_string(pos) + " cut short");
  }
  const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(bodyStart);
  tag.body.assign(first, first + static_cast<std::ptrdiff_t>(tag.length));
  pos = bodyStart + tag.length;
  return true;
}
}  // namespace

std::optional<SwfMovie> ReadSwf(const std::vector<std::uint8_t>& bytes, std::string* error) {
  SwfMovie movie;
  std::size_t pos = 0;
  if (!ReadHeader(bytes, movie, pos, error)) {
    return std::nullopt;
  }
  while (pos < bytes.size()) {
    SwfTag tag;
    if (!ReadTag(bytes, pos, tag, error)) {
      return std::nullopt;
    }
    movie.tags.push_back(std::move(tag));
  }
  return movie;
}

std::optional<SwfMovie> ReadSwfFile(const std::filesystem::path& file, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    Fail(error, "cannot open " + file.string());
    return std::nullopt;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return ReadSwf(bytes, error);
}

std::vector<const SwfTag*> TagsWithCode(const SwfMovie& movie, std::uint16_t code) {
  std::vector<const SwfTag*> found;
  for (const SwfTag& tag : movie.tags) {
    if (tag.code == code) {
      found.push_back(&tag);
    }
  }
  return found;
}
