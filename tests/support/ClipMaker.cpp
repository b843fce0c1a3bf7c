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

namespace {

constexpr std::int64_t kMpegClockModulo = std::int64_t{1} << 33;

std::int64_t ReadMpegTime(const unsigned char* b) {
  return (std::int64_t{(b[0] >> 1) & 7} << 30) | (std::int64_t{b[1]} << 22) | (std::int64_t{b[2] >> 1} << 15) |
         (std::int64_t{b[3]} << 7) | (b[4] >> 1);
}

void WriteMpegTime(unsigned char* b, std::int64_t ts) {
  b[0] = static_cast<unsigned char>((b[0] & 0xF0) | ((ts >> 29) & 0x0E) | 1);
  b[1] = static_cast<unsigned char>(ts >> 22);
  b[2] = static_cast<unsigned char>(((ts >> 14) & 0xFE) | 1);
  b[3] = static_cast<unsigned char>(ts >> 7);
  b[4] = static_cast<unsigned char>(((ts << 1) & 0xFE) | 1);
}

void ShiftMpegTime(unsigned char* b, std::int64_t ticks) {
  WriteMpegTime(b, ((ReadMpegTime(b) + ticks) % kMpegClockModulo + kMpegClockModulo) % kMpegClockModulo);
}

// Offset of the PTS in a PES packet's header and whether a DTS follows; -1 without a PTS.
long PtsOffset(const std::string& bytes, std::size_t at, std::size_t end, bool& hasDts) {
  std::size_t i = at + 6;
  if (i < end && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) {  // MPEG-2 header
    const int flags = static_cast<unsigned char>(bytes[i + 1]) >> 6;
    hasDts = flags == 3;
    return flags >= 2 ? static_cast<long>(i + 3) : -1;
  }
  while (i < end && static_cast<unsigned char>(bytes[i]) == 0xFF) ++i;           // MPEG-1: stuffing
  if (i < end && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x40) i += 2;  // buffer size
  if (i >= end) return -1;
  const int marker = static_cast<unsigned char>(bytes[i]) >> 4;
  hasDts = marker == 3;
  return marker == 2 || marker == 3 ? static_cast<long>(i) : -1;
}

}  // namespace

void ShiftMpegTimes(const fs::path& clip, std::int64_t ticks, int firstPacket, int lastPacket) {
  std::string bytes = ReadWholeFile(clip);
  int timed = 0;
  for (std::size_t at = 0; at + 6 <= bytes.size();) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    if (b[0] != 0 || b[1] != 0 || b[2] != 1) {
      ++at;
      continue;
    }
    if (b[3] == 0xBA) {  // pack header: MPEG-2 or MPEG-1
      at += (b[4] & 0xC0) == 0x40 ? 14 + (at + 13 < bytes.size() ? b[13] & 7 : 0) : 12;
      continue;
    }
    if (b[3] < 0xBC) {
      at += 4;
      continue;
    }
    const std::size_t end = std::min(bytes.size(), at + 6 + (std::size_t{b[4]} << 8 | b[5]));
    bool hasDts = false;
    const long pts = b[3] == 0xBE || b[3] == 0xBF || b[3] == 0xBB ? -1 : PtsOffset(bytes, at, end, hasDts);
    if (pts >= 0 && static_cast<std::size_t>(pts) + (hasDts ? 10 : 5) <= end) {
      if (timed >= firstPacket && (lastPacket < 0 || timed <= lastPacket)) {
        auto* t = reinterpret_cast<unsigned char*>(bytes.data() + pts);
        ShiftMpegTime(t, ticks);
        if (hasDts) ShiftMpegTime(t + 5, ticks);
      }
      ++timed;
    }
    at = end;
  }
  std::ofstream(clip, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path CachedJumpClip(const std::string& name, const std::vector<std::string>& first,
                        const std::vector<std::string>& second, std::int64_t ticks) {
  std::vector<std::string> recipe = first;
  recipe.insert(recipe.end(), second.begin(), second.end());
  recipe.push_back(std::to_string(ticks));
  const fs::path folder = ClipCacheDir() / ("jump-" + RecipeHash(recipe));
  const fs::path clip = folder / name;
  if (fs::exists(clip)) return clip;
  fs::create_directories(folder);
  const fs::path extension = fs::path(name).extension();
  const fs::path moved = folder / (".part" + std::to_string(getpid()) + "-second" + extension.string());
  fs::copy_file(CachedClip("second" + extension.string(), second), moved, fs::copy_options::overwrite_existing);
  ShiftMpegTimes(moved, ticks);
  const fs::path partial = folder / (".part" + std::to_string(getpid()) + "-" + name);
  {
    std::ofstream out(partial, std::ios::binary);
    out << std::ifstream(CachedClip("first" + extension.string(), first), std::ios::binary).rdbuf()
        << std::ifstream(moved, std::ios::binary).rdbuf();
  }
  fs::remove(moved);
  fs::rename(partial, clip);
  return clip;
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
