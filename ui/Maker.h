// The maker's fixed texts and addresses shown by both windows.
#pragma once

inline constexpr const char* kApplicationTitle = "Tessaline";
inline constexpr const char* kMainCaption = "Orvane Tessaline 1.0";
inline constexpr const char* kMakerHost = "www.orvane.example";
inline constexpr const char* kMakerAddress = "http://www.orvane.example";
