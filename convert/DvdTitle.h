// Sources stored in parts: a DVD keeps a title as VTS_01_1.VOB, VTS_01_2.VOB,
// ... (a gigabyte each, cut anywhere), which are read one after the other as
// one source, as `cat` would join them.
#pragma once

#include <string>
#include <vector>

#include "convert/ConversionSettings.h"

// For the first part of a DVD title (VTS_nn_1.VOB, any case): it and the
// parts of the same title beside it, up to the first one missing or empty.
// Any other name: the name alone.
std::vector<std::string> DvdTitleParts(const std::string& path);

// The sources without the later parts of a DVD title whose first part is
// among them, as VTS_01_*.VOB names them: the first part reads them.
std::vector<std::string> WithoutJoinedTitleParts(const std::vector<std::string>& sources);

// The files a run reads as its source, first part first: the parts joined on
// request, else the whole title of a DVD's first part unless only that file is
// wanted, else the source alone.
std::vector<std::string> SourceParts(const ConversionSettings& settings);

// "Teile zu einem Film verbunden: VTS_01_1.VOB, VTS_01_2.VOB"
std::string JoinedPartsLine(const std::vector<std::string>& parts);
