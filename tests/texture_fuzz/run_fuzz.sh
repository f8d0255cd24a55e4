#!/usr/bin/env bash
# Builds the texture fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/) and runs each for the given number of
# seconds (default 180), one job at a time. New inputs go to build-fuzz/fuzz-corpus/;
# the committed seeds in corpus/ are only read. Exits non-zero on a finding.
set -euo pipefail
seconds=${1:-180}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tests/fuzz_common.sh"
fuzz_build texture_fuzz_tga texture_fuzz_jpeg
for kind in tga jpeg; do
    mkdir -p "build-fuzz/fuzz-corpus/$kind"
    echo "== texture_fuzz_$kind for ${seconds}s"
    fuzz_run "$kind" "./tests/texture_fuzz/texture_fuzz_$kind" -max_total_time="$seconds" -jobs=1 -workers=1 \
        -timeout=10 -max_len=8192 -close_fd_mask=2 -print_final_stats=1 "fuzz-corpus/$kind" "$here/corpus/$kind"
done
