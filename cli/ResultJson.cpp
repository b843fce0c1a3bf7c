#include "cli/ResultJson.h"

#include <cstdio>

namespace {

// The length of the UTF-8 sequence at text[at], or 0 when it is not one.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  const auto second = static_cast<unsigned char>(length > 1 ? text[at + 1] : 0);
  // Overlong forms, surrogates and code points past U+10FFFF.
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second > 0x8F)) {
    return 0;
  }
  return length;
}

void AppendEscaped(std::string& json, char c) {
  switch (c) {
    case '"':
      json += "\\\"";
      return;
    case '\\':
      json += "\\\\";
      return;
    case '\n':
      json += "\\n";
      return;
    case '\t':
      json += "\\t";
      return;
    default:
      break;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    json += escaped;
  } else {
    json += c;
  }
}

const char* StateName(ResultState state) {
  switch (state) {
    case ResultState::Complete:
      return "complete";
    case ResultState::Incomplete:
      return "incomplete";
    case ResultState::Skipped:
      return "skipped";
    case ResultState::Failed:
      break;
  }
  return "failed";
}

std::string StringOrNull(const std::optional<std::string>& text) { return text ? JsonString(*text) : "null"; }

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8Length(text, at);
    if (length == 0) {
      json += "\\ufffd";
      ++at;
    } else if (length == 1) {
      AppendEscaped(json, text[at++]);
    } else {
      json.append(text, at, length);
      at += length;
    }
  }
  return json + "\"";
}

std::string ResultJson(const SourceResult& result) {
  const std::optional<std::string> reason =
      result.reason.empty() ? std::nullopt : std::optional<std::string>(result.reason);
  return "{\"source\":" + JsonString(result.source) + ",\"target\":" + JsonString(result.target) +
         ",\"page\":" + StringOrNull(result.page) + ",\"frames\":" + std::to_string(result.frames) +
         ",\"total\":" + std::to_string(result.total) + ",\"state\":\"" + StateName(result.state) +
         "\",\"reason\":" + StringOrNull(reason) + "}";
}
