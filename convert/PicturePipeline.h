// The picture side of a run: the last picture stored, spare pictures for the
// next ones, the JPEGs being made on a worker and the tags of later turns that
// wait for them. The movie, the lines and the JPEG saves are those of a run
// that makes every JPEG at once: a picture is decided while the JPEG before it
// may still be running, and decided again in the rare case that JPEG fails.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "convert/ConversionWindow.h"
#include "convert/JpegJob.h"
#include "convert/MovieBuilder.h"
#include "convert/PictureHolder.h"
#include "convert/TempFolder.h"
#include "media/pictavo/PictavoApi.h"

// Bounds in stored-row coordinates (r = 0 is the bottom row).
struct ChangedRegion {
  bool changed = false;
  int minX = 0;
  int maxX = 0;
  int minR = 0;
  int maxR = 0;
};

// A stored region's place in picture coordinates (y = 0 is the top row), pixels.
struct PicturePlace {
  int left, top, width, height;
};

// Whether a stored picture takes the pictures shown so far off the display list.
enum class OldPictures { Keep, Remove };

// Depths used on the display list and character ids handed out.
struct DisplayDepths {
  std::int32_t placeDepth = 1;  // depth of the last picture placed
  std::int32_t firstDepth = 1;  // lowest depth not yet removed
  std::int32_t charactersMade = 0;
};

// The temporary files a run's JPEGs go through, in the run's own folder: one
// for each JPEG that may be unfinished at the same time, each made once and
// saved over, removed with the folder. Pictures take turns by the number of
// their decision, so a picture's file is the same however many JPEGs run at once.
class TempJpegName {
 public:
  static constexpr int kFiles = 3;
  // Empty while the temporary folder cannot be used.
  const std::string& ForDecision(std::uint64_t decision);
  const TempFolder& Folder() const { return folder_; }

 private:
  TempFolder folder_;
  TempFile files_[kFiles];
};

class PicturePipeline {
 public:
  // With jpegThreads (1 or 2), JPEGs are made on workers while the next
  // pictures are decoded; with 0, each at once. With a tolerance, stored
  // pictures depend on the exact picture before them (see Store).
  PicturePipeline(const PictavoApi& imaging, ConversionWindow& window, MovieBuilder& movie, int jpegThreads,
                  int tolerance);
  ~PicturePipeline();
  PicturePipeline(const PicturePipeline&) = delete;
  PicturePipeline& operator=(const PicturePipeline&) = delete;

  // A picture of the given size for the next decoded frame; not held when
  // the imaging module could not make one.
  PictureHolder TakePicture(int width, int height);
  // The last picture stored whole or in part; what new pictures are compared with.
  const PictureHolder& Previous() const { return previous_; }
  // Replaces the previous picture by a placeholder of 1 by 1 pixels.
  void MakePlaceholder() { previous_.Make(1, 1); }

  void RequireWhole() { wholeDue_ = true; }
  bool WholeDue() const { return wholeDue_; }

  // Where a one-thread run has every earlier picture finished: they are,
  // but for the newest one or two while pictures overlap.
  void SettleBeforeDecision();
  // Finishes the pictures whose outcome a one-thread run has shown by now;
  // called before any line of the run.
  void SettleOverdue();
  // Finishes every picture: its tags, then the tags of the turns after it.
  void Finish();
  // Whether one more picture would pass the 16-bit ids or depths; asked
  // right after SettleBeforeDecision.
  bool WouldPassLimits();

  // Starts the JPEG of region of current; current becomes the previous
  // picture. The JPEG reads the rows in place.
  // With a tolerance, pixels outside the region may differ from the previous
  // picture by noise; they stay as the movie shows them.
  void Store(PictureHolder current, const ChangedRegion& region, OldPictures old, int tolerance);
  // A decoded picture without changes.
  void KeepUnchanged(PictureHolder current, OldPictures old);
  // A turn's tag, after the tags of every picture decided before it.
  void AddTurnTag(std::unique_ptr<FObj> tag);
  void AddTurnTag(std::unique_ptr<FObj> tag, TagBytes bytes);

  // Frees every picture once all are finished.
  void ReleasePictures();

  // The run's own folder for the JPEG file; checked before the walk.
  const TempFolder& Folder() const { return tempName_.Folder(); }
  // A picture that could not be made or stored: the reason is shown once.
  void LosePicture(const std::string& line);
  bool PicturesLost() const { return picturesLost_; }

 private:
  struct Decision;

  void SettleFront();
  void Redo(Decision& decision);
  void StartWhole(Decision& decision);
  void StartAgainWhereSkipped();
  const PictureHolder& PictureOf(const Decision& decision) const;
  bool AnyJpegUnfinished() const;
  void HandOverPrevious(PictureHolder current);
  void Recycle(PictureHolder picture);
  PictureHolder WhatTheMovieShows(const PictureHolder& current, const ChangedRegion& region);
  void ReportTrouble(const std::string& path);

  const PictavoApi& imaging_;
  ConversionWindow& window_;
  MovieBuilder& movie_;
  TempJpegName tempName_;
  JpegWorker worker_;
  PictureHolder previous_;
  // Free pictures kept for the next frames, which mostly need the same sizes.
  std::vector<PictureHolder> spares_;
  JpegBytes spareBytes_;  // room for the next JPEG file
  // Pictures decided but not finished, oldest first; the first `overdue_`
  // of them a one-thread run would have finished by now.
  std::deque<Decision> decisions_;
  std::size_t overdue_ = 0;
  std::size_t overlapDepth_;  // decisions left unfinished where a one-thread run finishes all
  DisplayDepths depths_;
  std::uint64_t decisionsMade_ = 0;
  bool wholeDue_ = true;
  bool picturesLost_ = false;
  bool lossShown_ = false;  // a lost picture is told once
};
