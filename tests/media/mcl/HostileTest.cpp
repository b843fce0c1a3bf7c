// Files made to hurt: picture clocks that jump or wrap, a file cut while it
// is read, lists that name other files, a process out of file handles.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestClips.h"
#include "media/mcl/ClockMender.h"
#include "media/mcl/mcl.h"
#include "tests/support/ClipMaker.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr std::int64_t kTicksPerSecond = 90000;
constexpr std::int64_t kMpegClockModulo = std::int64_t{1} << 33;

// Two seconds of the gray clip (level by picture number), 25 a second, no sound.
Args GrayVob() {
  Args args = Lavfi("nullsrc=s=160x120:r=25:d=2,geq=lum='16+mod(N*37,200)':cb=128:cr=128");
  args.insert(args.end(), {"-c:v", "mpeg2video", "-g", "12", "-q:v", "2", "-an", "-f", "dvd"});
  return args;
}

struct Jump {
  const char* name;
  std::int64_t ticks;  // the second half's clock against the first's
};

const Jump kJumps[] = {
    {"half-hour.vob", 1800 * kTicksPerSecond},
    {"two-hours.vob", 7200 * kTicksPerSecond},
    {"twenty-hours.vob", 72000 * kTicksPerSecond},
    {"wrapped.vob", kMpegClockModulo - 3 * kTicksPerSecond / 2},  // runs through 0 a second in
    {"backwards.vob", -40 * kTicksPerSecond},
};

// Times in frames of a 90 kHz clock at 25 a second (3600 ticks each).
TEST(Hostile, ClockMenderKeepsStepsWithinReasonAndCloseGapsPastIt) {
  struct Case {
    const char* name;
    std::vector<std::int64_t> frames;
    std::vector<std::int64_t> mended;
    bool broken;
  };
  const std::int64_t hours = 25 * 3600;
  const std::int64_t end = (std::int64_t{1} << 62) / 3600;
  const Case cases[] = {
      {"reordered and dropped", {2, 0, 1, 5, 3, 4, 200}, {2, 0, 1, 5, 3, 4, 200}, false},
      {"twenty hours ahead", {0, 1, 2, 20 * hours, 20 * hours + 1}, {0, 1, 2, 3, 4}, true},
      {"two seconds back", {0, 1, 99, 100, 50, 51}, {0, 1, 99, 100, 101, 102}, true},
      {"one wild picture", {0, 1, 2, 9 * hours, 3, 4}, {0, 1, 2, 3, 4, 5}, true},
      {"near the end of 64 bits", {0, end, -end, 1}, {0, 1, 2, 3}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mcl::ClockMender clock({1, 90000}, {25, 1});
    std::vector<std::int64_t> mended;
    for (std::int64_t frame : c.frames) mended.push_back(clock.Mend(frame * 3600) / 3600);
    EXPECT_EQ(mended, c.mended);
    EXPECT_EQ(clock.Broken(), c.broken);
  }
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The second half follows the first at once: 50 + 50 pictures, the second
// fifty those of the first again, and the break is said.
TEST(Hostile, ClockJumpsAreDamageAndThePicturesGoOnAfterThem) {
  for (const Jump& jump : kJumps) {
    SCOPED_TRACE(jump.name);
    const fs::path clip = CachedJumpClip(jump.name, GrayVob(), GrayVob(), jump.ticks);
    SourceFileInfo info{};
    EXPECT_NE(MclGetFileInfo(clip.c_str(), 0, &info, 0, 0), 0);
    EXPECT_TRUE(Contains(MclGetErrorStr(), "ist beschädigt: Die Zeitangaben der Bilder springen nach "))
        << MclGetErrorStr();
    EXPECT_EQ(info.frameCount, 100);
    MclReadHandle reader = MclReadOpen(clip.c_str(), 0, 0, 0);
    ASSERT_NE(reader, nullptr) << MclGetErrorStr();
    MclImageHandle image = MclImgCreate();
    mcltest::Dib dib(160, 120);
    std::vector<int> levels;
    while (levels.size() < 200 && MclReadImage(reader, static_cast<int>(levels.size()), image) == 0) {
      ASSERT_EQ(mcltest::FetchRows(image, dib), 120);
      levels.push_back(dib.rows[240]);
    }
    ASSERT_GE(levels.size(), 100u);
    // Where a clock breaks once more (the wrap), a picture may move a slot.
    int same = 0;
    for (std::size_t k = 1; k + 1 < 50; ++k) {
      const auto near = [&](std::size_t j) { return std::abs(levels[k + 50] - levels[j]) <= 3; };
      same += near(k - 1) || near(k) || near(k + 1) ? 1 : 0;
    }
    EXPECT_GE(same, 46);
    MclImgFree(image);
    MclReadClose(reader);
  }
}

TEST(Hostile, FileCutWhileReadIsDamageWhereThePicturesEnd) {
  const std::string path = mcltest::ScratchPath("shrinking.vob");
  fs::copy_file(mcltest::Clip("gray.vob"), path, fs::copy_options::overwrite_existing);
  SourceFileInfo info{};
  ASSERT_EQ(MclGetFileInfo(path.c_str(), 0, &info, 0, 0), 0) << MclGetErrorStr();
  MclReadHandle reader = MclReadOpen(path.c_str(), 0, 0, 0);
  ASSERT_NE(reader, nullptr);
  MclImageHandle image = MclImgCreate();
  ASSERT_EQ(MclReadImage(reader, 0, image), 0);
  fs::resize_file(path, fs::file_size(path) * 3 / 10);
  int frame = 1;
  int result = 0;
  while (frame < info.frameCount && (result = MclReadImage(reader, frame, image)) == 0) ++frame;
  EXPECT_NE(result, 0) << "the pictures end early";
  EXPECT_LT(frame, info.frameCount / 2);
  EXPECT_TRUE(Contains(MclGetErrorStr(),
                       "ist beschädigt: Die Datei ist während des Lesens kürzer geworden; "
                       "die Bilder enden nach "))
      << MclGetErrorStr();
  MclImgFree(image);
  MclReadClose(reader);
}

// Only the demuxers of the containers read: a playlist or a concatenation
// list named like a video pulls no other file in. An elementary stream opens
// where its name says MPEG video.
TEST(Hostile, ListsNamingOtherFilesAreNoVideos) {
  const fs::path folder = mcltest::ScratchPath("lists");
  fs::create_directories(folder);
  Args privateClip = Lavfi("testsrc2=size=64x48:rate=25:duration=1");
  privateClip.insert(privateClip.end(), {"-c:v", "mpeg2video", "-f", "mpegts"});
  fs::copy_file(CachedClip("private.ts", privateClip), folder / "private.ts", fs::copy_options::overwrite_existing);
  std::ofstream(folder / "hls.avi") << "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nprivate.ts\n#EXT-X-ENDLIST\n";
  std::ofstream(folder / "concat.vob") << "ffconcat version 1.0\nfile private.ts\n";
  for (const char* name : {"hls.avi", "concat.vob"}) {
    SCOPED_TRACE(name);
    SourceFileInfo info{};
    EXPECT_NE(MclGetFileInfo((folder / name).c_str(), 0, &info, 0, 0), 0);
    EXPECT_TRUE(Contains(MclGetErrorStr(), "Die Datei ist keine Videodatei.")) << MclGetErrorStr();
    EXPECT_EQ(MclReadOpen((folder / name).c_str(), 0, 0, 0), nullptr);
  }
  Args elementary = Lavfi("testsrc2=size=64x48:rate=25:duration=0.4");
  elementary.insert(elementary.end(), {"-c:v", "mpeg2video", "-f", "mpeg2video"});
  SourceFileInfo info{};
  EXPECT_EQ(MclGetFileInfo(CachedClip("stream.m2v", elementary).c_str(), 0, &info, 0, 0), 0) << MclGetErrorStr();
  EXPECT_EQ(info.frameCount, 10);
}

TEST(Hostile, NoFileHandleLeftIsSaidAsSuch) {
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
  rlimit tight = before;
  tight.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::vector<int> taken;
  for (int fd; (fd = dup(STDERR_FILENO)) >= 0;) taken.push_back(fd);
  SourceFileInfo info{};
  const int result = MclGetFileInfo(mcltest::Clip("gray.vob").c_str(), 0, &info, 0, 0);
  const std::string text = MclGetErrorStr();
  for (int fd : taken) close(fd);
  setrlimit(RLIMIT_NOFILE, &before);
  EXPECT_NE(result, 0);
  EXPECT_TRUE(Contains(text, std::string("Zu viele offene Dateien (") + std::strerror(EMFILE) + ").")) << text;
}

}  // namespace
