#include "tests/convert/MovieReplay.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/swf/SwfBitReader.h"

namespace {

BitmapFill ReadBitmapFill(SwfBitReader& in) {
  BitmapFill fill;
  fill.type = in.U8();
  fill.bitmapID = in.U16();
  const SwfMatrix matrix = in.ReadMatrix();
  fill.hasScale = matrix.hasScale;
  fill.scaleX = matrix.scaleX;
  fill.scaleY = matrix.scaleY;
  fill.hasRotate = matrix.hasRotate;
  fill.translateX = matrix.translateX;
  fill.translateY = matrix.translateY;
  return fill;
}

void ReadRecords(SwfBitReader& in, unsigned fillBits, unsigned lineBits, ShapeGeometry& shape) {
  while (!in.Overrun()) {
    if (in.Bits(1) == 1) {          // edge
      if (in.Bits(1) != 1) return;  // only straight edges are expected
      const unsigned n = in.Bits(4) + 2;
      std::int32_t dx = 0, dy = 0;
      if (in.Bits(1) == 1) {
        dx = in.SignedBits(n);
        dy = in.SignedBits(n);
      } else if (in.Bits(1) == 1) {
        dy = in.SignedBits(n);
      } else {
        dx = in.SignedBits(n);
      }
      shape.edges.emplace_back(dx, dy);
      continue;
    }
    const std::uint32_t flags = in.Bits(5);
    if (flags == 0) {
      shape.ended = true;
      return;
    }
    shape.changeFlags = flags;
    if (flags & 1) {
      const unsigned n = in.Bits(5);
      shape.moveX = in.SignedBits(n);
      shape.moveY = in.SignedBits(n);
    }
    if (flags & 2) in.Bits(fillBits);
    if (flags & 4) shape.fillStyle1 = in.Bits(fillBits);
    if (flags & 8) in.Bits(lineBits);
  }
}

const RawPicture* FindPicture(const std::map<std::uint16_t, RawPicture>& pictures, std::uint16_t id) {
  const auto found = pictures.find(id);
  return found == pictures.end() ? nullptr : &found->second;
}

// Lays the shape's picture onto the stage at its fill's translation.
std::string DrawShape(const ShapeGeometry& shape, const std::map<std::uint16_t, RawPicture>& pictures, int w, int h,
                      Picture& stage) {
  if (shape.fillStyle1 == 0 || shape.fillStyle1 > shape.fills.size()) return "shape without fill";
  const BitmapFill& fill = shape.fills[shape.fillStyle1 - 1];
  const RawPicture* picture = FindPicture(pictures, fill.bitmapID);
  if (picture == nullptr) return "fill of unknown bitmap";
  if (fill.translateX % 20 != 0 || fill.translateY % 20 != 0) return "fill off the pixel grid";
  const int left = fill.translateX / 20, top = fill.translateY / 20;
  if (left < 0 || top < 0 || left + picture->width > w || top + picture->height > h) return "picture off stage";
  for (int rr = 0; rr < picture->height; ++rr) {
    const int y = top + (picture->height - 1 - rr);
    const int r = h - 1 - y;
    std::copy_n(picture->rows.begin() + rr * picture->width * 3, picture->width * 3,
                stage.begin() + (r * w + left) * 3);
  }
  return "";
}

}  // namespace

std::optional<ShapeGeometry> ParseShape(const SwfTag& tag) {
  SwfBitReader in(tag.body, 0);
  ShapeGeometry shape;
  shape.id = in.U16();
  const SwfRect bounds = in.ReadRect();
  shape.xMin = bounds.xMin;
  shape.xMax = bounds.xMax;
  shape.yMin = bounds.yMin;
  shape.yMax = bounds.yMax;
  const unsigned fillCount = in.U8();
  for (unsigned i = 0; i < fillCount; ++i) shape.fills.push_back(ReadBitmapFill(in));
  shape.lineStyleCount = in.U8();
  in.Align();
  const unsigned fillBits = in.Bits(4);
  const unsigned lineBits = in.Bits(4);
  ReadRecords(in, fillBits, lineBits, shape);
  in.Align();
  if (in.Overrun() || in.Position() != tag.body.size()) return std::nullopt;
  return shape;
}

std::optional<Placement> ParsePlacement(const SwfTag& tag) {
  if (tag.body.size() < 3) return std::nullopt;
  Placement place;
  place.flags = tag.body[0];
  place.depth = static_cast<std::uint16_t>(tag.body[1] | (tag.body[2] << 8));
  std::size_t at = 3;
  if (place.flags & 0x02) {
    if (tag.body.size() < 5) return std::nullopt;
    place.characterID = static_cast<std::uint16_t>(tag.body[3] | (tag.body[4] << 8));
    at = 5;
  }
  place.matrix.assign(tag.body.begin() + static_cast<std::ptrdiff_t>(at), tag.body.end());
  place.matrixBytes = place.matrix.size();
  return place;
}

std::uint16_t RemovedDepth(const SwfTag& tag) {
  return tag.body.size() == 2 ? static_cast<std::uint16_t>(tag.body[0] | (tag.body[1] << 8)) : 0;
}

std::optional<std::pair<std::uint16_t, RawPicture>> ParseBitmap(const SwfTag& tag) {
  const std::vector<std::uint8_t>& b = tag.body;
  if (b.size() < 8 || b[2] != 0xFF || b[3] != 0xD9 || b[4] != 0xFF || b[5] != 0xD8 || b[b.size() - 2] != 0xFF ||
      b[b.size() - 1] != 0xD9)
    return std::nullopt;
  RawPicture picture;
  if (!DecodeRawPicture(b.data() + 6, b.size() - 8, picture)) return std::nullopt;
  return std::make_pair(static_cast<std::uint16_t>(b[0] | (b[1] << 8)), picture);
}

Replay ReplayMovie(const SwfMovie& movie, int w, int h) {
  Replay replay;
  std::map<std::uint16_t, RawPicture> pictures;
  std::map<std::uint16_t, ShapeGeometry> shapes;
  std::map<std::uint16_t, std::uint16_t> displayList;  // depth to shape
  for (const SwfTag& tag : movie.tags) {
    if (tag.code == tags::kDefineBitsJPEG2) {
      auto bitmap = ParseBitmap(tag);
      if (!bitmap) return replay.error = "unreadable bitmap", replay;
      pictures[bitmap->first] = bitmap->second;
    } else if (tag.code == tags::kDefineShape) {
      auto shape = ParseShape(tag);
      if (!shape) return replay.error = "unreadable shape", replay;
      shapes[shape->id] = *shape;
    } else if (tag.code == tags::kPlaceObject2) {
      auto place = ParsePlacement(tag);
      if (!place || !shapes.count(place->characterID)) return replay.error = "bad placement", replay;
      displayList[place->depth] = place->characterID;
    } else if (tag.code == tags::kRemoveObject2) {
      displayList.erase(RemovedDepth(tag));
    } else if (tag.code == tags::kShowFrame) {
      Picture stage = SolidPicture(w, h, 0xFF);
      for (const auto& [depth, id] : displayList) {
        replay.error = DrawShape(shapes[id], pictures, w, h, stage);
        if (!replay.error.empty()) return replay;
      }
      replay.frames.push_back(std::move(stage));
    }
  }
  return replay;
}

SwfMovie LoadCheckedMovie(const std::string& path) {
  std::string error;
  std::optional<SwfMovie> movie = ReadSwfFile(path, &error);
  EXPECT_TRUE(movie.has_value()) << error;
  if (!movie) return {};
  EXPECT_EQ(CheckMovie(*movie, std::filesystem::file_size(path)), "");
  return *movie;
}

std::vector<std::uint16_t> TagCodes(const SwfMovie& movie) {
  std::vector<std::uint16_t> codes;
  for (const SwfTag& tag : movie.tags) codes.push_back(tag.code);
  return codes;
}
