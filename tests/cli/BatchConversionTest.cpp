#include "cli/BatchConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

struct Batch {
  std::ostringstream out;
  std::ostringstream err;
  ConsoleWindow window{out, nullptr, [](auto&, auto&) {}, [](auto&) {}, false};
  std::vector<ConversionSettings> seen;

  int Run(const TargetPlan& plan, const std::function<bool(const ConversionSettings&)>& written,
          const ConversionSettings& shared = {}) {
    return RunWithOutcomes(
        plan,
        [&](const ConversionSettings& settings) {
          return written(settings) ? ConversionOutcome::Complete : ConversionOutcome::NotWritten;
        },
        shared);
  }

  int RunWithOutcomes(const TargetPlan& plan,
                      const std::function<ConversionOutcome(const ConversionSettings&)>& outcome,
                      const ConversionSettings& shared = {}) {
    return ConvertAll(
        plan, shared, window,
        [&](ConversionSettings& settings, ConversionWindow&) {
          seen.push_back(settings);
          return outcome(settings);
        },
        out, err);
  }
};

TargetPlan TwoMovies() { return PlanTargets({"a.avi", "b.avi"}, std::nullopt); }

TEST(BatchConversion, AllWrittenExitsWithZero) {
  Batch batch;
  EXPECT_EQ(batch.Run(TwoMovies(), [](auto&) { return true; }), 0);
  EXPECT_EQ(batch.err.str(), "");
}

TEST(BatchConversion, OneUnwrittenMovieExitsWithOneButTheRestStillRun) {
  Batch batch;
  int code = batch.Run(TwoMovies(), [](const ConversionSettings& s) { return s.sourcePath != "a.avi"; });
  EXPECT_EQ(code, 1);
  ASSERT_EQ(batch.seen.size(), 2u);
  EXPECT_EQ(batch.seen[1].sourcePath, "b.avi");
}

TEST(BatchConversion, IncompleteMovieExitsWithThreeUnlessAnotherFailed) {
  const auto aIncomplete = [](const ConversionSettings& s) {
    return s.sourcePath == "a.avi" ? ConversionOutcome::Incomplete : ConversionOutcome::Complete;
  };
  const auto aIncompleteBFailed = [](const ConversionSettings& s) {
    return s.sourcePath == "a.avi" ? ConversionOutcome::Incomplete : ConversionOutcome::NotWritten;
  };
  Batch incomplete;
  EXPECT_EQ(incomplete.RunWithOutcomes(TwoMovies(), aIncomplete), 3);
  EXPECT_NE(incomplete.out.str().find("Film geschrieben: a.swf"), std::string::npos) << incomplete.out.str();
  Batch failed;
  EXPECT_EQ(failed.RunWithOutcomes(TwoMovies(), aIncompleteBFailed), 1);
}

TEST(BatchConversion, EachRunGetsItsPathsAndTheSharedSettings) {
  Batch batch;
  ConversionSettings shared;
  shared.framesPerSecond = 12;
  shared.stereo = true;
  std::filesystem::path out = std::filesystem::temp_directory_path() / "tessaline-batch-paths";
  batch.Run(
      PlanTargets({"x/a.avi", "y/b.vob"}, out.string()), [](auto&) { return true; }, shared);
  ASSERT_EQ(batch.seen.size(), 2u);
  EXPECT_EQ(batch.seen[0].sourcePath, "x/a.avi");
  EXPECT_EQ(batch.seen[0].targetPath, (out / "a.swf").string());
  EXPECT_EQ(batch.seen[1].targetPath, (out / "b.swf").string());
  EXPECT_EQ(batch.seen[1].framesPerSecond, 12);
  EXPECT_TRUE(batch.seen[1].stereo);
  std::filesystem::remove_all(out);
}

TEST(BatchConversion, AnEscapingErrorIsPrintedAndCountsAsFailure) {
  Batch batch;
  int code = batch.Run(TwoMovies(), [](const ConversionSettings& s) -> bool {
    if (s.sourcePath == "a.avi") throw std::runtime_error("Datei a.htm kann nicht erstellt werden");
    return true;
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(batch.err.str(), "Datei a.htm kann nicht erstellt werden\n");
  EXPECT_EQ(batch.seen.size(), 2u);
}

TEST(BatchConversion, CodeLinesOfAFailedPageWriteAreStillPrinted) {
  Batch batch;
  batch.Run(PlanTargets({"a.avi"}, std::nullopt), [&](const ConversionSettings&) -> bool {
    batch.window.AppendCodeLine("</object>");
    throw std::runtime_error("Datei a.htm kann nicht erstellt werden");
  });
  EXPECT_NE(batch.out.str().find("</object>\n"), std::string::npos);
}

TEST(BatchConversion, CreatesTheTargetFolderForSeveralSources) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tessaline-batch-test" / "deep";
  std::filesystem::remove_all(folder.parent_path());
  Batch batch;
  EXPECT_EQ(batch.Run(PlanTargets({"a.avi", "b.avi"}, folder.string()), [](auto&) { return true; }), 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  std::filesystem::remove_all(folder.parent_path());
}

TEST(BatchConversion, AFolderThatCannotBeMadeFailsWithoutRunning) {
  std::filesystem::path blocker = std::filesystem::temp_directory_path() / "tessaline-batch-blocker";
  { std::ofstream(blocker) << "a file, not a folder"; }
  Batch batch;
  int code = batch.Run(PlanTargets({"a.avi", "b.avi"}, (blocker / "sub").string()), [](auto&) { return true; });
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(batch.seen.empty());
  EXPECT_NE(batch.err.str().find("kann nicht angelegt werden"), std::string::npos);
  std::filesystem::remove(blocker);
}

}  // namespace
