// Clips whose picture flashes white and whose sound beeps at the same
// instants, and the analysis that finds both again in a written movie: how
// well pictures and sound were kept in step.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/swf/SwfTagReader.h"

struct FlashBeepClip {
  std::string rate = "25";  // picture rate as ffmpeg takes it, e.g. "30000/1001"
  int flashEvery = 25;      // pictures from one flash to the next; the first flash is at picture flashEvery
  int flashLength = 3;      // pictures per flash; the beep lasts as long
  double seconds = 4;       // picture length
  int sampleRate = 22050;
  double soundLead = 0;  // seconds the sound starts before the first picture (negative: after)
};

// ffmpeg's input arguments for the clip (two lavfi inputs, offset as asked);
// encoder and container arguments follow them.
std::vector<std::string> FlashBeepInputs(const FlashBeepClip& clip);

struct MovieSync {
  double frameRate = 0;
  int frames = 0;                        // ShowFrame tags
  std::vector<int> flashFrames;          // movie frames where a bright picture appears
  double soundRate = 0;                  // of the stream sound (5512.5 to 44100), 0 without
  std::vector<std::int64_t> beepStarts;  // sample positions where a beep starts
  std::int64_t soundSamples = 0;         // sample frames of the sound found
};

// Reads flashes from the movie's JPEG pictures and beeps from the joined
// stream sound blocks.
MovieSync FindFlashesAndBeeps(const SwfMovie& movie);

// Flashes as above; beeps from the stream sound as a player hears it, in any
// of its formats: FFmpeg's SWF reader decodes it, and the samples the head's
// latency seek tells players to skip (the MP3 encoder's delay) are dropped.
// soundRate is the rate the blocks are counted in.
MovieSync FindFlashesAndDecodedBeeps(const SwfMovie& movie, const std::filesystem::path& movieFile);

// For each flash, how far (seconds, signed: beep minus flash) the nearest beep is.
std::vector<double> FlashToBeepOffsets(const MovieSync& sync);
