#include "media/soundenc/CodecOpen.h"

namespace soundenc {

namespace {

void FillFrame(AVFrame& frame, const std::int16_t* samples, int channels) {
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame.format)) != 0;
  for (int i = 0; i < frame.nb_samples; ++i) {
    for (int c = 0; c < channels; ++c) {
      const std::int16_t value = samples[i * channels + c];
      if (planar)
        reinterpret_cast<std::int16_t*>(frame.data[c])[i] = value;
      else
        reinterpret_cast<std::int16_t*>(frame.data[0])[i * channels + c] = value;
    }
  }
}

bool TakePackets(AVCodecContext& codec, std::vector<std::vector<std::uint8_t>>& packets) {
  mcl::PacketPtr packet{av_packet_alloc()};
  if (!packet) return false;
  for (;;) {
    const int result = avcodec_receive_packet(&codec, packet.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return false;
    packets.emplace_back(packet->data, packet->data + packet->size);
    av_packet_unref(packet.get());
  }
}

}  // namespace

mcl::CodecPtr OpenEncoder(const EncoderRequest& request) {
  const AVCodec* codec =
      request.name ? avcodec_find_encoder_by_name(request.name) : avcodec_find_encoder(request.codec);
  if (codec == nullptr) return nullptr;
  mcl::CodecPtr context{avcodec_alloc_context3(codec)};
  if (!context) return nullptr;
  context->sample_fmt = request.format;
  context->sample_rate = request.sampleRate;
  context->bit_rate = request.bitRate;
  av_channel_layout_default(&context->ch_layout, request.channels);
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  return context;
}

bool EncodeFrame(AVCodecContext& codec, const std::int16_t* samples, int frameSize,
                 std::vector<std::vector<std::uint8_t>>& packets) {
  mcl::FramePtr frame{av_frame_alloc()};
  if (!frame) return false;
  frame->format = codec.sample_fmt;
  frame->nb_samples = frameSize;
  frame->sample_rate = codec.sample_rate;
  if (av_channel_layout_copy(&frame->ch_layout, &codec.ch_layout) < 0) return false;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
  FillFrame(*frame, samples, codec.ch_layout.nb_channels);
  if (avcodec_send_frame(&codec, frame.get()) < 0) return false;
  return TakePackets(codec, packets);
}

}  // namespace soundenc
