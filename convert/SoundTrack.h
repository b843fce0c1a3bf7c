// The movie's stream sound: its format, chosen once at the start of a run,
// its encoder, and its clock, on which block k ends at sample
// floor(k * rate / fps) of the real SWF rate, so sound and pictures never drift.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/ConversionSettings.h"
#include "convert/ConversionWindow.h"
#include "media/DecoderFunctions.h"
#include "media/SoundEncoder.h"
#include "swf/swf.h"

inline constexpr const char* kSoundEncodingFailedLine = "Der Ton konnte nicht vollständig kodiert werden.";
inline constexpr const char* kNoSoundTrackLine = "Die Datei hat keine Tonspur; der Film bleibt stumm.";

struct SoundFormat {
  std::int32_t rateCode = 1;
  // Twice the samples a second (11025, 22050, 44100, 88200): the SWF rates,
  // 5512.5 included, in whole numbers.
  std::int64_t halfRate = 22050;
  bool bits16 = false;
  bool stereo = false;
  SoundCompression compression = SoundCompression::Pcm;
  int mp3BitrateKbit = 0;  // asked for, 0: 64 mono, 128 stereo; the encoder uses the nearest the rate allows

  int Channels() const { return stereo ? 2 : 1; }
  int BytesPerFrame() const { return (bits16 ? 2 : 1) * Channels(); }
};

SoundFormat ChooseSoundFormat(const ConversionSettings& settings);

// Sample frames of movie frames 1 to frames together: the running clock.
std::int64_t SamplesUpTo(std::int64_t frames, std::int64_t halfRate, double fps);

// Signed 16-bit sample to unsigned 8-bit, and back.
std::uint8_t to8(std::int16_t sample);
std::int16_t to16(std::uint8_t sample);

// Truncates toward zero; values beyond 32 bits (or not a number) are pinned
// so no conversion is undefined.
std::int32_t TruncateToInt32(double value);

// What a block holds: the read's 16-bit samples (little-endian), silence where the read gave
// too few, in the movie's sample size. out has frames * BytesPerFrame() bytes.
void WritePcm(const unsigned char* samples, std::int64_t delivered, const SoundFormat& format, std::int64_t frames,
              unsigned char* out);

class SoundTrack {
 public:
  SoundTrack(const DecoderFunctions& decoder, ConversionWindow& window) : decoder_(decoder), window_(window) {}

  // Asks the library for the format and opens the encoder; false, with a
  // German reason, when it cannot be opened. firstSecond is where the
  // part's sound starts, sourcePath names the file in lines.
  bool Start(const SoundFormat& format, double fps, MclReadHandle read, double firstSecond,
             const std::string& sourcePath, std::string& error);
  bool Started() const { return started_; }
  std::unique_ptr<FDTSoundStreamHead2> Head() const;

  // The next movie frame's block; null without a sound track. The clock
  // runs on either way.
  // wanted: convert audio is on for this frame.
  std::unique_ptr<FObj> NextBlock(bool wanted);
  // 1-based number of the next block.
  std::int32_t BlockNumber() const { return blockNumber_; }
  // The largest block a movie frame can add.
  std::uint64_t LargestBlockBytes() const;

  // Sound was lost or damaged; the reason was shown.
  bool Incomplete() const { return incomplete_; }
  // The library's text this track has shown, so it is not shown again.
  const std::string& ShownError() const { return shownError_; }
  void Close() { sound_.reset(); }

 private:
  std::int64_t BlockLength(std::int32_t number) const;
  bool OpenEncoder(std::string& error);
  const unsigned char* ReadSamples(std::int64_t frames, std::int64_t& delivered);
  void ReportLost();
  std::unique_ptr<FObj> PcmBlock(std::int64_t frames);
  std::unique_ptr<FObj> EncodedBlock(std::int64_t frames);
  bool FeedEncoder(std::int64_t frames);

  const DecoderFunctions& decoder_;
  ConversionWindow& window_;
  std::unique_ptr<MclSound, void (*)(MclSound*)> sound_{nullptr, nullptr};
  std::unique_ptr<SoundEncoder> encoder_;  // compressed sound only
  SoundFormat format_;
  MclReadHandle read_ = nullptr;
  std::string sourcePath_;
  double fps_ = 0;
  bool started_ = false;
  std::int32_t blockNumber_ = 1;
  std::int64_t firstSample_ = 0;  // the part's first sample at the movie's rate
  std::int64_t samplesRead_ = 0;  // from firstSample_ on
  // Compressed sound is read and fed ahead of the blocks taken.
  std::int32_t blocksFed_ = 0;
  std::int64_t samplesFed_ = 0;
  std::int64_t samplesTaken_ = 0;
  bool lost_ = false;  // the sound cannot be decoded: silent blocks from then on
  bool incomplete_ = false;
  std::string shownError_;
};
