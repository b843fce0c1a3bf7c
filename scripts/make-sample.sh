#!/usr/bin/env bash
# Makes the committed sample clip from FFmpeg's built-in sources: a moving
# test picture and a 440 Hz tone, 4 seconds, small enough to keep in git.
set -euo pipefail
cd "$(dirname "$0")/.."
ffmpeg -v error -y \
  -f lavfi -i "testsrc2=size=320x240:rate=25:duration=4" \
  -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=4" \
  -c:v mpeg4 -q:v 5 -c:a pcm_s16le -ac 1 -ar 22050 \
  -fflags +bitexact -flags:v +bitexact -flags:a +bitexact \
  samples/sample.avi
