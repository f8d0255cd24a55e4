#!/usr/bin/env bash
# Builds the demo if needed and starts it with data/ as the working directory.
# Without a display (no DISPLAY or WAYLAND_DISPLAY) it records the demo to a video
# in recordings/ instead, so that it can still be watched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
scripts/build.sh > build.log 2>&1 || { tail -40 build.log; exit 1; }
cd data
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    video="$root/recordings/quarn.mp4"
    echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset): recording the demo to $video instead."
    mkdir -p "$root/recordings"
    exec ../build/app/quarn --record "$video"
fi
exec ../build/app/quarn "$@"
