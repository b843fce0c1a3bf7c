#include "media/soundenc/MakeSoundEncoder.h"

#include "media/soundenc/AdpcmEncoder.h"
#include "media/soundenc/Mp3Encoder.h"

std::unique_ptr<SoundEncoder> MakeSoundEncoder(const SoundEncoderFormat& format, std::string& error) {
  std::unique_ptr<SoundEncoder> encoder;
  if (format.compression == SoundCompression::Adpcm) encoder = soundenc::MakeAdpcmEncoder(format);
  if (format.compression == SoundCompression::Mp3) encoder = soundenc::MakeMp3Encoder(format);
  if (!encoder) {
    error = format.compression == SoundCompression::Mp3
                ? "Der MP3-Kodierer kann mit " + std::to_string(format.sampleRate) + " Hz und " +
                      std::to_string(format.mp3BitrateKbit) + " kbit/s nicht arbeiten."
                : "Der Ton-Kodierer kann nicht geöffnet werden.";
  }
  return encoder;
}
