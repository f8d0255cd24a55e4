#!/usr/bin/env bash
# Regenerates all of the demo's content in data/: the six scenes, their textures
# and the soundtrack demo.mp3. Deterministic: the same seed gives the same files.
#
#   scripts/make-content.sh [--seed N] [--out DIR]
#
# Builds the generator (tools/content) if needed, writes the scenes and textures,
# renders the song to a WAV (mastered to -14 LUFS under a -2 dBTP limiter) and
# encodes it with lame at 128 kbit/s. The encoded stream's peaks can overshoot the
# WAV's, so the MP3 is decoded again (mpg123) and, while its true peak is above
# -1.2 dBTP, encoded once more a little softer.
set -euo pipefail
cd "$(dirname "$0")/.."
seed=1999
out=data
while [ $# -gt 0 ]; do
    case "$1" in
    --seed) seed="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "usage: scripts/make-content.sh [--seed N] [--out DIR]" >&2; exit 2 ;;
    esac
done
command -v lame > /dev/null && command -v mpg123 > /dev/null || scripts/install-deps.sh
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; exit 1; }
fi
cmake --build build -j2 --target quarn_content
mkdir -p "$out"
wav=$(mktemp --suffix=.wav)
raw=$(mktemp --suffix=.raw)
trap 'rm -f "$wav" "$raw"' EXIT
tool=build/tools/content/quarn_content
"$tool" --seed "$seed" --out "$out" --wav "$wav"
for scale in 1.0 0.95 0.9 0.85 0.8 0.75 0.7; do
    lame --quiet --cbr -b 128 -q 2 --noreplaygain --scale "$scale" "$wav" "$out/demo.mp3"
    mpg123 -q -s "$out/demo.mp3" > "$raw"
    read -r peak lufs range < <("$tool" --peak "$raw")
    echo "$out/demo.mp3: scale $scale, decoded true peak $peak dBTP, $lufs LUFS, range $range LU"
    if awk -v p="$peak" 'BEGIN { exit !(p <= -1.2) }'; then
        exit 0
    fi
done
echo "demo.mp3 still peaks above -1.2 dBTP" >&2
exit 1
