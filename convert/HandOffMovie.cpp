#include "convert/HandOffMovie.h"

#include <stdexcept>

#include "convert/FileByRename.h"
#include "convert/SystemReason.h"

namespace {

constexpr const char* kSeparators = "/";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// ASCII ranges on purpose: the locale must not decide what a URL holds.
bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

}  // namespace

std::string MovieName(const std::string& targetPath) {
  const std::size_t separator = targetPath.find_last_of(kSeparators);
  return separator == std::string::npos ? targetPath : targetPath.substr(separator + 1);
}

std::string PagePath(const std::string& targetPath) {
  const std::size_t dot = targetPath.rfind('.');
  const std::size_t separator = targetPath.find_last_of(kSeparators);
  const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || separator < dot);
  return (hasExtension ? targetPath.substr(0, dot) : targetPath) + ".htm";
}

std::string EscapeHtml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string PercentEncode(const std::string& text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(c)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 0x0F];
    }
  }
  return encoded;
}

std::vector<std::string> EmbeddingCode(const std::string& movieName, int width, int height) {
  const std::string name = Quoted(EscapeHtml(PercentEncode(movieName)));
  const std::string size = "width=" + Quoted(std::to_string(width)) + " height=" + Quoted(std::to_string(height));
  return {
      "<object classid=" + Quoted("clsid:D27CDB6E-AE6D-11cf-96B8-444553540000") + " codebase=",
      Quoted(std::string("http://") + kPluginDownloadHost + "/pub/shockwave/cabs/flash/swflash.cab#version=4,0,2,0"),
      size + ">",
      "<param name=" + Quoted("movie") + " value=" + name + ">",
      "<param name=" + Quoted("quality") + " value=" + Quoted("high") + ">",
      "<embed src=" + name + " quality=" + Quoted("high") + " pluginspage=",
      Quoted(std::string("http://") + kPlayerPageHost + "/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash"),
      "type=" + Quoted("application/x-shockwave-flash") + " " + size + ">",
      "</embed>",
      "</object>",
  };
}

void WriteLinesWithCrLf(const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  if (const int error = WriteFileByRename(path, bytes); error != 0) {
    throw std::runtime_error(WithSystemReason("Datei " + path + " kann nicht erstellt werden", error));
  }
}

void HandOffMovie(ConversionWindow& window, const std::string& targetPath, int width, int height, bool createHtmlPage,
                  bool openResult) {
  window.ClearCodeLines();
  for (const std::string& line : EmbeddingCode(MovieName(targetPath), width, height)) window.AppendCodeLine(line);
  if (createHtmlPage) {
    const std::string pagePath = PagePath(targetPath);
    window.SaveCodeLines(pagePath);
    if (openResult) window.ShellOpen(pagePath);
  } else if (openResult) {
    window.ShellOpen(targetPath);
  }
}
