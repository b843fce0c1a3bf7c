// The state of one conversion, shared by the frame loop, the picture step and
// the sound step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "media/DecoderFunctions.h"
#include "convert/LineOrderWindow.h"
#include "convert/MovieBuilder.h"
#include "convert/PicturePipeline.h"
#include "media/SoundEncoder.h"
#include "media/pictavo/PictavoApi.h"
#include "swf/swf.h"

template <typename T>
using DecoderHandle = std::unique_ptr<T, void (*)(T*)>;

// Shown when ids, depths or the frame count would leave their 16-bit fields.
inline constexpr const char* kMovieLimitLine = "Der Film hat die größte Länge erreicht, die das Flash-Format erlaubt.";
inline constexpr std::int32_t kLargest16Bit = 65535;

struct ConversionRun {
  ConversionRun(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                const DecoderFunctions& decoder)
      : settings(settings),
        imaging(imaging),
        decoder(decoder),
        movie(settings.targetPath),
        pictures(imaging, window, movie, settings.overlapPictures ? settings.jpegThreads : 0, settings.tolerance),
        window(window, pictures) {}

  ConversionSettings& settings;
  const PictavoApi& imaging;
  const DecoderFunctions& decoder;

  MovieBuilder movie;
  // Borrows the movie only while a call runs; its own tags wait inside it.
  PicturePipeline pictures;
  // Every line of the run goes through here, after the pictures due before it.
  // Mutable like the window reference it replaces: steps that only read the
  // run show lines too.
  mutable LineOrderWindow window;

  SourceFileInfo fileInfo{};
  DecoderHandle<MclReader> readHandle{nullptr, nullptr};
  DecoderHandle<MclImage> imageHandle{nullptr, nullptr};
  DecoderHandle<MclSound> soundHandle{nullptr, nullptr};

  double fps = 0;
  std::int64_t soundFirstSample = 0;  // the part's first sound sample
  std::int32_t firstFrame = 0;        // source index of the part's first frame; frameIndex counts from it
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
  std::int64_t samplesWritten = 0;
  std::int64_t soundReadPosition = 0;
  std::unique_ptr<SoundEncoder> soundEncoder;  // compressed sound only
  // Compressed sound is read and fed ahead of the blocks written.
  std::int32_t soundFramesFed = 0;
  std::int64_t samplesFed = 0;

  std::int32_t framesEmitted = 0;
  bool limitReached = false;  // the movie is as long as the format allows
  bool incomplete = false;    // pictures or sound were lost; the reason was shown
  bool soundLost = false;     // the sound cannot be decoded: silent blocks from then on
  std::string shownError;     // the decoding library\'s text already shown
  // The settings cannot work for this source; nothing was made.
  bool optionsRefused = false;
};

// Adds a turn's sound block or frame end to the movie, after the pending picture.
inline void AddTurnObject(ConversionRun& run, std::unique_ptr<FObj> object) {
  run.pictures.AddTurnTag(std::move(object));
}
inline void AddTurnObject(ConversionRun& run, std::unique_ptr<FObj> object, TagBytes bytes) {
  run.pictures.AddTurnTag(std::move(object), std::move(bytes));
}
