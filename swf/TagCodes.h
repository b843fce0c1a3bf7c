#pragma once

#include <cstdint>

// Tag codes of the SWF records this writer produces.
namespace TagCode {
inline constexpr std::uint16_t End = 0;
inline constexpr std::uint16_t ShowFrame = 1;
inline constexpr std::uint16_t DefineShape = 2;
inline constexpr std::uint16_t SetBackgroundColor = 9;
inline constexpr std::uint16_t SoundStreamBlock = 19;
inline constexpr std::uint16_t DefineBitsJPEG2 = 21;
inline constexpr std::uint16_t PlaceObject2 = 26;
inline constexpr std::uint16_t RemoveObject2 = 28;
inline constexpr std::uint16_t SoundStreamHead2 = 45;
}  // namespace TagCode
