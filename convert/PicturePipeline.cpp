#include "convert/PicturePipeline.h"

#include <string>
#include <utility>

#include "convert/PictureTags.h"
#include "convert/TempFileName.h"

// A region whose JPEG is being made, and where its tags will put it.
struct PendingPicture {
  PendingPicture(JpegWorker& worker, const PictavoApi& imaging, const PictureView& picture, JpegBytes room,
                 const std::string& path, void* ownerWindow, PicturePlace at, OldPictures old, int sourceWidth,
                 int sourceHeight)
      : file(path),
        job(worker, imaging, picture, std::move(room), path, ownerWindow),
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

PicturePipeline::PicturePipeline(const PictavoApi& imaging, ConversionWindow& window, MovieBuilder& movie, bool overlap)
    : imaging_(imaging), window_(window), movie_(movie), worker_(overlap), previous_(imaging), sparePicture_(imaging) {}

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

namespace {

// The region's rows inside the picture, for the imaging module to read in place.
PictureView RegionView(const PictureHolder& picture, const ChangedRegion& region) {
  DibInfoHeader header = *picture.Dib().info;
  header.width = region.maxX - region.minX + 1;
  header.height = region.maxR - region.minR + 1;
  header.imageSize = static_cast<std::uint32_t>(picture.Dib().rowLength) * static_cast<std::uint32_t>(header.height);
  return PictureView{header, picture.Row(region.minR) + 3 * region.minX, picture.Dib().rowLength};
}

}  // namespace

// The JPEG goes through a temporary file: the imaging module only saves files.
void PicturePipeline::Store(PictureHolder current, const ChangedRegion& region, OldPictures old) {
  Finish();
  const PictureView view = RegionView(current, region);
  const PicturePlace at{region.minX, current.Height() - 1 - region.maxR, view.header.width, view.header.height};
  wholeDue_ = false;

  const std::string path = MakeTempFileName("tempjpg", ".jpg");
  if (path.empty()) {
    ReportTrouble(path);
  } else {
    pending_ =
        std::make_unique<PendingPicture>(worker_, imaging_, view, std::move(spareBytes_), path,
                                         window_.OwnerWindowHandle(), at, old, current.Width(), current.Height());
  }
  sparePicture_ = std::exchange(previous_, std::move(current));
}

void PicturePipeline::Finish() {
  if (!pending_) return;
  const std::unique_ptr<PendingPicture> pending = std::move(pending_);
  JpegResult result = pending->job.Wait();
  if (result.read)
    AddPictureTags(movie_, depths_, result.bytes, pending->at, pending->old, pending->sourceWidth,
                   pending->sourceHeight);
  else
    ReportTrouble(pending->file.Path());
  spareBytes_ = std::move(result.bytes);
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
}
