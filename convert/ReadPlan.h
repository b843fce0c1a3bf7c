// The frame loop's clock, and the source frames it will read told to the
// decoder ahead, so that pictures no movie frame shows need not be decoded.
// The loop and the plan step the clock with the same functions, so they agree
// to the last bit on which frames are read.
#pragma once

#include <cstdint>

struct ConversionRun;

inline double AfterSourceFrame(double sourceTime, double frameRate) { return sourceTime + 1 / frameRate; }
inline double AfterMovieFrame(double movieTime, double fps) { return movieTime + 1 / fps; }
// The source frame that ends at sourceTime gives the movie its next picture.
inline bool PictureDue(double movieTime, double sourceTime) { return movieTime <= sourceTime; }

class ReadPlan {
 public:
  // Tells the frames to be read among the next source frames of the part;
  // the limits of the movie, which end the loop early, are left aside.
  void TellAhead(const ConversionRun& run);

 private:
  std::int32_t planned_ = 0;  // source frames of the part walked through
  double sourceTime_ = 0.0;
  double movieTime_ = 0.0;
};
