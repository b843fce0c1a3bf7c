// The state of one conversion, shared by the frame loop, the picture step and
// the sound step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "convert/DecoderFunctions.h"
#include "convert/PictureHolder.h"
#include "media/pictavo/PictavoApi.h"
#include "swf/swf.h"

template <typename T>
using DecoderHandle = std::unique_ptr<T, void (*)(T*)>;

// Shown when ids, depths or the frame count would leave their 16-bit fields.
inline constexpr const char* kMovieLimitLine =
    "Der Film hat die größte Länge erreicht, die das Flash-Format erlaubt.";
inline constexpr std::int32_t kLargest16Bit = 65535;

struct ConversionRun {
  ConversionRun(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                const DecoderFunctions& decoder)
      : settings(settings),
        window(window),
        imaging(imaging),
        decoder(decoder),
        previousPicture(imaging),
        sparePicture(imaging),
        spareRegion(imaging) {}

  ConversionSettings& settings;
  ConversionWindow& window;
  const PictavoApi& imaging;
  const DecoderFunctions& decoder;

  // Declared before the movie: the tags borrow these bytes, so they must be
  // freed only after the movie is gone.
  std::vector<std::unique_ptr<unsigned char[]>> jpegBuffers;
  std::vector<std::unique_ptr<unsigned char[]>> sampleBuffers;
  FObjCollection movie;

  SourceFileInfo fileInfo{};
  DecoderHandle<MclReader> readHandle{nullptr, nullptr};
  DecoderHandle<MclImage> imageHandle{nullptr, nullptr};
  DecoderHandle<MclSound> soundHandle{nullptr, nullptr};

  double fps = 0;
  std::int32_t frameIndex = 0;
  std::int32_t frameTotal = 0;
  double sourceTime = 0.0;
  double movieTime = 0.0;
  std::int32_t imageResult = 0;
  std::int32_t soundResult = 0;
  std::int32_t soundFrameNumber = 1;

  std::int32_t sampleRate = 5500;
  std::int32_t rateCode = 0;
  std::int32_t bits16 = 0;
  std::int32_t stereo = 0;
  std::int32_t outputBytesPerSampleFrame = 1;
  std::int32_t sourceSamplesPerFrame = 0;
  std::int64_t samplesWritten = 0;
  std::int64_t soundReadPosition = 0;

  PictureHolder previousPicture;
  // Free pictures kept for the next frame, which mostly needs the same sizes.
  PictureHolder sparePicture;
  PictureHolder spareRegion;
  bool forceFull = true;
  std::int32_t placeDepth = 1;
  std::int32_t firstDepth = 1;

  std::int32_t charactersMade = 0;  // ids handed out in this movie
  std::int32_t framesEmitted = 0;
  bool limitReached = false;       // the movie is as long as the format allows
  bool tempTroubleShown = false;   // the temporary file's trouble is told once
};
