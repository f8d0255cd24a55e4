#!/usr/bin/env bash
# The loader benchmark with its baselines, in one run: build/tests/bench/load_bench
# (our loader, assimp, lib3ds on the shipped scenes and the shared samples), then the
# same benchmark built against the loader of an earlier revision, on the same files.
# Prints the median CPU time of each load and the ratios.
#
#   scripts/bench-load.sh [BASE_REVISION [REPETITIONS]]
#
# BASE_REVISION defaults to the last revision with the stream-per-value reader and
# the C library's log formatting.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
base=${1:-2345660}
repetitions=${2:-5}

cmake --build build --target load_bench -j2 > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
git archive "$base" | tar -x -C "$work/src"
cp tests/bench/load_bench.cpp tests/bench/CMakeLists.txt "$work/src/tests/bench/"
# Benchmarks added after the base revision can't build there: keep only load_bench.
sed -i -E '/(draw_bench|normals_bench)/d' "$work/src/tests/bench/CMakeLists.txt"
echo "== building the benchmark against the loader of $base"
cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; exit 1; }
nice cmake --build "$work/build" --target load_bench -j2 > "$work/build.log" 2>&1 ||
    { tail -30 "$work/build.log"; exit 1; }

options=(--benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
    --benchmark_out_format=json)
run() { # run NAME PROGRAM [OPTIONS...]
    local name=$1 program=$2
    shift 2
    echo "== $name"
    (cd "$work" && QUARN_BENCH_ROOT="$root" "$program" "${options[@]}" --benchmark_out="$work/$name.json" "$@" \
        2> "$work/$name.txt") || { cat "$work/$name.txt"; exit 1; }
}
run current "$root/build/tests/bench/load_bench"
run base "$work/build/tests/bench/load_bench" --benchmark_filter='^load/quarn/'

python3 - "$work/current.json" "$work/base.json" <<'PY'
import json, math, sys
medians = {}
for path, tag in ((sys.argv[1], None), (sys.argv[2], "base")):
    for b in json.load(open(path))["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        _, library, group, name = b["run_name"].split("/", 3)
        medians[(tag or library, group, name)] = b["cpu_time"]

def geomean(values):
    return math.exp(sum(math.log(v) for v in values) / len(values)) if values else float("nan")

for group in ("scene", "sample"):
    names = sorted({n for (_, g, n) in medians if g == group})
    print(f"\n{group}s: median CPU time (us) and ratios of ours to the others")
    print(f"{'file':52} {'ours':>8} {'base':>8} {'assimp':>8} {'lib3ds':>8} {'/base':>6} {'/assimp':>7} {'/lib3ds':>7}")
    ratios = {"base": [], "assimp": [], "lib3ds": []}
    for n in names:
        ours = medians.get(("quarn", group, n))
        row = [medians.get((lib, group, n)) for lib in ("base", "assimp", "lib3ds")]
        cells = [f"{v:8.1f}" if v else f"{'-':>8}" for v in [ours] + row]
        rs = []
        for lib, v in zip(("base", "assimp", "lib3ds"), row):
            if ours and v:
                ratios[lib].append(ours / v)
                rs.append(f"{ours / v:6.2f}")
            else:
                rs.append(f"{'-':>6}")
        print(f"{n[:52]:52} {' '.join(cells)} {rs[0]} {rs[1]:>7} {rs[2]:>7}")
    print("geometric mean of the ratios: " + ", ".join(
        f"ours/{lib} {geomean(v):.2f} ({len(v)} files)" for lib, v in ratios.items()))
PY
