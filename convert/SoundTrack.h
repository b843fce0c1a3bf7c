// The sound track: its format from the settings, the stream head and one
// block of converted samples per movie frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/ConversionRun.h"

// Sets the sample rate, rate code, sample size and channel flags and the
// output bytes per sample frame from the settings.
void ChooseSoundFormat(ConversionRun& run);

// Opens the encoder of a compressed sound; false, with a German reason, when
// it cannot be opened. Nothing to do for uncompressed sound.
bool OpenSoundEncoder(ConversionRun& run, std::string& error);

inline constexpr const char* kSoundEncodingFailedLine = "Der Ton konnte nicht vollständig kodiert werden.";

std::unique_ptr<FDTSoundStreamHead2> MakeSoundStreamHead(const ConversionRun& run);

// Reads the next source samples, converts them and adds one block.
void ConvertSoundBlock(ConversionRun& run);

// Signed 16-bit sample to unsigned 8-bit, and back.
std::uint8_t to8(std::int16_t sample);
std::int16_t to16(std::uint8_t sample);

// Truncates toward zero; values beyond 32 bits (or not a number) are pinned
// so no conversion is undefined.
std::int32_t TruncateToInt32(double value);

struct SourceSamples {
  const unsigned char* data = nullptr;
  std::int64_t frames = 0;  // m, the whole sample frames delivered
  int channels = 1;
  int bits = 8;
};

struct OutputFormat {
  bool bits16 = false;
  bool stereo = false;
};

// Writes n output sample frames by nearest-sample picking; silence when the
// source delivered nothing usable.
void ConvertSamples(const SourceSamples& source, OutputFormat format, std::int64_t n, unsigned char* out);
