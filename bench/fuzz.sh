#!/usr/bin/env bash
# Mutation fuzzing of the command line with the sanitizer build: small real
# clips of several containers, damaged by seeded byte flips, cuts, repeated
# and zeroed chunks, each converted under a time limit. Not a test: prints the
# figures and keeps every input that crashed or hung in <work>/found.
# Usage: bench/fuzz.sh [count] [seed] [work-folder]   (default 300, 1, build-asan/fuzz)
# FUZZ_TIMEOUT: seconds a conversion may take (default 60).
set -uo pipefail
cd "$(dirname "$0")/.."
count=${1:-300}
seed=${2:-1}
work=$(realpath -m "${3:-build-asan/fuzz}")
limit=${FUZZ_TIMEOUT:-60}
rm -rf "$work/runs"
mkdir -p "$work/seeds" "$work/found" "$work/runs"

if [ ! -f build-asan/CMakeCache.txt ]; then
  cmake -S . -B build-asan -DTESSALINE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build-asan -j2 --target tessaline-cli Pictavo >/dev/null || exit 1
cli=$PWD/build-asan/bin/tessaline-cli
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0

make_seed() {  # name, ffmpeg arguments...
  local name=$1
  shift
  [ -s "$work/seeds/$name" ] && return
  ffmpeg -nostdin -v error -y "$@" "$work/seeds/$name.part" && mv "$work/seeds/$name.part" "$work/seeds/$name"
}
video="-f lavfi -i testsrc2=size=176x144:rate=25:duration=1.2"
sound="-f lavfi -i sine=frequency=440:sample_rate=44100:duration=1.2"
# shellcheck disable=SC2086
{
  make_seed mpeg4.avi $video $sound -c:v mpeg4 -g 6 -bf 2 -c:a pcm_s16le -f avi
  make_seed mjpeg.avi $video $sound -c:v mjpeg -c:a pcm_u8 -ac 2 -f avi
  make_seed mpeg2.mpg $video $sound -c:v mpeg2video -g 6 -c:a mp2 -f mpeg
  make_seed mpeg1.mpg $video $sound -c:v mpeg1video -g 6 -c:a mp2 -f mpeg
  make_seed dvd.vob -f lavfi -i testsrc2=size=352x288:rate=25:duration=1.2 \
    -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1.2 -c:v mpeg2video -g 6 -c:a ac3 -f dvd
}
seeds=("$work"/seeds/*.avi "$work"/seeds/*.mpg "$work"/seeds/*.vob)

# The seeded generator lives in this shell; a command substitution would run
# it in a child and lose its state, so draw sets r instead.
RANDOM=$seed
draw() { r=$((((RANDOM << 15) | RANDOM) % $1)); }

put_byte() {  # file, offset, value
  printf "\\x$(printf %02x "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

mutate() {  # file: one seeded damage
  local file=$1 size kind flips k at value from length byte
  size=$(stat -c %s "$file")
  [ "$size" -gt 16 ] || return 0
  draw 5 && kind=$r
  case $kind in
    0 | 1) # bytes set to random values
      draw 16 && flips=$((1 + r))
      for ((k = 0; k < flips; k++)); do
        draw "$size" && at=$r
        draw 256 && value=$r
        put_byte "$file" "$at" "$value"
      done ;;
    2) draw "$size" && truncate -s "$r" "$file" ;;
    3) # a chunk of the file inserted again somewhere else
      draw "$size" && from=$r
      draw 4096 && length=$((1 + r))
      draw "$size" && at=$r
      { head -c "$at" "$file"; tail -c +$((from + 1)) "$file" | head -c "$length"; tail -c +$((at + 1)) "$file"; } \
        >"$file.new" && mv "$file.new" "$file" ;;
    4) # a run of zeros or of 0xff bytes
      byte='\0'
      draw 2 && [ "$r" -eq 0 ] && byte='\377'
      draw 2048 && length=$((1 + r))
      draw "$size" && at=$r
      head -c "$length" /dev/zero | tr '\0' "$byte" | dd of="$file" bs=1 seek="$at" conv=notrunc status=none ;;
  esac
}

movie_is_valid() {  # file: SWF signature, the header's length equal to the file's, ffprobe reads it
  local file=$1 signature length
  signature=$(head -c 3 "$file")
  [ "$signature" = FWS ] || [ "$signature" = CWS ] || return 1
  length=$(od -An -tu4 -j4 -N4 "$file" | tr -d ' ')
  [ "$length" = "$(stat -c %s "$file")" ] || return 1
  ffprobe -v error -show_entries format=format_name -of csv=p=0 "$file" >/dev/null 2>&1
}

tried=0 crashes=0 hangs=0 written=0 valid=0
declare -A exits
for ((i = 0; i < count; i++)); do
  draw ${#seeds[@]} && seed_file=${seeds[$r]}
  name=$(basename "$seed_file")
  run="$work/runs/$i"
  mkdir -p "$run/tmp"
  input="$run/input.${name##*.}"
  cp "$seed_file" "$input"
  draw 3 && damages=$((1 + r))
  for ((m = 0; m < damages; m++)); do mutate "$input"; done
  TMPDIR=$run/tmp timeout -k 5 "$limit" "$cli" --no-html -o "$run/movie.swf" "$input" >"$run/out.txt" 2>"$run/err.txt"
  code=$?
  tried=$((tried + 1))
  exits[$code]=$((${exits[$code]:-0} + 1))
  verdict=""
  if [ $code -eq 124 ] || [ $code -eq 137 ]; then
    hangs=$((hangs + 1))
    verdict=hang
  elif [ $code -ge 128 ] || grep -qE "Sanitizer|runtime error:" "$run/err.txt"; then
    crashes=$((crashes + 1))
    verdict=crash
  fi
  if [ -n "$verdict" ]; then
    cp "$input" "$work/found/$verdict-$seed-$i-$name"
    cp "$run/err.txt" "$work/found/$verdict-$seed-$i-$name.err"
    echo "$verdict: $work/found/$verdict-$seed-$i-$name (exit $code)"
  fi
  if [ -f "$run/movie.swf" ]; then
    written=$((written + 1))
    if movie_is_valid "$run/movie.swf"; then valid=$((valid + 1)); else echo "invalid movie from run $i ($name)"; fi
  fi
  rm -rf "$run"
done

echo "seed $seed: $tried files tried, $crashes crashes, $hangs hangs, $written movies written, $valid valid"
for code in "${!exits[@]}"; do echo "  exit $code: ${exits[$code]}"; done | sort
[ $crashes -eq 0 ] && [ $hangs -eq 0 ] && [ $written -eq $valid ]
