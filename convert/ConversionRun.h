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
#include "convert/JpegJob.h"
#include "convert/PictureHolder.h"
#include "media/pictavo/PictavoApi.h"
#include "swf/swf.h"

template <typename T>
using DecoderHandle = std::unique_ptr<T, void (*)(T*)>;

// Shown when ids, depths or the frame count would leave their 16-bit fields.
inline constexpr const char* kMovieLimitLine = "Der Film hat die größte Länge erreicht, die das Flash-Format erlaubt.";
inline constexpr std::int32_t kLargest16Bit = 65535;

// A stored region's place in picture coordinates (y = 0 is the top row), pixels.
struct PicturePlace {
  int left, top, width, height;
};

// A region whose JPEG is being made. Its tags come before anything a later
// turn adds, so the movie is the same as if the JPEG had been made at once.
struct PendingPicture {
  PendingPicture(JpegWorker& worker, const PictavoApi& imaging, const DibRecord& picture, PictureHolder region,
                 const std::string& path, void* ownerWindow, PicturePlace at, bool removeOld)
      : file(path), job(worker, imaging, picture, std::move(region), path, ownerWindow), at(at), removeOld(removeOld) {}

  TempFile file;  // declared first: removed only after the worker is done
  JpegJob job;
  PicturePlace at;
  bool removeOld;
};

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
  // The tags of later turns wait here while a picture is pending.
  std::vector<std::unique_ptr<FObj>> laterTags;
  JpegWorker jpegWorker;

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
  // Declared after the worker and the pictures: it is gone, its worker done,
  // before they are.
  std::unique_ptr<PendingPicture> pendingPicture;
  bool forceFull = true;
  std::int32_t placeDepth = 1;
  std::int32_t firstDepth = 1;

  std::int32_t charactersMade = 0;  // ids handed out in this movie
  std::int32_t framesEmitted = 0;
  bool limitReached = false;      // the movie is as long as the format allows
  bool incomplete = false;        // pictures or sound were lost; the reason was shown
  bool tempTroubleShown = false;  // the temporary file's trouble is told once
};

// Adds a turn's sound block or frame end to the movie, after the pending picture.
inline void AddTurnObject(ConversionRun& run, std::unique_ptr<FObj> object) {
  if (run.pendingPicture)
    run.laterTags.push_back(std::move(object));
  else
    run.movie.AddObject(std::move(object));
}
