// A signal that ends the program first removes the registered files and
// folders, then ends it as the signal would have.
#include "convert/RemoveOnSignal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class EndingSignal : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tessaline-signal-XXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path folder;
};

TEST_P(EndingSignal, RemovesRegisteredFilesThenTheirFolderAndEndsTheProgram) {
  const fs::path own = folder / "eigen";
  const fs::path kept = folder / "behalten.txt";
  EXPECT_EXIT(
      {
        signal(GetParam(), SIG_DFL);  // as at a program's start, whatever the test runner ignores
        fs::create_directory(own);
        RemoveOnSignal ownFolder(own.string(), RemoveOnSignal::Kind::Folder);
        std::ofstream(own / "tempjpg0.jpg") << "picture";
        RemoveOnSignal picture((own / "tempjpg0.jpg").string(), RemoveOnSignal::Kind::File);
        std::ofstream(kept) << "given back before the signal";
        { RemoveOnSignal released(kept.string(), RemoveOnSignal::Kind::File); }
        raise(GetParam());
        std::exit(0);
      },
      testing::KilledBySignal(GetParam()), "");
  EXPECT_FALSE(fs::exists(own));
  EXPECT_TRUE(fs::exists(kept));
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignal,
                         testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, SIGALRM, SIGXCPU, SIGXFSZ, SIGUSR1,
                                         SIGUSR2),
                         [](const testing::TestParamInfo<int>& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
