// Reads a written movie back: the shapes' geometry, the stored pictures, and
// the picture the stage shows at every frame.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/convert/FakeDecoder.h"
#include "tests/convert/StandInImaging.h"
#include "tests/swf/SwfTagReader.h"

namespace tags {
inline constexpr std::uint16_t kEnd = 0, kShowFrame = 1, kDefineShape = 2, kSetBackgroundColor = 9,
                               kSoundStreamBlock = 19, kDefineBitsJPEG2 = 21, kPlaceObject2 = 26, kRemoveObject2 = 28,
                               kSoundStreamHead2 = 45;
}

struct BitmapFill {
  std::uint8_t type = 0;
  std::uint16_t bitmapID = 0;
  bool hasScale = false;
  std::int32_t scaleX = 0, scaleY = 0;
  bool hasRotate = false;
  std::int32_t translateX = 0, translateY = 0;
};

struct ShapeGeometry {
  std::uint16_t id = 0;
  std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  std::vector<BitmapFill> fills;
  std::uint32_t lineStyleCount = 0;
  std::uint32_t changeFlags = 0;  // the five state bits, new styles first
  std::int32_t moveX = 0, moveY = 0;
  std::uint32_t fillStyle1 = 0;
  std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  bool ended = false;
};

struct Placement {
  std::uint8_t flags = 0;
  std::uint16_t depth = 0;
  std::uint16_t characterID = 0;
  std::size_t matrixBytes = 0;  // the rest of the body
  std::vector<std::uint8_t> matrix;
};

std::optional<ShapeGeometry> ParseShape(const SwfTag& tag);
std::optional<Placement> ParsePlacement(const SwfTag& tag);
std::uint16_t RemovedDepth(const SwfTag& tag);
// The bitmap's id and the picture inside the FF D9 FF D8 ... FF D9 frame.
std::optional<std::pair<std::uint16_t, RawPicture>> ParseBitmap(const SwfTag& tag);

// Draws every frame on a stage of w by h pixels (white, rows bottom first);
// error tells the first thing that could not be drawn.
struct Replay {
  std::vector<Picture> frames;
  std::string error;
};
Replay ReplayMovie(const SwfMovie& movie, int w, int h);

// Reads a movie file, requiring it to pass the structure check.
SwfMovie LoadCheckedMovie(const std::string& path);
std::vector<std::uint16_t> TagCodes(const SwfMovie& movie);
