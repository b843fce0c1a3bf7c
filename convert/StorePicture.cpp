#include "convert/StorePicture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

using BitmapHandle = std::unique_ptr<MclBitmap, void (*)(MclBitmap*)>;

bool SamePixel(const unsigned char* a, const unsigned char* b) { return std::memcmp(a, b, 3) == 0; }

// Only columns outside the bounds found so far can widen them.
void WidenByRow(const unsigned char* a, const unsigned char* b, int w, int r, ChangedRegion& region) {
  const int leftEnd = std::min(region.minX, w);
  for (int x = 0; x < leftEnd; ++x) {
    if (!SamePixel(a + 3 * x, b + 3 * x)) {
      region.minX = x;
      break;
    }
  }
  for (int x = w - 1; x > region.maxX && x >= 0; --x) {
    if (!SamePixel(a + 3 * x, b + 3 * x)) {
      region.maxX = x;
      break;
    }
  }
  region.changed = true;
  region.minR = std::min(region.minR, r);
  region.maxR = std::max(region.maxR, r);
}

std::unique_ptr<FMatrix> BitmapMatrix(std::int32_t translateX, std::int32_t translateY) {
  return std::make_unique<FMatrix>(1, 0x140000, 0x140000, 0, 0, 0, translateX,
                                   translateY);  // 20.0: one pixel, 20 twips
}

std::unique_ptr<FDTDefineShape> MakeRegionShape(std::uint16_t bitmapID, const PicturePlace& at, int w, int h) {
  auto shape = std::make_unique<FDTDefineShape>(std::make_unique<FRect>(0, 0, 40 * w, 40 * h));
  shape->AddFillStyle(std::make_unique<FFillStyleBitmap>(0, 0xFFFF, BitmapMatrix(0, 0)));
  shape->AddFillStyle(std::make_unique<FFillStyleBitmap>(0, bitmapID, BitmapMatrix(20 * at.left, 20 * at.top)));
  shape->FinishStyleArrays();
  shape->AddShapeRec(
      std::make_unique<FShapeRecChange>(0, 0, 1, 0, 1, 20 * at.left, 20 * at.top, 0, 2, 0, nullptr, nullptr));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(20 * at.width, 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(0, 20 * at.height));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(-20 * at.width, 0));
  shape->AddShapeRec(std::make_unique<FShapeRecEdgeStraight>(0, -20 * at.height));
  shape->AddShapeRec(std::make_unique<FShapeRecEnd>());
  return shape;
}

void AddPictureTags(ConversionRun& run, JpegBytes bytes, const PicturePlace& at, bool removeOld) {
  auto bitmap = std::make_unique<FDTDefineBitsJPEG2>(bytes.data.get(), bytes.size);
  run.jpegBuffers.push_back(std::move(bytes.data));
  const std::uint16_t bitmapID = bitmap->GetCharacterID();
  run.movie.AddObject(std::move(bitmap));
  auto shape = MakeRegionShape(bitmapID, at, run.fileInfo.width, run.fileInfo.height);
  const std::uint16_t shapeID = shape->GetCharacterID();
  run.movie.AddObject(std::move(shape));
  run.charactersMade += 2;
  if (removeOld) {
    for (std::int32_t depth = run.firstDepth; depth <= run.placeDepth; ++depth)
      run.movie.AddObject(std::make_unique<FCTRemoveObject2>(static_cast<std::uint16_t>(depth)));
    run.firstDepth = run.placeDepth + 1;
  }
  run.placeDepth += 1;
  run.movie.AddObject(std::make_unique<FCTPlaceObject2>(0, 0, 1, 0, static_cast<std::uint16_t>(run.placeDepth), shapeID,
                                                        std::make_unique<FMatrix>(0, 0, 0, 0, 0, 0, 0, 0), nullptr, 0,
                                                        nullptr, 0));
}

// The spare when it has the size, so the rows are neither allocated nor
// first touched again for every picture.
PictureHolder TakePicture(PictureHolder& spare, int width, int height) {
  PictureHolder picture = std::move(spare);
  if (!picture.Held() || picture.Width() != width || picture.Height() != height) picture.Make(width, height);
  return picture;
}

// Told once a run; the next picture is then stored whole.
void ReportTempTrouble(ConversionRun& run, const std::string& path) {
  run.forceFull = true;
  if (run.tempTroubleShown) return;
  run.tempTroubleShown = true;
  run.window.ShowStatusLine(path.empty() ? std::string("Der temporäre Ordner kann nicht benutzt werden.")
                                         : "Die temporäre Bilddatei " + path + " kann nicht geschrieben werden.");
}

// The JPEG goes through a temporary file: the imaging module only saves files.
// A worker makes it; the tags follow when FinishPendingPicture has waited.
// A whole picture is saved as it is: it becomes the previous picture, which
// is only read until the job is done.
void StoreRegion(ConversionRun& run, PictureHolder& current, const ChangedRegion& region, bool removeOld) {
  const int cw = region.maxX - region.minX + 1;
  const int ch = region.maxR - region.minR + 1;
  PictureHolder regionPicture(run.imaging);
  if (cw != current.Width() || ch != current.Height()) {
    regionPicture = TakePicture(run.spareRegion, cw, ch);
    if (!regionPicture.Held()) return;
    for (int r = 0; r < ch; ++r)
      std::memcpy(regionPicture.Row(r), current.Row(region.minR + r) + 3 * region.minX,
                  static_cast<std::size_t>(3 * cw));
  }
  const PicturePlace at{region.minX, current.Height() - 1 - region.maxR, cw, ch};
  run.forceFull = false;

  const std::string path = MakeTempFileName("tempjpg", ".jpg");
  if (path.empty()) {
    ReportTempTrouble(run, path);
    if (regionPicture.Held()) run.spareRegion = std::move(regionPicture);
  } else {
    const DibRecord picture = regionPicture.Held() ? regionPicture.Dib() : current.Dib();
    run.pendingPicture =
        std::make_unique<PendingPicture>(run.jpegWorker, run.imaging, picture, std::move(regionPicture), path,
                                         run.window.OwnerWindowHandle(), at, removeOld);
  }
  run.sparePicture = std::exchange(run.previousPicture, std::move(current));
}

// Rows the decoder does not deliver are black, whatever the picture held before.
void FetchPixels(const DecoderFunctions& mcl, MclBitmap* bitmap, PictureHolder& picture) {
  const int height = picture.Height();
  const DibRecord& dib = picture.Dib();
  if (bitmap != nullptr && mcl.MclGetDIBits(bitmap, 0, height, dib.rows, dib.info) == height) return;
  std::memset(picture.Dib().rows, 0, picture.Dib().imageBytes);
}

bool PictureWouldPassLimits(const ConversionRun& run) {
  return run.charactersMade + 2 > kLargest16Bit || run.placeDepth + 1 > kLargest16Bit;
}

}  // namespace

ChangedRegion FindChangedRegion(const PictureHolder& current, const PictureHolder& previous, int w, int h) {
  ChangedRegion region{false, w + 10, -10, h + 10, -10};
  const auto rowBytes = static_cast<std::size_t>(3 * w);
  for (int r = 0; r < h; ++r) {
    const unsigned char* a = current.Row(r);
    const unsigned char* b = previous.Row(r);
    if (std::memcmp(a, b, rowBytes) != 0) WidenByRow(a, b, w, r, region);
  }
  return region;
}

void FinishPendingPicture(ConversionRun& run) {
  if (!run.pendingPicture) return;
  const std::unique_ptr<PendingPicture> pending = std::move(run.pendingPicture);
  JpegResult result = pending->job.Wait();
  if (result.bytes)
    AddPictureTags(run, std::move(*result.bytes), pending->at, pending->removeOld);
  else
    ReportTempTrouble(run, pending->file.Path());
  if (result.region.Held()) run.spareRegion = std::move(result.region);
  for (std::unique_ptr<FObj>& tag : run.laterTags) run.movie.AddObject(std::move(tag));
  run.laterTags.clear();
}

void StorePicture(ConversionRun& run, std::int32_t frameIndex) {
  const DecoderFunctions& mcl = run.decoder;
  run.imageResult = mcl.MclReadImage(run.readHandle.get(), frameIndex, run.imageHandle.get());
  const BitmapHandle bitmap(mcl.MclImgToDIB(run.imageHandle.get()), mcl.MclReleaseDIB);
  PictureHolder current = TakePicture(run.sparePicture, run.fileInfo.width, run.fileInfo.height);
  if (!current.Held()) return;
  FetchPixels(mcl, bitmap.get(), current);
  const int w = current.Width();
  const int h = current.Height();

  bool removeOld = false;
  if (run.soundFrameNumber % 10 == 0 || !run.settings.storeOnlyChanges) {
    run.forceFull = true;
    removeOld = true;
  }
  // A previous picture of another size (the placeholder) cannot be compared.
  if (run.previousPicture.Width() != w || run.previousPicture.Height() != h) run.forceFull = true;
  const ChangedRegion whole{true, 0, w - 1, 0, h - 1};
  // Compared while the pending JPEG is still being made; if that fails, this
  // picture is stored whole after all.
  ChangedRegion region = run.forceFull ? whole : FindChangedRegion(current, run.previousPicture, w, h);
  FinishPendingPicture(run);
  if (run.forceFull) region = whole;
  if (!region.changed || region.maxX < region.minX || region.maxR < region.minR) {
    run.sparePicture = std::move(current);
    return;
  }
  if (PictureWouldPassLimits(run)) {
    run.limitReached = true;
    run.window.ShowStatusLine(kMovieLimitLine);
    return;
  }
  StoreRegion(run, current, region, removeOld);
}
