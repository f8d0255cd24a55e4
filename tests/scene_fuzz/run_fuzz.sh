#!/usr/bin/env bash
# Builds the 3DS loader's fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs it for the given number of
# seconds (default 180), one job. New inputs go to build-fuzz/fuzz-corpus/scene/; the
# committed seeds in corpus/ (and the shared samples, when beside the checkout) are only
# read. Exits non-zero on a finding; the input that caused it is left in build-fuzz/.
set -euo pipefail
seconds=${1:-180}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON -DQUARN_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > build-fuzz.configure.log 2>&1 ||
    { cat build-fuzz.configure.log; exit 1; }
cmake --build build-fuzz -j2 --target scene_loader_fuzzer
work=build-fuzz/fuzz-corpus/scene
mkdir -p "$work"
inputs=("fuzz-corpus/scene" "$here/corpus")
[ -d "$root/../shared/samples/3ds" ] && inputs+=("$root/../shared/samples/3ds")
echo "== scene_loader_fuzzer for ${seconds}s"
(cd build-fuzz && EGL_PLATFORM=surfaceless ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./tests/scene_fuzz/scene_loader_fuzzer -max_total_time="$seconds" -jobs=1 -workers=1 -timeout=10 \
    -close_fd_mask=3 -print_final_stats=1 "${inputs[@]}" > fuzz-scene.out 2>&1) || {
    tail -60 build-fuzz/fuzz-scene.out
    tail -60 build-fuzz/fuzz-0.log 2>/dev/null
    exit 1
}
tail -12 build-fuzz/fuzz-0.log 2>/dev/null || true
mv build-fuzz/fuzz-0.log build-fuzz/fuzz-scene.log 2>/dev/null || true
