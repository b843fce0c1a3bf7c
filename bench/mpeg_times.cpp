// Moves the times of an MPEG program stream's packets, for the fuzz script:
//   mpeg_times FILE TICKS FIRST [LAST]
// adds TICKS (90 kHz, may be negative; modulo 2^33) to the PTS and DTS of the
// FIRST'th to the LAST'th packet with a time (LAST absent: to the end).
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tests/support/ClipMaker.h"

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: mpeg_times FILE TICKS FIRST [LAST]\n");
    return 2;
  }
  try {
    ShiftMpegTimes(argv[1], std::strtoll(argv[2], nullptr, 10), std::atoi(argv[3]),
                   argc == 5 ? std::atoi(argv[4]) : -1);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mpeg_times: %s\n", error.what());
    return 1;
  }
  return 0;
}
