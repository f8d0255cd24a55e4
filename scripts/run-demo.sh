#!/usr/bin/env bash
# Builds the demo program if needed (only it: the tests and tools are left to
# scripts/build.sh) and starts it with data/ as the working directory. Without a
# display (no DISPLAY or WAYLAND_DISPLAY) it records the demo to a video in
# recordings/ instead, so that it can still be watched, and says how large it is.
# Each step is announced; the build shows its progress (the full log is build.log).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
step() { echo "== $*"; }

step "1/3 Checking the Debian packages (installs what is missing: about 2 minutes the first time)"
scripts/install-deps.sh

if [ -x build/app/quarn ]; then
    step "2/3 Building (only what changed)"
else
    step "2/3 Building for the first time: about a minute on 2 idle cores"
fi
start=$SECONDS
# Only the make progress lines reach the terminal, one per file; everything goes to build.log.
build_quarn() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; return 1; }
    cmake --build build -j"$(nproc)" --target quarn
}
if ! build_quarn 2>&1 | tee build.log | grep --line-buffered -E '^\[ *[0-9]+%\]'; then
    tail -40 build.log
    exit 1
fi
echo "   built in $((SECONDS - start)) s"

cd data
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    video="$root/recordings/quarn.mp4"
    step "3/3 No display here (DISPLAY and WAYLAND_DISPLAY are unset): recording the demo to $video instead."
    mkdir -p "$root/recordings"
    ../build/app/quarn --record "$video"
    echo "   $video: $(du -h "$video" | cut -f1), $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$video" | cut -d. -f1) s"
    exit 0
fi
step "3/3 Starting the demo"
exec ../build/app/quarn "$@"
