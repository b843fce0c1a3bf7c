#!/usr/bin/env bash
# Conversion speed, size and memory against FFmpeg on generated 60-second
# clips. Not a test: prints a table and which targets were met.
# Usage: bench/convert_bench.sh [work-folder]   (default build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/bench}")
[ -x /usr/bin/time ] || { echo "GNU time is missing (package time; scripts/setup.sh installs it)" >&2; exit 1; }
mkdir -p "$work"

# A normal Release build of the command line and the imaging module.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSALINE_BUILD_TESTS=OFF >/dev/null
cmake --build build -j2 --target tessaline-cli Pictavo >/dev/null
cli=$PWD/build/bin/tessaline-cli

make_clip() {  # name, ffmpeg arguments...
  local name=$1; shift
  [ -s "$work/$name" ] && return
  ffmpeg -v error -y "$@" "$work/$name.part"
  mv "$work/$name.part" "$work/$name"
}
make_clip busy.avi -f lavfi -i testsrc2=size=640x480:rate=25:duration=60 \
  -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" \
  -c:v mpeg4 -q:v 4 -c:a pcm_s16le -ac 2 -f avi
make_clip still.avi -f lavfi -i "smptebars=size=640x480:rate=25:duration=60" \
  -f lavfi -i "color=c=orange:size=64x64:rate=25:duration=60" \
  -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" \
  -filter_complex "[0][1]overlay=x='mod(t*120,576)':y='200+80*sin(t)'[v]" -map "[v]" -map 2 \
  -c:v mpeg4 -q:v 4 -c:a pcm_s16le -ac 2 -f avi
make_clip dvd.vob -f lavfi -i testsrc2=size=720x576:rate=25:duration=60 \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=60" \
  -c:v mpeg2video -b:v 6M -c:a ac3 -ac 2 -f dvd

# measure command...: runs it under GNU time, best wall time of $repeat runs
# (other work on the machine only ever slows a run); sets wall, cpu, peak (MB).
repeat=${REPEAT:-3}
measure() {
  local stats="$work/time.txt" best=""
  for ((run = 0; run < repeat; run++)); do
    /usr/bin/time -f "%e %U %S %M" -o "$stats" "$@" >/dev/null 2>"$work/stderr.txt" ||
      { echo "failed: $*" >&2; cat "$work/stderr.txt" >&2; exit 1; }
    read -r w user sys peakKb <"$stats"
    if [ -z "$best" ] || awk -v a="$w" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$w
      wall=$w
      cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
      peak=$(awk -v k="$peakKb" 'BEGIN { printf "%.1f", k / 1024 }')
    fi
  done
}

size_mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.2f", b / 1048576 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t ? "met" : "MISSED") }'; }

checks=()
check() {  # what, value, limit
  checks+=("$(printf '%-48s %7s <= %-5s %s' "$1" "$2" "$3" "$(verdict "$2" "$3")")")
}

measure "$cli" --version
echo "Start-up alone (shared libraries loaded, nothing converted): peak $peak MB"
measure ffmpeg -version
echo "ffmpeg -version for comparison: peak $peak MB"
echo "Load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%-10s %3s %-5s | %7s %7s %8s %9s | %9s %9s %7s | %8s %7s\n' \
  clip fps sound "wall s" "cpu s" "peak MB" "movie MB" "ff-swf s" "ff-swf MB" "ratio" "decode s" "ratio"
for clip in busy.avi still.avi dvd.vob; do
  measure ffmpeg -v error -i "$work/$clip" -an -f null -
  decodeWall=$wall
  for fps in 5 25; do
    measure ffmpeg -v error -y -i "$work/$clip" -an -vf fps=$fps -c:v mjpeg -q:v 12 -f swf "$work/ffmpeg.swf"
    ffWall=$wall
    ffSize=$(size_mb "$work/ffmpeg.swf")
    for sound in on off; do
      [ "$sound" = off ] && [ "$clip" != still.avi ] && continue
      options=(--fps "$fps")
      [ "$sound" = off ] && options+=(--no-audio)
      measure "$cli" "${options[@]}" -o "$work/ours.swf" "$work/$clip"
      size=$(size_mb "$work/ours.swf")
      printf '%-10s %3s %-5s | %7s %7s %8s %9s | %9s %9s %7s | %8s %7s\n' "$clip" "$fps" "$sound" \
        "$wall" "$cpu" "$peak" "$size" "$ffWall" "$ffSize" "$(ratio "$wall" "$ffWall")" \
        "$decodeWall" "$(ratio "$wall" "$decodeWall")"
      check "$clip $fps fps sound $sound: peak MB - movie MB" "$(awk -v p="$peak" -v s="$size" 'BEGIN { printf "%.1f", p - s }')" 40
      if [ "$sound" = on ] && [ "$fps" = 25 ] && [ "$clip" != still.avi ]; then
        check "$clip 25 fps: wall / ffmpeg SWF wall" "$(ratio "$wall" "$ffWall")" 0.7
      fi
      if [ "$sound" = on ] && [ "$fps" = 25 ] && [ "$clip" = still.avi ]; then
        check "$clip 25 fps: wall / ffmpeg SWF wall" "$(ratio "$wall" "$ffWall")" 0.35
      fi
      if [ "$sound" = on ] && [ "$fps" = 5 ]; then
        check "$clip 5 fps: wall / decode-only wall" "$(ratio "$wall" "$decodeWall")" 1.5
      fi
      if [ "$sound" = off ]; then
        check "$clip $fps fps sound off: size / ffmpeg SWF size" "$(ratio "$size" "$ffSize")" 0.4
      fi
    done
  done
done
echo "Load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%s\n' "${checks[@]}"
