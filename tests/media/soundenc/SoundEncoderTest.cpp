// The compressed stream sound encoders: the block layout SWF players expect,
// read back with FFmpeg's own decoders.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "media/soundenc/MakeSoundEncoder.h"
#include "media/mcl/FfmpegHandles.h"

namespace {

// Two tones per channel, so a packet put in the wrong place cannot match.
std::vector<std::int16_t> Tones(std::int64_t frames, int channels, int rate) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(frames * channels));
  for (std::int64_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    for (int c = 0; c < channels; ++c) {
      const double f = c == 0 ? 440.0 : 660.0;
      const double value =
          0.4 * std::sin(2 * std::numbers::pi * f * t) + 0.2 * std::sin(2 * std::numbers::pi * 3.3 * f * t);
      samples[static_cast<std::size_t>(i * channels + c)] = static_cast<std::int16_t>(value * 32767);
    }
  }
  return samples;
}

double SnrDb(const std::int16_t* reference, const std::int16_t* test, std::size_t count) {
  double signal = 0, noise = 0;
  for (std::size_t i = 0; i < count; ++i) {
    signal += static_cast<double>(reference[i]) * reference[i];
    noise += (static_cast<double>(reference[i]) - test[i]) * (static_cast<double>(reference[i]) - test[i]);
  }
  return 10 * std::log10(signal / std::max(noise, 1.0));
}

// FFmpeg's decoder fed one packet per block, in order; interleaved 16-bit out.
class Decoder {
 public:
  Decoder(AVCodecID id, int rate, int channels) {
    const AVCodec* codec = avcodec_find_decoder(id);
    context_.reset(avcodec_alloc_context3(codec));
    context_->sample_rate = rate;
    av_channel_layout_default(&context_->ch_layout, channels);
    if (avcodec_open2(context_.get(), codec, nullptr) < 0) ADD_FAILURE() << "no decoder";
  }

  // The sample frames this block decodes to.
  std::int64_t Decode(const std::vector<unsigned char>& block, std::vector<std::int16_t>& out) {
    mcl::PacketPtr packet{av_packet_alloc()};
    mcl::FramePtr frame{av_frame_alloc()};
    if (av_new_packet(packet.get(), static_cast<int>(block.size())) < 0) return -1;
    std::copy(block.begin(), block.end(), packet->data);
    if (avcodec_send_packet(context_.get(), packet.get()) < 0) return -1;
    std::int64_t frames = 0;
    while (avcodec_receive_frame(context_.get(), frame.get()) == 0) {
      Append(*frame, out);
      frames += frame->nb_samples;
    }
    return frames;
  }

 private:
  static void Append(const AVFrame& frame, std::vector<std::int16_t>& out) {
    const auto format = static_cast<AVSampleFormat>(frame.format);
    for (int i = 0; i < frame.nb_samples; ++i) {
      for (int c = 0; c < frame.ch_layout.nb_channels; ++c) {
        if (format == AV_SAMPLE_FMT_S16)
          out.push_back(reinterpret_cast<const std::int16_t*>(frame.data[0])[i * frame.ch_layout.nb_channels + c]);
        else if (format == AV_SAMPLE_FMT_FLTP)
          out.push_back(static_cast<std::int16_t>(
              std::lround(std::clamp(reinterpret_cast<const float*>(frame.data[c])[i], -1.0f, 1.0f) * 32767)));
        else
          ADD_FAILURE() << "sample format " << format;
      }
    }
  }
  mcl::CodecPtr context_;
};

std::unique_ptr<SoundEncoder> Open(SoundCompression compression, int rate, int channels) {
  std::string error;
  auto encoder = MakeSoundEncoder({compression, rate, channels, channels == 2 ? 128 : 64}, error);
  EXPECT_NE(encoder, nullptr) << error;
  return encoder;
}

struct AdpcmCase {
  const char* name;
  int channels;
  std::vector<std::int64_t> blockFrames;
  // 2 bits, then per packet of up to 4096 samples 22 + 4 * (samples - 1) bits
  // a channel. Mono blocks whose fill bits could pass for one more sample
  // keep their last sample for the next block.
  std::vector<std::uint32_t> blockBytes;
};

class AdpcmBlocks : public testing::TestWithParam<AdpcmCase> {};

TEST_P(AdpcmBlocks, StandAloneAndDecodeToTheirSamples) {
  const AdpcmCase& c = GetParam();
  auto encoder = Open(SoundCompression::Adpcm, 44100, c.channels);
  ASSERT_NE(encoder, nullptr);
  EXPECT_EQ(encoder->CompressionCode(), 1);
  std::int64_t total = 0;
  for (std::int64_t frames : c.blockFrames) total += frames;
  const std::vector<std::int16_t> all = Tones(total, c.channels, 44100);
  std::vector<std::int16_t> decoded;
  std::int64_t offset = 0;
  for (std::size_t b = 0; b < c.blockFrames.size(); ++b) {
    std::optional<EncodedSoundBlock> block = encoder->EncodeBlock(all.data() + offset * c.channels, c.blockFrames[b]);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->bytes.size(), c.blockBytes[b]) << "block " << b;
    EXPECT_FALSE(block->mp3);
    // A fresh decoder per block: each block must decode on its own.
    Decoder decoder(AV_CODEC_ID_ADPCM_SWF, 44100, c.channels);
    EXPECT_GT(decoder.Decode(block->bytes, decoded), 0) << "block " << b;
    offset += c.blockFrames[b];
  }
  // No sample lost or made up: only the held-back ones are still missing.
  const auto decodedFrames = static_cast<std::int64_t>(decoded.size()) / c.channels;
  EXPECT_LE(decodedFrames, total);
  EXPECT_GE(decodedFrames, total - 2);
  EXPECT_GT(SnrDb(all.data(), decoded.data(), decoded.size()), 25.0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AdpcmBlocks,
    testing::Values(
        // 2200 would leave 4 fill bits: 2199 go, then 1 + 4096 -> 4095, then 2 + 4097 -> 4098
        AdpcmCase{"MonoHoldsBackWhereFillBitsWouldDecode", 1, {2200, 4096, 4097}, {1102, 2050, 2054}},
        AdpcmCase{"StereoThreePackets", 2, {8800, 2205}, {8814, 2210}}, AdpcmCase{"SingleSample", 1, {1, 2}, {3, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

// A -1 dBFS tone in movie frames of 1/25 s, each block decoded on its own
// by FFmpeg: no block may start quieter than the tone (one coder state runs
// on through the blocks), and the whole keeps 30 dB SNR (IMA's 4 bits reach
// that up to about a tenth of the rate).
TEST(AdpcmEncoder, BlocksStartAtFullLevelAndKeepTheTone) {
  for (const int channels : {1, 2}) {
    for (const auto& [rate, frequency] : {std::pair{11025, 440.0}, std::pair{44100, 1000.0}}) {
      SCOPED_TRACE(std::to_string(channels) + " channels at " + std::to_string(rate));
      auto encoder = Open(SoundCompression::Adpcm, rate, channels);
      ASSERT_NE(encoder, nullptr);
      std::vector<std::int16_t> all(static_cast<std::size_t>(rate * channels));
      for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int16_t>(std::lround(
            0.891 * 32767 * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i / channels) / rate)));
      std::vector<std::int16_t> decoded;
      const int perBlock = rate / 25, head = rate / 500 * channels;  // the first 2 ms
      for (int b = 0; b < 25; ++b) {
        const std::size_t start = decoded.size();
        std::optional<EncodedSoundBlock> block =
            encoder->EncodeBlock(all.data() + static_cast<std::ptrdiff_t>(b) * perBlock * channels, perBlock);
        ASSERT_TRUE(block);
        Decoder decoder(AV_CODEC_ID_ADPCM_SWF, rate, channels);
        ASSERT_GT(decoder.Decode(block->bytes, decoded), head);
        double ours = 0, source = 0;
        for (int i = 0; i < head; ++i) {
          ours += std::pow(decoded[start + i], 2.0);
          source += std::pow(all[start + i], 2.0);
        }
        EXPECT_GT(std::sqrt(ours / source), 0.9) << "block " << b;
      }
      EXPECT_GT(SnrDb(all.data(), decoded.data(), decoded.size()), 30.0);
    }
  }
}

struct Mp3Case {
  const char* name;
  int rate, channels, fps;
};

class Mp3Blocks : public testing::TestWithParam<Mp3Case> {};

// Fed as far ahead as the encoder asks, each block holds whole frames that
// decode to its sample count, starting less than one MP3 frame before its
// movie frame's sound (the first: at the decoder's start), to the movie's end.
TEST_P(Mp3Blocks, HoldWholeFramesInStepWithTheMovie) {
  const Mp3Case& c = GetParam();
  auto encoder = Open(SoundCompression::Mp3, c.rate, c.channels);
  ASSERT_NE(encoder, nullptr);
  EXPECT_EQ(encoder->CompressionCode(), 2);
  const std::int64_t latency = encoder->LatencySeek();
  EXPECT_GT(latency, 0);
  const int frameSize = c.rate == 44100 ? 1152 : 576;
  Decoder decoder(AV_CODEC_ID_MP3, c.rate, c.channels);
  const int blocks = 40 * c.fps;  // 40 seconds
  const std::vector<std::int16_t> all = Tones(static_cast<std::int64_t>(c.rate) * 41, c.channels, c.rate);
  const auto blockEnd = [&c](int k) { return static_cast<std::int64_t>(k) * c.rate / c.fps; };
  std::int64_t clock = 0, fed = 0, placed = 0;
  int blocksFed = 0;
  std::vector<std::int16_t> decoded;
  for (int k = 1; k <= blocks; ++k) {
    for (; blocksFed < k || fed - blockEnd(k) <= encoder->SamplesAhead(); ++blocksFed) {
      ASSERT_TRUE(encoder->Feed(all.data() + fed * c.channels, blockEnd(blocksFed + 1) - fed));
      fed = blockEnd(blocksFed + 1);
    }
    std::optional<EncodedSoundBlock> block = encoder->TakeBlock();
    ASSERT_TRUE(block && block->mp3);
    EXPECT_EQ(block->mp3->seekSamples, clock + latency - placed) << "block " << k;
    // The first block starts where the decoder does, the latency before its sound.
    EXPECT_GE(block->mp3->seekSamples, 0) << "block " << k;
    if (k > 1) {
      EXPECT_LT(block->mp3->seekSamples, frameSize) << "block " << k;
    }
    EXPECT_EQ(block->mp3->sampleCount % frameSize, 0);
    if (!block->bytes.empty()) {
      EXPECT_EQ(decoder.Decode(block->bytes, decoded), block->mp3->sampleCount) << "block " << k;
    }
    clock = blockEnd(k);
    placed += block->mp3->sampleCount;
    EXPECT_LE(placed, clock + latency) << "block " << k;
  }
  EXPECT_GT(placed + frameSize, clock + latency) << "the last block's sound is in the movie";
  // The sound itself: decoded, less the latency, against what went in.
  const std::size_t skip = static_cast<std::size_t>(latency * c.channels);
  ASSERT_GT(decoded.size(), skip + c.rate);
  EXPECT_GT(SnrDb(all.data(), decoded.data() + skip, decoded.size() - skip), 10.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, Mp3Blocks,
                         testing::Values(Mp3Case{"Mono11kAt5Fps", 11025, 1, 5}, Mp3Case{"Mono22kAt24Fps", 22050, 1, 24},
                                         Mp3Case{"Stereo44kAt120FpsSomeBlocksEmpty", 44100, 2, 120}),
                         [](const auto& info) { return std::string(info.param.name); });

// LAME writes its highest bitrate for any higher one asked for; the encoder
// takes the nearest the rate allows and says which, and it is what is written.
TEST(Mp3Encoder, UsesTheNearestBitrateTheRateAllows) {
  struct Case {
    int rate, asked, used;
  } const cases[] = {{11025, 320, 64}, {11025, 128, 64}, {11025, 20, 16}, {22050, 320, 160},
                     {22050, 100, 96}, {44100, 8, 32},   {44100, 128, 128}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.asked) + " kbit/s");
    std::string error;
    auto encoder = MakeSoundEncoder({SoundCompression::Mp3, c.rate, 2, c.asked}, error);
    ASSERT_NE(encoder, nullptr) << error;
    EXPECT_EQ(encoder->BitrateKbit(), c.used);
    const int perBlock = c.rate / 25;
    const std::vector<std::int16_t> tones = Tones(perBlock * 100, 2, c.rate);
    for (int b = 0; b < 100; ++b) ASSERT_TRUE(encoder->Feed(tones.data() + b * perBlock * 2, perBlock));
    std::size_t bytes = 0, samples = 0;
    for (int b = 0; b < 100; ++b) {
      std::optional<EncodedSoundBlock> block = encoder->TakeBlock();
      ASSERT_TRUE(block && block->mp3);
      bytes += block->bytes.size();
      samples += block->mp3->sampleCount;
    }
    ASSERT_GT(samples, 0u);
    EXPECT_NEAR(bytes * 8.0 / (static_cast<double>(samples) / c.rate) / 1000, c.used, c.used * 0.05);
  }
}

TEST(Mp3Encoder, RefusesARateMp3DoesNotHave) {
  std::string error;
  EXPECT_EQ(MakeSoundEncoder({SoundCompression::Mp3, 5512, 1, 64}, error), nullptr);
  EXPECT_NE(error.find("5512 Hz"), std::string::npos) << error;
}

}  // namespace
