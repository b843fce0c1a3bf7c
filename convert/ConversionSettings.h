// The settings of one conversion. The window keeps them in step with its
// controls; a run reads some of them again while it goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/SoundCompression.h"

enum class Deinterlace {
  Auto,  // pictures the source marks as interlaced
  On,    // every picture
  Off,
};

struct ConversionSettings {
  std::string sourcePath;
  // A source stored in parts, read one after the other as one, sourcePath
  // first; empty: sourcePath alone, or its whole DVD title.
  std::vector<std::string> joinedParts;
  // Naming a DVD title's first part (VTS_01_1.VOB) converts the whole title.
  bool wholeDvdTitle = true;
  std::string targetPath;
  double framesPerSecond = 5;  // a whole number from 1 to 120
  int compression = 50;        // 0 to 100; the window hands 100 - it to the JPEG quality
  bool convertAudio = true;
  int sampleRateChoice = 1;  // 0..3 for 5500, 11000, 22000, 44000 Hz; anything else counts as 5500
  bool audio16Bit = false;
  bool stereo = false;
  SoundCompression soundCompression = SoundCompression::Pcm;
  int mp3BitrateKbit = 0;  // 0: 64 for mono, 128 for stereo
  // The part of the source and the movie's size (command line only).
  double startSeconds = 0;
  double endSeconds = 0;  // 0: to the end
  int width = 0;          // pixels; 0: from the other side by the aspect ratio, or the source's
  int height = 0;
  // Off: the movie shows the source's display shape (DVD and DV pixels are
  // not square); on: one movie pixel for each stored pixel.
  bool keepPixelShape = false;
  Deinterlace deinterlace = Deinterlace::Auto;
  bool storeOnlyChanges = true;
  // A pixel counts as changed when a channel differs by more than this from
  // what the movie shows there; 0 compares exactly. The window keeps 0.
  int tolerance = 0;  // 0 to 255
  bool openResult = true;
  bool createHtmlPage = true;
  // Off: every picture is made on the calling thread, one after the other;
  // the movie and the lines are the same either way.
  bool overlapPictures = true;
  // JPEGs made at the same time while pictures overlap; the pictures are
  // decided up to two ahead of them either way.
  int jpegThreads = 2;  // 1 or 2
  // The longest movie file to write: the header's 32-bit length field.
  // Lowered only by tests, which cannot write gigabytes.
  std::uint64_t largestMovieBytes = 0xFFFFFFFFu;
};
