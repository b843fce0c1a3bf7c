// A look at a module file before the system loader maps it: the loader trusts
// the file's headers, and a segment that reaches past the end of a cut-off
// file is mapped all the same and faults (SIGBUS) when it is touched.
#pragma once

#include <filesystem>

// True for a regular file whose ELF headers, segments and section table all
// lie within the file; false for anything cut off, foreign or unreadable.
bool IsCompleteModuleFile(const std::filesystem::path& file);
