// Runs the real tessaline-cli in a fresh temporary folder and reads back the
// movies it writes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/PresetClips.h"
#include "tests/support/ProcessRunner.h"
#include "tests/swf/SwfTagReader.h"

namespace swf_codes {
inline constexpr std::uint16_t kShowFrame = 1;
inline constexpr std::uint16_t kSetBackgroundColor = 9;
inline constexpr std::uint16_t kSoundStreamBlock = 19;
inline constexpr std::uint16_t kDefineBitsJpeg2 = 21;
inline constexpr std::uint16_t kSoundStreamHead2 = 45;
}  // namespace swf_codes

class CliFixture : public testing::Test {
 protected:
  CliFixture();
  ~CliFixture() override;

  const std::filesystem::path& Dir() const { return dir_; }
  ProgramResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& environment = {},
                       bool errOnTerminal = false) const;
  ProgramResult RunTool(const std::vector<std::string>& argv) const;

  // Reads a movie and fails the test unless its structure is sound.
  static SwfMovie ReadCheckedMovie(const std::filesystem::path& file);
  // The bodies of all sound blocks, in file order, joined.
  static std::vector<std::uint8_t> SoundBytes(const SwfMovie& movie);

 private:
  std::filesystem::path dir_;
};
