#include "cli/BatchConversion.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "tests/support/ProcessRunner.h"

namespace {

struct Batch {
  std::ostringstream out;
  std::ostringstream err;
  ConsoleWindow window{out, err, nullptr, [](auto&, auto&, auto&) {}, [](auto&) { return true; }, {.printCode = true}};
  BatchChoices choices;
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
        choices);
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
            "tessaline-cli: Datei /nonexistent-folder-of-tessaline/a.swf kann nicht erstellt werden (Datei oder Ordner nicht "
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
  EXPECT_EQ(batch.err.str(), "tessaline-cli: Datei a.htm kann nicht erstellt werden\n");
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
    EXPECT_EQ(batch.err.str(), "tessaline-cli: " + line + "\n");
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
  EXPECT_NE(batch.err.str().find("kann nicht angelegt werden (Ein Teil des Pfads ist kein Ordner)"), std::string::npos)
      << batch.err.str();
  std::filesystem::remove(blocker);
}

TEST(BatchConversion, NoOverwriteSkipsASourceWhoseMovieOrPageExists) {
  const TargetPlan plan = TwoMovies();
  const std::filesystem::path aMovie = plan.movies[0].target;
  const std::filesystem::path bPage = std::filesystem::path(plan.movies[1].target).replace_extension(".htm");
  struct Case {
    bool overwrite;
    bool createHtmlPage;
    int exitCode;
    std::size_t runs;
  };
  for (const Case c : {Case{false, true, 1, 0}, Case{false, false, 1, 1}, Case{true, true, 0, 2}}) {
    { std::ofstream(aMovie) << "kept"; }
    { std::ofstream(bPage) << "hand-edited"; }
    Batch batch;
    batch.choices = {.overwrite = c.overwrite, .json = false};
    ConversionSettings shared;
    shared.createHtmlPage = c.createHtmlPage;
    EXPECT_EQ(batch.Run(
                  plan, [](auto&) { return true; }, shared),
              c.exitCode);
    EXPECT_EQ(batch.seen.size(), c.runs);
    if (!c.overwrite) {
      EXPECT_NE(batch.err.str().find("tessaline-cli: Datei " + aMovie.string() + " gibt es schon"), std::string::npos)
          << batch.err.str();
      EXPECT_TRUE(batch.out.str().ends_with("übersprungen.\n")) << batch.out.str();
    }
    EXPECT_EQ(ReadWholeFile(aMovie), "kept");  // the runner here writes nothing
  }
  std::filesystem::remove(aMovie);
  std::filesystem::remove(bPage);
}

TEST(BatchConversion, TheAnnouncementComesOnlyWithTheRunsFirstLineThatIsNotAFailure) {
  struct Case {
    LineKind first;
    bool announced;
  };
  for (const Case c : {Case{LineKind::Status, true}, Case{LineKind::Warning, true}, Case{LineKind::Problem, false}}) {
    Batch batch;
    batch.RunWithOutcomes(PlanTargets({TwoMovies().movies[0].source}, std::nullopt), [&](const ConversionSettings&) {
      batch.window.ShowLine(c.first, "erste Zeile");
      return ConversionOutcome::NotWritten;
    });
    EXPECT_EQ(batch.out.str().starts_with("Konvertiere "), c.announced) << batch.out.str();
  }
}

TEST(BatchConversion, JsonGivesEachSourcesResultWithItsFirstReason) {
  Batch batch;
  batch.choices.json = true;
  batch.RunWithOutcomes(TwoMovies(), [&](const ConversionSettings& s) {
    batch.window.ShowProgress(7, 9);
    if (!IsA(s)) return ConversionOutcome::Complete;
    batch.window.ShowWarningLine("Bilder fehlen \"hier\"");
    batch.window.ShowWarningLine("zweite");
    return ConversionOutcome::Incomplete;
  });
  std::istringstream lines(batch.out.str());
  std::vector<std::string> json;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("{")) json.push_back(line);
  }
  ASSERT_EQ(json.size(), 2u) << batch.out.str();
  EXPECT_NE(
      json[0].find("\"frames\":7,\"total\":9,\"state\":\"incomplete\",\"reason\":\"Bilder fehlen \\\"hier\\\"\"}"),
      std::string::npos)
      << json[0];
  EXPECT_TRUE(json[1].ends_with("\"state\":\"complete\",\"reason\":null}")) << json[1];
}

}  // namespace
