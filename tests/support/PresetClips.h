// Tiny clips of each container the program is meant for, made on first use
// and kept in the build tree for the other test programs.
#pragma once

#include <filesystem>
#include <string>

enum class ClipKind {
  AviMpeg4Pcm,       // AVI: MPEG-4 Part 2, PCM 16-bit mono 22050 Hz
  MpgMpeg1Mp2,       // MPEG program stream: MPEG-1 video, MP2 stereo 44100 Hz
  VobMpeg2Ac3,       // DVD VOB: MPEG-2 video, AC-3 stereo 48000 Hz
  AviSilentNoSound,  // AVI with no sound track at all
  AviPcmStereo44k    // AVI: MPEG-4 Part 2, PCM 16-bit stereo 44100 Hz, two tones a channel
};

inline constexpr int kClipWidth = 128;
inline constexpr int kClipHeight = 96;
inline constexpr int kClipFrameRate = 25;
inline constexpr double kClipSeconds = 1.0;

std::filesystem::path TestClip(ClipKind kind);
std::string ClipName(ClipKind kind);
