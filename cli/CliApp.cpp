#include "cli/CliApp.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/BatchConversion.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleWindow.h"
#include "cli/ShellOpen.h"
#include "cli/TargetPlan.h"
#include "convert/DvdTitle.h"
#include "convert/HandOffMovie.h"
#include "convert/RufflePage.h"
#include "convert/RunConversion.h"
#include "media/decoder/LibraryVersions.h"
#include "media/decoder/RealDecoder.h"
#include "media/pictavo/PictavoModule.h"

namespace {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
}

int RefuseCommandLine(const std::string& error, std::ostream& err) {
  err << kProblemPrefix << error << "\n"
      << "Aufruf: tessaline-cli [Optionen] QUELLE… [-o ZIEL]; mehr mit --help" << std::endl;
  return kExitBadCommandLine;
}

ConsoleWindow::PageWriter PageWriterFor(const CliOptions& options) {
  if (options.page == PageKind::Flash) {
    return [](const std::string& path, const std::string&, const std::vector<std::string>& code) {
      WriteLinesWithCrLf(path, code);
    };
  }
  const std::string script = options.ruffleScript.value_or(kDefaultRuffleScript);
  return [script](const std::string& path, const std::string& movieName, const std::vector<std::string>& code) {
    WriteLinesWithCrLf(path, RufflePage(movieName, script, code));
  };
}

void PrintVersion(std::ostream& out) {
  out << kCliVersionText << "\n";
  for (const std::string& line : MediaLibraryVersions()) out << line << "\n";
  out.flush();
}

int ConvertWithModule(const CliOptions& options, const TargetPlan& plan, std::ostream& out, std::ostream& err,
                      Terminals terminals, ProgressLog* progressLog) {
  PictavoLoadProblem problem;
  std::unique_ptr<PictavoModule> module = PictavoModule::Load(ProgramFolder(), problem);
  if (!module) {
    // The window's described line, then where and why for the console.
    err << kProblemPrefix << kPictavoLoadFailure << "\n"
        << kProblemPrefix << "Das Bildmodul " << problem.file.string() << " kann nicht geladen werden ("
        << problem.reason << ")" << std::endl;
    return kExitSomeFailed;
  }
  const PictavoApi& imaging = module->Api();
  imaging.SetJPEGQual(JpegQualityFor(options.settings.compression));

  std::optional<ProgressBar> progress;
  if (terminals.err && !options.quiet) {
    progress.emplace(err, std::chrono::steady_clock::now, [] { return TerminalWidth(STDERR_FILENO); });
  }
  const ConsoleChoices choices{options.settings.openResult, options.printCode, options.OutputForScripts(),
                               terminals.out};
  ConsoleWindow window(out, err, progress ? &*progress : nullptr, PageWriterFor(options), OpenWithDesktop, choices);
  window.ReportProgressTo(progressLog);
  auto runner = [&imaging](ConversionSettings& settings, ConversionWindow& target) {
    return RunConversion(settings, target, imaging, RealDecoder());
  };
  return ConvertAll(plan, options.settings, window, runner, {options.overwrite, options.json});
}

// The --progress stream and where it goes: stdout, a file, or nowhere.
int ConvertReportingProgress(const CliOptions& options, const TargetPlan& plan, std::ostream& out, std::ostream& err,
                             Terminals terminals) {
  if (!options.progressFile) return ConvertWithModule(options, plan, out, err, terminals, nullptr);
  if (*options.progressFile == "-") {
    ProgressLog log(out);
    return ConvertWithModule(options, plan, out, err, terminals, &log);
  }
  std::ofstream file(*options.progressFile, std::ios::trunc);
  if (!file)
    return RefuseCommandLine("Die Datei " + *options.progressFile + " von --progress kann nicht geschrieben werden",
                             err);
  ProgressLog log(file);
  return ConvertWithModule(options, plan, out, err, terminals, &log);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Terminals terminals) {
  CliParseResult parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) return RefuseCommandLine(parsed.error, err);
  if (parsed.options.showHelp) {
    out << CliUsageText();
    return kExitAllWritten;
  }
  if (parsed.options.showVersion) {
    PrintVersion(out);
    return kExitAllWritten;
  }
  CliOptions& options = parsed.options;
  // Joined parts make one movie, named after the first; a DVD title's first
  // part reads the later ones, also when they are named.
  if (options.join) options.settings.joinedParts = options.sources;
  if (!options.join && options.settings.wholeDvdTitle) options.sources = WithoutJoinedTitleParts(options.sources);
  const std::vector<std::string> movieSources =
      options.join ? std::vector<std::string>{options.sources.front()} : options.sources;
  TargetPlan plan = PlanTargets(movieSources, options.target);
  if (!plan.error.empty()) return RefuseCommandLine(plan.error, err);
  return ConvertReportingProgress(parsed.options, plan, out, err, terminals);
}
