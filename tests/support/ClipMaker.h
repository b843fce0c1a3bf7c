// Clips made at test time with Debian's ffmpeg tool, mostly from its lavfi
// sources, and small edits to them (cut short, stream payloads spoilt).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Runs `ffmpeg -nostdin -v error -y <args> <target>`; throws with ffmpeg's
// message when it fails. The clip is made under a private name and renamed,
// so a parallel test never reads half a clip.
void MakeClip(const std::filesystem::path& target, const std::vector<std::string>& args);

// The folder the build keeps made clips in, shared by all test programs.
std::filesystem::path ClipCacheDir();

// A clip of that file name in the cache, made on first use. A changed recipe
// makes a new clip.
std::filesystem::path CachedClip(const std::string& name, const std::vector<std::string>& args);

// A folder of files made by one ffmpeg run inside it (the arguments name the
// outputs relative to the folder), made on first use.
std::filesystem::path CachedClipFolder(const std::string& name, const std::vector<std::string>& args);

// Moves the times (PTS and DTS) of an MPEG program stream's packets with a
// time, from the firstPacket'th to the lastPacket'th (-1: to the end), by
// ticks of 90 kHz, modulo the 33 bits of the field, as a spliced or damaged
// DVD has them.
void ShiftMpegTimes(const std::filesystem::path& clip, std::int64_t ticks, int firstPacket = 0, int lastPacket = -1);

// Two program streams made by ffmpeg joined byte by byte, the second's times
// moved by ticks: a clock that jumps where they meet. Made on first use.
std::filesystem::path CachedJumpClip(const std::string& name, const std::vector<std::string>& first,
                                     const std::vector<std::string>& second, std::int64_t ticks);

// {"-f", "lavfi", "-i", graph}
std::vector<std::string> Lavfi(const std::string& graph);

// What `ffprobe -count_frames` reports for the first video stream.
int FfprobeFrameCount(const std::filesystem::path& clip);

// When ffprobe shows the pictures it decodes from the first video stream:
// seconds on the file's clock, in display order.
std::vector<double> FfprobePictureTimes(const std::filesystem::path& clip);

// Keeps the first fraction of the file's bytes, as a broken download would.
void CutFile(const std::filesystem::path& clip, double fraction);

// Writes the file's bytes into the given parts, cut at the byte offsets
// given (one fewer than parts), as a DVD stores a title over its VOB files.
void SplitFile(const std::filesystem::path& clip, const std::vector<std::uintmax_t>& cuts,
               const std::vector<std::filesystem::path>& parts);

// Overwrites the payload of every packet of one stream ("v:0", "a:0") from
// the given one on with bytes no decoder makes sense of; the container's
// structure stays intact.
void SpoilPackets(const std::filesystem::path& clip, const std::string& stream, int fromPacket = 0);
