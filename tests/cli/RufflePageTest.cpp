#include "cli/RufflePage.h"

#include <gtest/gtest.h>

namespace {

TEST(RufflePage, Html5PageAroundTheUnchangedCodeWithEscapedTitleAndScript) {
  const std::vector<std::string> code = {"<object a=\"1\">", "</object>"};
  EXPECT_EQ(RufflePage("Tom & \"Jerry\" <1>.swf", "https://cdn.example/ruffle.js?v=1&x=2", code),
            (std::vector<std::string>{
                "<!DOCTYPE html>",
                "<html>",
                "<head>",
                "<meta charset=\"utf-8\">",
                "<title>Tom &amp; &quot;Jerry&quot; &lt;1&gt;.swf</title>",
                "<script src=\"https://cdn.example/ruffle.js?v=1&amp;x=2\"></script>",
                "</head>",
                "<body>",
                "<object a=\"1\">",
                "</object>",
                "</body>",
                "</html>",
            }));
}

}  // namespace
