#!/usr/bin/env bash
# Builds the texture fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs each for the given number of
# seconds (default 180), one job at a time. New inputs go to build-fuzz/fuzz-corpus/;
# the committed seeds in corpus/ are only read. Exits non-zero on a finding.
set -euo pipefail
seconds=${1:-180}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON -DQUARN_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > build-fuzz.configure.log 2>&1 ||
    { cat build-fuzz.configure.log; exit 1; }
cmake --build build-fuzz -j2 --target texture_fuzz_tga texture_fuzz_jpeg
for kind in tga jpeg; do
    work="build-fuzz/fuzz-corpus/$kind"
    mkdir -p "$work"
    echo "== texture_fuzz_$kind for ${seconds}s"
    (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "./tests/texture_fuzz/texture_fuzz_$kind" -max_total_time="$seconds" -jobs=1 -workers=1 \
        -timeout=10 -max_len=8192 -close_fd_mask=2 -print_final_stats=1 \
        "fuzz-corpus/$kind" "$here/corpus/$kind" > "fuzz-$kind.out" 2>&1) || {
        tail -60 "build-fuzz/fuzz-$kind.out"
        tail -60 build-fuzz/fuzz-0.log 2>/dev/null
        exit 1
    }
    tail -12 build-fuzz/fuzz-0.log 2>/dev/null || true
    mv build-fuzz/fuzz-0.log "build-fuzz/fuzz-$kind.log" 2>/dev/null || true
done
