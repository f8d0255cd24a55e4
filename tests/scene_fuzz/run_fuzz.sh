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
. "$root/tests/fuzz_common.sh"
fuzz_build scene_loader_fuzzer
mkdir -p build-fuzz/fuzz-corpus/scene
inputs=("fuzz-corpus/scene" "$here/corpus")
[ -d "$root/../shared/samples/3ds" ] && inputs+=("$root/../shared/samples/3ds")
echo "== scene_loader_fuzzer for ${seconds}s"
fuzz_run scene env EGL_PLATFORM=surfaceless ./tests/scene_fuzz/scene_loader_fuzzer \
    -max_total_time="$seconds" -jobs=1 -workers=1 -timeout=10 -close_fd_mask=3 -print_final_stats=1 \
    "${inputs[@]}"
