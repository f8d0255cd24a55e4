#!/usr/bin/env bash
# Builds the converter's fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs it for the given number of
# seconds (default 300). New inputs go to build-fuzz/fuzz-corpus/convert/; the
# committed seeds in corpus/ are only read. Exits non-zero on a finding.
set -euo pipefail
seconds=${1:-300}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tests/fuzz_common.sh"
fuzz_build convert_fuzzer
mkdir -p build-fuzz/fuzz-corpus/convert
echo "== convert_fuzzer for ${seconds}s"
# A memory-backed folder for the per-input files when there is one.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
# -rss_limit_mb: the caps keep a conversion far below it; going over is a finding.
fuzz_run convert ./tests/convert_fuzz/convert_fuzzer -max_total_time="$seconds" -jobs=1 -workers=1 \
    -timeout=20 -rss_limit_mb=2048 -max_len=16384 -close_fd_mask=3 -print_final_stats=1 \
    fuzz-corpus/convert "$here/corpus"
