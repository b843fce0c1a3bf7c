// Times reading every frame of a clip with its 24-bit rows through mcl, and
// JPEG-saving whole frames through the imaging module. Driven by
// media_bench.sh, which compares the first figure with the ffmpeg tool.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/mcl/mcl.h"
#include "media/pictavo/PictavoModule.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Handles {
  MclReadHandle read;
  MclImageHandle image;
  ~Handles() {
    MclImgFree(image);
    MclReadClose(read);
  }
};

// Decodes frame index into the picture's rows; false at the end or on error.
bool FetchFrame(Handles& handles, int index, const DibInfoHeader& header, unsigned char* rows) {
  if (MclReadImage(handles.read, index, handles.image) != 0) return false;
  MclBitmapHandle bitmap = MclImgToDIB(handles.image);
  const int lines = MclGetDIBits(bitmap, 0, header.height, rows, &header);
  MclReleaseDIB(bitmap);
  return lines == header.height;
}

int ReadAllFrames(const char* clip, const SourceFileInfo& info) {
  Handles handles{MclReadOpen(clip, 0, 0, 0), MclImgCreate()};
  DibInfoHeader header{sizeof(DibInfoHeader), info.width, info.height, 1, 24, 0, 0, 0, 0, 0, 0};
  std::vector<unsigned char> rows(static_cast<size_t>((info.width * 3 + 3) / 4 * 4) * info.height);
  int frames = 0;
  while (FetchFrame(handles, frames, header, rows.data())) ++frames;
  return frames;
}

double SaveJpegs(const char* clip, const SourceFileInfo& info, const PictavoApi& api, int count) {
  Handles handles{MclReadOpen(clip, 0, 0, 0), MclImgCreate()};
  const std::string target = (std::filesystem::temp_directory_path() / "media_bench.jpg").string();
  api.SetJPEGQual(50);
  double seconds = 0;
  for (int i = 0; i < count; ++i) {
    DibRecord dib{};
    api.newdib(&dib, info.width, info.height, 24, 0, 0);
    if (!FetchFrame(handles, i, *dib.info, dib.rows)) {
      api.deldib(dib);
      break;
    }
    const auto start = Clock::now();
    api.SaveDib(dib, target.c_str(), 7, nullptr);
    seconds += SecondsSince(start);
    api.deldib(dib);
  }
  std::filesystem::remove(target);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: media_bench CLIP MODULE_DIR [JPEG_FRAMES]\n");
    return 2;
  }
  const char* clip = argv[1];
  const int jpegFrames = argc > 3 ? std::atoi(argv[3]) : 500;
  SourceFileInfo info{};
  auto start = Clock::now();
  if (MclGetFileInfo(clip, 0, &info, 0, 0) != 0) {
    std::fprintf(stderr, "%s\n", MclGetErrorStr());
    return 1;
  }
  std::printf("info_seconds %.3f\n", SecondsSince(start));
  start = Clock::now();
  const int frames = ReadAllFrames(clip, info);
  std::printf("read_seconds %.3f\nread_frames %d of %d\n", SecondsSince(start), frames, info.frameCount);
  const std::unique_ptr<PictavoModule> module = PictavoModule::Load(argv[2]);
  if (!module) {
    std::fprintf(stderr, "%s\n", kPictavoLoadFailure);
    return 1;
  }
  std::printf("jpeg_seconds %.3f\njpeg_frames %d\n", SaveJpegs(clip, info, module->Api(), jpegFrames), jpegFrames);
  return 0;
}
