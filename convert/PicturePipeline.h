// The picture side of a run: the last picture stored, spare pictures for the
// next ones, the JPEG being made on a worker and the tags of later turns that
// wait for it. One picture is pending at a time, and its tags always come
// before anything a later turn adds, so the movie is the same as if every
// JPEG had been made at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "convert/ConversionWindow.h"
#include "convert/JpegJob.h"
#include "convert/MovieBuilder.h"
#include "convert/PictureHolder.h"
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

struct PendingPicture;

class PicturePipeline {
 public:
  // overlap: JPEGs are made on a worker while the next pictures are decoded.
  PicturePipeline(const PictavoApi& imaging, ConversionWindow& window, MovieBuilder& movie, bool overlap);
  ~PicturePipeline();
  PicturePipeline(const PicturePipeline&) = delete;
  PicturePipeline& operator=(const PicturePipeline&) = delete;

  // A picture of the given size for the next decoded frame; not held when
  // the imaging module could not make one.
  PictureHolder TakePicture(int width, int height);
  // A decoded picture that is not stored, kept for the next frame.
  void PutBack(PictureHolder picture) { sparePicture_ = std::move(picture); }
  // The last picture stored whole or in part; what new pictures are compared with.
  const PictureHolder& Previous() const { return previous_; }
  // Replaces the previous picture by a placeholder of 1 by 1 pixels.
  void MakePlaceholder() { previous_.Make(1, 1); }

  void RequireWhole() { wholeDue_ = true; }
  bool WholeDue() const { return wholeDue_; }
  // Whether one more picture would pass the 16-bit ids or depths.
  bool WouldPassLimits() const;

  // Finishes the pending picture, then starts the JPEG of region of current;
  // current becomes the previous picture. The JPEG reads the region's rows in
  // place, so the previous picture changes only after Finish.
  void Store(PictureHolder current, const ChangedRegion& region, OldPictures old);
  // Waits for the pending picture's JPEG and adds its tags, then the tags of
  // the turns after it.
  void Finish();
  // A turn's tag, after the pending picture's tags.
  void AddTurnTag(std::unique_ptr<FObj> tag);
  void AddTurnTag(std::unique_ptr<FObj> tag, TagBytes bytes);

  // Frees every picture once the pending one is finished.
  void ReleasePictures();

 private:
  void ReportTrouble(const std::string& path);

  const PictavoApi& imaging_;
  ConversionWindow& window_;
  MovieBuilder& movie_;
  JpegWorker worker_;
  PictureHolder previous_;
  // Free pictures kept for the next frame, which mostly needs the same sizes.
  PictureHolder sparePicture_;
  JpegBytes spareBytes_;  // room for the next JPEG file
  std::unique_ptr<PendingPicture> pending_;
  std::vector<std::unique_ptr<FObj>> laterTags_;
  DisplayDepths depths_;
  bool wholeDue_ = true;
  bool troubleShown_ = false;  // the temporary file's trouble is told once
};
