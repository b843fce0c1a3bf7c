#include "cli/RufflePage.h"

#include "convert/HandOffMovie.h"

std::vector<std::string> RufflePage(const std::string& movieName, const std::string& scriptUrl,
                                    const std::vector<std::string>& codeLines) {
  std::vector<std::string> page = {
      "<!DOCTYPE html>",
      "<html>",
      "<head>",
      "<meta charset=\"utf-8\">",
      "<title>" + EscapeHtml(movieName) + "</title>",
      "<script src=\"" + EscapeHtml(scriptUrl) + "\"></script>",
      "</head>",
      "<body>",
  };
  page.insert(page.end(), codeLines.begin(), codeLines.end());
  page.push_back("</body>");
  page.push_back("</html>");
  return page;
}
