// A run never writes its movie or page over its source, nor its page over
// its movie, however the names or links lead there.
#include <fstream>

#include "tests/convert/ConversionFixture.h"

namespace {

namespace fs = std::filesystem;

struct OverwriteCase {
  const char* name;
  const char* source;
  const char* target;
  bool page;
  const char* link;    // made as a link to linkTo, or nothing
  const char* linkTo;  // below the test's folder
  const char* line;    // {S}, {T}, {P}: source, target, page; empty: the run goes ahead
};

void PrintTo(const OverwriteCase& c, std::ostream* os) { *os << c.name; }

std::string Contents(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Filled(std::string line, const std::string& key, const std::string& value) {
  for (std::size_t at = line.find(key); at != std::string::npos; at = line.find(key)) line.replace(at, 3, value);
  return line;
}

class Overwrite : public ConversionFixture, public testing::WithParamInterface<OverwriteCase> {};

TEST_P(Overwrite, IsRefusedWithOneLineBeforeAnythingIsWritten) {
  const OverwriteCase& c = GetParam();
  const fs::path source = folder / c.source;
  std::ofstream(source) << "video";
  if (*c.link) fs::create_symlink(folder / c.linkTo, folder / c.link);
  settings.sourcePath = source.string();
  settings.targetPath = (folder / c.target).string();
  settings.createHtmlPage = c.page;
  UseSource(2, 2, 4, {SolidPicture(2, 2, 1)});
  const std::string page = (folder / fs::path(c.target).replace_extension(".htm")).string();
  const std::string line =
      Filled(Filled(Filled(c.line, "{S}", settings.sourcePath), "{T}", settings.targetPath), "{P}", page);
  if (line.empty()) {
    EXPECT_EQ(Outcome(), ConversionOutcome::Complete);
  } else {
    EXPECT_EQ(Outcome(), ConversionOutcome::NotWritten);
    EXPECT_EQ(window.lines, std::vector<std::string>{line});
    EXPECT_EQ(Fake().opened, 0);
  }
  EXPECT_EQ(Contents(source), "video");
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Overwrite,
    testing::Values(OverwriteCase{"MovieOnTheSource", "x.avi", "x.avi", false, "", "",
                                  "Der Film {T} würde die Quelle {S} überschreiben."},
                    OverwriteCase{"MovieThroughALinkOnTheSource", "x.avi", "film.swf", false, "film.swf", "x.avi",
                                  "Der Film {T} würde die Quelle {S} überschreiben."},
                    OverwriteCase{"PageOnTheSource", "z.htm", "z.swf", true, "", "",
                                  "Die Webseite {P} würde die Quelle {S} überschreiben."},
                    OverwriteCase{"PageOnTheMovie", "x.avi", "q.htm", true, "", "",
                                  "Die Webseite {P} würde den Film {T} überschreiben."},
                    OverwriteCase{"PageThroughALinkOnTheMovie", "x.avi", "q.swf", true, "q.htm", "q.swf",
                                  "Die Webseite {P} würde den Film {T} überschreiben."},
                    OverwriteCase{"NoPageForAMovieNamedLikeOne", "x.avi", "q.htm", false, "", "", ""}),
    [](const testing::TestParamInfo<OverwriteCase>& info) { return std::string(info.param.name); });

}  // namespace
