#include "convert/RunConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "convert/ConversionRun.h"
#include "convert/DvdTitle.h"
#include "convert/HandOffMovie.h"
#include "convert/OverwriteCheck.h"
#include "convert/ReadPlan.h"
#include "convert/SoundTrack.h"
#include "convert/SourcePart.h"
#include "convert/StorePicture.h"
#include "convert/SystemReason.h"
#include "convert/TargetCheck.h"
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
  run.window.ShowWarningLine(run.shownError);
  run.incomplete = true;
}

// Damage the library met while the pictures go on, said where it was met.
void ReportNewDamage(ConversionRun& run) {
  if (run.imageResult != 0 || run.decoder.MclGetError() == 0) return;
  const char* text = run.decoder.MclGetErrorStr();
  if (text != nullptr && *text != '\0' && run.shownError != text && run.sound.ShownError() != text) ReportDamage(run);
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

// A source without sound gets no sound track at all; with convert audio off
// at the start, none either, so no block can come without its head.
bool SetUpSound(ConversionRun& run) {
  if (!run.settings.convertAudio) return true;
  if (!(run.fileInfo.audioSampleRate > 0)) {
    run.window.ShowWarningLine(kNoSoundTrackLine);
    return true;
  }
  std::string error;
  const double firstSecond = run.firstFrame / run.fileInfo.frameRate;
  if (!run.sound.Start(ChooseSoundFormat(run.settings), run.fps, run.readHandle.get(), firstSecond,
                       run.settings.sourcePath, error)) {
    run.window.ShowProblemLine(error);
    return false;
  }
  AddTurnObject(run, run.sound.Head());
  return true;
}

// A source stored in parts is read as one; a line says which were joined.
int OpenSource(ConversionRun& run, const std::vector<std::string>& parts) {
  const DecoderFunctions& mcl = run.decoder;
  const int flags = DecoderFlags(run.settings);
  if (parts.size() < 2) {
    const std::string sourcePath = run.settings.sourcePath;
    const int infoResult = mcl.MclGetFileInfo(sourcePath.c_str(), flags, &run.fileInfo, 0, 0);
    run.readHandle = {mcl.MclReadOpen(sourcePath.c_str(), flags, 0, 0), mcl.MclReadClose};
    return infoResult;
  }
  run.window.ShowStatusLine(JoinedPartsLine(parts));
  std::vector<const char*> paths;
  for (const std::string& part : parts) paths.push_back(part.c_str());
  const int count = static_cast<int>(paths.size());
  const int infoResult = mcl.MclGetFileInfoParts(paths.data(), count, flags, &run.fileInfo);
  run.readHandle = {mcl.MclReadOpenParts(paths.data(), count, flags), mcl.MclReadClose};
  return infoResult;
}

bool SetUp(ConversionRun& run, const std::vector<std::string>& parts) {
  run.pictures.MakePlaceholder();
  ResetCharacterIDs();
  AddTurnObject(run, std::make_unique<FCTSetBackgroundColor>(std::make_unique<FColor>(255, 255, 255)));
  const int infoResult = OpenSource(run, parts);
  run.frameTotal = run.fileInfo.frameCount;
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
  run.imageHandle = {run.decoder.MclImgCreate(), run.decoder.MclImgFree};
  return true;
}

// What one more movie frame may add at most: the pictures still being made and
// the next one, each no larger than twice its raw rows, and one sound block.
std::uint64_t RoomForOneFrame(const ConversionRun& run) {
  constexpr std::uint64_t kPicturesNotYetInTheMovie = 3;
  constexpr std::uint64_t kTagOverhead = 1024;
  const std::uint64_t rawPicture = std::uint64_t(run.fileInfo.width) * std::uint64_t(run.fileInfo.height) * 3;
  return kPicturesNotYetInTheMovie * (2 * rawPicture + kTagOverhead) + run.sound.LargestBlockBytes() + kTagOverhead;
}

bool LengthLimitNear(const ConversionRun& run) {
  return run.movie.Size() + RoomForOneFrame(run) > run.settings.largestMovieBytes;
}

bool FrameLimitReached(ConversionRun& run) {
  if (run.framesEmitted < kLargest16Bit && !LengthLimitNear(run)) return false;
  run.pictures.Finish();
  run.limitReached = true;
  run.window.ShowWarningLine(kMovieLimitLine);
  return true;
}

void EmitMovieFrames(ConversionRun& run) {
  do {
    if (std::unique_ptr<FObj> block = run.sound.NextBlock(run.liveSettings.convertAudio))
      AddTurnObject(run, std::move(block));
    AddTurnObject(run, std::make_unique<FCTShowFrame>());
    run.framesEmitted += 1;
    run.movieTime = AfterMovieFrame(run.movieTime, run.fps);
  } while (run.movieTime < run.sourceTime && !FrameLimitReached(run));
}

// One source frame: its picture and the movie frames that fall before its end.
void WalkFrame(ConversionRun& run) {
  run.readPlan.TellAhead(run);
  if (run.frameIndex % kInputTurnPeriod == 0) {
    run.pictures.Finish();
    run.window.ShowStatusLine(FrameLine(run.frameIndex + 1, run.frameTotal));
    run.window.ProcessPendingInput();
  } else if (run.window.InputTurnDue()) {
    run.pictures.Finish();
    run.window.ProcessPendingInput();
  }
  run.sourceTime = AfterSourceFrame(run.sourceTime, run.fileInfo.frameRate);
  if (PictureDue(run.movieTime, run.sourceTime) && !FrameLimitReached(run)) {
    StorePicture(run, run.firstFrame + run.frameIndex);
    ReportNewDamage(run);
    if (!run.limitReached) EmitMovieFrames(run);
  }
  run.frameIndex = run.frameIndex + 1;
  run.window.ShowMovieSoFar(run.movieTime, run.movie.Size());
  run.window.ShowProgress(run.frameIndex, run.frameTotal);
}

// A movie that can no longer be written (a full disk, a folder taken away)
// ends the work at once.
void WalkSource(ConversionRun& run) {
  do {
    WalkFrame(run);
    run.cancelled = run.window.CancelRequested();
  } while (run.imageResult == 0 && run.frameIndex < run.frameTotal && !run.limitReached && run.movie.ProblemSoFar() == 0 &&
           !run.cancelled);
}

// Stopped by the window: the movie's temporary file goes with the run.
ConversionOutcome Abandon(ConversionRun& run) {
  run.pictures.ReleasePictures();
  run.window.ShowProblemLine(kCancelledLine);
  return ConversionOutcome::NotWritten;
}

ConversionOutcome Finish(ConversionRun& run) {
  // Damage in the pictures after the last frame is damage of the source too.
  if (run.decoder.MclReadToEnd != nullptr && run.imageResult == 0 && run.frameIndex >= run.frameTotal && run.readHandle) {
    run.decoder.MclReadToEnd(run.readHandle.get());
  }
  run.pictures.Finish();
  run.sound.Close();
  run.imageHandle.reset();
  ReportEarlyEnd(run);
  // Pictures that stopped before the end: the library says why, the frame line where.
  const char* error = run.decoder.MclGetError() != 0 ? run.decoder.MclGetErrorStr() : nullptr;
  if (error != nullptr && run.shownError != error && run.sound.ShownError() != error) {
    run.window.ShowWarningLine(error);
    run.incomplete = true;
  }
  run.window.ShowStatusLine(FrameLine(run.frameIndex, run.frameTotal));
  run.window.ShowStatusLine("Konvertiertung beendet.");
  run.pictures.ReleasePictures();
  run.readHandle.reset();
  const std::string targetPath = run.settings.targetPath;
  const bool saved = run.movie.Save(Twips(run.fileInfo.width), Twips(run.fileInfo.height), TruncateToInt32(run.fps));
  if (!saved) {
    run.window.ShowProblemLine(
        WithSystemReason("Datei " + targetPath + " kann nicht erstellt werden", run.movie.Error()));
    return ConversionOutcome::NotWritten;
  }
  HandOffMovie(run.window, targetPath, run.fileInfo.width, run.fileInfo.height, run.settings.createHtmlPage,
               run.settings.openResult);
  const bool lost = run.incomplete || run.sound.Incomplete() || run.limitReached || run.pictures.PicturesLost();
  return lost ? ConversionOutcome::Incomplete : ConversionOutcome::Complete;
}

}  // namespace

ConversionOutcome RunConversion(ConversionSettings& settings, ConversionWindow& window, const PictavoApi& imaging,
                                const DecoderFunctions& decoder) {
  const std::vector<std::string> parts = SourceParts(settings);
  for (const std::string& part : parts) {
    ConversionSettings eachPart = settings;
    eachPart.sourcePath = part;
    if (const std::string problem = OverwriteProblem(eachPart); !problem.empty()) {
      window.ShowProblemLine(problem);
      return ConversionOutcome::NotWritten;
    }
  }
  if (const std::string problem = TargetsProblem(settings); !problem.empty()) {
    window.ShowProblemLine(problem);
    return ConversionOutcome::NotWritten;
  }
  RemoveDeadTemporariesOfTargets(settings);
  ConversionRun run(settings, window, imaging, decoder);
  if (run.movie.Error() != 0) {
    window.ShowProblemLine(
        WithSystemReason("Datei " + settings.targetPath + " kann nicht erstellt werden", run.movie.Error()));
    return ConversionOutcome::NotWritten;
  }
  if (!SetUp(run, parts)) return run.optionsRefused ? ConversionOutcome::Refused : ConversionOutcome::NotWritten;
  WalkSource(run);
  return run.cancelled ? Abandon(run) : Finish(run);
}
