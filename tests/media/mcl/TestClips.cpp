#include "TestClips.h"

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <vector>

#include "tests/support/ClipMaker.h"

namespace mcltest {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

Args Join(std::initializer_list<Args> parts) {
  Args all;
  for (const Args& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Args Gray(const std::string& rate, const std::string& seconds) {
  return Lavfi("nullsrc=s=160x120:r=" + rate + ":d=" + seconds + ",geq=lum='16+mod(N*37,200)':cb=128:cr=128");
}
// Left +0.5 and right -0.5 from sample 4410 on, silence before.
Args StepStereo(const std::string& seconds) {
  return Lavfi("aevalsrc=exprs='if(gte(n,4410),0.5,0)|if(gte(n,4410),-0.5,0)':s=44100:d=" + seconds);
}
Args Halves(const std::string& colourSource) {
  return Lavfi(colourSource + ",format=rgb24,drawbox=y=ih/2:h=ih:w=iw:color=blue:t=fill");
}
const Args kTinyVideo = Join({Lavfi("color=black:s=64x48:r=25:d=1"), {"-c:v", "mpeg4"}});
const Args kGop = {"-g", "12", "-bf", "2", "-q:v", "2"};
const Args kFfv1 = {"-c:v", "ffv1", "-pix_fmt", "bgr0"};

const std::map<std::string, Args>& Recipes() {
  static const std::map<std::string, Args> recipes{
      {"gray.avi", Join({Gray("25", "12"), StepStereo("12"), {"-c:v", "mpeg4"}, kGop, {"-c:a", "pcm_s16le"}})},
      {"gray.mpg", Join({Gray("25", "12"),
                         Lavfi("sine=f=440:r=44100:d=12"),
                         {"-ac", "2", "-c:v", "mpeg1video"},
                         kGop,
                         {"-c:a", "mp2"}})},
      {"gray.vob", Join({Gray("30000/1001", "6"),
                         Lavfi("sine=f=440:r=48000:d=6"),
                         {"-ac", "2", "-c:v", "mpeg2video"},
                         kGop,
                         {"-c:a", "ac3", "-f", "dvd"}})},
      {"halves.avi", Join({Halves("color=red:s=160x120:r=25:d=1"), {"-c:v", "mpeg4", "-q:v", "2"}})},
      {"odd.avi", Join({Halves("color=red:s=321x179:r=25:d=0.4"), kFfv1})},
      {"wide.avi", Join({Halves("color=red:s=3000x200:r=25:d=0.2"), kFfv1})},
      {"mono.avi",
       Join({kTinyVideo, Lavfi("aevalsrc=exprs='if(gte(n,4410),0.5,0)':s=44100:d=1"), {"-c:a", "pcm_s16le"}})},
      {"u8.avi", Join({kTinyVideo, StepStereo("1"), {"-c:a", "pcm_u8"}})},
      {"six.avi", Join({kTinyVideo,
                        Lavfi("aevalsrc=exprs='0.25*gte(n,4410)|0.25*gte(n,4410)|0.25*gte(n,4410)|0.25*gte(n,4410)|"
                              "0.25*gte(n,4410)|0.25*gte(n,4410)':c=5.1:s=44100:d=1"),
                        {"-c:a", "pcm_s16le"}})},
      // Frames 20 to 40 dropped: the AVI keeps no chunk for them.
      {"dropped.avi",
       Join({Gray("25", "4"),
             {"-vf", "select='not(between(n,20,40))'", "-fps_mode", "passthrough", "-c:v", "mpeg4", "-q:v", "2"}})},
      {"gray-interlaced.vob",
       Join({Gray("25", "8"), {"-vf", "setfield=tff", "-c:v", "mpeg2video", "-flags", "+ilme+ildct", "-top", "1"},
             kGop, {"-f", "dvd"}})},
      // Coded interlaced, fields 1/50 s apart, moving bars.
      {"bars-interlaced.vob", Join({Lavfi("testsrc2=s=160x120:r=50:d=1"),
                                    {"-vf", "tinterlace=mode=interleave_top,setfield=tff", "-c:v", "mpeg2video",
                                     "-flags", "+ilme+ildct", "-top", "1", "-q:v", "2", "-f", "dvd"}})},
      // The same with B-frames; and progressive moving bars with B-frames.
      {"bars-interlaced-b.vob", Join({Lavfi("testsrc2=s=160x120:r=50:d=4"),
                                      {"-vf", "tinterlace=mode=interleave_top,setfield=tff", "-c:v", "mpeg2video",
                                       "-flags", "+ilme+ildct", "-top", "1"},
                                      kGop, {"-f", "dvd"}})},
      {"bars-b.vob", Join({Lavfi("testsrc2=s=160x120:r=25:d=4"), {"-c:v", "mpeg2video"}, kGop, {"-f", "dvd"}})},
      {"dropped-h264.avi",
       Join({Gray("25", "4"), {"-vf", "select='not(between(n,20,40))'", "-fps_mode", "passthrough", "-c:v", "libx264",
                               "-qp", "0"}})},
      {"mp2.avi",
       Join({Gray("25", "4"), Lavfi("sine=f=440:r=44100:d=4"), {"-c:v", "mpeg4", "-q:v", "2", "-c:a", "mp2"}})},
      {"sound.wav", Join({StepStereo("1"), {"-c:a", "pcm_s16le"}})},
  };
  return recipes;
}

}  // namespace

std::string ScratchPath(const std::string& name) { return (ClipCacheDir() / name).string(); }

std::string Clip(const std::string& name) {
  const auto recipe = Recipes().find(name);
  if (recipe == Recipes().end()) throw std::invalid_argument("no recipe for clip " + name);
  return CachedClip(name, recipe->second).string();
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
