#include "cli/CliOptions.h"

#include <array>
#include <charconv>
#include <functional>
#include <string_view>

namespace {

constexpr double kLongestSeconds = 1e7;  // far beyond any source, yet every frame index stays in range
constexpr int kLargestSide = 2880;       // the largest stage Flash players show

// Whole decimal numbers only: "5.0", "+5", " 5" and "5x" are refused.
std::optional<int> ParseWholeNumber(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [next, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || next != end) return std::nullopt;
  return value;
}

// Seconds as a decimal number with a point: "1.5", "90"; no sign, no exponent.
std::optional<double> ParseSeconds(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  double value = 0;
  const char* end = text.data() + text.size();
  auto [next, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || next != end || !(value <= kLongestSeconds)) return std::nullopt;
  return value;
}

std::string BadValue(std::string_view option, std::string_view value, std::string_view allowed) {
  return "Ungültiger Wert für " + std::string(option) + ": \"" + std::string(value) +
         "\" (erlaubt: " + std::string(allowed) + ")";
}

std::string ApplyRangedNumber(std::string_view option, std::string_view value, int low, int high, int& field) {
  std::optional<int> number = ParseWholeNumber(value);
  if (!number || *number < low || *number > high) {
    return BadValue(option, value, "eine ganze Zahl von " + std::to_string(low) + " bis " + std::to_string(high));
  }
  field = *number;
  return {};
}

std::string ApplyFps(std::string_view value, ConversionSettings& settings) {
  int fps = 0;
  std::string error = ApplyRangedNumber("--fps", value, 1, 120, fps);
  if (error.empty()) settings.framesPerSecond = fps;
  return error;
}

std::string ApplyTolerance(std::string_view value, ConversionSettings& settings) {
  return ApplyRangedNumber("--tolerance", value, 0, 255, settings.tolerance);
}

std::string ApplyRate(std::string_view value, ConversionSettings& settings) {
  static constexpr std::array<int, 4> kRates = {5500, 11000, 22000, 44000};
  std::optional<int> rate = ParseWholeNumber(value);
  for (std::size_t choice = 0; rate && choice < kRates.size(); ++choice) {
    if (kRates[choice] == *rate) {
      settings.sampleRateChoice = static_cast<int>(choice);
      return {};
    }
  }
  return BadValue("--rate", value, "5500, 11000, 22000 oder 44000");
}

std::string ApplyPage(std::string_view value, CliOptions& options) {
  if (value == "flash") {
    options.page = PageKind::Flash;
  } else if (value == "ruffle") {
    options.page = PageKind::Ruffle;
  } else {
    return BadValue("--page", value, "flash oder ruffle");
  }
  return {};
}

std::string ApplyRuffleScript(std::string_view value, CliOptions& options) {
  if (value.empty()) return "Die Adresse von --ruffle-script darf nicht leer sein";
  options.ruffleScript = std::string(value);
  return {};
}

std::string ApplySound(std::string_view value, ConversionSettings& settings) {
  static constexpr std::array<std::pair<std::string_view, SoundCompression>, 3> kModes = {
      {{"pcm", SoundCompression::Pcm}, {"adpcm", SoundCompression::Adpcm}, {"mp3", SoundCompression::Mp3}}};
  for (const auto& [name, mode] : kModes) {
    if (name == value) {
      settings.soundCompression = mode;
      return {};
    }
  }
  return BadValue("--sound", value, "pcm, adpcm oder mp3");
}

std::string ApplySeconds(std::string_view option, std::string_view value, double& field) {
  std::optional<double> seconds = ParseSeconds(value);
  if (!seconds) return BadValue(option, value, "Sekunden, z. B. 12 oder 12.5");
  field = *seconds;
  return {};
}

using ValueSetter = std::function<std::string(std::string_view, CliOptions&)>;
using FlagSetter = std::function<void(CliOptions&)>;

const ValueSetter* FindValueOption(std::string_view name) {
  static const std::array<std::pair<std::string_view, ValueSetter>, 13> kOptions = {{
      {"--fps", [](std::string_view v, CliOptions& o) { return ApplyFps(v, o.settings); }},
      {"--compression",
       [](std::string_view v, CliOptions& o) {
         return ApplyRangedNumber("--compression", v, 0, 100, o.settings.compression);
       }},
      {"--rate", [](std::string_view v, CliOptions& o) { return ApplyRate(v, o.settings); }},
      {"--tolerance", [](std::string_view v, CliOptions& o) { return ApplyTolerance(v, o.settings); }},
      {"--page", ApplyPage},
      {"--ruffle-script", ApplyRuffleScript},
      {"--sound", [](std::string_view v, CliOptions& o) { return ApplySound(v, o.settings); }},
      {"--start",
       [](std::string_view v, CliOptions& o) { return ApplySeconds("--start", v, o.settings.startSeconds); }},
      {"--end",
       [](std::string_view v, CliOptions& o) {
         std::string error = ApplySeconds("--end", v, o.settings.endSeconds);
         if (error.empty() && o.settings.endSeconds <= 0) error = BadValue("--end", v, "Sekunden größer als 0");
         return error;
       }},
      {"--width", [](std::string_view v,
                     CliOptions& o) { return ApplyRangedNumber("--width", v, 1, kLargestSide, o.settings.width); }},
      {"--height", [](std::string_view v,
                      CliOptions& o) { return ApplyRangedNumber("--height", v, 1, kLargestSide, o.settings.height); }},
      {"--mp3-bitrate",
       [](std::string_view v, CliOptions& o) {
         return ApplyRangedNumber("--mp3-bitrate", v, 8, 320, o.settings.mp3BitrateKbit);
       }},
      {"-o",
       [](std::string_view v, CliOptions& o) -> std::string {
         if (o.target) return "Das Ziel (-o) darf nur einmal angegeben werden";
         if (v.empty()) return "Das Ziel (-o) darf nicht leer sein";
         o.target = std::string(v);
         return {};
       }},
  }};
  for (const auto& [optionName, setter] : kOptions) {
    if (optionName == name) return &setter;
  }
  return nullptr;
}

const FlagSetter* FindFlagOption(std::string_view name) {
  static const std::array<std::pair<std::string_view, FlagSetter>, 14> kFlags = {{
      {"--no-audio", [](CliOptions& o) { o.settings.convertAudio = false; }},
      {"--16bit", [](CliOptions& o) { o.settings.audio16Bit = true; }},
      {"--stereo", [](CliOptions& o) { o.settings.stereo = true; }},
      {"--all-pictures", [](CliOptions& o) { o.settings.storeOnlyChanges = false; }},
      {"--no-html", [](CliOptions& o) { o.settings.createHtmlPage = false; }},
      {"--open", [](CliOptions& o) { o.settings.openResult = true; }},
      {"--join", [](CliOptions& o) { o.join = true; }},
      {"--single-part", [](CliOptions& o) { o.settings.wholeDvdTitle = false; }},
      {"--print-code", [](CliOptions& o) { o.printCode = true; }},
      {"--quiet", [](CliOptions& o) { o.quiet = true; }},
      {"-q", [](CliOptions& o) { o.quiet = true; }},
      {"--help", [](CliOptions& o) { o.showHelp = true; }},
      {"-h", [](CliOptions& o) { o.showHelp = true; }},
      {"--version", [](CliOptions& o) { o.showVersion = true; }},
  }};
  for (const auto& [flagName, setter] : kFlags) {
    if (flagName == name) return &setter;
  }
  return nullptr;
}

// Options that are fine alone but not together.
std::string CheckSettingCombination(const ConversionSettings& settings) {
  if (settings.soundCompression == SoundCompression::Mp3 && settings.sampleRateChoice == 0)
    return "MP3-Ton gibt es nicht mit 5500 Hz: --rate 11000, 22000 oder 44000 wählen";
  if (settings.endSeconds > 0 && settings.endSeconds <= settings.startSeconds)
    return "Das Ende (--end) muss nach dem Anfang (--start) liegen";
  return {};
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  CliParseResult Run() {
    while (error_.empty() && next_ < args_.size()) Step(args_[next_++]);
    if (error_.empty()) error_ = CheckCombination(result_);
    if (error_.empty() && !result_.showHelp && !result_.showVersion && result_.sources.empty()) {
      error_ = "Keine Quelldatei angegeben";
    }
    if (error_.empty()) error_ = CheckSettingCombination(result_.settings);
    return {result_, error_};
  }

  static std::string CheckCombination(const CliOptions& options) {
    if (options.showHelp || options.showVersion) return {};
    if (options.sources.empty()) return "Keine Quelldatei angegeben";
    if (options.ruffleScript && options.page != PageKind::Ruffle) return "--ruffle-script gilt nur mit --page ruffle";
    if (options.join && !options.settings.wholeDvdTitle) return "--join und --single-part schließen einander aus";
    return {};
  }

 private:
  void Step(const std::string& arg) {
    if (optionsEnded_ || arg == "-" || !arg.starts_with('-')) {
      result_.sources.push_back(arg);
    } else if (arg == "--") {
      optionsEnded_ = true;
    } else {
      StepOption(arg);
    }
  }

  void StepOption(std::string_view arg) {
    std::size_t equals = arg.find('=');
    std::string_view name = arg.substr(0, equals);
    if (const FlagSetter* flag = FindFlagOption(name)) {
      if (equals != std::string_view::npos) {
        error_ = "Die Option " + std::string(name) + " nimmt keinen Wert";
      } else {
        (*flag)(result_);
      }
    } else if (const ValueSetter* option = FindValueOption(name)) {
      StepValueOption(name, equals == std::string_view::npos ? nullptr : arg.data() + equals + 1, *option);
    } else {
      error_ = "Unbekannte Option: " + std::string(arg);
    }
  }

  void StepValueOption(std::string_view name, const char* inlineValue, const ValueSetter& setter) {
    if (inlineValue) {
      error_ = setter(inlineValue, result_);
    } else if (next_ < args_.size()) {
      error_ = setter(args_[next_++], result_);
    } else {
      error_ = "Für " + std::string(name) + " fehlt der Wert";
    }
  }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  bool optionsEnded_ = false;
  CliOptions result_;
  std::string error_;
};

}  // namespace

CliParseResult ParseCommandLine(const std::vector<std::string>& args) { return Parser(args).Run(); }

std::string CliUsageText() {
  return "Aufruf: tessaline-cli [Optionen] QUELLE… [-o ZIEL]\n"
         "\n"
         "Wandelt Videodateien (AVI, MPEG, MPG, VOB) in Flash-Filme (SWF, Version 4) um.\n"
         "Eine Quelle: ZIEL ist die Filmdatei oder ein vorhandener Ordner (ohne -o: der Name der\n"
         "Quelle mit .swf daneben).\n"
         "Mehrere Quellen: ZIEL ist ein Ordner (wird angelegt), jede Quelle wird dort zu <Name>.swf.\n"
         "Ein DVD-Titel (VTS_01_1.VOB mit VTS_01_2.VOB … daneben) wird als ein Film umgewandelt.\n"
         "\n"
         "Optionen:\n"
         "  --fps N            Bilder pro Sekunde im Film, 1 bis 120 (Vorgabe 5)\n"
         "  --compression N    Kompression der Bilder, 0 bis 100 (Vorgabe 50)\n"
         "  --no-audio         den Ton nicht übernehmen\n"
         "  --rate HZ          Abtastrate des Tons: 5500, 11000, 22000 oder 44000 (Vorgabe 11000)\n"
         "  --16bit            Ton mit 16 Bit statt 8 Bit\n"
         "  --stereo           Ton in Stereo statt Mono\n"
         "  --sound ART        Ton unkomprimiert (pcm, Vorgabe), als ADPCM (adpcm) oder als MP3 (mp3;\n"
         "                     mit 11025, 22050 oder 44100 Hz statt 11000, 22000 oder 44000)\n"
         "  --mp3-bitrate N    Bitrate des MP3-Tons in kbit/s, 8 bis 320 (Vorgabe 64 mono, 128 stereo)\n"
         "  --all-pictures     jedes Bild ganz speichern, nicht nur die Änderungen\n"
         "  --tolerance N      Rauschen übergehen: ein Bildpunkt gilt erst als geändert, wenn die 5×5\n"
         "                     Bildpunkte um ihn herum von dem, was der Film dort zeigt, im Mittel in\n"
         "                     einem Farbwert um mehr als N in eine Richtung oder um mehr als 2N\n"
         "                     abweichen; gespeichert wird dann in ganzen 8×8-Blöcken; 0 bis 255\n"
         "                     (Vorgabe 0: jede Abweichung zählt)\n"
         "  --start SEKUNDEN   erst ab dieser Stelle der Quelle umwandeln, z. B. 12.5\n"
         "  --end SEKUNDEN     nur bis zu dieser Stelle der Quelle umwandeln\n"
         "  --width PIXEL      Breite des Films, 1 bis 2880 (ohne --height: Höhe im Seitenverhältnis)\n"
         "  --height PIXEL     Höhe des Films, 1 bis 2880 (ohne --width: Breite im Seitenverhältnis)\n"
         "  --join             die Quellen als Teile eines Films nacheinander lesen, wie mit cat\n"
         "                     verbunden (der Film heißt nach dem ersten Teil)\n"
         "  --single-part      von einem DVD-Titel nur die genannte Datei VTS_xx_1.VOB umwandeln\n"
         "  --no-html          keine HTML-Seite neben den Film schreiben\n"
         "  --page ART         die Seite: flash (Vorgabe; nur der Quelltext zum Einbinden) oder\n"
         "                     ruffle (HTML5-Seite, die den Film mit Ruffle in heutigen Browsern zeigt)\n"
         "  --ruffle-script URL  Adresse von Ruffle für --page ruffle (Vorgabe ruffle/ruffle.js)\n"
         "  --print-code       den Quelltext zum Einbinden nach jedem Film ausgeben\n"
         "  --open             das Ergebnis danach öffnen (Seite, sonst Film)\n"
         "  -o ZIEL            Zieldatei bzw. Zielordner\n"
         "  -q, --quiet        nur Fehler und Warnungen ausgeben (und was mit --print-code verlangt ist)\n"
         "  -h, --help         diese Hilfe zeigen\n"
         "  --version          die Version zeigen\n"
         "\n"
         "Ergebnisse stehen auf der Standardausgabe, Fehler und Warnungen auf der Fehlerausgabe.\n"
         "Rückgabewert: 0 wenn jeder Film vollständig geschrieben wurde, 1 wenn eine Umwandlung\n"
         "scheiterte, 2 bei falschen Optionen, 3 wenn ein Film unvollständig geschrieben wurde.\n";
}
