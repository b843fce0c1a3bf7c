// The temporary file each stored picture's JPEG goes through.
#pragma once

#include <string>

// A path in the temporary folder under which no file exists yet; empty when
// the system has no usable temporary folder.
std::string MakeTempFileName(const std::string& prefix, const std::string& extension);
// The lock file that reserves a name of MakeTempFileName.
std::string TempFileLock(const std::string& path);
// Deletes the temporary file and gives its name back.
void ReleaseTempFileName(const std::string& path);
