#include <set>

#include "tests/swf/SwfBitReader.h"
#include "tests/swf/SwfTagReader.h"

namespace {
constexpr std::uint16_t endCode = 0;
constexpr std::uint16_t showFrameCode = 1;
constexpr std::uint16_t defineShapeCode = 2;
constexpr std::uint16_t placeObject2Code = 26;
constexpr std::uint32_t shortLimit = 62;
constexpr std::uint16_t noBitmap = 0xFFFF;
}  // namespace

namespace {
std::string At(const SwfTag& tag) {
  return "tag " + std::to_string(tag.code) + " at offset " + std::to_string(tag.offset);
}

bool IsCharacterDefinition(std::uint16_t code) {
  // DefineShape(1-3), DefineBits, DefineBitsJPEG2/3, DefineBitsLossless(2),
  // DefineSprite, DefineText, DefineButton, DefineSound, DefineFont.
  static const std::set<std::uint16_t> codes{2, 6, 7, 10, 11, 14, 20, 21, 22, 32, 35, 36, 39};
  return codes.count(code) != 0;
}

std::string CheckHeaderForms(const SwfMovie& movie) {
  for (const SwfTag& tag : movie.tags) {
    if (tag.longHeader != (tag.length > shortLimit)) {
      return At(tag) + ": " + (tag.longHeader ? "long" : "short") + " header for a body of " +
             std::to_string(tag.length) + " bytes";
    }
  }
  return "";
}

std::string CheckFrames(const SwfMovie& movie, std::size_t fileSize) {
  if (movie.fileLength != fileSize) {
    return "header file length " + std::to_string(movie.fileLength) + ", file has " + std::to_string(fileSize) +
           " bytes";
  }
  const std::size_t shows = TagsWithCode(movie, showFrameCode).size();
  if (movie.frameCount != shows) {
    return "header frame count " + std::to_string(movie.frameCount) + ", ShowFrame tags " + std::to_string(shows);
  }
  for (std::size_t i = 0; i < movie.tags.size(); ++i) {
    const bool last = i + 1 == movie.tags.size();
    if ((movie.tags[i].code == endCode) != last) {
      return last ? "last tag is not End" : "End before the last tag";
    }
  }
  return movie.tags.empty() ? "no End tag" : "";
}
}  // namespace

namespace {
using IdSet = std::set<std::uint16_t>;

bool SkipGradient(SwfBitReader& reader) {
  reader.ReadMatrix();
  const unsigned count = reader.U8() & 0x0Fu;  // number of gradient records
  for (unsigned i = 0; i < count * 4; ++i) {   // ratio and RGB each
    reader.U8();
  }
  return !reader.Overrun();
}

// Walks DefineShape's fill styles; returns "" or the first unknown bitmap.
std::string CheckShapeFills(const SwfTag& tag, const IdSet& defined) {
  SwfBitReader reader(tag.body, 2);
  reader.ReadRect();  // the bounds
  std::uint32_t count = reader.U8();
  if (count == 0xFF) {
    count = reader.U16();
  }
  for (std::uint32_t i = 0; i < count && !reader.Overrun(); ++i) {
    const std::uint8_t type = reader.U8();
    if (type == 0x00) {  // solid RGB
      reader.U16();
      reader.U8();
    } else if (type == 0x10 || type == 0x12) {
      SkipGradient(reader);
    } else if (type >= 0x40 && type <= 0x43) {
      const std::uint16_t id = reader.U16();
      if (id != noBitmap && defined.count(id) == 0) {
        return At(tag) + ": bitmap fill of undefined character " + std::to_string(id);
      }
      reader.ReadMatrix();
    } else {
      return At(tag) + ": unknown fill style type " + std::to_string(type);
    }
  }
  return reader.Overrun() ? At(tag) + ": fill styles cut short" : "";
}

std::string CheckPlacement(const SwfTag& tag, const IdSet& defined) {
  if (tag.body.size() < 3) {
    return At(tag) + ": body too short";
  }
  const bool hasCharacter = (tag.body[0] & 0x02) != 0;
  if (!hasCharacter) {
    return "";
  }
  if (tag.body.size() < 5) {
    return At(tag) + ": character ID missing";
  }
  const auto id = static_cast<std::uint16_t>(tag.body[3] | (tag.body[4] << 8));
  return defined.count(id) != 0 ? "" : At(tag) + ": places undefined character " + std::to_string(id);
}

std::string CheckCharacters(const SwfMovie& movie) {
  IdSet defined;
  for (const SwfTag& tag : movie.tags) {
    std::string problem;
    if (tag.code == defineShapeCode) {
      problem = CheckShapeFills(tag, defined);
    } else if (tag.code == placeObject2Code) {
      problem = CheckPlacement(tag, defined);
    }
    if (!problem.empty()) {
      return problem;
    }
    if (IsCharacterDefinition(tag.code)) {
      if (tag.body.size() < 2) {
        return At(tag) + ": no character ID";
      }
      const auto id = static_cast<std::uint16_t>(tag.body[0] | (tag.body[1] << 8));
      if (!defined.insert(id).second) {
        return At(tag) + ": character " + std::to_string(id) + " defined twice";
      }
    }
  }
  return "";
}
}  // namespace

std::string CheckMovie(const SwfMovie& movie, std::size_t fileSize) {
  std::string problem = CheckFrames(movie, fileSize);
  if (problem.empty()) {
    problem = CheckHeaderForms(movie);
  }
  if (problem.empty()) {
    problem = CheckCharacters(movie);
  }
  return problem;
}
