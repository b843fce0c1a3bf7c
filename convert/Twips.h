// Lengths in the movie are twips, a twentieth of a pixel.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kTwipsPerPixel = 20;

constexpr std::int32_t Twips(std::int32_t pixels) { return kTwipsPerPixel * pixels; }
