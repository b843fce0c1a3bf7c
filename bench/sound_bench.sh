#!/usr/bin/env bash
# Stream sound size per sound mode on a generated 60-second clip with 44.1 kHz
# 16-bit stereo sound, and how close FFmpeg's decoding of each movie's sound
# comes to the uncompressed track (SNR). Not a test: prints a table.
# Usage: bench/sound_bench.sh [work-folder]   (default build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/bench}")
mkdir -p "$work"

# TESSALINE_CLI names an already built program (sizes do not depend on the build).
cli=${TESSALINE_CLI:-}
if [ -z "$cli" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSALINE_BUILD_TESTS=OFF >/dev/null
  cmake --build build -j2 --target tessaline-cli Pictavo >/dev/null
  cli=$PWD/build/bin/tessaline-cli
fi

clip=$work/music44k.avi
if [ ! -s "$clip" ]; then
  ffmpeg -v error -y -f lavfi -i "color=c=gray:size=160x120:rate=25:duration=60" \
    -f lavfi -i "aevalsrc=0.3*sin(2*PI*(220+110*sin(t))*t)+0.2*sin(2*PI*1870*t)*sin(3*t)|0.3*sin(2*PI*330*t)+0.1*random(0)-0.05:s=44100:d=60" \
    -c:v mpeg4 -c:a pcm_s16le -ac 2 -f avi "$clip.part"
  mv "$clip.part" "$clip"
fi

# Sum of the sound block bodies of a movie, read by ffprobe's packet sizes.
sound_bytes() { ffprobe -v error -select_streams a -show_entries packet=size -of csv=p=0 "$1" | paste -sd+ | bc; }
raw() { ffmpeg -v error -y -i "$1" -vn -f s16le -ac 2 -ar 44100 "$2"; }

printf '%-6s %12s %8s %8s\n' mode "sound bytes" smaller "SNR dB"
for mode in pcm adpcm mp3; do
  "$cli" --rate 44000 --16bit --stereo --sound "$mode" --no-html -o "$work/sound-$mode.swf" "$clip" >/dev/null
  raw "$work/sound-$mode.swf" "$work/sound-$mode.raw"
  bytes=$(sound_bytes "$work/sound-$mode.swf")
  [ "$mode" = pcm ] && pcm=$bytes
  # Every mode carries the source's 44100 Hz; MP3 puts the encoder's delay first.
  ref=$work/source.raw
  [ -s "$ref" ] || raw "$clip" "$ref"
  snr=$(python3 - "$ref" "$work/sound-$mode.raw" "$mode" <<'PY'
import sys, array, math
ref = array.array('h', open(sys.argv[1], 'rb').read())
test = array.array('h', open(sys.argv[2], 'rb').read())
lags = range(0, 2 * 2400, 2) if sys.argv[3] == 'mp3' else [0]
n = min(len(ref), 44100 * 2 * 10)
def snr(lag):
    s = sum(ref[i] * ref[i] for i in range(n) if i + lag < len(test))
    e = sum((ref[i] - test[i + lag]) ** 2 for i in range(n) if i + lag < len(test))
    return 10 * math.log10(s / max(e, 1))
if len(lags) > 1:  # find the delay on a short stretch first
    short = 4410
    best = max(lags, key=lambda l: -sum((ref[i] - test[i + l]) ** 2 for i in range(short)))
    lags = [best]
print('%.1f' % max(snr(l) for l in lags))
PY
)
  printf '%-6s %12d %8.2f %8s\n' "$mode" "$bytes" "$(echo "$pcm / $bytes" | bc -l)" "$snr"
done
