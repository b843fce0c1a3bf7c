#include "convert/RufflePage.h"

#include "convert/HandOffMovie.h"

namespace {

// Without "on" Ruffle waits for a click on its play button wherever the
// browser blocks sound; with it the movie plays muted until the overlay is
// clicked.
constexpr const char* kRuffleConfig =
    "<script>window.RufflePlayer = window.RufflePlayer || {}; "
    "window.RufflePlayer.config = {autoplay: \"on\", unmuteOverlay: \"visible\"};</script>";

}  // namespace

std::vector<std::string> RufflePage(const std::string& movieName, const std::string& scriptUrl,
                                    const std::vector<std::string>& codeLines) {
  std::vector<std::string> page = {
      "<!DOCTYPE html>",
      "<html>",
      "<head>",
      "<meta charset=\"utf-8\">",
      "<title>" + EscapeHtml(movieName) + "</title>",
      kRuffleConfig,
      "<script src=\"" + EscapeHtml(scriptUrl) + "\"></script>",
      "</head>",
      "<body>",
  };
  page.insert(page.end(), codeLines.begin(), codeLines.end());
  page.push_back("</body>");
  page.push_back("</html>");
  return page;
}

std::vector<std::string> PageLines(PageKind kind, const std::string& movieName, const std::string& scriptUrl,
                                   const std::vector<std::string>& codeLines) {
  return kind == PageKind::Ruffle ? RufflePage(movieName, scriptUrl, codeLines) : codeLines;
}
