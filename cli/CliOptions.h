// The command line of tessaline-cli: its options map one to one onto the
// fields of ConversionSettings, with the desktop window's defaults.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/ConversionSettings.h"
#include "convert/RufflePage.h"

inline constexpr const char* kCliVersionText = "tessaline-cli 1.0";

struct CliOptions {
  ConversionSettings settings = DefaultCliSettings();
  std::vector<std::string> sources;
  std::optional<std::string> target;  // -o: the movie file, or the folder for several sources
  // The bare embedding code plays nowhere today, so the page loads Ruffle unless asked.
  PageKind page = PageKind::Ruffle;
  bool join = false;                  // the sources are parts of one movie, read one after the other
  std::optional<std::string> ruffleScript;  // --ruffle-script; only with the Ruffle page
  bool printCode = false;                   // the embedding code on stdout after each movie
  bool quiet = false;                       // stdout only for what was asked for; stderr as ever
  bool overwrite = true;                    // -n: sources whose movie or page exists are skipped
  std::optional<std::string> progressFile;  // --progress: key=value blocks there ("-": stdout)
  bool json = false;                        // --json: one JSON object per source on stdout
  bool showHelp = false;
  bool showVersion = false;

  // Whether stdout is kept for what scripts read.
  bool OutputForScripts() const { return quiet || json || progressFile == "-"; }

  // Scripts must not open windows, so the command line opens nothing unless asked.
  static ConversionSettings DefaultCliSettings() {
    ConversionSettings settings;
    settings.openResult = false;
    return settings;
  }
};

// One option of the command line. The one table of them makes both the
// parser and the help text.
struct CliOption {
  std::string_view shortName;  // "-q", or empty
  std::string_view longName;   // "--quiet", or empty
  std::string_view valueName;  // "N" for an option that takes a value; empty for a switch
  std::string_view help;       // German, one paragraph; the help text wraps it
  // Takes the value (empty for a switch); returns a German error, or empty.
  std::string (*apply)(std::string_view value, CliOptions& options);

  bool TakesValue() const { return !valueName.empty(); }
};

// Every option, in the order of the help text.
std::span<const CliOption> CliOptionTable();

struct CliParseResult {
  CliOptions options;
  std::string error;  // German; empty when the command line is usable
};

// args excludes the program name.
CliParseResult ParseCommandLine(const std::vector<std::string>& args);

// German usage text for --help, ending in a newline.
std::string CliUsageText();

// The JPEG quality the imaging module gets for a compression setting.
inline int JpegQualityFor(int compression) { return 100 - compression; }
