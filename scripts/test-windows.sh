#!/usr/bin/env bash
# The Windows job: cross-builds quarn.exe, quarn-inspect.exe and the Windows tests,
# compares the inspector with the Linux one, then runs the tests and quarn.exe under
# Wine on a private X server (Xvfb) with a private PulseAudio server whose null sink
# plays in real time, in a private Wine prefix made once per run. quarn.exe runs the
# way a viewer runs it: in a copy of dist/quarn-win64/, through its launch dialog,
# driven by keys. Exits non-zero on any failure.
#
# Checks that need scenes (a picture that isn't blank, a missing scene file) or music
# (sound reaching the sound server, No Sound without a device) run when the program
# shows it loads scenes or plays music; until then they say that they were skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

scripts/install-deps.sh --with-wine

echo "== Windows: cross build (build-windows/, dist/quarn-win64/)"
scripts/build-windows.sh --tests
{ [ -x build/app/quarn ] && [ -x build/app/quarn-inspect ]; } || scripts/build.sh > build.log 2>&1 ||
    { tail -40 build.log; exit 1; }

work=$(mktemp -d /tmp/quarn-wine.XXXXXX)
pids=()
completed=no
last_error="" # the last command that failed, for the FAIL line of a job that stops early
trap 'last_error="line $LINENO: $BASH_COMMAND (status $?)"' ERR
cleanup() {
    local status=$?
    trap - ERR
    set +e
    [ "$completed" = yes ] || echo "FAIL: the Windows job stopped early (status $status) at ${last_error:-an unknown step}"
    # Background steps first (the demo's full run, the Linux program), then the Wine
    # servers, then the X and sound servers they talk to.
    for pid in $(jobs -p); do kill "$pid" 2> /dev/null; done
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2> /dev/null
    [ -n "${full_prefix:-}" ] && WINEPREFIX="$full_prefix" wineserver -k 2> /dev/null
    for pid in "${pids[@]}" $(cat "$work/pids" 2> /dev/null); do kill "$pid" 2> /dev/null; done
    wait 2> /dev/null
    [ -n "${QUARN_KEEP_WINE_WORK:-}" ] && echo "(kept $work)" || rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# patience SECONDS: the deadline for an event that takes SECONDS on an idle machine,
# stretched by the machine's load (the run queue per core, read at each wait), or by
# QUARN_WAIT_SCALE when set.
patience() {
    local load cores scale
    read -r load _ < /proc/loadavg
    cores=$(nproc)
    scale=${QUARN_WAIT_SCALE:-$(awk -v l="$load" -v c="$cores" 'BEGIN {s = 1 + l / c; print (s > 6 ? 6 : int(s + 0.5))}')}
    echo $(($1 * scale))
}

# wait_for SECONDS TEST...: runs TEST until it succeeds, for up to patience SECONDS.
wait_for() {
    local deadline=$(($(date +%s) + $(patience "$1")))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

passed=0
failed=0
skipped=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
skip() { echo "SKIP: $*"; skipped=$((skipped + 1)); }

# ---- private X server, sound server and Wine prefix ---------------------------------

# new_display NAME: starts an X server of its own and prints its display name.
new_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/$1.display" > /dev/null 2> "$work/$1.xvfb.log" &
    echo $! >> "$work/pids"
    if ! wait_for 5 test -s "$work/$1.display"; then
        echo "FAIL: the X server \"$1\" did not start: $(tail -3 "$work/$1.xvfb.log")" >&2
        return 1
    fi
    echo ":$(cat "$work/$1.display")"
}
touch "$work/pids"
export DISPLAY
DISPLAY=$(new_display main)

export HOME="$work/home" XDG_RUNTIME_DIR="$work/xdg"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
pulse_socket="$work/pulse.sock"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    --load="module-native-protocol-unix socket=$pulse_socket auth-anonymous=1" \
    --load="module-null-sink sink_name=quarn" --load="module-null-sink sink_name=quarnfull" \
    > "$work/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$pulse_socket"
pulse_ready() { pactl info > /dev/null 2>&1; }
wait_for 5 pulse_ready || { echo "FAIL: the sound server did not start: $(tail -3 "$work/pulse.log")"; exit 1; }
pactl set-default-sink quarn

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
prefix_start=$(date +%s)
wineboot -i > "$work/wineboot.log" 2>&1 || { tail -20 "$work/wineboot.log"; echo "FAIL: wineboot could not make the Wine prefix"; exit 1; }
# A crash ends the process instead of waiting in Wine's crash dialog; all windows live
# in a virtual desktop, whose display mode can be changed.
cat > "$work/settings.reg" << 'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
EOF
wine regedit /S "$work/settings.reg" > /dev/null 2>&1
wineserver -w
# A second prefix for the run to the end of the demo, which goes on beside the others
# (each prefix has a Wine server of its own, so stopping one leaves the other alone).
full_prefix="$work/prefix-full"
cp -a "$WINEPREFIX" "$full_prefix"
echo "Wine prefixes ready in $(($(date +%s) - prefix_start)) s"

# ---- driving quarn.exe ---------------------------------------------------------------

DIALOG="THE QUARN PROJECT"
RENDER="Vornik glEngine system 0.5 big beta"

# window_id CAPTION SECONDS: the X window of a Wine window with that caption, awaited
# for patience SECONDS.
window_id() {
    local deadline=$(($(date +%s) + $(patience "$2"))) id
    while [ "$(date +%s)" -lt "$deadline" ]; do
        id=$(xdotool search --name "^$1\$" 2> /dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# keys WINDOW KEY...: gives the window the keyboard focus and types the keys.
keys() {
    local window=$1
    shift
    sleep 0.5
    xdotool windowfocus --sync "$window" 2> /dev/null || true
    xdotool key --delay 150 "$@"
}

# answer WINDOW KEY: presses the key in the window until the window goes away: on a
# busy machine a press can arrive before a new window takes input. False if it stays.
answer() {
    local _
    for _ in 1 2 3; do
        keys "$1" "$2"
        wait_for 5 gone "$1" && return 0
    done
    return 1
}
gone() { ! xwininfo -id "$1" 2> /dev/null | grep -q IsViewable; }

# start RUN [ENV=VALUE...]: starts quarn.exe in its own copy of dist/quarn-win64/.
# With start_in set, the working folder is that folder instead of the copy; with
# no_terminal set, standard output and error go to the null device (as for a program
# started from a menu) instead of RUN/stdout.txt and RUN/stderr.txt.
# The Wine desktop is started and awaited first: started by quarn.exe itself while
# other checks load the machine, it can come up too late for the program, which then
# can make neither its dialog nor its window.
start() {
    local run="$work/$1"
    shift
    rm -rf "$run"
    cp -R "$root/dist/quarn-win64" "$run"
    wine explorer "/desktop=Default,${desktop_size:-1024x768}" > /dev/null 2>&1 &
    window_id "Default - Wine desktop" 60 > /dev/null || true
    (
        set +e # the exit code is what is looked at
        cd "${start_in:-$run}" || exit
        if [ -n "${no_terminal:-}" ]; then
            env "$@" wine "$run/quarn.exe" > /dev/null 2>&1
        else
            env "$@" wine "$run/quarn.exe" > "$run/stdout.txt" 2> "$run/stderr.txt"
        fi
        echo $? > "$run/exitcode"
    ) &
    current="$run"
}

# finish SECONDS: waits for the program to end (patience SECONDS) and stops this
# prefix's Wine processes (Wine would remember a key that was down at exit as still
# down in the next run).
finish() {
    wait_for "$1" test -f "$current/exitcode" ||
        { echo "(no exit after $(patience "$1") s)"; echo 124 > "$current/exitcode"; }
    wineserver -k 2> /dev/null || true
    wineserver -w 2> /dev/null || true
    exitcode=$(cat "$current/exitcode")
}

# geometry WINDOW: "X Y WIDTH HEIGHT" of the window's frame on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print x, y, w, h}'
}

# frame_colours WINDOW WIDTH HEIGHT: distinct colours in the client area of the window.
frame_colours() {
    local x y w h
    read -r x y w h <<< "$(geometry "$1")"
    # The frame's borders are equally wide left, right and below; the caption is on top.
    local border=$(((w - $2) / 2))
    import -window root -crop "$2x$3+$((x + border))+$((y + h - $3 - border))" +repage "$current/frame.png"
    convert "$current/frame.png" -format %k info:
}

# drawn_colours WINDOW WIDTH HEIGHT SECONDS: frame_colours once the demo has drawn more
# than a cleared frame (16 colours), or as it is after patience SECONDS.
drawn_colours() {
    local deadline=$(($(date +%s) + $(patience "$4"))) colours
    while :; do
        colours=$(frame_colours "$1" "$2" "$3" 2> /dev/null || echo 0)
        [ "$colours" -gt 16 ] || [ "$(date +%s)" -ge "$deadline" ] && break
        sleep 0.5
    done
    echo "$colours"
}

log_of() { tr -d '\r' < "$1/QuarnWin32.log"; }

# Linked statically: the exe needs the system's DLLs only, none of the compiler's.
for exe in quarn.exe quarn-inspect.exe; do
    imports=$(x86_64-w64-mingw32-objdump -p "dist/quarn-win64/$exe" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')
    if [[ "$imports" =~ (libstdc|libgcc|libwinpthread|mingw) ]]; then
        fail "$exe needs the compiler's DLLs: $imports"
    else
        pass "$exe needs only system DLLs: $imports"
    fi
done

# The manifest declares quarn.exe per-monitor DPI aware: sizes are real pixels.
if grep -a -q "PerMonitorV2" "dist/quarn-win64/quarn.exe"; then
    pass "quarn.exe carries its per-monitor DPI-aware manifest"
else
    fail "quarn.exe has no per-monitor DPI-aware manifest"
fi

# The folder a viewer unpacks: the programs, README.txt and the data files the
# repository tracks, nothing a developer's run left in data/.
expected=$( (printf '%s\n' quarn.exe quarn-inspect.exe README.txt LICENSE.txt; git ls-files data | sed 's|^data/||') | sort)
shipped=$(ls -A dist/quarn-win64 | sort)
if [ "$shipped" = "$expected" ]; then
    pass "the Windows folder holds the programs, README.txt, LICENSE.txt and the $(git ls-files data | wc -l) tracked data files"
else
    fail "the Windows folder differs from the tracked files: $(diff <(echo "$expected") <(echo "$shipped") | grep '^[<>]' | tr '\n' ' ')"
fi
grep -q "MIT" dist/quarn-win64/README.txt && pass "README.txt names the licence" || fail "README.txt names no licence"

echo "== Windows: quarn-inspect.exe against the Linux inspector (scripts/compare-inspector.sh)"
if scripts/compare-inspector.sh > "$work/inspect-compare.txt" 2>&1; then
    pass "quarn-inspect.exe: $(tail -1 "$work/inspect-compare.txt")"
else
    grep -v '^PASS' "$work/inspect-compare.txt" | head -60
    fail "quarn-inspect.exe writes other logs or output than the Linux inspector"
fi
wineserver -k 2> /dev/null || true
wineserver -w 2> /dev/null || true

echo "== Windows: unit tests of the platform layer under Wine"
audio="$work/audio"
mkdir -p "$audio"
ffmpeg -v error -f lavfi -i "aevalsrc=0.5*sin(2*PI*441*t)|0.5*sin(2*PI*441*t):s=44100:d=1" "$audio/stereo.wav"
ffmpeg -v error -f lavfi -i "aevalsrc=0.5*sin(2*PI*441*t):s=22050:d=1" "$audio/mono.wav"
lame --quiet -b 128 "$audio/stereo.wav" "$audio/sine441_stereo.mp3"
lame --quiet -m m -b 64 "$audio/mono.wav" "$audio/sine441_mono22050.mp3"
unit="$work/unit"
mkdir -p "$unit"
tests_exe="$root/build-windows/tests/windows/quarn_win32_tests.exe"
if (cd "$unit" && QUARN_TEST_AUDIO_DIR="$(winepath -w "$audio")" \
    QUARN_TEST_JPEG_DIR="$(winepath -w "$root/tests/texture/data")" wine "$tests_exe" > output.txt 2>&1); then
    pass "Windows unit tests ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$unit/output.txt"))"
else
    cat "$unit/output.txt"
    fail "Windows unit tests"
fi
wineserver -k 2> /dev/null || true
wineserver -w 2> /dev/null || true
# Without a sound server no waveOut device opens.
if (cd "$unit" && PULSE_SERVER="unix:$work/none.sock" QUARN_TEST_NO_AUDIO_DEVICE=1 \
    wine "$tests_exe" --gtest_filter='MusicPlayerWithoutDevice*' > nodevice.txt 2>&1); then
    pass "Windows unit tests without an audio device"
else
    grep -v '^ALSA' "$unit/nodevice.txt"
    fail "Windows unit tests without an audio device"
fi
wineserver -k 2> /dev/null || true
wineserver -w 2> /dev/null || true

echo "== Windows: quarn.exe under Wine"

# A viewer's run: Enter (Run!) in the dialog, a few seconds of the demo, Escape.
pactl list short sinks > /dev/null
parec --device=quarn.monitor --format=s16le --channels=2 --rate=44100 --raw > "$work/sound.raw" 2> /dev/null &
recorder=$!
pids+=($recorder)
start run
if dialog=$(window_id "$DIALOG" 15); then
    answer "$dialog" Return || true
    if render=$(window_id "$RENDER" 15); then
        xprop -notype -id "$render" -f _NET_WM_ICON 32c _NET_WM_ICON > "$work/icon.txt" 2>&1 || true
        sleep 3
        colours=$(drawn_colours "$render" 640 480 10)
        answer "$render" Escape || true
    else
        fail "the render window did not open"
    fi
else
    fail "the launch dialog did not open"
fi
finish 15
kill "$recorder" 2> /dev/null || true
if [ "$exitcode" = 0 ] && grep -q '^\[USER\]->Exit program' "$current/stdout.txt"; then
    pass "Run! then Escape: exit code 0 and \"[USER]->Exit program\""
else
    fail "Run! then Escape: exit code $exitcode, standard output: $(cat "$current/stdout.txt")"
fi
viewer_run="$current"
# The render window shows the program's icon: its 32x32 image is the packaged one.
shown_icon=$(tr -d ' ' < "$work/icon.txt" | cut -d= -f2 | tr ',' '\n' | awk 'NR == 1 && $1 != 32 {exit}
    NR > 2 && NR <= 1026 {r += int($1 / 65536) % 256; g += int($1 / 256) % 256; b += $1 % 256}
    END {if (NR > 1026) printf "%.1f %.1f %.1f", r / 1024, g / 1024, b / 1024}')
own_icon=$(convert packaging/icons/quarn-32.png -background black -flatten \
    -format '%[fx:round(mean.r*2550)/10] %[fx:round(mean.g*2550)/10] %[fx:round(mean.b*2550)/10]' info:)
if [ -n "$shown_icon" ] && [ "$(printf '%.1f %.1f %.1f' $own_icon)" = "$shown_icon" ]; then
    pass "the render window shows the program's icon"
else
    fail "the render window's icon (mean colour ${shown_icon:-none}) is not the program's ($own_icon)"
fi
loads_scenes=no
grep -q "Done reading scene1.3ds" "$current/QuarnWin32.log" 2> /dev/null && loads_scenes=yes
plays_music=no
grep -q '^\[SOUND\] Playing \.\.\.demo\.mp3' "$current/stdout.txt" && plays_music=yes

if [ "$loads_scenes" = yes ]; then
    if [ "${colours:-0}" -gt 16 ]; then
        pass "the demo's frame is not blank ($colours colours)"
    else
        fail "the demo's frame is blank (${colours:-no} colours)"
    fi
else
    # The driver draws no scenes yet: each pass clears the window to black.
    if [ "${colours:-0}" = 1 ] && convert "$current/frame.png" -format '%[pixel:p{1,1}]' info: | grep -qE 'black|gray\(0\)|rgb\(0,0,0\)|srgb\(0,0,0\)'; then
        skip "picture check (no scenes loaded); the cleared frame is black as drawn"
    else
        fail "the cleared frame is not plain black (${colours:-no} colours)"
    fi
fi

if [ "$plays_music" = yes ]; then
    peak=$(od -An -v -t d2 -w2 "$work/sound.raw" | awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}')
    if [ "$peak" -gt 1000 ]; then
        pass "the music reached the sound server (peak $peak)"
    else
        fail "the music did not reach the sound server (peak $peak)"
    fi
else
    skip "music check (the program played no \"demo.mp3\")"
fi

# The demo from the dialog to its end, with music, in the second prefix on a display
# and a sound sink of its own; it goes on while the other checks run.
full_pid=""
if [ "$loads_scenes" = yes ]; then
    (
        set +e
        export WINEPREFIX="$full_prefix" PULSE_SINK=quarnfull
        DISPLAY=$(new_display full)
        start full
        full_start=$(date +%s)
        colours=0 peak=0
        if dialog=$(window_id "$DIALOG" 60); then
            answer "$dialog" Return || true
            if render=$(window_id "$RENDER" 30); then
                sleep 60
                colours=$(frame_colours "$render" 640 480)
                timeout 2 parec --device=quarnfull.monitor --format=s16le --channels=2 --rate=44100 \
                    --raw > "$work/full-sound.raw" 2> /dev/null
                peak=$(od -An -v -t d2 -w2 "$work/full-sound.raw" |
                    awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}')
            fi
        fi
        finish 420
        echo "$exitcode $(($(date +%s) - full_start)) $colours $peak" > "$work/full.result"
    ) &
    full_pid=$!
fi

# The same log file as the Linux program writes for the same data (line ends aside).
linux_run="$work/linux"
rm -rf "$linux_run"
mkdir -p "$linux_run"
[ -d data ] && cp -R data/. "$linux_run/"
(
    set +e
    cd "$linux_run" || exit
    SDL_AUDIODRIVER=dummy "$root/build/app/quarn" > stdout.txt 2> stderr.txt &
    echo $! > pid
    wait $!
    echo $? > exitcode
) &
linux_problem=""
if dialog=$(window_id "$DIALOG" 15); then
    answer "$dialog" Return || linux_problem="the Linux dialog did not take Enter"
else
    linux_problem="the Linux dialog did not open"
fi
if linux_window=$(window_id "$RENDER" 15); then
    sleep 2
    answer "$linux_window" Escape || linux_problem="the Linux window did not take Escape"
else
    linux_problem=${linux_problem:-"the Linux window did not open"}
fi
wait_for 15 test -f "$linux_run/exitcode" || linux_problem=${linux_problem:-"the Linux program did not end"}
linux_exit=$(cat "$linux_run/exitcode" 2> /dev/null || echo none)
if [ -z "$linux_problem" ] && [ "$linux_exit" != 0 ]; then
    linux_problem="the Linux program ended with exit code $linux_exit: $(tail -3 "$linux_run/stderr.txt")"
fi
if [ -z "$linux_problem" ] && [ ! -s "$linux_run/QuarnWin32.log" ]; then
    linux_problem="the Linux program wrote no log"
fi
if [ -n "$linux_problem" ]; then
    fail "log comparison: $linux_problem"
elif diff <(log_of "$viewer_run") "$linux_run/QuarnWin32.log" > "$work/log.diff"; then
    pass "the log file has the Linux program's lines ($(wc -c < "$linux_run/QuarnWin32.log") bytes, line ends aside)"
else
    head -20 "$work/log.diff" || true
    fail "the log file differs from the Linux program's (first differences above)"
fi
# The Linux program must not outlive the comparison, whatever became of its window.
[ -f "$linux_run/exitcode" ] || kill "$(cat "$linux_run/pid")" 2> /dev/null || true
line_ends=$(tr -cd '\n' < "$viewer_run/QuarnWin32.log" | wc -c)
crlf_ends=$(grep -c $'\r$' "$viewer_run/QuarnWin32.log" || true)
if [ "$line_ends" = "$crlf_ends" ]; then
    pass "the log file is written in text mode ($line_ends line ends, all CR LF)"
else
    fail "the log file has bare LF line ends ($crlf_ends of $line_ends are CR LF)"
fi

# Escape in the dialog, and Cancel by its button (Tab moves from Run! to Cancel).
for way in "Escape" "Tab Return"; do
    start cancel
    if dialog=$(window_id "$DIALOG" 15); then
        # shellcheck disable=SC2086
        keys "$dialog" $way
    fi
    finish 10
    banner=$(log_of "$current")
    if [ "$exitcode" = 1 ] && ! grep -q 'Exit program' "$current/stdout.txt" && [ -n "$banner" ] &&
        [[ "$banner" != *$'\n'* ]] && [[ "$(log_of "$viewer_run")" == "$banner"* ]]; then
        pass "Cancel by \"$way\": exit code 1, no window, only the log's banner"
    else
        fail "Cancel by \"$way\": exit code $exitcode"
    fi
done

# Answers the started run's dialog with the given keys, reads where the render window
# and Wine's desktop lie (window_geometry, desktop_geometry), ends the run with Escape
# and waits for its end (exitcode).
full_screen_run() {
    window_geometry=""
    desktop_geometry=""
    if dialog=$(window_id "$DIALOG" 15); then
        keys "$dialog" "$@"
        if render=$(window_id "$RENDER" 15); then
            sleep 2
            window_geometry=$(geometry "$render")
            desktop_geometry=$(geometry "$(xdotool search --name '^Default - Wine desktop$' | head -1)")
            answer "$render" Escape || true
        fi
    fi
    finish 15
}

# Full screen: Tab Tab reaches the resolution group (its checked button is its tab
# stop), Down picks the next resolution, Tab goes on to FullScreen, Space checks it.
for mode in "640 480 Tab Tab Tab" "800 600 Tab Tab Down Tab"; do
    read -r width height moves <<< "$mode"
    start "fullscreen$width"
    # shellcheck disable=SC2086
    full_screen_run $moves space Return
    if [ "$exitcode" = 0 ] && [ "$window_geometry" = "0 0 $width $height" ] &&
        [ "$desktop_geometry" = "0 0 $width $height" ]; then
        pass "full screen at ${width}x$height: display mode changed, borderless window at (0, 0), exit code 0"
    else
        fail "full screen at ${width}x$height: exit code $exitcode, window ($window_geometry), display ($desktop_geometry)"
    fi
done

# Full screen at the desktop's own size: Down four times from 640x480 reaches the
# desktop choice (last in the group). The virtual desktop is made 1152x720, a size no
# display mode has: the window covers it and the mode stays as it is.
desktop_size=1152x720 start fullscreen-desktop
unset desktop_size
full_screen_run Tab Tab Down Down Down Down Tab space Return
if [ "$exitcode" = 0 ] && [ "$window_geometry" = "0 0 1152 720" ] && [ "$desktop_geometry" = "0 0 1152 720" ]; then
    pass "full screen at the desktop's size: borderless window covering the 1152x720 desktop, no mode change"
else
    fail "full screen at the desktop's size: exit code $exitcode, window ($window_geometry), display ($desktop_geometry)"
fi

# A missing scene file ends the program at start-up, even one that is never shown.
if [ "$loads_scenes" = yes ]; then
    start missing
    rm -f "$current/scene4.3ds"
    if dialog=$(window_id "$DIALOG" 15); then answer "$dialog" Return || true; fi
    finish 20
    if [ "$exitcode" = 1 ] && [ "$(log_of "$current" | tail -c 18)" = "Ops! Could't found" ]; then
        pass "missing scene4.3ds: exit code 1 and \"Ops! Could't found\""
    else
        fail "missing scene4.3ds: exit code $exitcode, log ends with: $(log_of "$current" | tail -c 80)"
    fi
    # Started from a menu (no standard error to read), the reason is shown in a box.
    no_terminal=1 start missing-box
    no_terminal=""
    rm -f "$current/scene4.3ds"
    if dialog=$(window_id "$DIALOG" 15); then answer "$dialog" Return || true; fi
    if box=$(window_id "ERROR: " 20); then
        box_text=shown
        answer "$box" Return || true
    else
        box_text="no box"
    fi
    finish 20
    if [ "$box_text" = shown ] && [ "$exitcode" = 1 ]; then
        pass "missing scene4.3ds without a terminal: an error box, then exit code 1"
    else
        fail "missing scene4.3ds without a terminal: $box_text, exit code $exitcode"
    fi

    # Started in another folder (a shortcut's "Start in"): the files beside quarn.exe.
    mkdir -p "$work/elsewhere"
    start_in="$work/elsewhere" start from-elsewhere
    start_in=""
    if dialog=$(window_id "$DIALOG" 15); then
        answer "$dialog" Return || true
        if render=$(window_id "$RENDER" 15); then
            sleep 1
            answer "$render" Escape || true
        fi
    fi
    finish 20
    if [ "$exitcode" = 0 ] && grep -q "Done reading scene6.3ds" "$current/QuarnWin32.log" 2> /dev/null &&
        [ -z "$(ls -A "$work/elsewhere")" ]; then
        pass "started in another folder: the files beside quarn.exe are read and the log written there, exit code 0"
    else
        fail "started in another folder: exit code $exitcode, $(tail -2 "$current/stderr.txt" 2> /dev/null)"
    fi
else
    skip "missing scene file (the program loads no scenes yet)"
fi

# With no sound device: fatal with sound on, fine with No Sound (Tab x4 reaches it).
if grep -q '^\[SOUND\] Init BASS' "$viewer_run/stdout.txt"; then
    # With sound on the viewer is asked; Escape (No) ends the program as before.
    QUESTION="VORNIK"
    start nodevice "PULSE_SERVER=unix:$work/none.sock"
    question=no
    if dialog=$(window_id "$DIALOG" 15); then
        answer "$dialog" Return || true
        if box=$(window_id "$QUESTION" 20); then question=yes; answer "$box" Escape || question=stuck; fi
    fi
    finish 20
    if [ "$question" = yes ] && [ "$exitcode" = 1 ] && [ "$(log_of "$current" | tail -c 19)" = "Could not init bass" ]; then
        pass "no sound device, sound on, Escape at the question: exit code 1 and \"Could not init bass\""
    else
        fail "no sound device, sound on, Escape at the question: question $question, exit code $exitcode"
    fi
    # Yes plays the demo without music. Under heavy load Wine has once let this run end
    # without the question being seen: it is tried once more, and the job says so.
    for attempt in 1 2; do
        start nodevice-yes "PULSE_SERVER=unix:$work/none.sock"
        question=no
        if dialog=$(window_id "$DIALOG" 15); then
            answer "$dialog" Return || true
            if box=$(window_id "$QUESTION" 20); then
                question=yes
                answer "$box" Return || question=stuck
                if render=$(window_id "$RENDER" 15); then
                    sleep 1
                    answer "$render" Escape || true
                fi
            fi
        fi
        finish 20
        if [ "$question" = yes ] && [ "$exitcode" = 0 ] && ! grep -q '^\[SOUND\] Playing' "$current/stdout.txt"; then
            break
        fi
        if [ "$attempt" = 1 ]; then
            echo "(no sound device, Yes at the question: question $question, exit code $exitcode;" \
                "standard error: $(tail -c 300 "$current/stderr.txt" 2> /dev/null | tr '\n' ' '); trying once more)"
        fi
    done
    if [ "$question" = yes ] && [ "$exitcode" = 0 ] && ! grep -q '^\[SOUND\] Playing' "$current/stdout.txt"; then
        pass "no sound device, Yes at the question: the demo runs silently, exit code 0"
    else
        fail "no sound device, Yes at the question: question $question, exit code $exitcode"
    fi
    start nosound "PULSE_SERVER=unix:$work/none.sock"
    if dialog=$(window_id "$DIALOG" 15); then
        keys "$dialog" Tab Tab Tab Tab space Return
        if render=$(window_id "$RENDER" 15); then
            sleep 1
            answer "$render" Escape || true
        fi
    fi
    finish 20
    if [ "$exitcode" = 0 ] && ! grep -q '^\[SOUND\]' "$current/stdout.txt"; then
        pass "no sound device, No Sound: the demo runs silently, exit code 0"
    else
        fail "no sound device, No Sound: exit code $exitcode"
    fi
else
    skip "sound device checks (the program starts no music yet)"
fi

if [ -n "$full_pid" ]; then
    # The Linux program's log of the whole script, for the same data.
    bench="$work/linux-benchmark"
    mkdir -p "$bench"
    cp -R data/. "$bench/"
    (cd "$bench" && timeout 400 "$root/build/app/quarn" --benchmark > stdout.txt 2>&1) || true
    wait "$full_pid" || true
    read -r code seconds colours peak < "$work/full.result" || code=none
    if [ "$code" = 0 ] && grep -q '^\[USER\]->Exit program' "$work/full/stdout.txt"; then
        pass "the demo played to its end by itself in $seconds s: exit code 0"
    else
        tail -5 "$work/full/stdout.txt" "$work/full/stderr.txt"
        fail "the demo to its end: exit code $code after ${seconds:-?} s"
    fi
    if [ "${colours:-0}" -gt 16 ] && [ "${peak:-0}" -gt 1000 ]; then
        pass "a minute in: the frame is not blank ($colours colours) and the music plays (peak $peak)"
    else
        fail "a minute in: ${colours:-no} colours in the frame, music peak ${peak:-none}"
    fi
    if [ ! -s "$bench/QuarnWin32.log" ]; then
        skip "whole-script log comparison (the Linux program has no --benchmark mode)"
    elif diff <(log_of "$work/full") "$bench/QuarnWin32.log" > "$work/full-log.diff"; then
        pass "the whole run's log has the Linux program's lines ($(wc -c < "$bench/QuarnWin32.log") bytes)"
    else
        head -c 2000 "$work/full-log.diff"
        fail "the whole run's log differs from the Linux program's"
    fi
else
    skip "the demo to its end (the program loads no scenes yet)"
fi

completed=yes
elapsed=$(($(date +%s) - started))
echo "Windows job: $passed passed, $failed failed, $skipped skipped in $elapsed s"
[ "$failed" = 0 ]
