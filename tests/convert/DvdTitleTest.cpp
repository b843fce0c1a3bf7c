// Which files a run reads as its source: a DVD title's parts beside its first
// one (any case, up to the first gap), parts joined on request, or the file
// alone; and the one line that names the parts joined.
#include "convert/DvdTitle.h"

#include <algorithm>
#include <fstream>

#include "tests/convert/ConversionFixture.h"

namespace {

struct PartsCase {
  const char* name;
  std::vector<std::string> files;  // in the folder; "-" before a name: an empty file
  std::string source;
  bool wholeDvdTitle;
  std::vector<std::string> joinedParts;
  std::vector<std::string> expected;  // empty: the source alone, no line
};

void PrintTo(const PartsCase& c, std::ostream* os) { *os << c.name; }

const PartsCase kCases[] = {
    {"WholeTitle", {"VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"}, "VTS_01_1.VOB", true, {},
     {"VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"}},
    {"AnyCase", {"vts_02_1.vob", "VTS_02_2.VOB", "Vts_02_3.Vob"}, "vts_02_1.vob", true, {},
     {"vts_02_1.vob", "VTS_02_2.VOB", "Vts_02_3.Vob"}},
    {"OnlyItsOwnTitle", {"VTS_01_1.VOB", "VTS_02_2.VOB", "VTS_01_0.VOB", "VIDEO_TS.VOB"}, "VTS_01_1.VOB", true, {},
     {}},
    {"UpToTheFirstGap", {"VTS_03_1.VOB", "VTS_03_2.VOB", "VTS_03_4.VOB"}, "VTS_03_1.VOB", true, {},
     {"VTS_03_1.VOB", "VTS_03_2.VOB"}},
    {"UpToAnEmptyPart", {"VTS_03_1.VOB", "-VTS_03_2.VOB", "VTS_03_3.VOB"}, "VTS_03_1.VOB", true, {}, {}},
    {"LaterPartAlone", {"VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"}, "VTS_01_2.VOB", true, {}, {}},
    {"SinglePartAsked", {"VTS_01_1.VOB", "VTS_01_2.VOB"}, "VTS_01_1.VOB", false, {}, {}},
    {"OtherNamesAlone", {"VTS_01_1.VOB.bak", "VTS_01_2.VOB", "XVTS_01_1.VOB"}, "XVTS_01_1.VOB", true, {}, {}},
    {"JoinedInTheOrderGiven", {"b.mpg", "a.mpg"}, "b.mpg", true, {"b.mpg", "a.mpg"}, {"b.mpg", "a.mpg"}},
};

class SourceParts : public ConversionFixture, public testing::WithParamInterface<PartsCase> {};

TEST_P(SourceParts, ReadsTheFilesOfItsSourceAsOne) {
  const PartsCase& c = GetParam();
  const std::filesystem::path dvd = folder / "VIDEO_TS";
  std::filesystem::create_directory(dvd);
  for (const std::string& file : c.files) {
    const bool empty = file.starts_with('-');
    std::ofstream(dvd / file.substr(empty ? 1 : 0)) << (empty ? "" : "MPEG");
  }
  UseSource(1, 1, 25, {SolidPicture(1, 1, 0)});
  settings.sourcePath = (dvd / c.source).string();
  settings.wholeDvdTitle = c.wholeDvdTitle;
  for (const std::string& part : c.joinedParts) settings.joinedParts.push_back((dvd / part).string());

  ASSERT_TRUE(Run());
  std::vector<std::string> expected;
  for (const std::string& part : c.expected) expected.push_back((dvd / part).string());
  EXPECT_EQ(Fake().partsOpened, expected);
  const auto joinedLines = std::count_if(window.lines.begin(), window.lines.end(), [](const std::string& line) {
    return line.starts_with("Teile zu einem Film verbunden: ");
  });
  EXPECT_EQ(joinedLines, c.expected.empty() ? 0 : 1);
  if (!c.expected.empty()) {
    std::string line = "Teile zu einem Film verbunden: " + c.expected[0];
    for (std::size_t i = 1; i < c.expected.size(); ++i) line += ", " + c.expected[i];
    EXPECT_NE(std::find(window.lines.begin(), window.lines.end(), line), window.lines.end());
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, SourceParts, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<PartsCase>& info) { return std::string(info.param.name); });

TEST(JoinedPartsLine, NamesPartsFromOtherFoldersByTheirPaths) {
  EXPECT_EQ(JoinedPartsLine({"/dvd/VTS_01_1.VOB", "/copy/VTS_01_2.VOB"}),
            "Teile zu einem Film verbunden: /dvd/VTS_01_1.VOB, /copy/VTS_01_2.VOB");
}

class JoinedSource : public ConversionFixture {};

TEST_F(JoinedSource, NoPartIsOverwritten) {
  UseSource(1, 1, 25, {SolidPicture(1, 1, 0)});
  std::ofstream(folder / "a.vob") << "MPEG";
  std::ofstream(folder / "b.vob") << "MPEG";
  settings.sourcePath = (folder / "a.vob").string();
  settings.joinedParts = {settings.sourcePath, (folder / "b.vob").string()};
  settings.targetPath = (folder / "b.vob").string();
  EXPECT_EQ(Outcome(), ConversionOutcome::NotWritten);
  EXPECT_EQ(Fake().opened, 0);
  EXPECT_EQ(std::filesystem::file_size(folder / "b.vob"), 4u);
}

}  // namespace
