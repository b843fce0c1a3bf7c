#!/usr/bin/env bash
# Conversion speed, size and memory against FFmpeg on generated 60-second
# clips, and the peak memory of a 5-minute one. Not a test: prints a table and
# which targets were met.
# Usage: bench/convert_bench.sh [work-folder]   (default build/bench)
#   REPEAT=n   runs of each command, ours and FFmpeg's taking turns (default 3);
#              the table shows medians
#   CLI=path   measure this tessaline-cli instead of building build/
#   SAME_AS=path  also make every movie with this tessaline-cli (an older
#              build) and stop unless the two are byte for byte the same
#   CLIPS_ONLY=1  make the clips and stop
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/bench}")
[ -x /usr/bin/time ] || { echo "GNU time is missing (package time; scripts/setup.sh installs it)" >&2; exit 1; }
mkdir -p "$work"

if [ -z "${CLI:-}" ]; then
  # A normal Release build of the command line and the imaging module.
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSALINE_BUILD_TESTS=OFF >/dev/null
  cmake --build build -j2 --target tessaline-cli Pictavo >/dev/null
fi
cli=$(realpath "${CLI:-build/bin/tessaline-cli}")

make_clip() {  # name, ffmpeg arguments...
  local name=$1; shift
  [ -s "$work/$name" ] && return
  ffmpeg -v error -y "$@" "$work/$name.part"
  mv "$work/$name.part" "$work/$name"
}
busy_clip() {  # name, seconds
  make_clip "$1" -f lavfi -i "testsrc2=size=640x480:rate=25:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$2" \
    -c:v mpeg4 -q:v 4 -c:a pcm_s16le -ac 2 -f avi
}
busy_clip busy.avi 60
make_clip still.avi -f lavfi -i "smptebars=size=640x480:rate=25:duration=60" \
  -f lavfi -i "color=c=orange:size=64x64:rate=25:duration=60" \
  -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=60" \
  -filter_complex "[0][1]overlay=x='mod(t*120,576)':y='200+80*sin(t)'[v]" -map "[v]" -map 2 \
  -c:v mpeg4 -q:v 4 -c:a pcm_s16le -ac 2 -f avi
make_clip dvd.vob -f lavfi -i testsrc2=size=720x576:rate=25:duration=60 \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=60" \
  -c:v mpeg2video -b:v 6M -c:a ac3 -ac 2 -f dvd
# As DVDs are: two B-frames between the others, a key frame every 15.
make_clip dvdb.vob -f lavfi -i testsrc2=size=720x576:rate=25:duration=60 \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=60" \
  -c:v mpeg2video -b:v 6M -bf 2 -g 15 -c:a ac3 -ac 2 -f dvd
busy_clip long.avi 300
[ -n "${CLIPS_ONLY:-}" ] && exit 0

# One run under GNU time; appends "wall cpu peakMB" to the named list.
declare -A runs
time_once() {  # list name, command...
  local list=$1 stats="$work/time.txt"; shift
  /usr/bin/time -f "%e %U %S %M" -o "$stats" "$@" >/dev/null 2>"$work/stderr.txt" ||
    { echo "failed: $*" >&2; cat "$work/stderr.txt" >&2; exit 1; }
  read -r w user sys peakKb <"$stats"
  runs[$list]+="$(awk -v w="$w" -v u="$user" -v s="$sys" -v k="$peakKb" \
    'BEGIN { printf "%.2f %.2f %.1f\n", w, u + s, k / 1024 }')"$'\n'
}
# Median of one column (1 wall, 2 cpu, 3 peak) of a list.
median() { printf '%s' "${runs[$1]}" | awk -v c="$2" 'NF { print $c }' | sort -g |
  awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The commands take turns, so a busy spell on the machine slows both alike.
repeat=${REPEAT:-3}
interleaved() {  # command arrays by name: ours, theirs
  runs[ours]="" runs[theirs]=""
  for ((run = 0; run < repeat; run++)); do
    time_once ours "${ours[@]}"
    time_once theirs "${theirs[@]}"
  done
}

size_mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.2f", b / 1048576 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t ? "met" : "MISSED") }'; }

checks=()
check() {  # what, value, limit
  checks+=("$(printf '%-48s %7s <= %-5s %s' "$1" "$2" "$3" "$(verdict "$2" "$3")")")
}

runs[x]=""
time_once x "$cli" --version
startup=$(median x 3)
echo "Start-up alone (shared libraries loaded, nothing converted): peak $startup MB"
echo "Load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg); $repeat runs each, medians"
echo
format='%-9s %3s %-5s | %6s %6s %6s %6s | %6s %6s %6s | %6s %6s | %6s %6s %6s\n'
printf "$format" clip fps sound "wall" "cpu" "peak" "movie" "ffwall" "ffcpu" "ffpeak" \
  "wall/" "cpu/" "ffMB" "decode" "wall/"
printf "$format" "" "" "" s s MB MB s s MB ff ff "" s decode
same_as() {  # the older build's movie of the last command ours ran
  [ -n "${SAME_AS:-}" ] || return 0
  local older=("$SAME_AS" "${ours[@]:1}")
  "${older[@]/%ours.swf/older.swf}" >/dev/null 2>&1 || true
  cmp "$work/ours.swf" "$work/older.swf" || { echo "not the movie of $SAME_AS: ${ours[*]:1}" >&2; exit 1; }
}
for clip in busy.avi still.avi dvd.vob dvdb.vob; do
  runs[decode]=""
  time_once decode ffmpeg -v error -i "$work/$clip" -an -f null -
  decodeWall=$(median decode 1)
  for fps in 5 25; do
    theirs=(ffmpeg -v error -y -i "$work/$clip" -an -vf fps=$fps -c:v mjpeg -q:v 12 -f swf "$work/ffmpeg.swf")
    for sound in on off; do
      ours=("$cli" --fps "$fps" -o "$work/ours.swf")
      [ "$sound" = off ] && ours+=(--no-audio)
      ours+=("$work/$clip")
      interleaved
      same_as
      wall=$(median ours 1) cpu=$(median ours 2) peak=$(median ours 3)
      ffWall=$(median theirs 1) ffCpu=$(median theirs 2) ffPeak=$(median theirs 3)
      size=$(size_mb "$work/ours.swf")
      ffSize=$(size_mb "$work/ffmpeg.swf")
      printf "$format" "$clip" "$fps" "$sound" "$wall" "$cpu" "$peak" "$size" "$ffWall" "$ffCpu" "$ffPeak" \
        "$(ratio "$wall" "$ffWall")" "$(ratio "$cpu" "$ffCpu")" "$ffSize" "$decodeWall" "$(ratio "$wall" "$decodeWall")"
      # The movie is written as it is made, so the peak beyond start-up is the run's own working memory.
      check "$clip $fps fps sound $sound: peak MB - start-up MB" "$(awk -v p="$peak" -v s="$startup" 'BEGIN { printf "%.1f", p - s }')" 40
      # Wall against FFmpeg's from the runs without sound; those with it are shown only.
      if [ "$sound" = off ]; then
        limit=0.6
        [ "$clip" = still.avi ] && limit=0.3
        [ "$fps" = 5 ] && limit=0.5
        [ "$fps" = 5 ] && [ "$clip" = dvd.vob ] && limit=""  # shown only: B-frames are what dvdb.vob is for
        if [ -n "$limit" ]; then
          check "$clip $fps fps sound off: wall / ffmpeg SWF wall" "$(ratio "$wall" "$ffWall")" "$limit"
        fi
      fi
      if [ "$sound" = on ] && [ "$fps" = 5 ]; then
        check "$clip 5 fps: wall / decode-only wall" "$(ratio "$wall" "$decodeWall")" 1.5
      fi
      if [ "$sound" = off ] && [ "$clip" = still.avi ]; then
        check "$clip $fps fps sound off: size / ffmpeg SWF size" "$(ratio "$size" "$ffSize")" 0.4
      fi
    done
  done
done
echo
# Memory must not grow with the movie: a 5-minute busy clip with sound.
for clip in busy.avi long.avi; do
  runs[m]=""
  time_once m "$cli" --fps 25 -o "$work/ours.swf" "$work/$clip"
  echo "$clip 25 fps with sound: peak $(median m 3) MB for a movie of $(size_mb "$work/ours.swf") MB"
  check "$clip 25 fps sound on: peak MB" "$(median m 3)" 100
done
echo "Load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf '%s\n' "${checks[@]}"
