#include "convert/SoundTrack.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

struct RateChoice {
  std::int32_t rate;
  std::int32_t code;
};

RateChoice RateOf(int choice) {
  switch (choice) {
    case 1:
      return {11000, 1};
    case 2:
      return {22000, 2};
    case 3:
      return {44000, 3};
    default:
      return {5500, 0};
  }
}

// MP3 knows only the real rates; its sample counts use them.
std::int32_t Mp3RateOf(std::int32_t code) {
  static constexpr std::int32_t kRates[] = {5512, 11025, 22050, 44100};
  return kRates[code & 3];
}

bool UsableSource(const SourceSamples& source) {
  return source.data != nullptr && source.frames > 0 && (source.bits == 8 || source.bits == 16) &&
         (source.channels == 1 || source.channels == 2);
}

void WriteSilence(OutputFormat format, std::int64_t n, unsigned char* out) {
  const std::int64_t bytes = n * (format.bits16 ? 2 : 1) * (format.stereo ? 2 : 1);
  std::memset(out, format.bits16 ? 0 : 128, static_cast<std::size_t>(bytes));
}

// One source sample at byte p, as the source stores it.
int SampleAt(const unsigned char* p, bool source16) {
  if (!source16) return p[0];
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

unsigned char* PutSample(unsigned char* out, int sample, bool source16, bool output16) {
  if (output16) {
    const std::int16_t value = source16 ? static_cast<std::int16_t>(sample) : to16(static_cast<std::uint8_t>(sample));
    const auto bits = static_cast<std::uint16_t>(value);
    out[0] = static_cast<unsigned char>(bits & 0xFF);
    out[1] = static_cast<unsigned char>(bits >> 8);
    return out + 2;
  }
  out[0] = source16 ? to8(static_cast<std::int16_t>(sample)) : static_cast<std::uint8_t>(sample);
  return out + 1;
}

}  // namespace

std::uint8_t to8(std::int16_t sample) { return static_cast<std::uint8_t>((sample >> 8) + 128); }

std::int16_t to16(std::uint8_t sample) { return static_cast<std::int16_t>((sample - 128) * 256); }

std::int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double low = std::numeric_limits<std::int32_t>::min();
  const double high = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::trunc(std::fmin(std::fmax(value, low), high)));
}

void ChooseSoundFormat(ConversionRun& run) {
  const RateChoice choice = RateOf(run.settings.sampleRateChoice);
  const bool compressed = run.settings.soundCompression != SoundCompression::Pcm;
  run.sampleRate = run.settings.soundCompression == SoundCompression::Mp3 ? Mp3RateOf(choice.code) : choice.rate;
  run.rateCode = choice.code;
  // Compressed sound is always made from 16-bit samples and announced so.
  run.bits16 = run.settings.audio16Bit || compressed ? 1 : 0;
  run.stereo = run.settings.stereo ? 1 : 0;
  run.outputBytesPerSampleFrame = (run.bits16 ? 2 : 1) * (run.stereo ? 2 : 1);
}

bool OpenSoundEncoder(ConversionRun& run, std::string& error) {
  if (run.settings.soundCompression == SoundCompression::Pcm) return true;
  SoundEncoderFormat format;
  format.compression = run.settings.soundCompression;
  format.sampleRate = run.sampleRate;
  format.channels = run.stereo ? 2 : 1;
  format.mp3BitrateKbit = run.settings.mp3BitrateKbit > 0 ? run.settings.mp3BitrateKbit : run.stereo ? 128 : 64;
  if (run.decoder.MakeSoundEncoder == nullptr) {
    error = "Komprimierter Ton ist hier nicht verfügbar.";
    return false;
  }
  run.soundEncoder = run.decoder.MakeSoundEncoder(format, error);
  return run.soundEncoder != nullptr;
}

std::unique_ptr<FDTSoundStreamHead2> MakeSoundStreamHead(const ConversionRun& run) {
  const auto sampleCount = static_cast<std::uint16_t>(TruncateToInt32(run.sampleRate / run.fps));
  const SoundEncoder* encoder = run.soundEncoder.get();
  return std::make_unique<FDTSoundStreamHead2>(
      1, encoder ? encoder->CompressionCode() : 0, static_cast<std::uint8_t>(run.rateCode),
      static_cast<std::uint8_t>(run.bits16), static_cast<std::uint8_t>(run.stereo), sampleCount,
      encoder ? encoder->LatencySeek() : 0);
}

void ConvertSamples(const SourceSamples& source, OutputFormat format, std::int64_t n, unsigned char* out) {
  if (!UsableSource(source)) {
    WriteSilence(format, n, out);
    return;
  }
  const bool source16 = source.bits == 16;
  const int sampleBytes = source16 ? 2 : 1;
  const int frameBytes = sampleBytes * source.channels;
  for (std::int64_t j = 0; j < n; ++j) {
    const unsigned char* frame = source.data + (j * source.frames / n) * frameBytes;
    const int left = SampleAt(frame, source16);
    const int right = source.channels == 2 ? SampleAt(frame + sampleBytes, source16) : left;
    out = PutSample(out, left, source16, format.bits16);
    if (format.stereo) out = PutSample(out, right, source16, format.bits16);
  }
}

// Sound that cannot be decoded leaves the movie silent; the walk goes on.
void ReportSoundLost(ConversionRun& run) {
  run.window.ShowWarningLine("Der Ton der Datei " + run.settings.sourcePath +
                            " kann nicht gelesen werden; der Film bleibt stumm.");
  const char* text = run.decoder.MclGetErrorStr();
  if (text != nullptr) run.shownError = text;
  run.soundLost = true;
  run.incomplete = true;
  run.soundResult = 0;
}

namespace {

// The source samples of movie frame frameNumber (counted from 1), read on
// from where the last read ended.
SourceSamples ReadSourceSamples(ConversionRun& run, std::int32_t frameNumber) {
  const DecoderFunctions& mcl = run.decoder;
  // Read by the running exact count, as the output is, so no source rate drifts.
  const double exactEnd = std::trunc(static_cast<double>(frameNumber) * run.fileInfo.audioSampleRate / run.fps);
  const std::int64_t readEnd =
      run.soundFirstSample + (exactEnd > 0 && exactEnd < 1e15 ? static_cast<std::int64_t>(exactEnd) : 0);
  const auto readCount = static_cast<std::int32_t>(std::max<std::int64_t>(0, readEnd - run.soundReadPosition));
  std::int32_t unused = 0, channels = 0, bits = 0, byteCount = 0;
  const unsigned char* data = nullptr;
  if (!run.soundLost) {
    run.soundResult = mcl.MclReadSound(run.readHandle.get(), run.soundReadPosition, readCount, run.soundHandle.get());
    if (run.soundResult != 0) ReportSoundLost(run);
  }
  if (!run.soundLost) mcl.MclSndGetInfo(run.soundHandle.get(), &unused, &channels, &bits, &byteCount, &data);

  run.soundReadPosition += readCount;
  SourceSamples source{data, 0, channels, bits};
  const int sourceFrameBytes = (bits == 16 ? 2 : 1) * (channels == 2 ? 2 : 1);
  source.frames = byteCount > 0 ? byteCount / sourceFrameBytes : 0;
  return source;
}

// Sample frames of movie frame frameNumber's block, from the running total
// before it so blocks stay in step.
std::int64_t BlockLength(const ConversionRun& run, std::int32_t frameNumber, std::int64_t samplesBefore) {
  const std::int64_t product = static_cast<std::int64_t>(frameNumber) * run.sampleRate;
  const double quotient = std::trunc(static_cast<double>(product) / run.fps - static_cast<double>(samplesBefore));
  // Bounded so a frame rate of 0 cannot make the cast undefined.
  return quotient > 0 && quotient < 1e12 ? static_cast<std::int64_t>(quotient) : 0;
}

void AddPcmBlock(ConversionRun& run, const SourceSamples& source, std::int64_t n) {
  const std::int64_t blockBytes = n * run.outputBytesPerSampleFrame;
  auto buffer = std::make_unique<unsigned char[]>(static_cast<std::size_t>(blockBytes));
  ConvertSamples(source, OutputFormat{run.bits16 != 0, run.stereo != 0}, n, buffer.get());
  auto block = std::make_unique<FDTSoundStreamBlock>(static_cast<std::uint32_t>(blockBytes), buffer.get());
  AddTurnObject(run, std::move(block), std::move(buffer));
}

constexpr std::int32_t kMostFramesAhead = 1000;  // bounds the reading ahead whatever the rates

// The encoder is fed the sound of later movie frames as far ahead as it keeps
// sound back, so each block can hold its own frame's sound.
bool FeedEncoder(ConversionRun& run, std::int64_t blockLength) {
  static_assert(std::endian::native == std::endian::little, "16-bit samples are converted little-endian");
  const std::int64_t fedUpTo = run.samplesWritten + blockLength + run.soundEncoder->SamplesAhead();
  const auto wanted = [&run, fedUpTo] {
    return run.soundFramesFed < run.soundFrameNumber ||
           (run.samplesFed <= fedUpTo && run.soundFramesFed - run.soundFrameNumber < kMostFramesAhead);
  };
  std::vector<std::int16_t> samples;
  bool fed = true;
  while (wanted()) {
    const std::int32_t number = run.soundFramesFed + 1;
    const SourceSamples source = ReadSourceSamples(run, number);
    const std::int64_t n = BlockLength(run, number, run.samplesFed);
    samples.resize(static_cast<std::size_t>(n * (run.stereo ? 2 : 1)));
    ConvertSamples(source, OutputFormat{true, run.stereo != 0}, n, reinterpret_cast<unsigned char*>(samples.data()));
    fed = run.soundEncoder->Feed(samples.data(), n) && fed;
    run.soundFramesFed = number;
    run.samplesFed += n;
  }
  return fed;
}

void AddEncodedBlock(ConversionRun& run, std::int64_t blockLength) {
  const bool fed = FeedEncoder(run, blockLength);
  std::optional<EncodedSoundBlock> block = run.soundEncoder->TakeBlock();  // taken either way, to stay in step
  if (!fed || !block) {
    if (!run.incomplete) run.window.ShowWarningLine(kSoundEncodingFailedLine);
    run.incomplete = true;
    block = EncodedSoundBlock{};
    if (run.settings.soundCompression == SoundCompression::Mp3) block->mp3 = Mp3BlockHead{0, 0};
  }
  const auto size = static_cast<std::uint32_t>(block->bytes.size());
  auto bytes = std::make_unique<unsigned char[]>(block->bytes.size());
  std::copy(block->bytes.begin(), block->bytes.end(), bytes.get());
  auto tag = block->mp3 ? std::make_unique<FDTSoundStreamBlock>(*block->mp3, size, bytes.get())
                        : std::make_unique<FDTSoundStreamBlock>(size, bytes.get());
  AddTurnObject(run, std::move(tag), std::move(bytes));
}

}  // namespace

void ConvertSoundBlock(ConversionRun& run) {
  const std::int64_t n = BlockLength(run, run.soundFrameNumber, run.samplesWritten);
  if (run.soundEncoder) {
    AddEncodedBlock(run, n);
  } else {
    const SourceSamples source = ReadSourceSamples(run, run.soundFrameNumber);
    AddPcmBlock(run, source, n);
  }
  run.samplesWritten += n;
  run.soundFrameNumber += 1;
}
