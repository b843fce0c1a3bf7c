#include "CliFixture.h"

#include <stdlib.h>

CliFixture::CliFixture() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tessaline-cli-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
  dir_ = pattern;
}

CliFixture::~CliFixture() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

ProgramResult CliFixture::RunCli(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                                 bool errOnTerminal) const {
  std::vector<std::string> argv = {TESSALINE_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram({argv, dir_, environment, errOnTerminal});
}

ProgramResult CliFixture::RunTool(const std::vector<std::string>& argv) const { return RunProgram({argv, dir_}); }

SwfMovie CliFixture::ReadCheckedMovie(const std::filesystem::path& file) {
  std::string error;
  std::optional<SwfMovie> movie = ReadSwfFile(file, &error);
  if (!movie) {
    ADD_FAILURE() << file << " unreadable: " << error;
    return {};
  }
  EXPECT_EQ(CheckMovie(*movie, std::filesystem::file_size(file)), "") << file;
  return *movie;
}

std::vector<std::uint8_t> CliFixture::SoundBytes(const SwfMovie& movie) {
  std::vector<std::uint8_t> bytes;
  for (const SwfTag* block : TagsWithCode(movie, swf_codes::kSoundStreamBlock)) {
    bytes.insert(bytes.end(), block->body.begin(), block->body.end());
  }
  return bytes;
}
