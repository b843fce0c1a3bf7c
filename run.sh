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
  out=$(mktemp -d)
  build/bin/tessaline-cli --no-open -o "$out/sample.swf" samples/sample.avi
  echo "Film: $out/sample.swf"
  echo "Webseite: $out/sample.htm"
else
  echo "Gebaut: $(ls build/bin)"
fi
