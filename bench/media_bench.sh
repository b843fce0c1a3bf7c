#!/usr/bin/env bash
# Media benchmark: on a generated 640x480 25 fps 60 s clip, reading every frame
# with its 24-bit rows through mcl against `ffmpeg -an -pix_fmt bgr24 -f null`,
# and JPEG-saving 500 whole frames through the imaging module.
# Usage: bench/media_bench.sh [build-dir]   (an optimised build, default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target media_bench Pictavo >/dev/null

clip="$build/bench/clip-640x480-60s.mpg"
mkdir -p "$(dirname "$clip")"
if [ ! -f "$clip" ]; then
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=s=640x480:r=25:d=60" \
    -f lavfi -i "sine=f=440:r=44100:d=60" -c:v mpeg2video -q:v 4 -g 12 -bf 2 -c:a mp2 "$clip"
fi

calc() { awk "BEGIN { print $1 }"; }

best_of_two() {  # prints the faster wall time of two runs of the command, in seconds
  local best=""
  for _ in 1 2; do
    local start end took
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    took=$(calc "$end - $start")
    if [ -z "$best" ] || [ "$(calc "$took < $best")" = 1 ]; then best=$took; fi
  done
  printf '%.3f' "$best"
}

ffmpeg_seconds=$(best_of_two ffmpeg -nostdin -v error -i "$clip" -an -pix_fmt bgr24 -f null -)
out1=$("$build/bin/media_bench" "$clip" "$build/bin" 500)
out2=$("$build/bin/media_bench" "$clip" "$build/bin" 0)
field() { echo "$1" | awk -v k="$2" '$1 == k { print $2 }'; }
read1=$(field "$out1" read_seconds)
read2=$(field "$out2" read_seconds)
read_seconds=$(calc "($read1 < $read2) ? $read1 : $read2")
jpeg_seconds=$(field "$out1" jpeg_seconds)

echo "clip:                 $clip ($(field "$out1" read_frames) frames)"
echo "mcl file info:        $(field "$out1" info_seconds) s (frame count pass)"
echo "ffmpeg decode+bgr24:  $ffmpeg_seconds s"
frames=$(field "$out1" read_frames)
printf 'mcl read+rows:        %.3f s  ratio to ffmpeg %.2f (target <= 1.20)\n' "$read_seconds" \
  "$(calc "$read_seconds / $ffmpeg_seconds")"
printf 'Pictavo 500 JPEGs:    %.3f s  %.2f ms a frame, ratio to reading a frame %.2f\n' \
  "$jpeg_seconds" "$(calc "$jpeg_seconds * 1000 / 500")" \
  "$(calc "($jpeg_seconds / 500) / ($read_seconds / $frames)")"
