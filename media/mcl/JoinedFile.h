// Files read one after the other as one stream of bytes, as `cat` would join
// them: a DVD title's VOB files are one program stream cut every gigabyte,
// anywhere, even inside a packet. FFmpeg reads the joined stream through an
// input of our own that seeks across the parts, so demuxing, counting and
// seeking see one file.
#pragma once

#include <string>
#include <vector>

#include "media/mcl/FfmpegHandles.h"
#include "media/mcl/MclError.h"

namespace mcl {

// The input for a format context flagged AVFMT_FLAG_CUSTOM_IO; null, with the
// cause in kind, when a part cannot be opened.
AvioPtr OpenJoinedInput(const std::vector<std::string>& parts, ErrorKind& kind);

}  // namespace mcl
