// What would make writing a movie or page fail at the end, found before any
// work is spent: a missing or unwritable folder, a name too long for the
// temporary name beside it (<name>.tmp0), a folder in the file's place or a
// write-protected file there.
#pragma once

#include <string>

#include "convert/ConversionSettings.h"

// "Datei <path> kann nicht erstellt werden (<reason>)", or empty when path can
// be written.
std::string TargetProblem(const std::string& path);

// The movie's problem, else the page's when one is to be written.
std::string TargetsProblem(const ConversionSettings& settings);

// Removes what runs that died left beside the movie and the page (their
// temporary files), unless a live run holds them.
void RemoveDeadTemporariesOfTargets(const ConversionSettings& settings);
