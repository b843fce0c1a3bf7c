// A source stored in parts cut anywhere (a DVD title's VOB files) reads as
// the whole file would: the same frame count, pictures and sound, also across
// the cuts and after seeks back over them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "TestClips.h"
#include "media/mcl/mcl.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSector = 2048;

// The file cut after the given sectors, as parts named <prefix>1.VOB, ...
std::vector<std::string> CutIntoParts(const std::string& whole, const std::string& prefix,
                                      const std::vector<std::size_t>& cutSectors) {
  std::vector<std::uintmax_t> cuts;
  std::vector<fs::path> files;
  std::vector<std::string> parts;
  for (std::size_t i = 0; i <= cutSectors.size(); ++i) {
    if (i < cutSectors.size()) cuts.push_back(cutSectors[i] * kSector);
    parts.push_back(mcltest::ScratchPath(prefix + std::to_string(i + 1) + ".VOB"));
    fs::remove_all(parts.back());
    files.emplace_back(parts.back());
  }
  SplitFile(whole, cuts, files);
  return parts;
}

std::vector<const char*> Names(const std::vector<std::string>& parts) {
  std::vector<const char*> names;
  for (const std::string& part : parts) names.push_back(part.c_str());
  return names;
}

struct Reading {
  SourceFileInfo info{};
  std::vector<int> grays;                    // at the frames asked for, in that order
  std::vector<std::vector<unsigned char>> sounds;  // at the sample positions asked for
};

Reading Read(MclReadHandle reader, const std::vector<int>& frames, const std::vector<std::int64_t>& samples) {
  Reading reading;
  MclImageHandle image = MclImgCreate();
  MclSoundHandle sound = MclSndCreate();
  for (int frame : frames) {
    mcltest::Dib dib(160, 120);
    const bool read = MclReadImage(reader, frame, image) == 0 && mcltest::FetchRows(image, dib) == 120;
    reading.grays.push_back(read ? dib.Pixel(80, 60)[0] : -1);
  }
  for (std::int64_t first : samples) {
    std::int32_t unused, channels, bits, byteCount = 0;
    const unsigned char* data = nullptr;
    MclReadSound(reader, first, 480, sound);
    MclSndGetInfo(sound, &unused, &channels, &bits, &byteCount, &data);
    reading.sounds.emplace_back(data, data + byteCount);
  }
  MclSndFree(sound);
  MclImgFree(image);
  return reading;
}

TEST(JoinedParts, ReadAsTheWholeFileAcrossTheCutsAndAfterSeeksBack) {
  const std::string whole = mcltest::Clip("gray.vob");
  const std::size_t sectors = fs::file_size(whole) / kSector;
  // Cuts at sectors that fall inside packets and groups of pictures.
  const std::vector<std::string> parts = CutIntoParts(whole, "joined_VTS_01_", {sectors / 3 + 1, 2 * sectors / 3 - 1});
  const std::vector<int> frames = {0, 1, 60, 61, 62, 120, 170, 179, 5, 100, 30, 178};
  const std::vector<std::int64_t> samples = {0, 96000, 240000, 48000, 280000};

  Reading expected;
  ASSERT_EQ(MclGetFileInfo(whole.c_str(), 0, &expected.info, 0, 0), 0) << MclGetErrorStr();
  MclReadHandle wholeReader = MclReadOpen(whole.c_str(), 0, 0, 0);
  ASSERT_NE(wholeReader, nullptr);
  const Reading fromWhole = Read(wholeReader, frames, samples);
  MclReadClose(wholeReader);

  const std::vector<const char*> names = Names(parts);
  Reading joined;
  ASSERT_EQ(MclGetFileInfoParts(names.data(), 3, 0, &joined.info), 0) << MclGetErrorStr();
  EXPECT_EQ(joined.info.frameCount, expected.info.frameCount);
  EXPECT_EQ(joined.info.frameRate, expected.info.frameRate);
  EXPECT_EQ(joined.info.audioSampleRate, expected.info.audioSampleRate);
  MclReadHandle joinedReader = MclReadOpenParts(names.data(), 3, 0);
  ASSERT_NE(joinedReader, nullptr) << MclGetErrorStr();
  const Reading fromParts = Read(joinedReader, frames, samples);
  MclReadClose(joinedReader);

  EXPECT_EQ(fromParts.grays, fromWhole.grays);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_NEAR(fromParts.grays[i], mcltest::GrayLevelOfFrame(frames[i]), 5) << "frame " << frames[i];
  }
  ASSERT_EQ(fromParts.sounds.size(), samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(fromParts.sounds[i].size(), 480u * 4) << "at sample " << samples[i];
    EXPECT_TRUE(fromParts.sounds[i] == fromWhole.sounds[i]) << "at sample " << samples[i];
  }
}

TEST(JoinedParts, TheTextNamesThePartThatCannotBeRead) {
  const std::string whole = mcltest::Clip("gray.vob");
  struct Case {
    const char* name;
    std::function<void(const std::string&)> spoil;
    const char* cause;
  };
  const Case cases[] = {
      {"missing", [](const std::string& part) { fs::remove(part); }, "Datei nicht gefunden."},
      {"empty", [](const std::string& part) { std::ofstream(part, std::ios::trunc); }, "Die Datei ist leer."},
      {"folder",
       [](const std::string& part) {
         fs::remove(part);
         fs::create_directory(part);
       },
       "Das ist ein Ordner, keine Datei."},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> parts = CutIntoParts(whole, std::string("broken_") + c.name + "_VTS_01_", {40, 80});
    c.spoil(parts[1]);
    const std::vector<const char*> names = Names(parts);
    SourceFileInfo info{};
    EXPECT_NE(MclGetFileInfoParts(names.data(), 3, 0, &info), 0) << c.name;
    const std::string text = MclGetErrorStr();
    EXPECT_NE(text.find(fs::path(parts[1]).filename().string()), std::string::npos) << text;
    EXPECT_NE(text.find(c.cause), std::string::npos) << text;
    EXPECT_EQ(MclReadOpenParts(names.data(), 3, 0), nullptr) << c.name;
  }
}

}  // namespace
