// How a movie's stream sound is coded; the settings choose it and the media
// side's encoders implement it.
#pragma once

// The stream sound's coding: the uncompressed samples, or SWF ADPCM or MP3.
enum class SoundCompression { Pcm, Adpcm, Mp3 };
