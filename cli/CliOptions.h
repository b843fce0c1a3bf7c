// The command line of tessaline-cli: its options map one to one onto the
// fields of ConversionSettings, with the desktop window's defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/ConversionSettings.h"

inline constexpr const char* kCliVersionText = "tessaline-cli 1.0";

// Which page goes beside the movie: the bare embedding code, or an HTML5
// page that loads Ruffle, which plays the movie in browsers without Flash.
enum class PageKind { Flash, Ruffle };

inline constexpr const char* kDefaultRuffleScript = "ruffle/ruffle.js";

struct CliOptions {
  ConversionSettings settings = DefaultCliSettings();
  std::vector<std::string> sources;
  std::optional<std::string> target;  // -o: the movie file, or the folder for several sources
  bool join = false;                  // the sources are parts of one movie, read one after the other
  PageKind page = PageKind::Flash;
  std::optional<std::string> ruffleScript;  // --ruffle-script; only with the Ruffle page
  bool printCode = false;                   // the embedding code on stdout after each movie
  bool quiet = false;                       // stdout only for what was asked for; stderr as ever
  bool showHelp = false;
  bool showVersion = false;

  // Scripts must not open windows, so the command line opens nothing unless asked.
  static ConversionSettings DefaultCliSettings() {
    ConversionSettings settings;
    settings.openResult = false;
    return settings;
  }
};

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
