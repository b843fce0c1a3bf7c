// The embedding code, the page beside the movie and what gets opened.
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "convert/HandOffMovie.h"
#include "tests/convert/ConversionFixture.h"

namespace {

const std::vector<std::string> kUrlaubLines = {
    R"(<object classid="clsid:D27CDB6E-AE6D-11cf-96B8-444553540000" codebase=)",
    R"("http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=4,0,2,0")",
    R"(width="320" height="240">)",
    R"(<param name="movie" value="urlaub.swf">)",
    R"(<param name="quality" value="high">)",
    R"(<embed src="urlaub.swf" quality="high" pluginspage=)",
    R"("http://www.macromedia.com/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash")",
    R"(type="application/x-shockwave-flash" width="320" height="240">)",
    R"(</embed>)",
    R"(</object>)",
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(EmbeddingCode, TenLinesExactly) { EXPECT_EQ(EmbeddingCode("urlaub.swf", 320, 240), kUrlaubLines); }

TEST(EmbeddingCode, MovieNameIsOneUrlPathSegmentInLinesFourAndSixOnly) {
  struct Case {
    const char* movieName;
    const char* inLinks;
  };
  const Case cases[] = {
      {"Film-2_a~b.SWF", "Film-2_a~b.SWF"},
      {"\xC3\x9C"
       "bung #1 & Co.swf",
       "%C3%9Cbung%20%231%20%26%20Co.swf"},
      {"100%.swf", "100%25.swf"},
      {"wer?.swf", "wer%3F.swf"},
      {R"(a<b>"c"/d\e+f.swf)", "a%3Cb%3E%22c%22%2Fd%5Ce%2Bf.swf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.movieName);
    std::vector<std::string> expected = kUrlaubLines;
    expected[3] = std::string(R"(<param name="movie" value=")") + c.inLinks + R"(">)";
    expected[5] = std::string(R"(<embed src=")") + c.inLinks + R"(" quality="high" pluginspage=)";
    EXPECT_EQ(EmbeddingCode(c.movieName, 320, 240), expected);
  }
}

TEST(PagePaths, NamesAndExtensions) {
  struct Case {
    const char* target;
    const char* movieName;
    const char* page;
  };
  const Case cases[] = {
      {"/filme/urlaub.swf", "urlaub.swf", "/filme/urlaub.htm"},
      {"FILM.SWF", "FILM.SWF", "FILM.htm"},
      {"/x/a.b.swf", "a.b.swf", "/x/a.b.htm"},
      {"/filme.alt/film", "film", "/filme.alt/film.htm"},
      {"film", "film", "film.htm"},
      {"/filme/.swf", ".swf", "/filme/.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MovieName(c.target), c.movieName) << c.target;
    EXPECT_EQ(PagePath(c.target), c.page) << c.target;
  }
}

TEST(CodeFile, UncreatableFileThrowsTheGermanMessage) {
  const std::string path = "/nonexistent-folder-of-tessaline/film.htm";
  try {
    WriteLinesWithCrLf(path, {"x"});
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "Datei /nonexistent-folder-of-tessaline/film.htm kann nicht erstellt werden (Datei oder Ordner nicht "
                 "gefunden)");
  }
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class CodeFileInFolder : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tessaline-page-XXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
};

// Like the movie: a link in the page's place is replaced, its target untouched.
TEST_F(CodeFileInFolder, ReplacesALinkInsteadOfWritingThroughIt) {
  std::ofstream(folder / "fremd.txt") << "unberührt";
  std::filesystem::create_symlink(folder / "fremd.txt", folder / "film.htm");
  WriteLinesWithCrLf((folder / "film.htm").string(), {"a", "b"});
  EXPECT_FALSE(std::filesystem::is_symlink(folder / "film.htm"));
  EXPECT_EQ(ReadFile(folder / "film.htm"), "a\r\nb\r\n");
  EXPECT_EQ(ReadFile(folder / "fremd.txt"), "unberührt");
  EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"film.htm", "fremd.txt"}));
}

// A write that fails (a file-size limit here, as a full disk) leaves the old
// page as it was and no empty or partial file.
TEST_F(CodeFileInFolder, FailedWriteLeavesTheOldPageAndNoOtherFile) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "ThreadSanitizer's runtime lets SIGXFSZ end the program although it is ignored";
#endif
  std::ofstream(folder / "film.htm") << "alt";
  EXPECT_EXIT(
      {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {};
        limit.rlim_cur = 4;
        limit.rlim_max = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string what;
        try {
          WriteLinesWithCrLf((folder / "film.htm").string(), kUrlaubLines);
        } catch (const std::runtime_error& error) {
          what = error.what();
        }
        const bool told =
            what == "Datei " + (folder / "film.htm").string() + " kann nicht erstellt werden (Datei zu groß)";
        std::exit(told ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(folder / "film.htm"), "alt");
  EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"film.htm"});
}

using HandOff = ConversionFixture;

TEST_F(HandOff, FillsCodeBoxAndWritesPageBesideMovie) {
  const std::string target = (folder / "urlaub.swf").string();
  HandOffMovie(window, target, 320, 240, true, false);
  EXPECT_EQ(window.codeLines, kUrlaubLines);
  std::string expected;
  for (const std::string& line : kUrlaubLines) expected += line + "\r\n";
  EXPECT_EQ(ReadFile(folder / "urlaub.htm"), expected);
  EXPECT_TRUE(window.opened.empty());
}

TEST_F(HandOff, FlagsDecideWhatIsWrittenAndOpened) {
  struct Case {
    bool page, open;
    std::vector<std::string> opened;
  };
  const std::string target = (folder / "film.swf").string();
  const std::string page = (folder / "film.htm").string();
  const Case cases[] = {{true, true, {page}}, {true, false, {}}, {false, true, {target}}, {false, false, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "page " << c.page << " open " << c.open);
    std::filesystem::remove(page);
    window.opened.clear();
    HandOffMovie(window, target, 4, 3, c.page, c.open);
    EXPECT_EQ(window.opened, c.opened);
    EXPECT_EQ(std::filesystem::exists(page), c.page);
    EXPECT_EQ(window.codeLines.size(), 10u);
  }
}

TEST_F(HandOff, SecondRunReplacesCodeBoxAndPage) {
  const std::string target = (folder / "film.swf").string();
  std::ofstream(folder / "film.htm") << "older page, much longer than the new one would be if it were appended";
  HandOffMovie(window, (folder / "erster.swf").string(), 1, 1, false, false);
  HandOffMovie(window, target, 320, 240, true, false);
  ASSERT_EQ(window.codeLines.size(), 10u);
  EXPECT_EQ(window.codeLines[3], R"(<param name="movie" value="film.swf">)");
  EXPECT_EQ(ReadFile(folder / "film.htm").substr(0, 16), "<object classid=");
  EXPECT_EQ(ReadFile(folder / "film.htm").size(), [] {
    std::size_t size = 0;
    for (const std::string& line : EmbeddingCode("film.swf", 320, 240)) size += line.size() + 2;
    return size;
  }());
}

TEST_F(HandOff, PageThatCannotBeCreatedOpensNothing) {
  const std::string target = (folder / "fehlt" / "film.swf").string();
  EXPECT_THROW(HandOffMovie(window, target, 4, 3, true, true), std::runtime_error);
  EXPECT_TRUE(window.opened.empty());
  EXPECT_EQ(window.codeLines.size(), 10u);
}

TEST_F(HandOff, RunEndsWithHandOffOfTheWrittenMovie) {
  UseSource(6, 5, 4, {SolidPicture(6, 5, 1)});
  settings.createHtmlPage = true;
  settings.openResult = true;
  ASSERT_TRUE(Run());
  EXPECT_EQ(window.codeLines[2], R"(width="6" height="5">)");
  EXPECT_EQ(window.opened, std::vector<std::string>{(folder / "film.htm").string()});
  EXPECT_TRUE(std::filesystem::exists(folder / "film.htm"));
}

}  // namespace
