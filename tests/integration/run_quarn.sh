#!/usr/bin/env bash
# Starts the real program under a private X server in a scratch working directory
# holding the demo's data files, and ends it the way the test asks:
#   run_quarn.sh QUARN XCLOSE DATA_DIR escape|close|sigterm OUT_DIR
# The launch dialog, when it shows, is answered with Enter (Run!). Writes the
# program's exit code, standard output and log file into OUT_DIR.
set -u
quarn=$1 xclose=$2 data=$3 how=$4 out=$5
rm -rf "$out" && mkdir -p "$out/work"
for f in "$data"/*; do [ -f "$f" ] && ln -s "$(cd "$(dirname "$f")" && pwd)/$(basename "$f")" "$out/work/"; done

inner() {
    cd "$out/work" || exit 99
    "$quarn" > "$out/stdout" 2> "$out/stderr" &
    pid=$!
    title="Vornik glEngine system 0.5 big beta"
    for _ in $(seq 1 300); do
        dialog=$(xdotool search --onlyvisible --name "THE QUARN PROJECT" 2> /dev/null | head -1)
        if [ -n "$dialog" ]; then
            # No window manager runs here: focus the dialog directly, then press Enter (Run!).
            xdotool windowfocus "$dialog" > /dev/null 2>&1 || true
            xdotool key Return > /dev/null 2>&1 || true
            sleep 0.3
        fi
        xdotool search --onlyvisible --name "$title" > /dev/null 2>&1 && break
        kill -0 $pid 2> /dev/null || break
        sleep 0.1
    done
    sleep 1.5 # let it run some passes
    case "$how" in
    escape) xdotool key Escape ;;
    close) "$xclose" "$title" ;;
    sigterm) kill -TERM $pid ;;
    esac
    for _ in $(seq 1 100); do kill -0 $pid 2> /dev/null || break; sleep 0.1; done
    if kill -0 $pid 2> /dev/null; then
        kill -9 $pid
        echo "timeout" > "$out/exitcode"
        exit 0
    fi
    wait $pid
    echo $? > "$out/exitcode"
}
if [ -n "${QUARN_INSIDE_XVFB:-}" ]; then
    inner
    exit 0
fi
QUARN_INSIDE_XVFB=1 SDL_AUDIODRIVER=dummy xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$@"
cp "$out/work/QuarnWin32.log" "$out/log" 2> /dev/null || true
