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
#include "convert/ReadPlan.h"
#include "convert/SoundTrack.h"
#include "media/pictavo/PictavoApi.h"
#include "swf/swf.h"

template <typename T>
using DecoderHandle = std::unique_ptr<T, void (*)(T*)>;

// Shown when ids, depths or the frame count would leave their 16-bit fields.
inline constexpr const char* kMovieLimitLine = "Der Film hat die größte Länge erreicht, die das Flash-Format erlaubt.";
inline constexpr std::int32_t kLargest16Bit = 65535;
inline constexpr const char* kCancelledLine = "Konvertierung abgebrochen, es wurde kein Film geschrieben.";

struct ConversionRun {
  ConversionRun(const ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                const DecoderFunctions& decoder)
      : settings(settings),
        liveSettings(settings),
        imaging(imaging),
        decoder(decoder),
        movie(settings.targetPath),
        pictures(imaging, window, movie, settings.overlapPictures ? settings.jpegThreads : 0, settings.tolerance),
        window(window, pictures),
        sound(decoder, this->window) {}

  // Copied at the start: a run keeps the format and files it started with.
  const ConversionSettings settings;
  // The window changes these two during a run, and they act from then on:
  // convert audio for each movie frame, store only changes for each picture.
  const ConversionSettings& liveSettings;
  const PictavoApi& imaging;
  const DecoderFunctions& decoder;

  MovieBuilder movie;
  // Borrows the movie only while a call runs; its own tags wait inside it.
  PicturePipeline pictures;
  // Every line of the run goes through here, after the pictures due before it.
  // Mutable like the window reference it replaces: steps that only read the
  // run show lines too.
  mutable LineOrderWindow window;
  SoundTrack sound;

  SourceFileInfo fileInfo{};
  DecoderHandle<MclReader> readHandle{nullptr, nullptr};
  DecoderHandle<MclImage> imageHandle{nullptr, nullptr};

  double fps = 0;
  std::int32_t firstFrame = 0;        // source index of the part's first frame; frameIndex counts from it
  std::int32_t frameIndex = 0;
  std::int32_t frameTotal = 0;
  double sourceTime = 0.0;
  double movieTime = 0.0;
  ReadPlan readPlan;  // the frames the loop will read, told to the decoder ahead
  std::int32_t imageResult = 0;

  std::int32_t framesEmitted = 0;
  bool limitReached = false;  // the movie is as long as the format allows
  bool cancelled = false;     // the window asked to stop
  bool incomplete = false;    // pictures were lost or the source is damaged; the reason was shown
  std::string shownError;     // the decoding library\'s text already shown
  // The settings cannot work for this source; nothing was made.
  bool optionsRefused = false;
};

// Every tag of the run goes to the movie through here, so the picture
// pipeline alone decides their order: a turn's sound block or frame end comes
// after the pictures decided before it, however many JPEGs are still running.
inline void AddTurnObject(ConversionRun& run, std::unique_ptr<FObj> object) {
  run.pictures.AddTurnTag(std::move(object));
}
inline void AddTurnObject(ConversionRun& run, std::unique_ptr<FObj> object, TagBytes bytes) {
  run.pictures.AddTurnTag(std::move(object), std::move(bytes));
}
