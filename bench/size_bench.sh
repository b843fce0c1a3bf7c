#!/usr/bin/env bash
# Movie size at equal picture quality against FFmpeg's own SWF writer, on the
# first 20 s of a busy clip and of a still, noisy camera-like clip at 5 fps.
# For each of our modes, FFmpeg's -q:v is bisected to the same luma PSNR and
# its size there is interpolated between the two neighbouring -q:v values.
# PSNR is measured by bench/movie_psnr against the source frames each movie
# stands for. Not a test: prints a table and which targets were met.
# Usage: bench/size_bench.sh [work-folder]   (default build/bench/size)
#   CLI=path/to/tessaline-cli measures another build of the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/bench/size}")
mkdir -p "$work"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSALINE_BUILD_TESTS=OFF >/dev/null
cmake --build build -j2 --target tessaline-cli Pictavo movie_psnr >/dev/null
cli=${CLI:-$PWD/build/bin/tessaline-cli}
psnr_tool=$PWD/build/bin/movie_psnr
fps=5
seconds=20

make_clip() {  # name, ffmpeg arguments...
  local name=$1; shift
  [ -s "$work/$name" ] && return
  ffmpeg -nostdin -v error -y "$@" "$work/$name.part"
  mv "$work/$name.part" "$work/$name"
}
make_clip busy.avi -f lavfi -i "testsrc2=size=640x480:rate=25:duration=$seconds" -c:v mpeg4 -q:v 4 -f avi
# A still picture with sensor-like noise and a small moving box, coded lossy
# as a camera would, so pixels that did not move still change a little.
make_clip still.avi -f lavfi -i "smptebars=size=640x480:rate=25:duration=$seconds" \
  -f lavfi -i "color=c=orange:size=64x64:rate=25:duration=$seconds" \
  -filter_complex "[0]noise=alls=2:allf=t[bg];[bg][1]overlay=x='mod(t*120,576)':y='200+80*sin(t)'[v]" \
  -map "[v]" -c:v mpeg4 -q:v 4 -f avi

# Source frames as top-down RGB24, converted with exact rounding and
# interpolated colour: reference, select expression.
reference() {
  [ -s "$1" ] && return
  ffmpeg -nostdin -v error -y -i "$2" -vf "$3,scale=flags=accurate_rnd+full_chroma_int" -fps_mode passthrough \
    -f rawvideo -pix_fmt rgb24 "$1.part"
  mv "$1.part" "$1"
}
# The source frames our movie shows: the conversion stores the frame during
# which each movie frame starts, counted in doubles as it does.
our_frames() {
  awk -v sfps=25 -v fps=$fps -v n=$((25 * seconds)) 'BEGIN { st = 0; mt = 0
    for (i = 0; i < n; i++) { st += 1 / sfps; if (mt <= st) {
      printf "%s", (c++ ? "+" : "") "eq(n\\," i ")"; do mt += 1 / fps; while (mt < st) } } }'
}

bytes() { stat -c %s "$1"; }
mb() { awk -v b="$1" 'BEGIN { printf "%.3f", b / 1048576 }'; }

declare -A ffLuma ffRgb ffBytes
ffmpeg_at() {  # clip, q: fills ffLuma/ffRgb/ffBytes[clip/q]
  local key=$1/$2
  [ -n "${ffBytes[$key]:-}" ] && return
  ffmpeg -nostdin -v error -y -i "$work/$1" -an -vf fps=$fps:round=up -c:v mjpeg -q:v "$2" -f swf "$work/ff.swf"
  read -r _ _ _ ffLuma[$key] _ ffRgb[$key] < <("$psnr_tool" "$work/ff.swf" "$work/${1%.avi}-ff.rgb" 2>/dev/null)
  ffBytes[$key]=$(bytes "$work/ff.swf")
}
# Sets q: the largest -q:v (2..31) whose luma PSNR is at least the given
# one (higher q is worse), or 2.
bisect_q() {  # clip, luma
  local lo=2 hi=31 mid
  q=$lo
  ffmpeg_at "$1" $lo
  awk -v a="${ffLuma[$1/$lo]}" -v b="$2" 'BEGIN { exit !(a < b) }' && return
  while ((hi - lo > 1)); do
    mid=$(((lo + hi) / 2))
    ffmpeg_at "$1" $mid
    if awk -v a="${ffLuma[$1/$mid]}" -v b="$2" 'BEGIN { exit !(a >= b) }'; then lo=$mid; else hi=$mid; fi
  done
  q=$lo
}
# Linear interpolation of field f between q and q+1 at the given luma.
at_luma() {  # value-at-q, value-at-q+1, luma-at-q, luma-at-q+1, luma
  awk -v a="$1" -v b="$2" -v la="$3" -v lb="$4" -v l="$5" 'BEGIN {
    t = (la == lb) ? 0 : (la - l) / (la - lb); if (t < 0) t = 0; if (t > 1) t = 1; printf "%.2f", a + t * (b - a) }'
}

checks=()
check() {  # what, value, comparison, limit
  local ok
  ok=$(awk -v v="$2" -v l="$4" -v c="$3" 'BEGIN { print ((c == "<=" ? v <= l : v >= l) ? "met" : "MISSED") }')
  checks+=("$(printf '%-58s %7s %s %-5s %s' "$1" "$2" "$3" "$4" "$ok")")
}

printf '%-6s %-13s | %9s %6s %6s | %5s %9s %6s %6s | %6s\n' clip mode "ours MB" luma rgb "ff q" "ff MB" luma rgb ratio
declare -A exactLuma
for clip in busy.avi still.avi; do
  name=${clip%.avi}
  reference "$work/$name-ours.rgb" "$work/$clip" "select='$(our_frames)'"
  reference "$work/$name-ff.rgb" "$work/$clip" "fps=$fps:round=up"
  for mode in default "tolerance 8"; do
    options=(--no-audio --no-html --fps $fps)
    [ "$mode" != default ] && options+=(--${mode% *} "${mode#* }")
    if ! "$cli" "${options[@]}" -o "$work/ours.swf" "$work/$clip" >/dev/null 2>&1; then
      printf '%-6s %-13s | not offered by this build\n' "$name" "$mode"
      continue
    fi
    read -r _ _ _ luma _ rgb < <("$psnr_tool" "$work/ours.swf" "$work/$name-ours.rgb" 2>/dev/null)
    size=$(bytes "$work/ours.swf")
    bisect_q "$clip" "$luma"
    ffmpeg_at "$clip" $((q + 1))
    la=${ffLuma[$clip/$q]} lb=${ffLuma[$clip/$((q + 1))]}
    ffSize=$(at_luma "${ffBytes[$clip/$q]}" "${ffBytes[$clip/$((q + 1))]}" "$la" "$lb" "$luma")
    ffRgbAt=$(at_luma "${ffRgb[$clip/$q]}" "${ffRgb[$clip/$((q + 1))]}" "$la" "$lb" "$luma")
    ratio=$(awk -v a="$size" -v b="$ffSize" 'BEGIN { printf "%.2f", a / b }')
    printf '%-6s %-13s | %9s %6s %6s | %5s %9s %6s %6s | %6s\n' "$name" "$mode" "$(mb "$size")" "$luma" "$rgb" \
      "$q-$((q + 1))" "$(mb "$ffSize")" "$luma" "$ffRgbAt" "$ratio"
    if [ "$mode" = default ]; then
      exactLuma[$name]=$luma
      if [ "$name" = busy ]; then
        check "busy default: bytes / ffmpeg bytes at equal luma" "$ratio" "<=" 1.0
        check "busy default: RGB PSNR - ffmpeg RGB PSNR at equal luma" \
          "$(awk -v a="$rgb" -v b="$ffRgbAt" 'BEGIN { printf "%.2f", a - b }')" ">=" -0.5
      fi
    elif [ "$name" = still ]; then
      check "still tolerance 8: bytes / ffmpeg bytes at equal luma" "$ratio" "<=" 0.2
      check "still tolerance 8: luma PSNR - exact mode luma PSNR" \
        "$(awk -v a="$luma" -v b="${exactLuma[$name]}" 'BEGIN { printf "%.2f", a - b }')" ">=" -1.0
    fi
  done
done
echo "(ff q: the -q:v values around equal luma; ff MB and rgb interpolated between them at our luma)"
echo
printf '%s\n' "${checks[@]}"
