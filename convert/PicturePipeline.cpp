#include "convert/PicturePipeline.h"

#include <cstring>
#include <string>
#include <utility>

#include "convert/PictureTags.h"
#include "convert/TempFileName.h"

// A region whose JPEG is being made, and where its tags will put it.
struct PendingPicture {
  PendingPicture(JpegWorker& worker, const PictavoApi& imaging, const DibRecord& picture, PictureHolder region,
                 const std::string& path, void* ownerWindow, PicturePlace at, OldPictures old, int sourceWidth,
                 int sourceHeight)
      : file(path),
        job(worker, imaging, picture, std::move(region), path, ownerWindow),
        at(at),
        old(old),
        sourceWidth(sourceWidth),
        sourceHeight(sourceHeight) {}
  // The worker is done with the file and the picture before either goes.
  ~PendingPicture() { job.Settle(); }

  TempFile file;
  JpegJob job;
  PicturePlace at;
  OldPictures old;
  int sourceWidth;
  int sourceHeight;
};

PicturePipeline::PicturePipeline(const PictavoApi& imaging, ConversionWindow& window, MovieBuilder& movie)
    : imaging_(imaging),
      window_(window),
      movie_(movie),
      previous_(imaging),
      sparePicture_(imaging),
      spareRegion_(imaging) {}

PicturePipeline::~PicturePipeline() { pending_.reset(); }

// The spare when it has the size, so the rows are neither allocated nor
// first touched again for every picture.
static PictureHolder Reuse(PictureHolder& spare, int width, int height) {
  PictureHolder picture = std::move(spare);
  if (!picture.Held() || picture.Width() != width || picture.Height() != height) picture.Make(width, height);
  return picture;
}

PictureHolder PicturePipeline::TakePicture(int width, int height) { return Reuse(sparePicture_, width, height); }

bool PicturePipeline::WouldPassLimits() const {
  constexpr std::int32_t kLargest16Bit = 65535;
  return depths_.charactersMade + 2 > kLargest16Bit || depths_.placeDepth + 1 > kLargest16Bit;
}

// Told once a run; the next picture is then stored whole.
void PicturePipeline::ReportTrouble(const std::string& path) {
  wholeDue_ = true;
  if (troubleShown_) return;
  troubleShown_ = true;
  window_.ShowStatusLine(path.empty() ? std::string("Der temporäre Ordner kann nicht benutzt werden.")
                                      : "Die temporäre Bilddatei " + path + " kann nicht geschrieben werden.");
}

// Not held for a whole picture, which is saved as it is: it becomes the
// previous picture, which is only read until the job is done.
PictureHolder PicturePipeline::CopyRegion(const PictureHolder& current, const ChangedRegion& region) {
  const int cw = region.maxX - region.minX + 1;
  const int ch = region.maxR - region.minR + 1;
  if (cw == current.Width() && ch == current.Height()) return PictureHolder(imaging_);
  PictureHolder regionPicture = Reuse(spareRegion_, cw, ch);
  if (!regionPicture.Held()) return regionPicture;
  for (int r = 0; r < ch; ++r)
    std::memcpy(regionPicture.Row(r), current.Row(region.minR + r) + 3 * region.minX, static_cast<std::size_t>(3 * cw));
  return regionPicture;
}

// The JPEG goes through a temporary file: the imaging module only saves files.
void PicturePipeline::Store(PictureHolder current, const ChangedRegion& region, OldPictures old) {
  Finish();
  const int cw = region.maxX - region.minX + 1;
  const int ch = region.maxR - region.minR + 1;
  PictureHolder regionPicture = CopyRegion(current, region);
  const bool whole = cw == current.Width() && ch == current.Height();
  if (!whole && !regionPicture.Held()) return;
  const PicturePlace at{region.minX, current.Height() - 1 - region.maxR, cw, ch};
  wholeDue_ = false;

  const std::string path = MakeTempFileName("tempjpg", ".jpg");
  if (path.empty()) {
    ReportTrouble(path);
    if (regionPicture.Held()) spareRegion_ = std::move(regionPicture);
  } else {
    const DibRecord picture = whole ? current.Dib() : regionPicture.Dib();
    pending_ =
        std::make_unique<PendingPicture>(worker_, imaging_, picture, std::move(regionPicture), path,
                                         window_.OwnerWindowHandle(), at, old, current.Width(), current.Height());
  }
  sparePicture_ = std::exchange(previous_, std::move(current));
}

void PicturePipeline::Finish() {
  if (!pending_) return;
  const std::unique_ptr<PendingPicture> pending = std::move(pending_);
  JpegResult result = pending->job.Wait();
  if (result.bytes)
    AddPictureTags(movie_, depths_, std::move(*result.bytes), pending->at, pending->old, pending->sourceWidth,
                   pending->sourceHeight);
  else
    ReportTrouble(pending->file.Path());
  if (result.region.Held()) spareRegion_ = std::move(result.region);
  for (std::unique_ptr<FObj>& tag : laterTags_) movie_.Add(std::move(tag));
  laterTags_.clear();
}

void PicturePipeline::AddTurnTag(std::unique_ptr<FObj> tag) {
  if (pending_)
    laterTags_.push_back(std::move(tag));
  else
    movie_.Add(std::move(tag));
}

void PicturePipeline::AddTurnTag(std::unique_ptr<FObj> tag, TagBytes bytes) {
  AddTurnTag(std::make_unique<TagWithBytes>(std::move(tag), std::move(bytes)));
}

void PicturePipeline::ReleasePictures() {
  Finish();
  previous_.Release();
  sparePicture_.Release();
  spareRegion_.Release();
}
