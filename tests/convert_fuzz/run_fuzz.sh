#!/usr/bin/env bash
# Builds the converter's fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs it for the given number of
# seconds (default 300). New inputs go to build-fuzz/fuzz-corpus/convert/; the
# committed seeds in corpus/ are only read. Exits non-zero on a finding.
set -euo pipefail
seconds=${1:-300}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON -DQUARN_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > build-fuzz.configure.log 2>&1 ||
    { cat build-fuzz.configure.log; exit 1; }
cmake --build build-fuzz -j2 --target convert_fuzzer
work="build-fuzz/fuzz-corpus/convert"
mkdir -p "$work"
echo "== convert_fuzzer for ${seconds}s"
# -rss_limit_mb: the caps keep a conversion far below it; going over is a finding.
# A memory-backed folder for the per-input files when there is one.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
(cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./tests/convert_fuzz/convert_fuzzer -max_total_time="$seconds" -jobs=1 -workers=1 \
    -timeout=20 -rss_limit_mb=2048 -max_len=16384 -close_fd_mask=3 -print_final_stats=1 \
    fuzz-corpus/convert "$here/corpus" > fuzz-convert.out 2>&1) || {
    tail -60 build-fuzz/fuzz-convert.out
    tail -60 build-fuzz/fuzz-0.log 2>/dev/null
    exit 1
}
tail -12 build-fuzz/fuzz-convert.out
