// Replays a movie's pictures as a player shows them and compares every frame
// with the source frame it stands for: luma and RGB PSNR over the whole run.
// Usage: movie_psnr MOVIE.swf REFERENCE.rgb
//   REFERENCE.rgb: the source frames as raw top-down RGB24 of the stage's size,
//   one per movie frame (e.g. ffmpeg -vf fps=5:round=up -f rawvideo -pix_fmt rgb24).
// Prints "frames N luma DB rgb DB"; PSNR of the mean squared error over all frames.
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/swf/SwfBitReader.h"
#include "tests/swf/SwfTagReader.h"

namespace {

constexpr std::uint16_t kShowFrame = 1, kDefineShape = 2, kPlaceObject = 4, kRemoveObject = 5, kDefineBitsJPEG2 = 21,
                        kPlaceObject2 = 26, kRemoveObject2 = 28;

struct Rgb24 {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;  // top row first
};

// The JPEG inside a DefineBitsJPEG2 body, after the id and any empty
// SOI/EOI pair written before it.
std::optional<Rgb24> DecodeBitmap(const std::vector<std::uint8_t>& body) {
  std::size_t at = 2;
  while (at + 4 <= body.size() && body[at] == 0xFF && body[at + 2] == 0xFF &&
         (body[at + 1] == 0xD9 || body[at + 3] == 0xD9))
    at += 4;
  if (at >= body.size()) return std::nullopt;
  std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
  Rgb24 picture;
  int subsampling = 0, colourspace = 0;
  const auto* data = body.data() + at;
  const auto size = static_cast<unsigned long>(body.size() - at);
  if (tjDecompressHeader3(decoder.get(), data, size, &picture.width, &picture.height, &subsampling, &colourspace) != 0)
    return std::nullopt;
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
  if (tjDecompress2(decoder.get(), data, size, picture.pixels.data(), picture.width, 0, picture.height, TJPF_RGB,
                    TJFLAG_ACCURATEDCT) != 0)
    return std::nullopt;
  return picture;
}

// A bitmap-filled shape: which bitmap, and where its top left pixel lands.
struct BitmapShape {
  std::uint16_t bitmapID = 0;
  int left = 0, top = 0;
};

// The last fill that names a real bitmap; its matrix places the bitmap at
// 20 twips a pixel.
std::optional<BitmapShape> ParseShape(const SwfTag& tag, std::uint16_t& id) {
  SwfBitReader in(tag.body, 0);
  id = in.U16();
  in.ReadRect();
  std::optional<BitmapShape> shape;
  const unsigned fills = in.U8();
  for (unsigned i = 0; i < fills; ++i) {
    const unsigned type = in.U8();
    if (type < 0x40) return std::nullopt;
    const std::uint16_t bitmap = in.U16();
    const SwfMatrix matrix = in.ReadMatrix();
    if (bitmap != 0xFFFF) shape = BitmapShape{bitmap, matrix.translateX / 20, matrix.translateY / 20};
  }
  return in.Overrun() ? std::nullopt : shape;
}

void Draw(const Rgb24& picture, const BitmapShape& at, Rgb24& stage) {
  for (int y = 0; y < picture.height; ++y) {
    const int stageY = at.top + y;
    if (stageY < 0 || stageY >= stage.height) continue;
    for (int x = 0; x < picture.width; ++x) {
      const int stageX = at.left + x;
      if (stageX < 0 || stageX >= stage.width) continue;
      std::copy_n(&picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 3], 3,
                  &stage.pixels[(static_cast<std::size_t>(stageY) * stage.width + stageX) * 3]);
    }
  }
}

std::uint16_t U16At(const std::vector<std::uint8_t>& body, std::size_t at) {
  return at + 2 <= body.size() ? static_cast<std::uint16_t>(body[at] | body[at + 1] << 8) : 0;
}

struct Player {
  std::map<std::uint16_t, Rgb24> bitmaps;
  std::map<std::uint16_t, BitmapShape> shapes;
  std::map<std::uint16_t, std::uint16_t> displayList;  // depth to shape
  Rgb24 stage;

  // False for a tag that cannot be shown as it is meant.
  bool Take(const SwfTag& tag) {
    switch (tag.code) {
      case kDefineBitsJPEG2: {
        std::optional<Rgb24> bitmap = DecodeBitmap(tag.body);
        if (!bitmap) return false;
        bitmaps[U16At(tag.body, 0)] = std::move(*bitmap);
        return true;
      }
      case kDefineShape: {
        std::uint16_t id = 0;
        const std::optional<BitmapShape> shape = ParseShape(tag, id);
        if (shape) shapes[id] = *shape;
        return shape.has_value();
      }
      case kPlaceObject:
        displayList[U16At(tag.body, 2)] = U16At(tag.body, 0);
        return true;
      case kPlaceObject2:
        if (tag.body.size() >= 5 && (tag.body[0] & 0x02)) displayList[U16At(tag.body, 1)] = U16At(tag.body, 3);
        return true;
      case kRemoveObject:
        displayList.erase(U16At(tag.body, 2));
        return true;
      case kRemoveObject2:
        displayList.erase(U16At(tag.body, 0));
        return true;
      default:
        return true;
    }
  }

  void DrawFrame() {
    std::fill(stage.pixels.begin(), stage.pixels.end(), 0xFF);
    for (const auto& [depth, shapeID] : displayList) {
      const auto shape = shapes.find(shapeID);
      if (shape == shapes.end()) continue;
      const auto bitmap = bitmaps.find(shape->second.bitmapID);
      if (bitmap != bitmaps.end()) Draw(bitmap->second, shape->second, stage);
    }
  }
};

struct Errors {
  double luma = 0, rgb = 0;  // sums of squared differences
};

Errors Compare(const Rgb24& shown, const std::vector<unsigned char>& reference) {
  Errors sum;
  for (std::size_t i = 0; i + 2 < reference.size(); i += 3) {
    double lumaShown = 0, lumaReference = 0;
    for (int c = 0; c < 3; ++c) {
      const double d = static_cast<double>(shown.pixels[i + c]) - reference[i + c];
      sum.rgb += d * d;
    }
    lumaShown = 0.299 * shown.pixels[i] + 0.587 * shown.pixels[i + 1] + 0.114 * shown.pixels[i + 2];
    lumaReference = 0.299 * reference[i] + 0.587 * reference[i + 1] + 0.114 * reference[i + 2];
    sum.luma += (lumaShown - lumaReference) * (lumaShown - lumaReference);
  }
  return sum;
}

double Psnr(double squaredErrors, double samples) {
  const double mse = squaredErrors / samples;
  return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: movie_psnr MOVIE.swf REFERENCE.rgb\n");
    return 2;
  }
  std::string error;
  const std::optional<SwfMovie> movie = ReadSwfFile(argv[1], &error);
  if (!movie) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ifstream reference(argv[2], std::ios::binary);
  Player player;
  player.stage.width = (movie->xMax - movie->xMin) / 20;
  player.stage.height = (movie->yMax - movie->yMin) / 20;
  player.stage.pixels.resize(static_cast<std::size_t>(player.stage.width) * player.stage.height * 3);
  std::vector<unsigned char> source(player.stage.pixels.size());
  Errors total;
  long frames = 0;
  for (const SwfTag& tag : movie->tags) {
    if (!player.Take(tag)) {
      std::fprintf(stderr, "tag %u at %zu cannot be shown\n", tag.code, tag.offset);
      return 1;
    }
    if (tag.code != kShowFrame) continue;
    if (!reference.read(reinterpret_cast<char*>(source.data()), static_cast<std::streamsize>(source.size()))) break;
    player.DrawFrame();
    const Errors frame = Compare(player.stage, source);
    total.luma += frame.luma;
    total.rgb += frame.rgb;
    ++frames;
  }
  if (reference.read(reinterpret_cast<char*>(source.data()), 1) || frames != movie->frameCount)
    std::fprintf(stderr, "warning: %ld frames compared, movie has %u\n", frames, movie->frameCount);
  const double pixels = static_cast<double>(frames) * player.stage.width * player.stage.height;
  std::printf("frames %ld luma %.2f rgb %.2f\n", frames, Psnr(total.luma, pixels), Psnr(total.rgb, 3 * pixels));
  return frames > 0 ? 0 : 1;
}
