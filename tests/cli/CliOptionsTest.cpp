#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <sstream>

namespace {

CliParseResult Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CliOptions, DefaultsAreTheWindowsExceptThatNothingIsOpened) {
  CliParseResult result = Parse({"clip.avi"});
  ASSERT_EQ(result.error, "");
  const ConversionSettings& s = result.options.settings;
  EXPECT_EQ(s.framesPerSecond, 5);
  EXPECT_EQ(s.compression, 50);
  EXPECT_TRUE(s.convertAudio);
  EXPECT_EQ(s.sampleRateChoice, 1);
  EXPECT_FALSE(s.audio16Bit);
  EXPECT_FALSE(s.stereo);
  EXPECT_TRUE(s.storeOnlyChanges);
  EXPECT_EQ(s.tolerance, 0);
  EXPECT_TRUE(s.createHtmlPage);
  EXPECT_FALSE(s.openResult);
  EXPECT_EQ(result.options.sources, std::vector<std::string>{"clip.avi"});
  EXPECT_FALSE(result.options.target.has_value());
}

struct SettingCase {
  const char* name;
  std::vector<std::string> args;
  std::function<bool(const ConversionSettings&)> holds;
};

void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name; }

class CliOptionSetting : public testing::TestWithParam<SettingCase> {};

TEST_P(CliOptionSetting, SetsItsField) {
  CliParseResult result = Parse(GetParam().args);
  ASSERT_EQ(result.error, "");
  EXPECT_TRUE(GetParam().holds(result.options.settings));
}

INSTANTIATE_TEST_SUITE_P(
    EachOption, CliOptionSetting,
    testing::Values(
        SettingCase{"FpsLow", {"--fps", "1", "a.avi"}, [](auto& s) { return s.framesPerSecond == 1; }},
        SettingCase{"FpsHigh", {"--fps", "120", "a.avi"}, [](auto& s) { return s.framesPerSecond == 120; }},
        SettingCase{"FpsJoined", {"--fps=25", "a.avi"}, [](auto& s) { return s.framesPerSecond == 25; }},
        SettingCase{"CompressionZero", {"--compression", "0", "a.avi"}, [](auto& s) { return s.compression == 0; }},
        SettingCase{"CompressionFull", {"--compression=100", "a.avi"}, [](auto& s) { return s.compression == 100; }},
        SettingCase{"ToleranceHighest", {"--tolerance", "255", "a.avi"}, [](auto& s) { return s.tolerance == 255; }},
        SettingCase{"NoAudio", {"--no-audio", "a.avi"}, [](auto& s) { return !s.convertAudio; }},
        SettingCase{"Rate5500", {"--rate", "5500", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 0; }},
        SettingCase{"Rate11000", {"--rate", "11000", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 1; }},
        SettingCase{"Rate22000", {"--rate", "22000", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 2; }},
        SettingCase{"Rate44000", {"--rate=44000", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 3; }},
        SettingCase{"RateSwf5512", {"--rate", "5512", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 0; }},
        SettingCase{"RateSwf5513", {"--rate", "5513", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 0; }},
        SettingCase{"RateSwf11025", {"--rate", "11025", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 1; }},
        SettingCase{"RateSwf22050Mp3",
                    {"--sound", "mp3", "--rate", "22050", "a.avi"},
                    [](auto& s) { return s.sampleRateChoice == 2 && s.soundCompression == SoundCompression::Mp3; }},
        SettingCase{"RateSwf44100", {"--rate=44100", "a.avi"}, [](auto& s) { return s.sampleRateChoice == 3; }},
        SettingCase{"SixteenBit", {"--16bit", "a.avi"}, [](auto& s) { return s.audio16Bit; }},
        SettingCase{"Stereo", {"--stereo", "a.avi"}, [](auto& s) { return s.stereo; }},
        SettingCase{"AllPictures", {"--all-pictures", "a.avi"}, [](auto& s) { return !s.storeOnlyChanges; }},
        SettingCase{"NoHtml", {"--no-html", "a.avi"}, [](auto& s) { return !s.createHtmlPage; }},
        SettingCase{"SoundPcmByDefault",
                    {"a.avi"},
                    [](auto& s) { return s.soundCompression == SoundCompression::Pcm && s.mp3BitrateKbit == 0; }},
        SettingCase{"SoundAdpcm",
                    {"--sound", "adpcm", "a.avi"},
                    [](auto& s) { return s.soundCompression == SoundCompression::Adpcm; }},
        SettingCase{"SoundMp3WithBitrate",
                    {"--sound=mp3", "--mp3-bitrate", "96", "a.avi"},
                    [](auto& s) { return s.soundCompression == SoundCompression::Mp3 && s.mp3BitrateKbit == 96; }},
        SettingCase{"StartAndEnd",
                    {"--start", "1.5", "--end=90", "a.avi"},
                    [](auto& s) { return s.startSeconds == 1.5 && s.endSeconds == 90; }},
        SettingCase{"WidthAlone", {"--width", "321", "a.avi"}, [](auto& s) { return s.width == 321 && s.height == 0; }},
        SettingCase{"BothSides",
                    {"--height=2880", "--width", "1", "a.avi"},
                    [](auto& s) { return s.width == 1 && s.height == 2880; }},
        SettingCase{"Mp3RefusesOnly5500",
                    {"--rate", "11000", "--sound", "mp3", "a.avi"},
                    [](auto& s) { return s.sampleRateChoice == 1; }},
        SettingCase{"PictureShapeAndDeinterlaceByDefault",
                    {"a.avi"},
                    [](auto& s) { return !s.keepPixelShape && s.deinterlace == Deinterlace::Auto; }},
        SettingCase{"SinglePart", {"--single-part", "VTS_01_1.VOB"}, [](auto& s) { return !s.wholeDvdTitle; }},
        SettingCase{"KeepPixelShape", {"--keep-pixel-shape", "a.avi"}, [](auto& s) { return s.keepPixelShape; }},
        SettingCase{"DeinterlaceOn", {"--deinterlace", "on", "a.avi"},
                    [](auto& s) { return s.deinterlace == Deinterlace::On; }},
        SettingCase{"DeinterlaceOff", {"--deinterlace=off", "a.avi"},
                    [](auto& s) { return s.deinterlace == Deinterlace::Off; }},
        SettingCase{"Open", {"a.avi", "--open"}, [](auto& s) { return s.openResult; }},
        SettingCase{"FlagsLeaveOthersAlone",
                    {"--stereo", "a.avi"},
                    [](auto& s) { return !s.audio16Bit && s.convertAudio && s.storeOnlyChanges; }}),
    [](const testing::TestParamInfo<SettingCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  std::vector<std::string> args;
  const char* messagePart;  // German, names what is wrong
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class CliOptionRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(CliOptionRefused, GivesAGermanReason) {
  CliParseResult result = Parse(GetParam().args);
  EXPECT_NE(result.error.find(GetParam().messagePart), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    BadCommandLines, CliOptionRefused,
    testing::Values(RefusedCase{"FpsZero", {"--fps", "0", "a.avi"}, "Ungültiger Wert für --fps: \"0\""},
                    RefusedCase{"FpsAboveRange", {"--fps", "121", "a.avi"}, "von 1 bis 120"},
                    RefusedCase{"FpsFraction", {"--fps", "5.5", "a.avi"}, "--fps: \"5.5\""},
                    RefusedCase{"FpsText", {"--fps=fünf", "a.avi"}, "--fps"},
                    RefusedCase{"FpsSign", {"--fps", "+5", "a.avi"}, "--fps"},
                    RefusedCase{"FpsEmpty", {"--fps=", "a.avi"}, "--fps: \"\""},
                    RefusedCase{"FpsHuge", {"--fps", "99999999999", "a.avi"}, "--fps"},
                    RefusedCase{"CompressionNegative", {"--compression", "-1", "a.avi"}, "von 0 bis 100"},
                    RefusedCase{"CompressionAbove", {"--compression", "101", "a.avi"}, "--compression: \"101\""},
                    RefusedCase{"ToleranceAbove",
                                {"--tolerance=256", "a.avi"},
                                "--tolerance: \"256\" (erlaubt: eine ganze Zahl von 0 bis 255)"},
                    RefusedCase{"RateNotInList", {"--rate", "48000", "a.avi"}, "5500, 11000, 22000 oder 44000"},
                    RefusedCase{"Mp3AtSwf5512", {"--sound", "mp3", "--rate", "5512", "a.avi"}, "5500 Hz"},
                    RefusedCase{"JsonWithCode", {"--json", "--print-code", "a.avi"}, "schließen einander aus"},
                    RefusedCase{"EmptyProgressFile", {"--progress=", "a.avi"}, "nicht leer"},
                    RefusedCase{"UnknownOption", {"--fast", "a.avi"}, "Unbekannte Option: --fast"},
                    RefusedCase{"SoundUnknown", {"--sound", "ogg", "a.avi"}, "pcm, adpcm oder mp3"},
                    RefusedCase{"JoinOfASinglePart",
                                {"--join", "--single-part", "a.vob", "b.vob"},
                                "--join und --single-part schließen einander aus"},
                    RefusedCase{"DeinterlaceUnknown", {"--deinterlace", "yes", "a.avi"}, "auto, on oder off"},
                    RefusedCase{"Mp3BitrateAbove", {"--mp3-bitrate", "321", "a.avi"}, "von 8 bis 320"},
                    RefusedCase{"StartNegative", {"--start", "-1", "a.avi"}, "--start: \"-1\""},
                    RefusedCase{"StartComma", {"--start", "1,5", "a.avi"}, "Sekunden"},
                    RefusedCase{"StartNotANumber", {"--start", "nan", "a.avi"}, "--start"},
                    RefusedCase{"StartHuge", {"--start", "1e99", "a.avi"}, "--start"},
                    RefusedCase{"EndZero", {"--end", "0", "a.avi"}, "größer als 0"},
                    RefusedCase{"EndBeforeStart", {"--start", "5", "--end", "4.5", "a.avi"}, "nach dem Anfang"},
                    RefusedCase{"WidthZero", {"--width", "0", "a.avi"}, "von 1 bis 2880"},
                    RefusedCase{"HeightAbove", {"--height", "2881", "a.avi"}, "--height"},
                    RefusedCase{"Mp3At5500", {"--sound", "mp3", "--rate", "5500", "a.avi"}, "5500 Hz"},
                    RefusedCase{"UnknownShortOption", {"-x", "a.avi"}, "Unbekannte Option: -x"},
                    RefusedCase{"MissingValue", {"a.avi", "--fps"}, "Für --fps fehlt der Wert"},
                    RefusedCase{"MissingTarget", {"a.avi", "-o"}, "Für -o fehlt der Wert"},
                    RefusedCase{"FlagWithValue", {"--stereo=1", "a.avi"}, "--stereo nimmt keinen Wert"},
                    RefusedCase{"NoSource", {"--fps", "5"}, "Keine Quelldatei angegeben"},
                    RefusedCase{"NothingAtAll", {}, "Keine Quelldatei angegeben"},
                    RefusedCase{"TwoTargets", {"a.avi", "-o", "x.swf", "-o", "y.swf"}, "nur einmal"},
                    RefusedCase{"UnknownPage", {"--page", "html", "a.avi"}, "flash oder ruffle"},
                    RefusedCase{"ScriptWithoutRuffle", {"--page", "flash", "--ruffle-script", "r.js", "a.avi"}, "nur mit --page ruffle"},
                    RefusedCase{"EmptyScript", {"--page=ruffle", "--ruffle-script=", "a.avi"}, "nicht leer"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(CliOptions, PageCodeAndQuietChoices) {
  struct Case {
    std::vector<std::string> args;
    PageKind page;
    const char* script;  // as the page will load it
    bool printCode;
    bool quiet;
  };
  const Case cases[] = {
      {{"a.avi"}, PageKind::Ruffle, kDefaultRuffleScript, false, false},
      {{"--page", "flash", "a.avi"}, PageKind::Flash, kDefaultRuffleScript, false, false},
      {{"--page=ruffle", "a.avi"}, PageKind::Ruffle, kDefaultRuffleScript, false, false},
      {{"a.avi", "--ruffle-script", "/js/r.js", "--page", "ruffle"}, PageKind::Ruffle, "/js/r.js", false, false},
      {{"--ruffle-script=/js/r.js", "a.avi"}, PageKind::Ruffle, "/js/r.js", false, false},
      {{"--print-code", "-q", "a.avi"}, PageKind::Ruffle, kDefaultRuffleScript, true, true},
      {{"--quiet", "a.avi"}, PageKind::Ruffle, kDefaultRuffleScript, false, true},
  };
  for (const Case& c : cases) {
    CliParseResult result = Parse(c.args);
    ASSERT_EQ(result.error, "") << c.args.front();
    EXPECT_EQ(result.options.page, c.page);
    EXPECT_EQ(result.options.ruffleScript.value_or(kDefaultRuffleScript), c.script);
    EXPECT_EQ(result.options.printCode, c.printCode);
    EXPECT_EQ(result.options.quiet, c.quiet);
  }
}

TEST(CliOptions, OverwriteChoiceAndScriptOutputs) {
  struct Case {
    std::vector<std::string> args;
    bool overwrite;
    std::optional<std::string> progressFile;
    bool json;
    bool forScripts;  // stdout kept for machine-readable lines
  };
  const Case cases[] = {
      {{"a.avi"}, true, std::nullopt, false, false},
      {{"-n", "a.avi"}, false, std::nullopt, false, false},
      {{"--no-overwrite", "-y", "a.avi"}, true, std::nullopt, false, false},
      {{"-y", "--no-overwrite", "a.avi"}, false, std::nullopt, false, false},
      {{"--progress", "-", "a.avi"}, true, "-", false, true},
      {{"--progress=p.txt", "a.avi"}, true, "p.txt", false, false},
      {{"--json", "a.avi"}, true, std::nullopt, true, true},
  };
  for (const Case& c : cases) {
    CliParseResult result = Parse(c.args);
    ASSERT_EQ(result.error, "") << c.args.front();
    EXPECT_EQ(result.options.overwrite, c.overwrite) << c.args.front();
    EXPECT_EQ(result.options.progressFile, c.progressFile) << c.args.front();
    EXPECT_EQ(result.options.json, c.json) << c.args.front();
    EXPECT_EQ(result.options.OutputForScripts(), c.forScripts) << c.args.front();
  }
}

TEST(CliOptions, CollectsSourcesInOrderAndTheTargetAnywhere) {
  CliParseResult result = Parse({"a.avi", "-o", "out", "b.mpg", "--no-html", "c.vob"});
  ASSERT_EQ(result.error, "");
  EXPECT_EQ(result.options.sources, (std::vector<std::string>{"a.avi", "b.mpg", "c.vob"}));
  EXPECT_EQ(result.options.target, "out");
}

TEST(CliOptions, DoubleDashMakesEverythingAfterItASource) {
  CliParseResult result = Parse({"--stereo", "--", "--fps", "-clip.avi"});
  ASSERT_EQ(result.error, "");
  EXPECT_EQ(result.options.sources, (std::vector<std::string>{"--fps", "-clip.avi"}));
  EXPECT_EQ(result.options.settings.framesPerSecond, 5);
}

TEST(CliOptions, HelpAndVersionNeedNoSource) {
  CliParseResult help = Parse({"--help"});
  EXPECT_EQ(help.error, "");
  EXPECT_TRUE(help.options.showHelp);
  CliParseResult version = Parse({"--version"});
  EXPECT_EQ(version.error, "");
  EXPECT_TRUE(version.options.showVersion);
}

// Characters on the screen, not bytes: the help holds umlauts and "×".
std::size_t ScreenColumns(const std::string& line) {
  std::size_t columns = 0;
  for (char c : line) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return columns;
}

TEST(CliOptions, UsageNamesEveryOptionOfTheTableWithin80Columns) {
  const std::string usage = CliUsageText();
  EXPECT_TRUE(usage.starts_with("Aufruf: tessaline-cli"));
  for (const CliOption& option : CliOptionTable()) {
    const std::string_view name = option.longName.empty() ? option.shortName : option.longName;
    const std::string shown = std::string(name) + (option.TakesValue() ? " " + std::string(option.valueName) : "");
    EXPECT_NE(usage.find(shown), std::string::npos) << shown;
    EXPECT_NE(usage.find(std::string(option.help).substr(0, 12)), std::string::npos) << shown;
  }
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(ScreenColumns(line), 79u) << line;
}

TEST(CliOptions, EveryTableNameIsUniqueAndUsableOnTheCommandLine) {
  std::set<std::string_view> names;
  for (const CliOption& option : CliOptionTable()) {
    for (std::string_view name : {option.shortName, option.longName}) {
      if (name.empty()) continue;
      EXPECT_TRUE(names.insert(name).second) << name;
      EXPECT_TRUE(name.starts_with(name.size() == 2 ? "-" : "--")) << name;
      std::vector<std::string> args{std::string(name)};
      if (option.TakesValue()) args.push_back("x");
      if (!option.TakesValue()) args.push_back("a.avi");
      // Whatever the value does, the option itself is known.
      EXPECT_EQ(Parse(args).error.find("Unbekannte Option"), std::string::npos) << name;
    }
  }
}

TEST(CliOptions, CompressionBecomesTheComplementaryJpegQuality) {
  EXPECT_EQ(JpegQualityFor(0), 100);
  EXPECT_EQ(JpegQualityFor(35), 65);
  EXPECT_EQ(JpegQualityFor(100), 0);
}

}  // namespace
