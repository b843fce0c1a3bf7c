// Runs conversions over the scripted source and the stand-in imaging module
// in a folder of the test's own, and checks afterwards that nothing leaked.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/ConversionSettings.h"
#include "convert/RunConversion.h"
#include "tests/convert/FakeDecoder.h"
#include "tests/convert/MovieReplay.h"
#include "tests/convert/RecordingWindow.h"
#include "tests/convert/StandInImaging.h"

class ConversionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    ResetImaging();
    char pattern[] = "/tmp/tessaline-convert-XXXXXX";
    folder = mkdtemp(pattern);
    tempFolder = folder / "temp";
    std::filesystem::create_directory(tempFolder);
    if (const char* old = std::getenv("TMPDIR")) oldTmpdir = old;
    setenv("TMPDIR", tempFolder.c_str(), 1);
    settings.sourcePath = "clip.avi";
    settings.targetPath = (folder / "film.swf").string();
    settings.convertAudio = false;
    settings.openResult = false;
    settings.createHtmlPage = false;
    // Saves are numbered in the order they begin: failures chosen by number
    // need one JPEG at a time.
    settings.jpegThreads = 1;
  }

  void TearDown() override {
    EXPECT_EQ(Imaging().livePictures, 0) << "pictures not given back";
    const FakeSource& fake = Fake();
    EXPECT_EQ(fake.opened, fake.closed);
    EXPECT_EQ(fake.imagesMade, fake.imagesFreed);
    EXPECT_EQ(fake.soundsMade, fake.soundsFreed);
    EXPECT_EQ(fake.bitmapsMade, fake.bitmapsReleased);
    EXPECT_TRUE(std::filesystem::is_empty(tempFolder)) << "temporary file left behind";
    if (oldTmpdir.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", oldTmpdir.c_str(), 1);
    std::filesystem::remove_all(folder);
  }

  // A w by h source at rate frames per second with the given pictures.
  void UseSource(int w, int h, double rate, std::vector<Picture> frames) {
    FakeSource& fake = Fake();
    fake.width = w;
    fake.height = h;
    fake.frameRate = rate;
    fake.frameCount = static_cast<std::int32_t>(frames.size());
    fake.frames = std::move(frames);
  }

  bool Run() { return Outcome() != ConversionOutcome::NotWritten; }
  ConversionOutcome Outcome() { return RunConversion(settings, window, StandInApi(), FakeDecoder()); }
  SwfMovie Movie() { return LoadCheckedMovie(settings.targetPath); }

  std::filesystem::path folder;
  std::filesystem::path tempFolder;
  std::string oldTmpdir;
  ConversionSettings settings;
  RecordingWindow window;
};
