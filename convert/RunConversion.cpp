#include "convert/RunConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "convert/ConversionRun.h"
#include "convert/HandOffMovie.h"
#include "convert/OverwriteCheck.h"
#include "convert/SoundTrack.h"
#include "convert/SourcePart.h"
#include "convert/StorePicture.h"
#include "convert/Twips.h"

namespace {

// Source frames between two turns in which the window handles its input.
constexpr std::int32_t kInputTurnPeriod = 100;

std::string FrameLine(std::int32_t frame, std::int32_t total) {
  return "Frame " + std::to_string(frame) + " von " + std::to_string(total);
}

// A source without a usable picture or frame rate would walk forever or
// store nothing; it is treated like one that cannot be opened. A damaged one
// that opens converts as far as it can be read.
bool SourceReadable(const ConversionRun& run) {
  const SourceFileInfo& info = run.fileInfo;
  return run.readHandle && info.frameRate > 0 && std::isfinite(info.frameRate) && info.width > 0 && info.height > 0;
}

// The library's own line on the damage, once; the movie will be incomplete.
void ReportDamage(ConversionRun& run) {
  const char* text = run.decoder.MclGetErrorStr();
  run.shownError = text != nullptr && *text != '\0' ? text : "Die Datei ist unvollständig oder beschädigt.";
  run.window.ShowStatusLine(run.shownError);
  run.incomplete = true;
}

// Damage the library met while the pictures go on, said where it was met.
void ReportNewDamage(ConversionRun& run) {
  if (run.imageResult != 0 || run.decoder.MclGetError() == 0) return;
  const char* text = run.decoder.MclGetErrorStr();
  if (text != nullptr && *text != '\0' && run.shownError != text) ReportDamage(run);
}

std::string GermanSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  std::string german = text;
  std::replace(german.begin(), german.end(), '.', ',');
  return german;
}

// Pictures that end more than a second before the frame count said, though
// each one read cleanly (a file cut or spoilt after its count was taken).
void ReportEarlyEnd(ConversionRun& run) {
  constexpr int kPastEnd = 1;
  if (run.imageResult != kPastEnd || run.limitReached) return;
  const double rate = run.fileInfo.frameRate;
  const std::int32_t shown = run.frameIndex - 1;  // the slot read past the end is not shown
  if (run.frameTotal - shown <= rate) return;
  run.window.ShowStatusLine("Die Bilder der Quelle enden nach " + GermanSeconds(shown / rate) + " s, " +
                            GermanSeconds((run.frameTotal - shown) / rate) + " s vor dem erwarteten Ende.");
  run.incomplete = true;
}

void ReportUnreadable(const ConversionRun& run) {
  const char* text = run.decoder.MclGetErrorStr();
  const bool hasText = run.decoder.MclGetError() != 0 && text != nullptr && *text != '\0';
  run.window.ShowProblemLine(hasText ? std::string(text)
                                     : "Die Datei " + run.settings.sourcePath + " kann nicht gelesen werden.");
}

bool SetUpSound(ConversionRun& run) {
  ChooseSoundFormat(run);
  if (!run.settings.convertAudio) return true;
  std::string error;
  if (!OpenSoundEncoder(run, error)) {
    run.window.ShowStatusLine(error);
    return false;
  }
  run.movie.Add(MakeSoundStreamHead(run));
  return true;
}

bool SetUp(ConversionRun& run) {
  run.pictures.MakePlaceholder();
  ResetCharacterIDs();
  run.movie.Add(std::make_unique<FCTSetBackgroundColor>(std::make_unique<FColor>(255, 255, 255)));
  const std::string sourcePath = run.settings.sourcePath;
  const int infoResult = run.decoder.MclGetFileInfo(sourcePath.c_str(), 0, &run.fileInfo, 0, 0);
  run.frameTotal = run.fileInfo.frameCount;
  run.readHandle = {run.decoder.MclReadOpen(sourcePath.c_str(), 0, 0, 0), run.decoder.MclReadClose};
  if (!SourceReadable(run)) {
    ReportUnreadable(run);
    return false;
  }
  if (infoResult != 0) ReportDamage(run);
  if (!run.pictures.Folder().Made()) {
    run.window.ShowProblemLine(run.pictures.Folder().Problem());
    return false;
  }
  if (!ChoosePart(run)) return false;
  run.fps = run.settings.framesPerSecond;
  if (!SetUpSound(run)) return false;
  run.window.ShowStatusLine("Starte Konvertierung...");
  run.soundHandle = {run.decoder.MclSndCreate(), run.decoder.MclSndFree};
  run.imageHandle = {run.decoder.MclImgCreate(), run.decoder.MclImgFree};
  return true;
}

// What one more movie frame may add at most: the pictures still being made and
// the next one, each no larger than twice its raw rows, and one sound block.
std::uint64_t RoomForOneFrame(const ConversionRun& run) {
  constexpr std::uint64_t kPicturesNotYetInTheMovie = 3;
  constexpr std::uint64_t kTagOverhead = 1024;
  const std::uint64_t rawPicture = std::uint64_t(run.fileInfo.width) * std::uint64_t(run.fileInfo.height) * 3;
  const std::uint64_t soundBlock =
      std::uint64_t(run.sampleRate) * std::uint64_t(run.outputBytesPerSampleFrame) / std::uint64_t(run.fps) + 1;
  return kPicturesNotYetInTheMovie * (2 * rawPicture + kTagOverhead) + soundBlock + kTagOverhead;
}

bool LengthLimitNear(const ConversionRun& run) {
  return run.movie.Size() + RoomForOneFrame(run) > run.settings.largestMovieBytes;
}

bool FrameLimitReached(ConversionRun& run) {
  if (run.framesEmitted < kLargest16Bit && !LengthLimitNear(run)) return false;
  run.pictures.Finish();
  run.limitReached = true;
  run.window.ShowProblemLine(kMovieLimitLine);
  return true;
}

void EmitMovieFrames(ConversionRun& run) {
  do {
    run.soundResult = 0;
    if (run.settings.convertAudio) ConvertSoundBlock(run);
    AddTurnObject(run, std::make_unique<FCTShowFrame>());
    run.framesEmitted += 1;
    run.movieTime = run.movieTime + 1 / run.fps;
  } while (run.movieTime < run.sourceTime && !FrameLimitReached(run));
}

// One source frame: its picture and the movie frames that fall before its end.
void WalkFrame(ConversionRun& run) {
  if (run.frameIndex % kInputTurnPeriod == 0) {
    run.pictures.Finish();
    run.window.ShowStatusLine(FrameLine(run.frameIndex + 1, run.frameTotal));
    run.window.ProcessPendingInput();
  }
  run.sourceTime = run.sourceTime + 1 / run.fileInfo.frameRate;
  if (run.movieTime <= run.sourceTime && !FrameLimitReached(run)) {
    StorePicture(run, run.firstFrame + run.frameIndex);
    ReportNewDamage(run);
    if (!run.limitReached) EmitMovieFrames(run);
  }
  run.frameIndex = run.frameIndex + 1;
  run.window.ShowProgress(run.frameIndex, run.frameTotal);
}

void WalkSource(ConversionRun& run) {
  do {
    WalkFrame(run);
  } while (run.soundResult == 0 && run.imageResult == 0 && run.frameIndex < run.frameTotal && !run.limitReached);
}

ConversionOutcome Finish(ConversionRun& run) {
  run.pictures.Finish();
  run.soundHandle.reset();
  run.imageHandle.reset();
  ReportEarlyEnd(run);
  // Pictures that stopped before the end: the library says why, the frame line where.
  const char* error = run.decoder.MclGetError() != 0 ? run.decoder.MclGetErrorStr() : nullptr;
  if (error != nullptr && run.shownError != error) {
    run.window.ShowStatusLine(error);
    run.incomplete = true;
  }
  run.window.ShowStatusLine(FrameLine(run.frameIndex, run.frameTotal));
  run.window.ShowStatusLine("Konvertiertung beendet.");
  run.pictures.ReleasePictures();
  run.readHandle.reset();
  const std::string targetPath = run.settings.targetPath;
  const bool saved = run.movie.Save(Twips(run.fileInfo.width), Twips(run.fileInfo.height), TruncateToInt32(run.fps));
  if (!saved) {
    run.window.ShowProblemLine("Datei " + targetPath + " kann nicht erstellt werden");
    return ConversionOutcome::NotWritten;
  }
  HandOffMovie(run.window, targetPath, run.fileInfo.width, run.fileInfo.height, run.settings.createHtmlPage,
               run.settings.openResult);
  const bool lost = run.incomplete || run.limitReached || run.pictures.PicturesLost();
  return lost ? ConversionOutcome::Incomplete : ConversionOutcome::Complete;
}

}  // namespace

ConversionOutcome RunConversion(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                                const DecoderFunctions& decoder) {
  if (const std::string problem = OverwriteProblem(settings); !problem.empty()) {
    window.ShowProblemLine(problem);
    return ConversionOutcome::NotWritten;
  }
  ConversionRun run(settings, window, imaging, decoder);
  if (!SetUp(run)) return run.optionsRefused ? ConversionOutcome::Refused : ConversionOutcome::NotWritten;
  WalkSource(run);
  return Finish(run);
}
