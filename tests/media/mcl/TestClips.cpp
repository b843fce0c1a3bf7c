#include "TestClips.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>

namespace mcltest {
namespace {

namespace fs = std::filesystem;

const std::string kGray = R"(-f lavfi -i "nullsrc=s=160x120:r=25:d=12,geq=lum='16+mod(N*37,200)':cb=128:cr=128")";
const std::string kGrayNtsc =
    R"(-f lavfi -i "nullsrc=s=160x120:r=30000/1001:d=6,geq=lum='16+mod(N*37,200)':cb=128:cr=128")";
// Left +0.5 and right -0.5 from sample 4410 on, silence before.
const std::string kStepStereo =
    R"(-f lavfi -i "aevalsrc=exprs='if(gte(n,4410),0.5,0)|if(gte(n,4410),-0.5,0)':s=44100:d=)";
const std::string kHalves = R"(,format=rgb24,drawbox=y=ih/2:h=ih:w=iw:color=blue:t=fill")";
const std::string kTinyVideo = R"(-f lavfi -i "color=black:s=64x48:r=25:d=1" -c:v mpeg4 )";
const std::string kGop = " -g 12 -bf 2 -q:v 2 ";

const std::map<std::string, std::string>& Recipes() {
  static const std::map<std::string, std::string> recipes{
      {"gray.avi", kGray + " " + kStepStereo + "12\"" + " -c:v mpeg4" + kGop + "-c:a pcm_s16le"},
      {"gray.mpg", kGray + " -f lavfi -i \"sine=f=440:r=44100:d=12\" -ac 2 -c:v mpeg1video" + kGop + "-c:a mp2"},
      {"gray.vob",
       kGrayNtsc + " -f lavfi -i \"sine=f=440:r=48000:d=6\" -ac 2 -c:v mpeg2video" + kGop + "-c:a ac3 -f dvd"},
      {"halves.avi", R"(-f lavfi -i "color=red:s=160x120:r=25:d=1)" + kHalves + " -c:v mpeg4 -q:v 2"},
      {"odd.avi", R"(-f lavfi -i "color=red:s=321x179:r=25:d=0.4)" + kHalves + " -c:v ffv1 -pix_fmt bgr0"},
      {"wide.avi", R"(-f lavfi -i "color=red:s=3000x200:r=25:d=0.2)" + kHalves + " -c:v ffv1 -pix_fmt bgr0"},
      {"mono.avi",
       kTinyVideo + R"(-f lavfi -i "aevalsrc=exprs='if(gte(n,4410),0.5,0)':s=44100:d=1" )" + "-c:a pcm_s16le"},
      {"u8.avi", kTinyVideo + kStepStereo + "1\" -c:a pcm_u8"},
      {"six.avi", kTinyVideo + R"(-f lavfi -i "aevalsrc=exprs=)" +
                      R"('0.25*gte(n,4410)|0.25*gte(n,4410)|0.25*gte(n,4410)|0.25*gte(n,4410)|)" +
                      R"(0.25*gte(n,4410)|0.25*gte(n,4410)':c=5.1:s=44100:d=1" -c:a pcm_s16le)"},
      {"sound.wav", kStepStereo + "1\" -c:a pcm_s16le"},
  };
  return recipes;
}

std::string ClipDir() {
  const fs::path dir = MCL_TEST_CLIP_DIR;
  fs::create_directories(dir);
  return dir.string();
}

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

}  // namespace

std::string ScratchPath(const std::string& name) { return ClipDir() + "/" + name; }

std::string Clip(const std::string& name) {
  const auto recipe = Recipes().find(name);
  if (recipe == Recipes().end()) throw std::invalid_argument("no recipe for clip " + name);
  // The recipe's hash in the name: a changed recipe makes a new clip.
  const fs::path target(ScratchPath(name));
  const std::string path =
      ScratchPath(target.stem().string() + "-" + std::to_string(std::hash<std::string>{}(recipe->second) % 1000000) +
                  target.extension().string());
  if (fs::exists(path)) return path;
  // Made under a private name and renamed, as parallel test processes may race.
  const std::string temporary =
      ScratchPath(target.stem().string() + ".part" + std::to_string(getpid()) + target.extension().string());
  const std::string command = "ffmpeg -nostdin -v error -y " + recipe->second + " \"" + temporary + "\"";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg failed: " + command);
  fs::rename(temporary, path);
  return path;
}

std::string ClipFolder(const std::string& name, const std::string& arguments) {
  const std::string folder = ScratchPath(name + "-" + std::to_string(std::hash<std::string>{}(arguments) % 1000000));
  if (fs::exists(folder)) return folder;
  const std::string temporary = ScratchPath(name + ".part" + std::to_string(getpid()));
  fs::create_directories(temporary);
  const std::string command = "cd \"" + temporary + "\" && ffmpeg -nostdin -v error -y " + arguments;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg failed: " + command);
  std::error_code ec;
  fs::rename(temporary, folder, ec);
  if (ec) fs::remove_all(temporary);  // a parallel test process made it first
  return folder;
}

int FfprobeFrameCount(const std::string& path) {
  const std::string out =
      Capture("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \"" +
              path + "\"");
  return std::atoi(out.c_str());
}

Dib::Dib(int width, int height) : stride((width * 3 + 3) / 4 * 4), rows(static_cast<size_t>(stride) * height) {
  info.headerSize = sizeof(DibInfoHeader);
  info.width = width;
  info.height = height;
  info.planes = 1;
  info.bitCount = 24;
}

int FetchRows(MclImageHandle image, Dib& dib) {
  MclBitmapHandle bitmap = MclImgToDIB(image);
  const int lines = MclGetDIBits(bitmap, 0, dib.info.height, dib.rows.data(), &dib.info);
  MclReleaseDIB(bitmap);
  return lines;
}

int GrayLevelOfFrame(int n) {
  const int luma = 16 + (n * 37) % 200;
  return static_cast<int>(std::lround((luma - 16) * 255.0 / 219.0));
}

}  // namespace mcltest
