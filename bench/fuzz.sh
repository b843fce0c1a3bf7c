#!/usr/bin/env bash
# Mutation fuzzing of the command line with the sanitizer build: small real
# clips of several containers, damaged by seeded byte flips, cuts, repeated
# and zeroed chunks, clocks that jump, wrap or run back (MPEG), spoilt
# sequence headers, and sources cut while they are read; each converted under
# a time and memory limit. Not a test: prints the figures, writes each
# input's peak memory and time to <work>/usage.csv and keeps every input that
# crashed, hung, passed the limits or was called complete against FFmpeg in
# <work>/found.
# Usage: bench/fuzz.sh [count] [seed] [work-folder]   (default 300, 1, build-asan/fuzz)
# FUZZ_TIMEOUT: seconds an input may take (default 60); FUZZ_MEMORY_MB: peak
# memory it may use (default 1024). A run is killed at the time limit plus 5 s
# and at twice the memory: under ASan, whose shadow memory needs terabytes of
# address space, by its hard_rss_limit_mb, otherwise by ulimit -v.
# FUZZ_ARGS: more options for every conversion, e.g. "--no-audio".
set -uo pipefail
cd "$(dirname "$0")/.."
count=${1:-300}
seed=${2:-1}
work=$(realpath -m "${3:-build-asan/fuzz}")
limit=${FUZZ_TIMEOUT:-60}
memory_mb=${FUZZ_MEMORY_MB:-1024}
read -r -a extra_args <<<"${FUZZ_ARGS:-}"
ffmpeg_skip=()  # FFmpeg decodes what the conversion reads
[[ " ${FUZZ_ARGS:-} " == *" --no-audio "* ]] && ffmpeg_skip=(-an)
rm -rf "$work/runs"
mkdir -p "$work/seeds" "$work/found" "$work/runs"

if [ ! -f build-asan/CMakeCache.txt ]; then
  cmake -S . -B build-asan -DTESSALINE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build-asan -j2 --target tessaline-cli Pictavo mpeg_times >/dev/null || exit 1
cli=$PWD/build-asan/bin/tessaline-cli
mpeg_times=$PWD/build-asan/bin/mpeg_times
sanitized=0
grep -q '^TESSALINE_SANITIZE:BOOL=ON' build-asan/CMakeCache.txt && sanitized=1
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:hard_rss_limit_mb=$((2 * memory_mb))
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
  draw 8 && kind=$r
  case $file in *.mpg | *.vob) ;; *) [ "$kind" -ge 5 ] && kind=$((kind - 5)) ;; esac
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
    5 | 6) shift_clock "$file" ;;
    7) spoil_sequence_headers "$file" ;;
  esac
}

shift_clock() {  # file: the times of one packet, or of all from one on, moved (MPEG)
  local file=$1 seconds first ticks last=""
  draw 6 && case $r in
    0) draw 3600 && seconds=$((11 + r)) ;;            # past the bound, up to an hour
    1) draw 95000 && seconds=$((3600 + r)) ;;         # hours, up to the 33-bit clock's length
    2) draw 600 && seconds=$((-1 - r)) ;;             # back
    3) seconds=$((95443 - 1)) ;;                      # so that the clock wraps a second later
    4) draw 10 && seconds=$((1 + r)) ;;               # within the bound
    5) draw 95443 && seconds=$r ;;
  esac
  draw 60 && first=$r
  draw 2 && [ "$r" -eq 0 ] && last=$first             # one wild packet, or all from there on
  ticks=$((seconds * 90000))
  "$mpeg_times" "$file" "$ticks" "$first" $last
}

spoil_sequence_headers() {  # file: one or every sequence header after the first gets wrong sizes or rates
  local file=$1 offsets at k value every
  mapfile -t offsets < <(grep -obUaP '\x00\x00\x01\xb3' "$file" | cut -d: -f1 | tail -n +2)
  [ ${#offsets[@]} -gt 0 ] || return 0
  draw 2 && every=$r
  for at in "${offsets[@]}"; do
    for ((k = 4; k < 8; k++)); do
      draw 256 && value=$r
      put_byte "$file" $((at + k)) "$value"
    done
    [ "$every" -eq 1 ] || break
  done
}

movie_is_valid() {  # file: SWF signature, the header's length equal to the file's, ffprobe reads it
  local file=$1 signature length
  signature=$(head -c 3 "$file")
  [ "$signature" = FWS ] || [ "$signature" = CWS ] || return 1
  length=$(od -An -tu4 -j4 -N4 "$file" | tr -d ' ')
  [ "$length" = "$(stat -c %s "$file")" ] || return 1
  ffprobe -v error -show_entries format=format_name -of csv=p=0 "$file" >/dev/null 2>&1
}

movie_seconds() {  # file: frame count over frame rate, from the SWF header
  local bits skip rate count
  bits=$(($(od -An -tu1 -j8 -N1 "$1") >> 3))
  skip=$((8 + (5 + 4 * bits + 7) / 8))
  read -r rate count < <(od -An -tu2 -j"$skip" -N4 "$1")
  awk -v r="$rate" -v c="$count" 'BEGIN { printf "%.2f", (r > 0 ? c * 256 / r : 0) }'
}

picture_span() {  # file: seconds from the first picture FFmpeg decodes to the last
  ffprobe -v error -select_streams v:0 -show_entries frame=best_effort_timestamp_time -of csv=p=0 "$1" 2>/dev/null |
    awk -F, '$1 ~ /^-?[0-9.]+$/ { t = $1 + 0; if (!n || t < lo) lo = t; if (!n || t > hi) hi = t; n++ }
      END { printf "%.2f", n ? hi - lo : 0 }'
}

tried=0 crashes=0 hangs=0 over=0 written=0 valid=0 largest_kb=0 longest=0 clean_but_ffmpeg_errors=0 clean_but_short=0
echo "input,seed file,cut while read,exit,peak KB,seconds" >"$work/usage.csv"
echo "input,seed file,ffmpeg's first errors" >"$work/complete-despite-errors.csv"
echo "input,seed file,movie seconds,seconds of pictures" >"$work/complete-but-short.csv"
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
  # Now and then the source is cut while it is read.
  cut_during=0
  draw 8 && [ "$r" -eq 0 ] && cut_during=1
  if [ $cut_during -eq 1 ]; then
    draw 1500 && delay=$(printf '0.%03d' $((r % 1000)))
    draw 100 && cut_at=$(($(stat -c %s "$input") * r / 100))
    (sleep "$delay" && truncate -s "$cut_at" "$input") &
  fi
  (
    [ $sanitized -eq 1 ] || ulimit -v $((2 * memory_mb * 1024))
    TMPDIR=$run/tmp exec /usr/bin/time -f '%M %e' -o "$run/usage" timeout -k 5 "$limit" \
      "$cli" --no-html "${extra_args[@]}" -o "$run/movie.swf" "$input" >"$run/out.txt" 2>"$run/err.txt"
  )
  code=$?
  wait
  # time puts "Command terminated by signal N" before its figures when the run died of one.
  peak_kb=0 seconds=0
  signal=$(sed -n 's/^Command terminated by signal \([0-9]*\).*/\1/p' "$run/usage" 2>/dev/null)
  [ -n "$signal" ] && code=$((128 + signal))
  [ -s "$run/usage" ] && read -r peak_kb seconds < <(tail -n 1 "$run/usage")
  echo "$i,$name,$cut_during,$code,$peak_kb,$seconds" >>"$work/usage.csv"
  [ "$peak_kb" -gt "$largest_kb" ] && largest_kb=$peak_kb
  awk -v s="$seconds" -v l="$longest" 'BEGIN { exit !(s > l) }' && longest=$seconds
  tried=$((tried + 1))
  exits[$code]=$((${exits[$code]:-0} + 1))
  verdict=""
  if grep -q "hard rss limit exhausted" "$run/err.txt"; then
    over=$((over + 1))
    verdict=over
  elif [ $code -eq 124 ] || [ $code -eq 137 ]; then
    hangs=$((hangs + 1))
    verdict=hang
  elif [ $code -ge 128 ] || grep -qE "Sanitizer|runtime error:" "$run/err.txt"; then
    crashes=$((crashes + 1))
    verdict=crash
  elif [ "$peak_kb" -gt $((memory_mb * 1024)) ] || awk -v s="$seconds" -v l="$limit" 'BEGIN { exit !(s > l) }'; then
    over=$((over + 1))
    verdict=over
  fi
  if [ -n "$verdict" ]; then
    cp "$input" "$work/found/$verdict-$seed-$i-$name"
    cp "$run/err.txt" "$work/found/$verdict-$seed-$i-$name.err"
    echo "$verdict: $work/found/$verdict-$seed-$i-$name (exit $code, $peak_kb KB, $seconds s)"
  fi
  # A movie called complete must come from a source FFmpeg reads without errors.
  if [ $code -eq 0 ] && [ $cut_during -eq 0 ]; then
    # The null muxer's complaints are about FFmpeg's output, not the source.
    ffmpeg_errors=$(ffmpeg -nostdin -v error -i "$input" "${ffmpeg_skip[@]}" -f null - 2>&1 |
      grep -vE '^\[null @|^ +Last message repeated' | head -n 3 | tr '\n' ' ')
    if [ -n "$ffmpeg_errors" ]; then
      clean_but_ffmpeg_errors=$((clean_but_ffmpeg_errors + 1))
      echo "$i,$name,$ffmpeg_errors" >>"$work/complete-despite-errors.csv"
      cp "$input" "$work/found/complete-$seed-$i-$name"
    fi
    # ... and cover the pictures' whole span, within a second.
    shown=$(movie_seconds "$run/movie.swf")
    span=$(picture_span "$input")
    if awk -v s="$shown" -v d="$span" 'BEGIN { exit !(s < d - 1) }'; then
      clean_but_short=$((clean_but_short + 1))
      echo "$i,$name,$shown,$span" >>"$work/complete-but-short.csv"
      cp "$input" "$work/found/short-$seed-$i-$name"
    fi
  fi
  if [ -f "$run/movie.swf" ]; then
    written=$((written + 1))
    if movie_is_valid "$run/movie.swf"; then valid=$((valid + 1)); else echo "invalid movie from run $i ($name)"; fi
  fi
  rm -rf "$run"
done

echo "seed $seed: $tried files tried, $crashes crashes, $hangs hangs, $over past ${memory_mb} MB or ${limit} s," \
  "$written movies written, $valid valid"
echo "  largest peak memory $((largest_kb / 1024)) MB, longest run $longest s (per input: $work/usage.csv)"
echo "  exit 0 though ffmpeg reports errors decoding the source: $clean_but_ffmpeg_errors" \
  "($work/complete-despite-errors.csv)"
echo "  exit 0 though the movie is over a second shorter than the pictures: $clean_but_short" \
  "($work/complete-but-short.csv)"
for code in "${!exits[@]}"; do echo "  exit $code: ${exits[$code]}"; done | sort
[ $crashes -eq 0 ] && [ $hangs -eq 0 ] && [ $over -eq 0 ] && [ $written -eq $valid ]
