// A scripted source behind the decoding functions: pictures and samples the
// test chooses, failures on request, and a log of every call.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/DecoderFunctions.h"

// One picture: rows bottom row first, 3 bytes a pixel (B, G, R), no padding.
using Picture = std::vector<std::uint8_t>;

Picture SolidPicture(int w, int h, std::uint8_t value);
// (x, y) in picture coordinates: y = 0 is the top row.
void SetPixel(Picture& picture, int w, int h, int x, int y, std::uint8_t value);

struct FakeSource {
  std::int32_t frameCount = 0;
  double frameRate = 25;
  int width = 2;
  int height = 2;
  double audioSampleRate = 0;
  std::vector<Picture> frames;  // a read past the last one fails

  int channels = 1;
  int bits = 8;
  // Interleaved; once a run has asked for its format, 16-bit samples in the
  // channels asked for, at the movie's rate.
  std::vector<std::uint8_t> samples;
  std::vector<std::pair<std::int32_t, std::int32_t>> formatsAsked;  // half rate, channels

  bool failInfo = false;
  bool failOpen = false;
  int failImageFrom = -1;           // frame index from which reads fail
  std::set<int> failSoundReads;     // 0-based numbers of the sound reads that fail
  std::set<int> soundJumpReads;     // reads that succeed but leave the error text set, as a time jump does
  std::set<int> framesWithoutRows;  // their bitmaps deliver no rows, like a frame without data
  bool setErrorOnFailure = false;
  std::string errorText = "Fehler in der Quelle";

  std::vector<std::string> partsOpened;  // by the functions for a source in parts
  std::vector<std::int32_t> imageReads;
  std::vector<std::int32_t> plannedReads;  // told ahead through MclReadPlan
  std::vector<std::pair<std::int64_t, std::int32_t>> soundReads;
  int opened = 0, closed = 0, imagesMade = 0, imagesFreed = 0;
  int soundsMade = 0, soundsFreed = 0, bitmapsMade = 0, bitmapsReleased = 0;

  // state of the fake library
  int currentFrame = -1;
  bool errorSet = false;
  std::vector<std::uint8_t> soundBuffer;
};

// The one source the fake functions serve; reset by every test fixture.
FakeSource& Fake();
void ResetFake();
const DecoderFunctions& FakeDecoder();
