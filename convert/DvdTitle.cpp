#include "convert/DvdTitle.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kLastPart = '9';  // a title set holds at most nine VOB files

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// "VTS_01_1.VOB": the title set's number at 4 and 5, the part's at 7.
bool IsTitlePart(const std::string& upperName) {
  const auto digit = [&upperName](std::size_t at) { return std::isdigit(static_cast<unsigned char>(upperName[at])); };
  return upperName.size() == 12 && upperName.starts_with("VTS_") && digit(4) && digit(5) && upperName[6] == '_' &&
         digit(7) && upperName.ends_with(".VOB");
}

bool UsablePart(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && fs::file_size(path, error) > 0 && !error;
}

// The folder's names in capitals, to find parts whatever their case.
std::map<std::string, fs::path> NamesInFolder(const fs::path& folder) {
  std::map<std::string, fs::path> names;
  std::error_code error;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
       it.increment(error)) {
    names.emplace(UpperCase(it->path().filename().string()), folder / it->path().filename());
  }
  return names;
}

}  // namespace

std::vector<std::string> DvdTitleParts(const std::string& path) {
  std::vector<std::string> parts{path};
  std::string name = UpperCase(fs::path(path).filename().string());
  if (!IsTitlePart(name) || name[7] != '1') return parts;
  const std::map<std::string, fs::path> names = NamesInFolder(fs::path(path).parent_path());
  for (char part = '2'; part <= kLastPart; ++part) {
    name[7] = part;
    const auto found = names.find(name);
    if (found == names.end() || !UsablePart(found->second)) break;
    parts.push_back(found->second.string());
  }
  return parts;
}

std::vector<std::string> WithoutJoinedTitleParts(const std::vector<std::string>& sources) {
  const auto sameFile = [](const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? fs::path(path).lexically_normal() : canonical;
  };
  std::set<fs::path> joined;
  for (const std::string& source : sources) {
    const std::vector<std::string> parts = DvdTitleParts(source);
    for (std::size_t i = 1; i < parts.size(); ++i) joined.insert(sameFile(parts[i]));
  }
  std::vector<std::string> kept;
  std::copy_if(sources.begin(), sources.end(), std::back_inserter(kept),
               [&](const std::string& source) { return joined.count(sameFile(source)) == 0; });
  return kept;
}

std::vector<std::string> SourceParts(const ConversionSettings& settings) {
  if (!settings.joinedParts.empty()) return settings.joinedParts;
  if (settings.wholeDvdTitle) return DvdTitleParts(settings.sourcePath);
  return {settings.sourcePath};
}

std::string JoinedPartsLine(const std::vector<std::string>& parts) {
  // Bare names keep the line short; parts from different folders keep theirs.
  const fs::path folder = parts.empty() ? fs::path() : fs::path(parts.front()).parent_path();
  const bool oneFolder = std::all_of(parts.begin(), parts.end(),
                                     [&folder](const std::string& p) { return fs::path(p).parent_path() == folder; });
  std::string line = "Teile zu einem Film verbunden: ";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    line += (i > 0 ? ", " : "") + (oneFolder ? fs::path(parts[i]).filename().string() : parts[i]);
  }
  return line;
}
