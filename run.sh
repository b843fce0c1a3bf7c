#!/usr/bin/env bash
# Builds the program and starts it. With a display: the window (given one
# video file, with that file chosen). Any other arguments go unchanged to the
# command line; without arguments and display it converts the sample clip.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build -DTESSALINE_BUILD_TESTS=OFF
has_display=${DISPLAY:-}${WAYLAND_DISPLAY:-}
if [ -n "$has_display" ] && { [ $# -eq 0 ] || { [ $# -eq 1 ] && [ -f "$1" ]; }; }; then
  exec build/bin/tessaline "$@"
fi
if [ $# -gt 0 ]; then
  exec build/bin/tessaline-cli "$@"
fi
# Prints where the movie and its page were written; opens nothing.
out=$(mktemp -d)
exec build/bin/tessaline-cli -o "$out/sample.swf" samples/sample.avi
