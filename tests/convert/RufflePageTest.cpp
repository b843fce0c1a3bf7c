#include "convert/RufflePage.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kCode = {"<object a=\"1\">", "</object>"};

TEST(RufflePage, Html5PageAroundTheUnchangedCodeWithEscapedTitleAndScript) {
  EXPECT_EQ(RufflePage("Tom & \"Jerry\" <1>.swf", "https://cdn.example/ruffle.js?v=1&x=2", kCode),
            (std::vector<std::string>{
                "<!DOCTYPE html>",
                "<html>",
                "<head>",
                "<meta charset=\"utf-8\">",
                "<title>Tom &amp; &quot;Jerry&quot; &lt;1&gt;.swf</title>",
                "<script>window.RufflePlayer = window.RufflePlayer || {}; "
                "window.RufflePlayer.config = {autoplay: \"on\", unmuteOverlay: \"visible\"};</script>",
                "<script src=\"https://cdn.example/ruffle.js?v=1&amp;x=2\"></script>",
                "</head>",
                "<body>",
                "<object a=\"1\">",
                "</object>",
                "</body>",
                "</html>",
            }));
}

TEST(RufflePage, EachKindGivesItsPage) {
  EXPECT_EQ(PageLines(PageKind::Flash, "a.swf", "r.js", kCode), kCode);
  EXPECT_EQ(PageLines(PageKind::Ruffle, "a.swf", "r.js", kCode), RufflePage("a.swf", "r.js", kCode));
}

}  // namespace
