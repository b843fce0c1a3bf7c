#include "tests/support/ClipMaker.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "tests/support/ProcessRunner.h"

namespace fs = std::filesystem;

namespace {

std::string RecipeHash(const std::vector<std::string>& args) {
  std::string recipe;
  for (const std::string& arg : args) recipe += arg + '\n';
  return std::to_string(std::hash<std::string>{}(recipe) % 100000000);
}

}  // namespace

void MakeClip(const fs::path& target, const std::vector<std::string>& args) {
  const fs::path partial =
      target.parent_path() / (".part" + std::to_string(getpid()) + "-" + target.filename().string());
  std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
  argv.insert(argv.end(), args.begin(), args.end());
  // The container comes from the target's extension, which the private name keeps.
  argv.push_back(partial.string());
  const ProgramResult made = RunProgram({argv, {}, {}, false, 300});
  if (made.exitCode != 0) {
    std::error_code ignored;
    fs::remove(partial, ignored);
    throw std::runtime_error("ffmpeg could not make " + target.string() + ": " + made.err);
  }
  fs::rename(partial, target);
}

fs::path ClipCacheDir() {
  const fs::path dir = TESSALINE_CLIP_CACHE;
  fs::create_directories(dir);
  return dir;
}

fs::path CachedClip(const std::string& name, const std::vector<std::string>& args) {
  // In a folder named by the recipe's hash, so the clip keeps the name asked for.
  const fs::path folder = ClipCacheDir() / RecipeHash(args);
  const fs::path clip = folder / name;
  if (fs::exists(clip)) return clip;
  fs::create_directories(folder);
  MakeClip(clip, args);
  return clip;
}

fs::path CachedClipFolder(const std::string& name, const std::vector<std::string>& args) {
  const fs::path folder = ClipCacheDir() / (name + "-" + RecipeHash(args));
  if (fs::exists(folder)) return folder;
  const fs::path partial = ClipCacheDir() / (name + ".part" + std::to_string(getpid()));
  fs::create_directories(partial);
  std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProgramResult made = RunProgram({argv, partial, {}, false, 300});
  if (made.exitCode != 0) {
    fs::remove_all(partial);
    throw std::runtime_error("ffmpeg could not make " + folder.string() + ": " + made.err);
  }
  std::error_code raced;
  fs::rename(partial, folder, raced);
  if (raced) fs::remove_all(partial);  // a parallel test program made it first
  return folder;
}

std::vector<std::string> Lavfi(const std::string& graph) { return {"-f", "lavfi", "-i", graph}; }

int FfprobeFrameCount(const fs::path& clip) {
  const ProgramResult probe = RunProgram({{"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                                           "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", clip.string()}});
  if (probe.exitCode != 0) throw std::runtime_error("ffprobe failed on " + clip.string() + ": " + probe.err);
  return std::stoi(probe.out);
}

std::vector<double> FfprobePictureTimes(const fs::path& clip) {
  const ProgramResult probe =
      RunProgram({{"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                   "frame=best_effort_timestamp_time", "-of", "default=nw=1:nk=1", clip.string()}});
  if (probe.exitCode != 0) throw std::runtime_error("ffprobe failed on " + clip.string() + ": " + probe.err);
  std::vector<double> times;
  std::istringstream lines(probe.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line != "N/A") times.push_back(std::stod(line));
  }
  return times;
}

void CutFile(const fs::path& clip, double fraction) {
  fs::resize_file(clip, static_cast<std::uintmax_t>(static_cast<double>(fs::file_size(clip)) * fraction));
}

void SplitFile(const fs::path& clip, const std::vector<std::uintmax_t>& cuts, const std::vector<fs::path>& parts) {
  std::ifstream in(clip, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::uintmax_t from = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::uintmax_t to = i < cuts.size() ? std::min<std::uintmax_t>(cuts[i], bytes.size()) : bytes.size();
    std::ofstream out(parts[i], std::ios::binary | std::ios::trunc);
    out.write(bytes.data() + from, static_cast<std::streamsize>(to - from));
    if (!out) throw std::runtime_error("cannot write " + parts[i].string());
    from = to;
  }
}

void SpoilPackets(const fs::path& clip, const std::string& stream, int fromPacket) {
  const ProgramResult probe = RunProgram({{"ffprobe", "-v", "error", "-select_streams", stream, "-show_entries",
                                           "packet=pos,size", "-of", "csv=p=0", clip.string()}});
  if (probe.exitCode != 0) throw std::runtime_error("ffprobe failed on " + clip.string() + ": " + probe.err);
  std::fstream file(clip, std::ios::in | std::ios::out | std::ios::binary);
  std::istringstream lines(probe.out);
  std::string line;
  std::uint32_t noise = 12345;
  for (int packet = 0; std::getline(lines, line); ++packet) {
    const auto comma = line.find(',');
    if (packet < fromPacket || comma == std::string::npos || line.substr(comma + 1) == "N/A") continue;
    // ffprobe prints size first, then pos.
    const long long size = std::stoll(line.substr(0, comma));
    const long long pos = std::stoll(line.substr(comma + 1));
    std::string garbage(static_cast<std::size_t>(size), '\0');
    for (char& c : garbage) c = static_cast<char>((noise = noise * 1103515245u + 12345u) >> 24);
    file.seekp(pos);
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
}
