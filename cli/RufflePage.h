// An HTML5 page around the embedding code that loads Ruffle, the Flash player
// built for today's browsers; its script replaces the OBJECT/EMBED block.
#pragma once

#include <string>
#include <vector>

// The page's lines: doctype, UTF-8, the movie name as title, the script line
// for scriptUrl, then codeLines unchanged.
std::vector<std::string> RufflePage(const std::string& movieName, const std::string& scriptUrl,
                                    const std::vector<std::string>& codeLines);
