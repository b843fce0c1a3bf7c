// The last step of a run: the embedding code in the window's code box, the
// web page beside the movie, and opening the result.
#pragma once

#include <string>
#include <vector>

#include "convert/ConversionWindow.h"

// Hosts of the player's download addresses.
inline constexpr const char* kPluginDownloadHost = "download.macromedia.com";
inline constexpr const char* kPlayerPageHost = "www.macromedia.com";

// The file-name part of the target path.
std::string MovieName(const std::string& targetPath);
// The target path with its extension replaced by ".htm".
std::string PagePath(const std::string& targetPath);
// & < > " as entities.
std::string EscapeHtml(const std::string& text);
// Every byte outside A-Z a-z 0-9 - . _ ~ as %XX, so the name survives as one
// path segment of a URL whatever it holds (# ? % blanks, UTF-8).
std::string PercentEncode(const std::string& text);
// The ten lines of embedding code.
std::vector<std::string> EmbeddingCode(const std::string& movieName, int width, int height);

// Writes the lines, each ended by CR LF, through a temporary file renamed
// onto path (a link there is replaced, not followed). Throws
// std::runtime_error("Datei <path> kann nicht erstellt werden (<reason>)") on
// failure, leaving no file behind.
void WriteLinesWithCrLf(const std::string& path, const std::vector<std::string>& lines);

void HandOffMovie(ConversionWindow& window, const std::string& targetPath, int width, int height, bool createHtmlPage,
                  bool openResult);
