// The system's reason for a failed call, as the user reads it: German for the
// failures a conversion meets (strerror speaks German only under a German
// locale, which the program does not rely on), the system's own text else.
#pragma once

#include <string>

// The reason for errno value errorNumber; empty for 0.
std::string SystemReason(int errorNumber);

// line with the reason in parentheses: "Datei x.swf kann nicht erstellt
// werden (Kein Platz mehr auf dem Datenträger)"; line alone for 0.
std::string WithSystemReason(const std::string& line, int errorNumber);
