#!/usr/bin/env bash
# Plays one part in the real window under a private X server for a while and writes
# what the program prints when it ends (its frame and pass rates):
#   run_frame_rate.sh QUARN DATA_DIR SECONDS OUT_DIR [OPTION ...]
# The launch dialog is answered with Enter (Run!); Escape ends the run.
set -u
quarn=$1 data=$2 seconds=$3 out=$4
shift 4
rm -rf "$out" && mkdir -p "$out/work"
for f in "$data"/*; do [ -f "$f" ] && ln -s "$(cd "$(dirname "$f")" && pwd)/$(basename "$f")" "$out/work/"; done

inner() {
    cd "$out/work" || exit 99
    "$quarn" --stats "$@" > "$out/stdout" 2> "$out/stderr" &
    pid=$!
    for _ in $(seq 1 300); do
        dialog=$(xdotool search --onlyvisible --name "THE QUARN PROJECT" 2> /dev/null | head -1)
        if [ -n "$dialog" ]; then
            xdotool windowfocus "$dialog" > /dev/null 2>&1 || true
            xdotool key Return > /dev/null 2>&1 || true
            break
        fi
        kill -0 $pid 2> /dev/null || break
        sleep 0.1
    done
    sleep "$seconds"
    xdotool key Escape
    for _ in $(seq 1 100); do kill -0 $pid 2> /dev/null || break; sleep 0.1; done
    kill -0 $pid 2> /dev/null && kill -9 $pid
    wait $pid
    echo $? > "$out/exitcode"
}
if [ -n "${QUARN_INSIDE_XVFB:-}" ]; then
    inner "$@"
    exit 0
fi
QUARN_INSIDE_XVFB=1 SDL_AUDIODRIVER=dummy xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$quarn" "$data" "$seconds" "$out" "$@"
