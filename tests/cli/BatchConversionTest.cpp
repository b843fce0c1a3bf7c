#include "cli/BatchConversion.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace {

struct Batch {
  std::ostringstream out;
  std::ostringstream err;
  ConsoleWindow window{out, err, nullptr, [](auto&, auto&, auto&) {}, [](auto&) {}, {.printCode = true}};
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
        err);
  }
};

// Sources and movies in a fresh folder, so the targets can be created.
TargetPlan TwoMovies() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path made = std::filesystem::temp_directory_path() / "tessaline-batch-two";
    std::filesystem::create_directories(made);
    return made;
  }();
  return PlanTargets({(folder / "a.avi").string(), (folder / "b.avi").string()}, std::nullopt);
}

bool IsA(const ConversionSettings& s) { return s.sourcePath.ends_with("a.avi"); }

TEST(BatchConversion, AllWrittenExitsWithZero) {
  Batch batch;
  EXPECT_EQ(batch.Run(TwoMovies(), [](auto&) { return true; }), 0);
  EXPECT_EQ(batch.err.str(), "");
}

TEST(BatchConversion, OneUnwrittenMovieExitsWithOneButTheRestStillRun) {
  Batch batch;
  int code = batch.Run(TwoMovies(), [](const ConversionSettings& s) { return !IsA(s); });
  EXPECT_EQ(code, 1);
  ASSERT_EQ(batch.seen.size(), 2u);
  EXPECT_TRUE(batch.seen[1].sourcePath.ends_with("b.avi"));
}

TEST(BatchConversion, ATargetThatCannotBeCreatedFailsBeforeAnyWork) {
  Batch batch;
  const TargetPlan plan = PlanTargets({"a.avi"}, "/nonexistent-folder-of-tessaline/a.swf");
  EXPECT_EQ(batch.Run(plan, [](auto&) { return true; }), 1);
  EXPECT_TRUE(batch.seen.empty());
  EXPECT_EQ(batch.err.str(),
            "Datei /nonexistent-folder-of-tessaline/a.swf kann nicht erstellt werden (Datei oder Ordner nicht "
            "gefunden)\n");
  EXPECT_EQ(batch.out.str(), "");
}

TEST(BatchConversion, SeveralMoviesEndWithOneSummaryLine) {
  struct Case {
    std::vector<ConversionOutcome> outcomes;  // for a.avi, b.avi
    const char* summary;
  };
  using enum ConversionOutcome;
  const Case cases[] = {
      {{Complete, Complete}, "2 Filme geschrieben.\n"},
      {{Complete, NotWritten}, "1 Film geschrieben, 1 fehlgeschlagen.\n"},
      {{NotWritten, NotWritten}, "0 Filme geschrieben, 2 fehlgeschlagen.\n"},
      {{Incomplete, Complete}, "2 Filme geschrieben (1 unvollständig).\n"},
      {{Incomplete, NotWritten}, "1 Film geschrieben (1 unvollständig), 1 fehlgeschlagen.\n"},
  };
  for (const Case& c : cases) {
    Batch batch;
    batch.RunWithOutcomes(TwoMovies(), [&](const ConversionSettings& s) { return c.outcomes[IsA(s) ? 0 : 1]; });
    EXPECT_TRUE(batch.out.str().ends_with(c.summary)) << batch.out.str();
  }
  Batch single;
  single.Run(PlanTargets({TwoMovies().movies[0].source}, std::nullopt), [](auto&) { return true; });
  EXPECT_EQ(single.out.str().find("geschrieben."), std::string::npos) << single.out.str();
}

TEST(BatchConversion, IncompleteMovieExitsWithThreeUnlessAnotherFailed) {
  const auto aIncomplete = [](const ConversionSettings& s) {
    return IsA(s) ? ConversionOutcome::Incomplete : ConversionOutcome::Complete;
  };
  const auto aIncompleteBFailed = [](const ConversionSettings& s) {
    return IsA(s) ? ConversionOutcome::Incomplete : ConversionOutcome::NotWritten;
  };
  Batch incomplete;
  EXPECT_EQ(incomplete.RunWithOutcomes(TwoMovies(), aIncomplete), 3);
  EXPECT_NE(incomplete.out.str().find("a.swf\n"), std::string::npos) << incomplete.out.str();
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
    if (IsA(s)) throw std::runtime_error("Datei a.htm kann nicht erstellt werden");
    return true;
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(batch.err.str(), "Datei a.htm kann nicht erstellt werden\n");
  EXPECT_EQ(batch.seen.size(), 2u);
}

// The system's failures (no thread under `ulimit -v`, no memory) as German
// lines with the reason; the run's own German lines as they are.
TEST(BatchConversion, AnEscapingSystemErrorIsToldInGerman) {
  const std::string source = TwoMovies().movies[0].source;
  const std::string failed = "Die Konvertierung von " + source + " ist fehlgeschlagen";
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[] { throw std::system_error(EAGAIN, std::generic_category()); },
       failed + " (Betriebsmittel vorübergehend nicht verfügbar, etwa Arbeitsspeicher oder Prozesse)"},
      {[] { throw std::bad_alloc(); }, failed + " (Zu wenig Arbeitsspeicher)"},
      {[] { throw std::system_error(EMFILE, std::system_category(), "open"); }, failed + " (Zu viele offene Dateien)"},
      {[] { throw std::system_error(ENOTRECOVERABLE, std::generic_category()); }, failed + " (State not recoverable)"},
      {[] { throw std::runtime_error("Datei a.htm kann nicht erstellt werden (Zugriff verweigert)"); },
       "Datei a.htm kann nicht erstellt werden (Zugriff verweigert)"}};
  for (const auto& [thrower, line] : cases) {
    Batch batch;
    EXPECT_EQ(batch.Run(PlanTargets({source}, std::nullopt),
                        [&](auto&) -> bool {
                          thrower();
                          return true;
                        }),
              1);
    EXPECT_EQ(batch.err.str(), line + "\n");
  }
}

TEST(BatchConversion, CodeLinesOfAFailedPageWriteAreStillPrinted) {
  Batch batch;
  batch.Run(PlanTargets({TwoMovies().movies[0].source}, std::nullopt), [&](const ConversionSettings&) -> bool {
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
