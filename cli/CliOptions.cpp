#include "cli/CliOptions.h"

#include <array>
#include <charconv>
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

// The four rate choices by their nominal rate and by the rates SWF files
// really play (5512.5 Hz rounded either way).
std::string ApplyRate(std::string_view value, ConversionSettings& settings) {
  struct Rate {
    int hertz;
    int choice;
  };
  static constexpr std::array<Rate, 9> kRates = {
      {{5500, 0}, {5512, 0}, {5513, 0}, {11000, 1}, {11025, 1}, {22000, 2}, {22050, 2}, {44000, 3}, {44100, 3}}};
  std::optional<int> rate = ParseWholeNumber(value);
  for (const Rate& known : kRates) {
    if (rate && known.hertz == *rate) {
      settings.sampleRateChoice = known.choice;
      return {};
    }
  }
  return BadValue("--rate", value, "5500, 11000, 22000 oder 44000, auch 5512, 11025, 22050 oder 44100");
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

std::string ApplyDeinterlace(std::string_view value, ConversionSettings& settings) {
  static constexpr std::array<std::pair<std::string_view, Deinterlace>, 3> kModes = {
      {{"auto", Deinterlace::Auto}, {"on", Deinterlace::On}, {"off", Deinterlace::Off}}};
  for (const auto& [name, mode] : kModes) {
    if (name == value) {
      settings.deinterlace = mode;
      return {};
    }
  }
  return BadValue("--deinterlace", value, "auto, on oder off");
}

std::string ApplySeconds(std::string_view option, std::string_view value, double& field) {
  std::optional<double> seconds = ParseSeconds(value);
  if (!seconds) return BadValue(option, value, "Sekunden, z. B. 12 oder 12.5");
  field = *seconds;
  return {};
}

std::string SetTarget(std::string_view value, CliOptions& options) {
  if (options.target) return "Das Ziel (-o) darf nur einmal angegeben werden";
  if (value.empty()) return "Das Ziel (-o) darf nicht leer sein";
  options.target = std::string(value);
  return {};
}

std::string SetEnd(std::string_view value, CliOptions& options) {
  std::string error = ApplySeconds("--end", value, options.settings.endSeconds);
  if (error.empty() && options.settings.endSeconds <= 0) error = BadValue("--end", value, "Sekunden größer als 0");
  return error;
}

// A switch sets one field of the settings or of the options.
template <auto Field, auto Value>
std::string SetSetting(std::string_view, CliOptions& options) {
  options.settings.*Field = Value;
  return {};
}
template <auto Field, auto Value>
std::string SetOption(std::string_view, CliOptions& options) {
  options.*Field = Value;
  return {};
}

// Switches ignore their (empty) value.
constexpr CliOption kOptionTable[] = {
    {"", "--fps", "N", "Bilder pro Sekunde im Film, 1 bis 120 (Vorgabe 5)",
     [](std::string_view v, CliOptions& o) { return ApplyFps(v, o.settings); }},
    {"", "--compression", "N", "Kompression der Bilder, 0 bis 100 (Vorgabe 50)",
     [](std::string_view v, CliOptions& o) {
       return ApplyRangedNumber("--compression", v, 0, 100, o.settings.compression);
     }},
    {"", "--no-audio", "", "den Ton nicht übernehmen",
     SetSetting<&ConversionSettings::convertAudio, false>},
    {"", "--rate", "HZ",
     "Abtastrate des Tons: 5500, 11000, 22000 oder 44000 (Vorgabe 11000); der Film trägt die Flash-Raten "
     "5512,5, 11025, 22050 oder 44100 Hz, die als Wert dieselbe Rate wählen (auch 5512)",
     [](std::string_view v, CliOptions& o) { return ApplyRate(v, o.settings); }},
    {"", "--16bit", "", "Ton mit 16 Bit statt 8 Bit",
     SetSetting<&ConversionSettings::audio16Bit, true>},
    {"", "--stereo", "", "Ton in Stereo statt Mono (alle Kanäle der Quelle werden gemischt)",
     SetSetting<&ConversionSettings::stereo, true>},
    {"", "--sound", "ART",
     "Ton unkomprimiert (pcm, Vorgabe), als ADPCM (adpcm) oder als MP3 (mp3; nicht mit 5500)",
     [](std::string_view v, CliOptions& o) { return ApplySound(v, o.settings); }},
    {"", "--mp3-bitrate", "N", "Bitrate des MP3-Tons in kbit/s, 8 bis 320 (Vorgabe 64 mono, 128 stereo); höchstens 64 bei 11000, "
     "160 bei 22000, 320 bei 44000 (mindestens 32); sonst gilt die nächste erlaubte",
     [](std::string_view v, CliOptions& o) {
       return ApplyRangedNumber("--mp3-bitrate", v, 8, 320, o.settings.mp3BitrateKbit);
     }},
    {"", "--all-pictures", "", "jedes Bild ganz speichern, nicht nur die Änderungen",
     SetSetting<&ConversionSettings::storeOnlyChanges, false>},
    {"", "--tolerance", "N",
     "Rauschen übergehen: ein Bildpunkt gilt erst als geändert, wenn die 5×5 Bildpunkte um ihn herum von dem, "
     "was der Film dort zeigt, im Mittel in einem Farbwert um mehr als N in eine Richtung oder um mehr als 2N "
     "abweichen; gespeichert wird dann in ganzen 8×8-Blöcken; 0 bis 255 (Vorgabe 0: jede Abweichung zählt)",
     [](std::string_view v, CliOptions& o) { return ApplyTolerance(v, o.settings); }},
    {"", "--start", "SEKUNDEN", "erst ab dieser Stelle der Quelle umwandeln, z. B. 12.5",
     [](std::string_view v, CliOptions& o) { return ApplySeconds("--start", v, o.settings.startSeconds); }},
    {"", "--end", "SEKUNDEN", "nur bis zu dieser Stelle der Quelle umwandeln", SetEnd},
    {"", "--width", "PIXEL", "Breite des Films, 1 bis 2880 (ohne --height: Höhe im Seitenverhältnis)",
     [](std::string_view v, CliOptions& o) {
       return ApplyRangedNumber("--width", v, 1, kLargestSide, o.settings.width);
     }},
    {"", "--height", "PIXEL", "Höhe des Films, 1 bis 2880 (ohne --width: Breite im Seitenverhältnis)",
     [](std::string_view v, CliOptions& o) {
       return ApplyRangedNumber("--height", v, 1, kLargestSide, o.settings.height);
     }},
    {"", "--keep-pixel-shape", "",
     "Bildpunkte wie gespeichert übernehmen (Vorgabe: das Seitenverhältnis der Wiedergabe, z. B. 16:9 bei DVD)",
     SetSetting<&ConversionSettings::keepPixelShape, true>},
    {"", "--join", "",
     "die Quellen als Teile eines Films nacheinander lesen, wie mit cat verbunden (der Film heißt nach dem "
     "ersten Teil)",
     SetOption<&CliOptions::join, true>},
    {"", "--single-part", "", "von einem DVD-Titel nur die genannte Datei VTS_xx_1.VOB umwandeln",
     SetSetting<&ConversionSettings::wholeDvdTitle, false>},
    {"", "--deinterlace", "ART",
     "Zeilensprung auflösen: auto (Vorgabe; wo die Quelle es angibt), on (jedes Bild) oder off",
     [](std::string_view v, CliOptions& o) { return ApplyDeinterlace(v, o.settings); }},
    {"", "--no-html", "", "keine HTML-Seite neben den Film schreiben",
     SetSetting<&ConversionSettings::createHtmlPage, false>},
    {"", "--page", "ART",
     "die Seite: ruffle (Vorgabe; HTML5-Seite, die den Film mit Ruffle in heutigen Browsern zeigt) oder flash "
     "(nur der Quelltext zum Einbinden)",
     ApplyPage},
    {"", "--ruffle-script", "URL", "Adresse von Ruffle für --page ruffle (Vorgabe ruffle/ruffle.js)",
     ApplyRuffleScript},
    {"", "--print-code", "", "den Quelltext zum Einbinden nach jedem Film ausgeben",
     SetOption<&CliOptions::printCode, true>},
    {"", "--open", "", "das Ergebnis danach öffnen (Seite, sonst Film)",
     SetSetting<&ConversionSettings::openResult, true>},
    {"-o", "", "ZIEL", "Zieldatei (ohne Endung mit .swf) bzw. Zielordner (mit / am Ende wird er angelegt)", SetTarget},
    {"-y", "--overwrite", "", "vorhandene Filme und Seiten ersetzen (Vorgabe)",
     SetOption<&CliOptions::overwrite, true>},
    {"-n", "--no-overwrite", "", "Quellen überspringen, deren Film oder Seite es schon gibt (Rückgabewert 1 für sie)",
     SetOption<&CliOptions::overwrite, false>},
    {"", "--progress", "DATEI",
     "den Fortschritt für Skripte als Blöcke von Zeilen Schlüssel=Wert in DATEI schreiben (- für die "
     "Standardausgabe): source, frame, total, percent, out_time, bytes und progress=continue, "
     "am Ende jeder Quelle progress=end",
     [](std::string_view v, CliOptions& o) -> std::string {
       if (v.empty()) return "Die Datei von --progress darf nicht leer sein";
       o.progressFile = std::string(v);
       return {};
     }},
    {"", "--json", "",
     "nach jeder Quelle eine Zeile JSON auf die Standardausgabe: source, target, page, frames, total, state "
     "(complete, incomplete, failed, skipped) und reason",
     SetOption<&CliOptions::json, true>},
    {"-q", "--quiet", "", "nur Fehler und Warnungen ausgeben (und was mit --print-code verlangt ist)",
     SetOption<&CliOptions::quiet, true>},
    {"-h", "--help", "", "diese Hilfe zeigen",
     SetOption<&CliOptions::showHelp, true>},
    {"", "--version", "", "die Version zeigen",
     SetOption<&CliOptions::showVersion, true>},
};

const CliOption* FindOption(std::string_view name) {
  for (const CliOption& option : kOptionTable) {
    if (!name.empty() && (option.shortName == name || option.longName == name)) return &option;
  }
  return nullptr;
}

// Options that are fine alone but not together.
std::string CheckSettingCombination(const ConversionSettings& settings) {
  if (settings.soundCompression == SoundCompression::Mp3 && settings.sampleRateChoice == 0)
    return "MP3-Ton gibt es nicht mit 5500 Hz: --rate 11025, 22050 oder 44100 wählen";
  if (settings.endSeconds > 0 && settings.endSeconds <= settings.startSeconds)
    return "Das Ende (--end) muss nach dem Anfang (--start) liegen";
  return {};
}

constexpr std::size_t kHelpWidth = 79;       // columns; one stays free, as terminals wrap at the last
constexpr std::size_t kHelpTextColumn = 22;  // where each option's description starts

// Characters on the screen: UTF-8 continuation bytes take no column.
std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return columns;
}

// "-q, --quiet", "--fps N", "-o ZIEL"
std::string OptionNames(const CliOption& option) {
  std::string names(option.shortName);
  if (!option.shortName.empty() && !option.longName.empty()) names += ", ";
  names += option.longName;
  if (option.TakesValue()) {
    names += ' ';
    names += option.valueName;
  }
  return names;
}

// The names at two columns in, the description from kHelpTextColumn on,
// wrapped at blanks within kHelpWidth (on its own line when the names are long).
std::string OptionHelp(const CliOption& option) {
  std::string text = "  " + OptionNames(option);
  std::size_t column = Columns(text);
  if (column + 2 > kHelpTextColumn) {
    text += "\n";
    column = 0;
  }
  std::string_view rest = option.help;
  bool lineStart = true;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    const std::string_view word = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    if (!lineStart && column + 1 + Columns(word) > kHelpWidth) {
      text += "\n";
      column = 0;
      lineStart = true;
    }
    if (lineStart) {
      text.append(kHelpTextColumn - column, ' ');
      column = kHelpTextColumn;
    } else {
      text += ' ';
      ++column;
    }
    text += word;
    column += Columns(word);
    lineStart = false;
  }
  return text + "\n";
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
    if (options.json && options.printCode) return "--json und --print-code schließen einander aus";
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
    const CliOption* option = FindOption(name);
    if (!option) {
      error_ = "Unbekannte Option: " + std::string(arg);
    } else if (!option->TakesValue()) {
      if (equals != std::string_view::npos) {
        error_ = "Die Option " + std::string(name) + " nimmt keinen Wert";
      } else {
        error_ = option->apply({}, result_);
      }
    } else if (equals != std::string_view::npos) {
      error_ = option->apply(arg.substr(equals + 1), result_);
    } else if (next_ < args_.size()) {
      error_ = option->apply(args_[next_++], result_);
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

std::span<const CliOption> CliOptionTable() { return kOptionTable; }

std::string CliUsageText() {
  std::string text =
      "Aufruf: tessaline-cli [Optionen] QUELLE… [-o ZIEL]\n"
      "\n"
      "Wandelt Videodateien (AVI, MPEG, MPG, VOB) in Flash-Filme (SWF, Version 4) um.\n"
      "Eine Quelle: ZIEL ist die Filmdatei oder ein vorhandener Ordner (ohne -o: der\n"
      "Name der Quelle mit .swf daneben).\n"
      "Mehrere Quellen: ZIEL ist ein Ordner (wird angelegt), jede Quelle wird dort zu\n"
      "<Name>.swf.\n"
      "Ein DVD-Titel (VTS_01_1.VOB mit VTS_01_2.VOB … daneben) wird als ein Film\n"
      "umgewandelt.\n"      "\n"
      "Optionen:\n";
  for (const CliOption& option : kOptionTable) text += OptionHelp(option);
  return text +
         "\n"
         "Ergebnisse stehen auf der Standardausgabe (mit --json oder --progress - nur\n"
         "diese), Fehler und Warnungen auf der Fehlerausgabe. Rückgabewert: 0 wenn jeder\n"
         "Film vollständig geschrieben wurde, 1 wenn eine Umwandlung scheiterte oder eine\n"
         "Quelle übersprungen wurde, 2 bei falschen Optionen, 3 wenn ein Film\n"
         "unvollständig geschrieben wurde.\n";
}
