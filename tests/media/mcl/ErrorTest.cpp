// Files that cannot be read: non-zero results, a German text naming the file
// and the cause, and no crash whatever the bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "TestClips.h"
#include "media/mcl/mcl.h"

namespace {

namespace fs = std::filesystem;

std::vector<char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct BadFile {
  const char* name;
  std::function<void(const std::string&)> make;
  const char* cause;
};

const BadFile kBadFiles[] = {
    {"missing.avi", [](const std::string& path) { fs::remove(path); }, "Datei nicht gefunden."},
    {"empty.avi", [](const std::string& path) { Write(path, {}); }, "Die Datei ist leer."},
    {"text.avi", [](const std::string& path) { std::ofstream(path) << "Dies ist kein Film, nur ein Brief.\n"; },
     "Die Datei ist keine Videodatei."},
    // Only regular files: reading a FIFO would wait for a writer, a device never ends.
    {"folder.avi",
     [](const std::string& path) {
       fs::remove_all(path);
       fs::create_directory(path);
     },
     "Das ist ein Ordner, keine Datei."},
    {"fifo.avi",
     [](const std::string& path) {
       fs::remove_all(path);
       ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
     },
     "Das ist keine gewöhnliche Datei, sondern ein Gerät, eine Pipe oder ein Socket."},
    {"zero.avi",
     [](const std::string& path) {
       fs::remove_all(path);
       fs::create_symlink("/dev/zero", path);
     },
     "Das ist keine gewöhnliche Datei, sondern ein Gerät, eine Pipe oder ein Socket."},
    // WAV is no container of video files: refused before its streams are looked at.
    {"sound.wav",
     [](const std::string& path) {
       fs::copy_file(mcltest::Clip("sound.wav"), path, fs::copy_options::overwrite_existing);
     },
     "Die Datei ist keine Videodatei."},
};

std::string PathOf(const BadFile& bad) {
  const std::string path = mcltest::ScratchPath(bad.name);
  bad.make(path);
  return path;
}

void ExpectGermanText(const char* name, const char* cause) {
  const std::string text = MclGetErrorStr();
  EXPECT_EQ(text, std::string("Die Videodatei „") + name + "“ kann nicht gelesen werden: " + cause);
}

TEST(Errors, UnreadableFilesFailToOpenWithGermanText) {
  for (const BadFile& bad : kBadFiles) {
    SCOPED_TRACE(bad.name);
    const std::string path = PathOf(bad);
    SourceFileInfo info{};
    EXPECT_NE(MclGetFileInfo(path.c_str(), 0, &info, 0, 0), 0);
    EXPECT_NE(MclGetError(), 0);
    ExpectGermanText(bad.name, bad.cause);
    EXPECT_EQ(MclReadOpen(path.c_str(), 0, 0, 0), nullptr);
    EXPECT_NE(MclGetError(), 0);
    ExpectGermanText(bad.name, bad.cause);
  }
}

// Names FFmpeg would take for a protocol or a network address are files
// relative to the working folder; nothing but local files is ever opened.
TEST(Errors, NamesWithAColonAreLocalFiles) {
  const fs::path folder = mcltest::ScratchPath("colons");
  fs::create_directories(folder / "http:/127.0.0.1:9");
  for (const char* name : {"Teil:1.avi", "http:/127.0.0.1:9/x.avi"}) {
    fs::copy_file(mcltest::Clip("halves.avi"), folder / name, fs::copy_options::overwrite_existing);
  }
  const fs::path before = fs::current_path();
  fs::current_path(folder);
  struct Case {
    const char* name;
    bool exists;
  };
  for (const Case& c : {Case{"Teil:1.avi", true}, Case{"http://127.0.0.1:9/x.avi", true},
                        Case{"http://127.0.0.1:9/y.avi", false}, Case{"concat:Teil:1.avi|Teil:1.avi", false}}) {
    SCOPED_TRACE(c.name);
    SourceFileInfo info{};
    if (c.exists) {
      EXPECT_EQ(MclGetFileInfo(c.name, 0, &info, 0, 0), 0) << MclGetErrorStr();
      EXPECT_EQ(info.width, 160);
    } else {
      EXPECT_NE(MclGetFileInfo(c.name, 0, &info, 0, 0), 0);
      EXPECT_TRUE(std::string(MclGetErrorStr()).ends_with("Datei nicht gefunden.")) << MclGetErrorStr();
    }
  }
  fs::current_path(before);
}

TEST(Errors, StartingAgainClearsTheLastError) {
  SourceFileInfo info{};
  EXPECT_NE(MclGetFileInfo(mcltest::ScratchPath("nowhere.mpg").c_str(), 0, &info, 0, 0), 0);
  EXPECT_EQ(MclGetFileInfo(mcltest::Clip("halves.avi").c_str(), 0, &info, 0, 0), 0);
  EXPECT_EQ(MclGetError(), 0);
  EXPECT_STREQ(MclGetErrorStr(), "");
}

// The first 40 % of gray.avi: the index at the end and most frames are gone.
std::string CutClip() {
  const std::string path = mcltest::ScratchPath("cut.avi");
  std::vector<char> bytes = Bytes(mcltest::Clip("gray.avi"));
  bytes.resize(bytes.size() * 2 / 5);
  Write(path, bytes);
  return path;
}

TEST(Errors, TruncatedFileIsReportedButWhatRemainsCanBeRead) {
  const std::string path = CutClip();
  SourceFileInfo info{};
  EXPECT_NE(MclGetFileInfo(path.c_str(), 0, &info, 0, 0), 0);
  ExpectGermanText("cut.avi", "Die Datei ist unvollständig oder beschädigt.");
  EXPECT_GT(info.frameCount, 0);
  EXPECT_LT(info.frameCount, 300);
  MclReadHandle reader = MclReadOpen(path.c_str(), 0, 0, 0);
  ASSERT_NE(reader, nullptr);
  // Opening keeps the note, so the user learns why the movie is short.
  ExpectGermanText("cut.avi", "Die Datei ist unvollständig oder beschädigt.");
  MclImageHandle image = MclImgCreate();
  EXPECT_EQ(MclReadImage(reader, 0, image), 0);
  EXPECT_EQ(MclReadImage(reader, info.frameCount / 2, image), 0);
  mcltest::Dib dib(160, 120);
  EXPECT_EQ(mcltest::FetchRows(image, dib), 120);
  EXPECT_NEAR(dib.rows[240], mcltest::GrayLevelOfFrame(info.frameCount / 2), 5);
  MclImgFree(image);
  MclReadClose(reader);
}

// Damaged files must never crash: every frame and all the sound are read
// from copies with runs of bytes overwritten all through the file.
TEST(Errors, DamagedBytesNeverCrash) {
  for (const char* clip : {"gray.mpg", "gray.avi", "gray.vob"}) {
    std::vector<char> bytes = Bytes(mcltest::Clip(clip));
    unsigned state = 12345;
    for (std::size_t at = 4096; at + 64 < bytes.size(); at += 5000) {
      for (int k = 0; k < 64; ++k) {
        state = state * 1103515245u + 12345u;
        bytes[at + k] = static_cast<char>(state >> 16);
      }
    }
    const std::string path = mcltest::ScratchPath(std::string("damaged-") + clip);
    Write(path, bytes);
    SourceFileInfo info{};
    MclGetFileInfo(path.c_str(), 0, &info, 0, 0);
    MclReadHandle reader = MclReadOpen(path.c_str(), 0, 0, 0);
    ASSERT_NE(reader, nullptr) << clip << ": " << MclGetErrorStr();
    MclImageHandle image = MclImgCreate();
    MclSoundHandle sound = MclSndCreate();
    mcltest::Dib dib(info.width, info.height);
    int frames = 0;
    while (MclReadImage(reader, frames, image) == 0 && frames < 1000) {
      mcltest::FetchRows(image, dib);
      ++frames;
    }
    EXPECT_GT(frames, 0) << clip;
    MclReadImage(reader, frames / 3, image);  // a seek into damaged data
    for (std::int64_t first = 0; MclReadSound(reader, first, 4410, sound) == 0 && first < 1000000; first += 4410) {
      std::int32_t byteCount = 0;
      MclSndGetInfo(sound, nullptr, nullptr, nullptr, &byteCount, nullptr);
      if (byteCount == 0) break;
    }
    MclSndFree(sound);
    MclImgFree(image);
    MclReadClose(reader);
  }
}

TEST(Errors, NullHandlesAreRefused) {
  EXPECT_NE(MclGetFileInfo(nullptr, 0, nullptr, 0, 0), 0);
  SourceFileInfo info{};
  EXPECT_NE(MclGetFileInfo(nullptr, 0, &info, 0, 0), 0);
  EXPECT_EQ(MclReadOpen(nullptr, 0, 0, 0), nullptr);
  MclImageHandle image = MclImgCreate();
  MclSoundHandle sound = MclSndCreate();
  EXPECT_NE(MclReadImage(nullptr, 0, image), 0);
  EXPECT_NE(MclReadSound(nullptr, 0, 100, sound), 0);
  MclReadHandle reader = MclReadOpen(mcltest::Clip("halves.avi").c_str(), 0, 0, 0);
  EXPECT_NE(MclReadImage(reader, 0, nullptr), 0);
  EXPECT_NE(MclReadSound(reader, 0, 100, nullptr), 0);
  EXPECT_EQ(MclImgToDIB(nullptr), nullptr);
  DibInfoHeader header{};
  EXPECT_EQ(MclGetDIBits(nullptr, 0, 1, nullptr, &header), 0);
  EXPECT_NE(MclSndGetInfo(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  MclReleaseDIB(nullptr);
  MclSndFree(nullptr);
  MclImgFree(nullptr);
  MclReadClose(nullptr);
  MclSndFree(sound);
  MclImgFree(image);
  MclReadClose(reader);
}

}  // namespace
