#!/usr/bin/env bash
# The browser build's test: builds it (scripts/build-web.sh), makes the desktop's
# references with the Linux program in build/ (offscreen frames and logs of runs
# stopped at the held passes, the message for a missing texture), then drives the
# page in headless Chromium (tests/web/web_test.mjs). Skips only when emscripten,
# Chromium or node is not installed; scripts/install-deps.sh installs all three and
# the test's puppeteer-core.
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
scripts/build-web.sh

passes=${QUARN_WEB_PASSES:-600,1400}
refs=$(mktemp -d)
trap 'rm -rf "$refs"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1
for pass in ${passes//,/ }; do
    run="$refs/run-$pass"
    mkdir -p "$run"
    cp data/* "$run/"
    (cd "$run" && "$OLDPWD/build/app/quarn" --capture frames --size 320x240 --passes "$pass-$pass" > /dev/null 2>&1)
    cp "$run/frames/$(printf 'frame%05d.png' "$pass")" "$refs/pass-$pass.png"
    cp "$run/QuarnWin32.log" "$refs/pass-$pass.log"
    rm -rf "$run"
done
run="$refs/run-missing"
mkdir -p "$run"
cp data/* "$run/"
rm "$run/floor.jpg"
(cd "$run" && ! "$OLDPWD/build/app/quarn" --capture frames --size 32x32 --passes 0-0 > /dev/null 2> "$refs/missing.txt")
QUARN_WEB_PASSES=$passes node tests/web/web_test.mjs "$PWD/dist/quarn-web" "$refs"
