#include "convert/StorePicture.h"

#include <algorithm>
#include <cstring>

#include "convert/DifferentBytes.h"
#include "convert/NoiseTolerantRegion.h"

namespace {

using BitmapHandle = std::unique_ptr<MclBitmap, void (*)(MclBitmap*)>;

// With sound, the picture decoded while the sound block number is a multiple
// of this is stored whole and takes the older pictures off the display list.
constexpr std::int32_t kWholePicturePeriod = 10;

// Only columns outside the bounds found so far can widen them; a pixel
// differs where a byte of it does.
void WidenByRow(const unsigned char* a, const unsigned char* b, int w, int r, ChangedRegion& region) {
  const auto leftBytes = static_cast<std::size_t>(3 * std::min(region.minX, w));
  const std::size_t first = FirstDifferentByte(a, b, leftBytes);
  if (first < leftBytes) region.minX = static_cast<int>(first / 3);
  const auto rowBytes = static_cast<std::size_t>(3 * w);
  const std::size_t last =
      LastDifferentByte(a, b, static_cast<std::size_t>(3 * std::max(region.maxX + 1, 0)), rowBytes);
  if (last < rowBytes) region.maxX = static_cast<int>(last / 3);
  region.changed = true;
  region.minR = std::min(region.minR, r);
  region.maxR = std::max(region.maxR, r);
}

// Rows the decoder does not deliver are black, whatever the picture held before.
void FetchPixels(const DecoderFunctions& mcl, MclBitmap* bitmap, PictureHolder& picture) {
  const int height = picture.Height();
  const DibRecord& dib = picture.Dib();
  if (bitmap != nullptr && mcl.MclGetDIBits(bitmap, 0, height, dib.rows, dib.info) == height) return;
  std::memset(picture.Dib().rows, 0, picture.Dib().imageBytes);
}

bool RegionIsEmpty(const ChangedRegion& region) {
  return !region.changed || region.maxX < region.minX || region.maxR < region.minR;
}

}  // namespace

ChangedRegion FindChangedRegion(const PictureHolder& current, const PictureHolder& previous, int w, int h,
                                int tolerance) {
  if (tolerance > 0) return FindNoiseTolerantRegion(current, previous, w, h, tolerance);
  ChangedRegion region{false, w + 10, -10, h + 10, -10};
  const auto rowBytes = static_cast<std::size_t>(3 * w);
  for (int r = 0; r < h; ++r) {
    const unsigned char* a = current.Row(r);
    const unsigned char* b = previous.Row(r);
    if (std::memcmp(a, b, rowBytes) != 0) WidenByRow(a, b, w, r, region);
  }
  return region;
}

void StorePicture(ConversionRun& run, std::int32_t frameIndex) {
  const DecoderFunctions& mcl = run.decoder;
  PicturePipeline& pictures = run.pictures;
  run.imageResult = mcl.MclReadImage(run.readHandle.get(), frameIndex, run.imageHandle.get());
  const BitmapHandle bitmap(mcl.MclImgToDIB(run.imageHandle.get()), mcl.MclReleaseDIB);
  PictureHolder current = pictures.TakePicture(run.fileInfo.width, run.fileInfo.height);
  if (!current.Held()) {
    pictures.LosePicture("Für das Bild von Frame " + std::to_string(frameIndex + 1) +
                         " ist nicht genug Speicher frei.");
    return;
  }
  FetchPixels(mcl, bitmap.get(), current);
  const int w = current.Width();
  const int h = current.Height();

  // The JPEGs of the two newest stored pictures may still be running while this one is compared.
  pictures.SettleBeforeDecision();
  const bool atLimit = pictures.WouldPassLimits();
  OldPictures old = OldPictures::Keep;
  if (run.sound.BlockNumber() % kWholePicturePeriod == 0 || !run.liveSettings.storeOnlyChanges) {
    pictures.RequireWhole();
    old = OldPictures::Remove;
  }
  // A previous picture of another size (the placeholder) cannot be compared.
  if (pictures.Previous().Width() != w || pictures.Previous().Height() != h) pictures.RequireWhole();
  const ChangedRegion region = pictures.WholeDue()
                                   ? ChangedRegion{true, 0, w - 1, 0, h - 1}
                                   : FindChangedRegion(current, pictures.Previous(), w, h, run.settings.tolerance);
  if (RegionIsEmpty(region)) {
    pictures.KeepUnchanged(std::move(current), old);
    return;
  }
  if (atLimit) {
    run.limitReached = true;
    run.window.ShowWarningLine(kMovieLimitLine);
    return;
  }
  pictures.Store(std::move(current), region, old, run.settings.tolerance);
}
