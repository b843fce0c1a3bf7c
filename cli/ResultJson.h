// One source's result as one line of JSON, for --json.
#pragma once

#include <optional>
#include <string>

enum class ResultState { Complete, Incomplete, Failed, Skipped };

struct SourceResult {
  std::string source;
  std::string target;
  std::optional<std::string> page;  // when one was to be written
  int frames = 0;                   // source frames walked
  int total = 0;                    // source frames to walk (0: unknown or never opened)
  ResultState state = ResultState::Failed;
  bool refused = false;  // failed because the settings cannot make this movie
  std::string reason;  // the first warning or problem line; empty when none
};

// {"source":…,"target":…,"page":…|null,"frames":N,"total":N,"state":"complete"|"incomplete"|"failed"|"skipped",
// "reason":…|null}
std::string ResultJson(const SourceResult& result);

// text as a JSON string, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);
