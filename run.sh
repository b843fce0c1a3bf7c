#!/usr/bin/env bash
# Builds the program and starts it: the window when a display is present,
# otherwise the command line converts the sample clip.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build -DTESSALINE_BUILD_TESTS=OFF
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/tessaline ]; then
  exec build/bin/tessaline "$@"
fi
if [ -x build/bin/tessaline-cli ]; then
  # Prints where the movie and its page were written; opens nothing unless --open is given.
  out=$(mktemp -d)
  build/bin/tessaline-cli "$@" -o "$out/sample.swf" samples/sample.avi
else
  echo "Gebaut: $(ls build/bin)"
fi
