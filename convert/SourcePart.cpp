#include "convert/SourcePart.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "convert/ConversionRun.h"

int DecoderFlags(const ConversionSettings& settings) {
  int flags = settings.keepPixelShape ? kMclKeepPixelShape : 0;
  if (settings.deinterlace == Deinterlace::On) flags |= kMclDeinterlaceAll;
  if (settings.deinterlace == Deinterlace::Off) flags |= kMclDeinterlaceNone;
  return flags;
}

MovieSize ScaledSize(MovieSize source, int wantedWidth, int wantedHeight) {
  if (wantedWidth > 0 && wantedHeight > 0) return {wantedWidth, wantedHeight};
  const auto follow = [](int given, int along, int across) {
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(given) * along / across)));
  };
  if (wantedWidth > 0) return {wantedWidth, follow(wantedWidth, source.height, source.width)};
  if (wantedHeight > 0) return {follow(wantedHeight, source.width, source.height), wantedHeight};
  return source;
}

namespace {

std::int32_t FrameAt(double seconds, double frameRate) {
  const double index = std::round(seconds * frameRate);
  return index < 2147483647.0 ? static_cast<std::int32_t>(index) : 2147483647;
}

// Checked where the size is decided, so no scaling of the window's or the
// command line's can write a stage other than its pictures.
bool StageFits(ConversionRun& run, MovieSize size) {
  if (size.width <= kLargestStageSide && size.height <= kLargestStageSide) return true;
  run.window.ShowProblemLine("Die Filmgröße " + std::to_string(size.width) + " × " + std::to_string(size.height) +
                             " Pixel ist zu groß: Eine Seite darf höchstens " + std::to_string(kLargestStageSide) +
                             " Pixel lang sein.");
  run.optionsRefused = true;
  return false;
}

}  // namespace

bool ChoosePart(ConversionRun& run) {
  const ConversionSettings& settings = run.settings;
  const SourceFileInfo& info = run.fileInfo;
  const MovieSize size = ScaledSize({info.width, info.height}, settings.width, settings.height);
  if (!StageFits(run, size)) return false;
  run.fileInfo.width = size.width;  // the decoder scales every picture to the size asked for
  run.fileInfo.height = size.height;
  if (settings.startSeconds <= 0 && settings.endSeconds <= 0) return true;
  const std::int32_t first = FrameAt(settings.startSeconds, info.frameRate);
  std::int32_t end = settings.endSeconds > 0 ? FrameAt(settings.endSeconds, info.frameRate) : info.frameCount;
  end = std::min(end, info.frameCount);
  if (first >= end) {
    run.window.ShowProblemLine("Der gewählte Abschnitt enthält kein Bild der Quelle.");
    return false;
  }
  run.firstFrame = first;
  run.frameTotal = end - first;
  return true;
}
