#include "convert/PicturePipeline.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "convert/PictureTags.h"

namespace {

constexpr std::int32_t kLargest16Bit = 65535;
constexpr std::size_t kSparePictures = 4;  // enough for the pictures in flight
constexpr int kMostJpegThreads = 2;
// Decisions left unfinished when the next is made. Two keep both JPEG threads
// busy where one thread's JPEG ends before the other's. With a tolerance only
// one: a picture's region then depends on the exact picture before it, which
// changes when the JPEG before that fails, and only the newest decision can
// be made again.
std::size_t OverlapDepth(int jpegThreads, int tolerance) {
  if (jpegThreads <= 0) return 0;
  return tolerance > 0 ? 1 : TempJpegName::kFiles - 1;
}

// The region's rows inside the picture, for the imaging module to read in place.
PictureView RegionView(const PictureHolder& picture, const ChangedRegion& region) {
  DibInfoHeader header = *picture.Dib().info;
  header.width = region.maxX - region.minX + 1;
  header.height = region.maxR - region.minR + 1;
  header.imageSize = static_cast<std::uint32_t>(picture.Dib().rowLength) * static_cast<std::uint32_t>(header.height);
  return PictureView{header, picture.Row(region.minR) + 3 * region.minX, picture.Dib().rowLength};
}

ChangedRegion Whole(const PictureHolder& picture) {
  return ChangedRegion{true, 0, picture.Width() - 1, 0, picture.Height() - 1};
}

}  // namespace

const std::string& TempJpegName::ForDecision(std::uint64_t decision) {
  TempFile& made = files_[decision % kFiles];
  if (!made.Made()) made = folder_.NewFile("tempjpg", ".jpg");
  return made.Path();
}

// A JPEG being made, and where its tags will put it.
struct PendingPicture {
  PendingPicture(JpegWorker& worker, const PictavoApi& imaging, const PictureView& view, JpegBytes room,
                 const std::string& path, void* ownerWindow, PicturePlace at, int sourceWidth, int sourceHeight)
      : path(path),
        view(view),
        ownerWindow(ownerWindow),
        job(std::in_place, worker, imaging, view, std::move(room), path, ownerWindow),
        at(at),
        sourceWidth(sourceWidth),
        sourceHeight(sourceHeight) {}

  // The job's outcome, waited for once and kept until taken: a failed JPEG
  // before this one asks for it early.
  const JpegResult& Outcome() {
    if (!outcome) outcome = job->Wait();
    return *outcome;
  }
  JpegResult Take() {
    Outcome();
    return std::move(*std::exchange(outcome, std::nullopt));
  }
  // The same JPEG once more, after the picture before it.
  void StartAgain(JpegWorker& worker, const PictavoApi& imaging) {
    JpegBytes room = Take().bytes;
    job.emplace(worker, imaging, view, std::move(room), path, ownerWindow);
  }

  std::string path;
  PictureView view;
  void* ownerWindow;
  std::optional<JpegJob> job;
  std::optional<JpegResult> outcome;
  PicturePlace at;
  int sourceWidth;
  int sourceHeight;
};

// One decided picture whose tags are not in the movie yet.
struct PicturePipeline::Decision {
  Decision(const PictavoApi& imaging, std::uint64_t number) : number(number), picture(imaging), decoded(imaging) {}
  Decision(Decision&&) = default;
  Decision& operator=(Decision&&) = default;
  // The worker is done with the picture before it goes.
  ~Decision() {
    if (pending) pending->job->Settle();
  }

  std::uint64_t number;                     // decisions made before this one
  std::unique_ptr<PendingPicture> pending;  // none: the picture had no changes
  // An unchanged picture, kept in case it must be stored whole after all; or
  // the picture the JPEG reads, once it is no longer the previous picture.
  PictureHolder picture;
  // With a tolerance, the picture as decoded where the JPEG reads what the
  // movie shows; kept while the JPEG before may fail, as the picture is then
  // stored whole, and whole it is the decoded one.
  PictureHolder decoded;
  bool readsPrevious = false;  // the JPEG reads the previous picture's rows
  OldPictures old = OldPictures::Keep;
  std::vector<std::unique_ptr<FObj>> laterTags;
};

PicturePipeline::PicturePipeline(const PictavoApi& imaging, ConversionWindow& window, MovieBuilder& movie,
                                 int jpegThreads, int tolerance)
    : imaging_(imaging),
      window_(window),
      movie_(movie),
      worker_(std::clamp(jpegThreads, 0, kMostJpegThreads)),
      previous_(imaging),
      overlapDepth_(OverlapDepth(jpegThreads, tolerance)) {}

// The worker is done with every picture and file before any goes.
PicturePipeline::~PicturePipeline() { decisions_.clear(); }

PictureHolder PicturePipeline::TakePicture(int width, int height) {
  PictureHolder picture(imaging_);
  if (!spares_.empty()) {
    picture = std::move(spares_.back());
    spares_.pop_back();
  }
  // The rows of a spare of the right size are neither allocated nor first touched again.
  if (!picture.Held() || picture.Width() != width || picture.Height() != height) picture.Make(width, height);
  return picture;
}

void PicturePipeline::Recycle(PictureHolder picture) {
  if (picture.Held() && spares_.size() < kSparePictures) spares_.push_back(std::move(picture));
}

// Told once a run; the next picture is then stored whole.
void PicturePipeline::ReportTrouble(const std::string& path) {
  wholeDue_ = true;
  LosePicture(path.empty() ? std::string("Der temporäre Ordner kann nicht benutzt werden.")
                           : "Die temporäre Bilddatei " + path + " kann nicht geschrieben werden.");
}

// The movie goes on without the picture; told once a run.
void PicturePipeline::LosePicture(const std::string& line) {
  picturesLost_ = true;
  if (lossShown_) return;
  lossShown_ = true;
  window_.ShowWarningLine(line);
}

void PicturePipeline::SettleBeforeDecision() {
  overdue_ = decisions_.size();
  while (decisions_.size() > overlapDepth_) SettleFront();
}

void PicturePipeline::SettleOverdue() {
  while (overdue_ > 0 && !decisions_.empty()) SettleFront();
}

void PicturePipeline::Finish() {
  while (!decisions_.empty()) SettleFront();
}

// Adds the oldest decision's tags and the turns' after it. If its JPEG
// failed, the decision after it is made again as a one-thread run would have
// made it: whole; the JPEGs of later ones, skipped meanwhile, start again.
void PicturePipeline::SettleFront() {
  Decision decision = std::move(decisions_.front());
  decisions_.pop_front();
  if (overdue_ > 0) --overdue_;
  bool failed = false;
  if (decision.pending) {
    JpegResult result = decision.pending->Take();
    const PendingPicture& pending = *decision.pending;
    failed = result.outcome != JpegOutcome::Read;
    if (failed)
      ReportTrouble(pending.path);
    else
      AddPictureTags(movie_, depths_, result.bytes, pending.at, decision.old, pending.sourceWidth,
                     pending.sourceHeight);
    spareBytes_ = std::move(result.bytes);
  }
  for (std::unique_ptr<FObj>& tag : decision.laterTags) movie_.Add(std::move(tag));
  Recycle(std::move(decision.picture));
  if (!failed) return;
  // Every job is done before the worker takes jobs again.
  for (Decision& later : decisions_)
    if (later.pending) later.pending->Outcome();
  if (!decisions_.empty()) Redo(decisions_.front());
  worker_.Unblock();
  if (decisions_.empty()) return;
  StartWhole(decisions_.front());
  StartAgainWhereSkipped();
}

// The decision after a failed one; its JPEG, if any, is dropped. Without a
// tolerance the later decisions stand: an unchanged picture is the same as
// the one before it, so each was compared with what a one-thread run compares
// it with. The newest unchanged picture becomes the previous one, as it would
// have by being stored; so does a stored one's decoded picture, which is what
// a whole picture shows.
void PicturePipeline::Redo(Decision& decision) {
  if (decision.pending) {
    spareBytes_ = decision.pending->Take().bytes;
    decision.pending.reset();
    if (decision.decoded.Held() && decision.readsPrevious)
      Recycle(std::exchange(previous_, std::move(decision.decoded)));
    return;
  }
  if (decisions_.size() > 1) return;
  Recycle(std::exchange(previous_, std::move(decision.picture)));
  decision.readsPrevious = true;
}

bool PicturePipeline::AnyJpegUnfinished() const {
  return std::any_of(decisions_.begin(), decisions_.end(), [](const Decision& d) { return d.pending != nullptr; });
}

const PictureHolder& PicturePipeline::PictureOf(const Decision& decision) const {
  return decision.readsPrevious ? previous_ : decision.picture;
}

void PicturePipeline::StartWhole(Decision& decision) {
  const PictureHolder& picture = PictureOf(decision);
  const PictureView view = RegionView(picture, Whole(picture));
  const PicturePlace at{0, 0, picture.Width(), picture.Height()};
  wholeDue_ = false;
  decision.pending = std::make_unique<PendingPicture>(
      worker_, imaging_, view, std::move(spareBytes_), tempName_.ForDecision(decision.number),
      window_.OwnerWindowHandle(), at, picture.Width(), picture.Height());
}

// In order, after the picture made again whole.
void PicturePipeline::StartAgainWhereSkipped() {
  for (std::size_t i = 1; i < decisions_.size(); ++i) {
    PendingPicture* pending = decisions_[i].pending.get();
    if (pending != nullptr && pending->Outcome().outcome == JpegOutcome::Skipped)
      pending->StartAgain(worker_, imaging_);
  }
}

bool PicturePipeline::WouldPassLimits() {
  const auto passes = [this](std::int32_t more) {
    return depths_.charactersMade + 2 * more + 2 > kLargest16Bit || depths_.placeDepth + more + 1 > kLargest16Bit;
  };
  std::int32_t running = 0;
  for (const Decision& decision : decisions_) running += decision.pending ? 1 : 0;
  // Near the limit, whether the running JPEGs succeed decides, so they are
  // finished; away from it, no outcome of theirs can change the answer.
  if (passes(running)) Finish();
  return passes(0);
}

// The old previous picture goes to the JPEG still reading it, if any.
void PicturePipeline::HandOverPrevious(PictureHolder current) {
  PictureHolder old = std::exchange(previous_, std::move(current));
  for (Decision& decision : decisions_) {
    if (decision.readsPrevious) {
      decision.readsPrevious = false;
      decision.picture = std::move(old);
      return;
    }
  }
  Recycle(std::move(old));
}

// The JPEG goes through a temporary file: the imaging module only saves files.
void PicturePipeline::Store(PictureHolder current, const ChangedRegion& region, OldPictures old, int tolerance) {
  PictureHolder decoded(imaging_);
  if (tolerance > 0) {
    PictureHolder shown = WhatTheMovieShows(current, region);
    if (shown.Held()) decoded = std::exchange(current, std::move(shown));
  }
  const PictureView view = RegionView(current, region);
  const PicturePlace at{region.minX, current.Height() - 1 - region.maxR, view.header.width, view.header.height};
  wholeDue_ = false;
  // The JPEGs that may still run are of the decisions before: the files take turns.
  const std::uint64_t number = decisionsMade_++;
  const std::string& path = tempName_.ForDecision(number);
  if (path.empty()) {
    SettleOverdue();  // their lines come first
    wholeDue_ = false;
    ReportTrouble(path);
    HandOverPrevious(std::move(current));
    Recycle(std::move(decoded));
    return;
  }
  Decision decision(imaging_, number);
  decision.old = old;
  decision.readsPrevious = true;
  if (AnyJpegUnfinished())
    decision.decoded = std::move(decoded);
  else
    Recycle(std::move(decoded));
  decision.pending =
      std::make_unique<PendingPicture>(worker_, imaging_, view, std::move(spareBytes_), path,
                                       window_.OwnerWindowHandle(), at, current.Width(), current.Height());
  HandOverPrevious(std::move(current));
  decisions_.push_back(std::move(decision));
}

// The previous picture with the region of current laid over it: a new
// picture, as a running JPEG may still read the previous one. None where the
// sizes differ or no picture can be made.
PictureHolder PicturePipeline::WhatTheMovieShows(const PictureHolder& current, const ChangedRegion& region) {
  const int w = current.Width();
  const int h = current.Height();
  if (previous_.Width() != w || previous_.Height() != h) return PictureHolder(imaging_);
  PictureHolder shown = TakePicture(w, h);
  if (!shown.Held()) return shown;
  const auto rowBytes = static_cast<std::size_t>(3 * w);
  const auto regionBytes = static_cast<std::size_t>(3 * (region.maxX - region.minX + 1));
  for (int r = 0; r < h; ++r) {
    const bool inRegion = r >= region.minR && r <= region.maxR;
    std::memcpy(shown.Row(r), previous_.Row(r), rowBytes);
    if (inRegion) std::memcpy(shown.Row(r) + 3 * region.minX, current.Row(r) + 3 * region.minX, regionBytes);
  }
  return shown;
}

// Kept only behind a running JPEG, whose failure could make it due whole.
void PicturePipeline::KeepUnchanged(PictureHolder current, OldPictures old) {
  const std::uint64_t number = decisionsMade_++;
  if (!AnyJpegUnfinished()) {
    Recycle(std::move(current));
    return;
  }
  Decision decision(imaging_, number);
  decision.old = old;
  decision.picture = std::move(current);
  decisions_.push_back(std::move(decision));
}

void PicturePipeline::AddTurnTag(std::unique_ptr<FObj> tag) {
  if (decisions_.empty())
    movie_.Add(std::move(tag));
  else
    decisions_.back().laterTags.push_back(std::move(tag));
}

void PicturePipeline::AddTurnTag(std::unique_ptr<FObj> tag, TagBytes bytes) {
  AddTurnTag(std::make_unique<TagWithBytes>(std::move(tag), std::move(bytes)));
}

void PicturePipeline::ReleasePictures() {
  Finish();
  previous_.Release();
  spares_.clear();
}
