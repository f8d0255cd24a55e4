#!/usr/bin/env bash
# Times recording against drawing alone: `quarn --benchmark` and `quarn --record` of
# the shipped demo at one size, run one after the other RUNS times in data/. Prints
# each run's wall time and the medians, the speed of each in passes per second of
# wall time (the same passes in both), and recording's speed as a share of drawing's.
#   scripts/time-record.sh [RUNS] [WxH]   (default: 3 runs at 640x480 of build/app/quarn,
#                                         or of the program named by QUARN)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
size=${2:-640x480}
quarn=${QUARN:-$PWD/build/app/quarn}
[ -x "$quarn" ] || { echo "time-record.sh: build first (scripts/build.sh)" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

seconds() { # runs the command quietly, prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    (cd data && "$@" > "$out/stdout" 2> "$out/stderr") || { cat "$out/stderr" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
div() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

bench=() record=()
for i in $(seq 1 "$runs"); do
    b=$(seconds "$quarn" --benchmark --size "$size")
    passes=$(sed -n 's/^Benchmark at [0-9x]*: \([0-9]*\) passes.*/\1/p' "$out/stdout")
    r=$(seconds "$quarn" --record "$out/video.mp4" --size "$size")
    frames=$(sed -n 's/^Recorded \([0-9]*\) frames.*/\1/p' "$out/stdout")
    printf 'run %d: --benchmark %.2f s (%s passes), --record %.2f s (%s frames)\n' "$i" "$b" "$passes" "$r" "$frames"
    bench+=("$b") record+=("$r")
done
mb=$(printf '%s\n' "${bench[@]}" | median)
mr=$(printf '%s\n' "${record[@]}" | median)
printf 'median at %s: --benchmark %.2f s (%.1f passes/s), --record %.2f s (%.1f frames/s)\n' "$size" "$mb" \
    "$(div "$passes" "$mb")" "$mr" "$(div "$frames" "$mr")"
printf 'recording speed / drawing speed: %.2f\n' "$(div "$mb" "$mr")"
