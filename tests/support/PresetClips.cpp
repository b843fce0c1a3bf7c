#include "tests/support/PresetClips.h"

#include <vector>

#include "tests/support/ClipMaker.h"

namespace {

std::string VideoSource() {
  return "testsrc2=size=" + std::to_string(kClipWidth) + "x" + std::to_string(kClipHeight) +
         ":rate=" + std::to_string(kClipFrameRate) + ":duration=1";
}

std::string ToneSource(int rate) { return "sine=frequency=440:sample_rate=" + std::to_string(rate) + ":duration=1"; }

std::string RichStereoSource() {
  return "aevalsrc=0.4*sin(2*PI*440*t)+0.2*sin(2*PI*1870*t)|0.4*sin(2*PI*660*t)+0.2*sin(2*PI*2500*t)"
         ":s=44100:d=1";
}

std::vector<std::string> EncoderArguments(ClipKind kind) {
  switch (kind) {
    case ClipKind::AviMpeg4Pcm:
      return {"-f", "lavfi", "-i", ToneSource(22050), "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-ac", "1", "-f", "avi"};
    case ClipKind::MpgMpeg1Mp2:
      return {"-f", "lavfi", "-i", ToneSource(44100), "-c:v", "mpeg1video", "-c:a", "mp2", "-ac", "2", "-f", "mpeg"};
    case ClipKind::VobMpeg2Ac3:
      return {"-f", "lavfi", "-i", ToneSource(48000), "-c:v", "mpeg2video", "-c:a", "ac3", "-ac", "2", "-f", "dvd"};
    case ClipKind::AviSilentNoSound:
      return {"-c:v", "mpeg4", "-f", "avi"};
    case ClipKind::AviPcmStereo44k:
      return {"-f", "lavfi", "-i", RichStereoSource(), "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-ac", "2", "-f", "avi"};
  }
  return {};
}

}  // namespace

std::string ClipName(ClipKind kind) {
  switch (kind) {
    case ClipKind::AviMpeg4Pcm:
      return "mpeg4.avi";
    case ClipKind::MpgMpeg1Mp2:
      return "mpeg1.mpg";
    case ClipKind::VobMpeg2Ac3:
      return "mpeg2.vob";
    case ClipKind::AviSilentNoSound:
      return "stumm.avi";
    case ClipKind::AviPcmStereo44k:
      return "stereo44k.avi";
  }
  return {};
}

std::filesystem::path TestClip(ClipKind kind) {
  std::vector<std::string> args = Lavfi(VideoSource());
  for (std::string& argument : EncoderArguments(kind)) args.push_back(std::move(argument));
  return CachedClip(ClipName(kind), args);
}
