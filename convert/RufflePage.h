// The page written beside the movie: the bare embedding code, or an HTML5
// page around it that loads Ruffle, the Flash player built for today's
// browsers, whose script replaces the OBJECT/EMBED block.
#pragma once

#include <string>
#include <vector>

enum class PageKind { Flash, Ruffle };

inline constexpr const char* kDefaultRuffleScript = "ruffle/ruffle.js";

// The page's lines: doctype, UTF-8, the movie name as title, Ruffle's
// settings (play at once, muted with its unmute button where the browser
// allows no sound before a click), the script line for scriptUrl, then
// codeLines unchanged.
std::vector<std::string> RufflePage(const std::string& movieName, const std::string& scriptUrl,
                                    const std::vector<std::string>& codeLines);

// The lines of the page file of the given kind.
std::vector<std::string> PageLines(PageKind kind, const std::string& movieName, const std::string& scriptUrl,
                                   const std::vector<std::string>& codeLines);
