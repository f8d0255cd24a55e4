#!/usr/bin/env bash
# The browser build's test: builds it (scripts/build-web.sh), makes the desktop's
# references with the Linux program in build/ (offscreen frames and logs of runs
# stopped at the held passes, one in every part, the log of a run to the end, and the
# message for a missing texture), then drives the page in headless Chromium (tests/web/web_test.mjs). Skips
# only when emscripten, Chromium or node is not installed; scripts/install-deps.sh
# installs all three and the test's puppeteer-core.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in emcc chromium node; do
    if ! command -v "$tool" > /dev/null; then
        echo "test-web.sh: skipped, $tool is not installed (scripts/install-deps.sh installs it)"
        exit 0
    fi
done
[ -d tests/web/node_modules/puppeteer-core ] || { echo "test-web.sh: run scripts/install-deps.sh first (puppeteer-core)" >&2; exit 1; }
[ -x build/app/quarn ] || cmake --build build --target quarn -j"$(nproc)"

# A pass of every part: 1 (passes 0 to 1248), 2 (to 3247), 3 (to 4996), 5 (to 6995), 6.
passes=${QUARN_WEB_PASSES:-600,1400,3400,5200,7200}
refs=$(mktemp -d)
# The references' runs end before their folder goes, however the test ends.
trap 'wait; rm -rf "$refs"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1
quarn=$PWD/build/app/quarn
# The desktop draws every pass up to the one it captures (a minute for the late ones);
# the references are made while the web version builds.
reference() {
    local pass=$1 run="$refs/run-$1"
    mkdir -p "$run"
    cp data/* "$run/"
    (cd "$run" && "$quarn" --capture frames --size 320x240 --passes "$pass-$pass" > /dev/null 2>&1)
    cp "$run/frames/$(printf 'frame%05d.png' "$pass")" "$refs/pass-$pass.png"
    cp "$run/QuarnWin32.log" "$refs/pass-$pass.log"
    rm -rf "$run"
}
jobs=()
for pass in ${passes//,/ }; do
    reference "$pass" &
    jobs+=($!)
done
# The log of a run to the script's end (the picture's size plays no part in it).
(
    run="$refs/run-end"
    mkdir -p "$run"
    cp data/* "$run/"
    cd "$run"
    "$quarn" --benchmark --size 32x32 > /dev/null 2>&1
    cp QuarnWin32.log "$refs/end.log"
) &
jobs+=($!)
run="$refs/run-missing"
mkdir -p "$run"
cp data/* "$run/"
rm "$run/floor.jpg"
(cd "$run" && ! "$quarn" --capture frames --size 32x32 --passes 0-0 > /dev/null 2> "$refs/missing.txt")
scripts/build-web.sh
for job in "${jobs[@]}"; do
    wait "$job" || { echo "test-web.sh: a desktop reference could not be made" >&2; exit 1; }
done
QUARN_WEB_PASSES=$passes node tests/web/web_test.mjs "$PWD/dist/quarn-web" "$refs"
