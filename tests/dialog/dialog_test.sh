#!/usr/bin/env bash
# The launch dialog driven like a viewer drives it, under Xvfb: mouse clicks and keys
# with xdotool, the close box through the window-manager protocol. The probe shows the
# dialog on GLWindow defaults and prints its controls, every box change and the final
# settings; Cancel, Escape and the close box are also checked on the real program.
# Needs DIALOG_PROBE, DIALOG_X_TOOL and QUARN (set by ctest) and a DISPLAY.
set -uo pipefail

: "${DIALOG_PROBE:?}" "${DIALOG_X_TOOL:?}" "${QUARN:?}" "${DISPLAY:?}"
failures=0
# The screen's size, which the desktop choice shows and takes.
screen_size=$(xdpyinfo 2> /dev/null | awk '/dimensions:/ { print $2; exit }')
probe_pid=""

fail() {
    echo "FAIL [$scenario]: $*"
    failures=$((failures + 1))
}

# wait_for PATTERN FILE: waits up to 20 s for a line matching PATTERN in FILE.
wait_for() {
    for _ in $(seq 200); do
        grep -q -- "$1" "$2" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "no line '$1' in $2"
    return 1
}

# wait_exit PID SECONDS: the process's exit code, or 124 after killing it when it
# runs longer.
wait_exit() {
    for _ in $(seq $(($2 * 10))); do
        if ! kill -0 "$1" 2> /dev/null; then
            wait "$1"
            return $?
        fi
        sleep 0.1
    done
    kill "$1" 2> /dev/null
    wait "$1"
    return 124
}

# A probe left over from a failed scenario must not take the next one's clicks.
stop_probe() {
    if [ -n "$probe_pid" ] && kill -0 "$probe_pid" 2> /dev/null; then
        kill "$probe_pid"
        wait "$probe_pid"
    fi
    probe_pid=""
}

# Starts the probe and waits until it has reported the dialog.
start_probe() {
    stop_probe
    scenario=$1
    rm -f probe.out
    "$DIALOG_PROBE" > probe.out 2> probe.err &
    probe_pid=$!
    wait_for '^ready$' probe.out || return 1
    window=$(awk '$1 == "dialog" { print $2 }' probe.out)
    dialog_width=$(awk '$1 == "dialog" { print $3 }' probe.out)
    dialog_height=$(awk '$1 == "dialog" { print $4 }' probe.out)
    # Keyboard input goes to the window under the pointer (there is no window manager).
    xdotool mousemove --window "$window" 1 1
}

# finish_probe EXPECTED_SETTINGS: the probe must end by itself with these settings.
finish_probe() {
    wait_exit "$probe_pid" 20
    local code=$?
    probe_pid=""
    [ "$code" -eq 0 ] || fail "probe exit code $code"
    local settings
    settings=$(grep '^settings ' probe.out)
    [ "$settings" = "settings $1" ] || fail "got '$settings', expected 'settings $1'"
}

# The probe's line for the control with this text: kind x y width height active focused text.
control() {
    awk -v text="$1" '$1 == "control" {
        line = $0; sub(/^control [^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ [^ ]+ /, "", line)
        if (line == text) print $2, $3, $4, $5, $6, $7, $8 }' probe.out
}

click() {
    local kind x y w h
    read -r kind x y w h _ _ <<< "$(control "$1")"
    if [ -z "${kind:-}" ]; then
        fail "no control '$1'"
        return
    fi
    xdotool mousemove --window "$window" $((x + w / 2)) $((y + h / 2)) click 1
}

# click_toggle TEXT STATE: clicks a box and waits until the dialog reports its new state.
click_toggle() {
    local before
    before=$(grep -c "^toggled $2 $1\$" probe.out)
    click "$1"
    for _ in $(seq 100); do
        [ "$(grep -c "^toggled $2 $1\$" probe.out)" -gt "$before" ] && return 0
        sleep 0.1
    done
    fail "'$1' did not turn $2"
}

# The dialog as it opens: every text, the controls where the template puts them, the
# settings it starts from shown, the focus on Run!.
check_opening_state() {
    grep -q "^dialog $window $dialog_width $dialog_height THE QUARN PROJECT\$" probe.out || fail "title"
    # text, kind, x, y, width, height in dialog units
    local expected=(
        "VORNIK|frame|25|62|222|54"
        "Code: VORNIK|label|30|77|73|11"
        "Music: VORNIK|label|31|100|100|11"
        "3d art: VORNIK|label|30|89|103|11"
        "Run!|button|181|14|67|17"
        "Cancel|button|180|38|67|18"
        "Resulution|label|25|13|71|14"
        "400x300|radio|27|27|46|13"
        "640x480|radio|27|44|43|12"
        "800x600|radio|74|29|45|9"
        "1024x768|radio|74|44|46|11"
        "1280x1024|radio|122|28|52|12"
        "FullScreen|check|123|45|53|12"
        "Contact: vornik@example.org|label|137|71|106|17"
        "No Sound|check|25|127|103|13"
        "Desktop (${screen_size})|radio|137|127|110|13"
        "Fill the screen|check|137|141|110|13"
    )
    [ "$(grep -c '^control ' probe.out)" -eq ${#expected[@]} ] || fail "$(grep -c '^control ' probe.out) controls"
    local entry text kind ux uy uw uh got gx gy gw gh active focused
    for entry in "${expected[@]}"; do
        IFS='|' read -r text kind ux uy uw uh <<< "$entry"
        got=$(control "$text")
        read -r gkind gx gy gw gh active focused <<< "$got"
        if [ "${gkind:-}" != "$kind" ]; then
            fail "'$text' is '${gkind:-missing}', expected $kind"
            continue
        fi
        # The dialog is 308 x 159 dialog units; each control sits at its template place.
        local px=$(((ux * dialog_width + 154) / 308)) py=$(((uy * dialog_height + 79) / 159))
        if [ $((gx - px)) -lt -2 ] || [ $((gx - px)) -gt 2 ] || [ $((gy - py)) -lt -2 ] || [ $((gy - py)) -gt 2 ]; then
            fail "'$text' at ($gx, $gy), template place ($px, $py)"
        fi
        if [ $((gx + gw)) -gt "$dialog_width" ] || [ $((gy + gh)) -gt "$dialog_height" ]; then
            fail "'$text' reaches outside the dialog"
        fi
        case "$text" in
        640x480) [ "$active" = 1 ] || fail "640x480 is not shown selected" ;;
        400x300 | 800x600 | 1024x768 | 1280x1024 | FullScreen | "No Sound" | Desktop* | "Fill the screen")
            [ "$active" = 0 ] || fail "'$text' is shown set" ;;
        esac
        [ "$focused" = $([ "$text" = "Run!" ] && echo 1 || echo 0) ] || fail "focus on '$text' is $focused"
    done
}

scenario_enter_runs_with_the_defaults() {
    start_probe "Enter on the dialog as it opens" || return
    check_opening_state
    "$DIALOG_X_TOOL" shot launch-dialog.png "$window" || fail "no screenshot"
    xdotool key Return
    finish_probe "width=640 height=480 fullScreen=0 noSound=0 cancelled=0 desktop=0 fill=0"
}

scenario_clicks() {
    start_probe "resolution, FullScreen, No Sound twice, Run!" || return
    click_toggle 1280x1024 1
    click_toggle 800x600 1
    grep -q '^toggled 0 1280x1024$' probe.out || fail "1280x1024 was not cleared"
    click_toggle FullScreen 1
    click_toggle "No Sound" 1
    click_toggle "No Sound" 0
    click "Run!"
    finish_probe "width=800 height=600 fullScreen=1 noSound=0 cancelled=0 desktop=0 fill=0"
}

# The desktop's own size (the screen's), with FullScreen and Fill the screen; another
# resolution afterwards takes the desktop choice back.
scenario_desktop_and_fill() {
    start_probe "Desktop, FullScreen, Fill the screen" || return
    click_toggle "Desktop (${screen_size})" 1
    click_toggle FullScreen 1
    click_toggle "Fill the screen" 1
    click Run!
    finish_probe "width=${screen_size%x*} height=${screen_size#*x} fullScreen=1 noSound=0 cancelled=0 desktop=1 fill=1"
    start_probe "Desktop, then 400x300" || return
    click_toggle "Desktop (${screen_size})" 1
    click_toggle 400x300 1
    click Run!
    finish_probe "width=400 height=300 fullScreen=0 noSound=0 cancelled=0 desktop=0 fill=0"
}

scenario_keyboard() {
    start_probe "keyboard: Tab, arrows, space" || return
    # Run! -> Cancel -> the selected resolution; Right picks the one beside it.
    xdotool key Tab Tab Right
    wait_for '^toggled 1 ' probe.out || return
    local picked
    picked=$(grep '^toggled 1 ' probe.out | tail -1 | cut -d' ' -f3)
    # -> FullScreen, set and cleared; -> No Sound, set; Enter runs.
    xdotool key Tab space
    wait_for '^toggled 1 FullScreen$' probe.out
    xdotool key space
    wait_for '^toggled 0 FullScreen$' probe.out
    xdotool key Tab space
    wait_for '^toggled 1 No Sound$' probe.out
    xdotool key Return
    finish_probe "width=${picked%x*} height=${picked#*x} fullScreen=0 noSound=1 cancelled=0 desktop=0 fill=0"
}

scenario_enter_on_cancel() {
    start_probe "Enter with the focus on Cancel" || return
    # Run! -> Cancel: Enter activates the focused button.
    xdotool key Tab Return
    finish_probe "width=640 height=480 fullScreen=0 noSound=0 cancelled=1 desktop=0 fill=0"
}

scenario_cancel_button() {
    start_probe "Cancel" || return
    click_toggle 1024x768 1
    click Cancel
    finish_probe "width=1024 height=768 fullScreen=0 noSound=0 cancelled=1 desktop=0 fill=0"
}

scenario_escape() {
    start_probe "Escape" || return
    xdotool key Escape
    finish_probe "width=640 height=480 fullScreen=0 noSound=0 cancelled=1 desktop=0 fill=0"
}

scenario_close_box() {
    start_probe "close box" || return
    click_toggle FullScreen 1
    "$DIALOG_X_TOOL" close "$window" || fail "close request not sent"
    finish_probe "width=640 height=480 fullScreen=1 noSound=0 cancelled=1 desktop=0 fill=0"
}

scenario_no_display() {
    scenario="no display"
    local out
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$DIALOG_PROBE" 2> /dev/null)
    local code=$?
    [ "$code" -eq 0 ] || fail "probe exit code $code"
    [ "$(echo "$out" | tail -1)" = "settings width=640 height=480 fullScreen=0 noSound=0 cancelled=0 desktop=0 fill=0" ] ||
        fail "got '$out'"
    # The program goes on to the render window, which says there is no display.
    local dir
    dir=$(mktemp -d quarn-nodisplay.XXXX)
    (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$QUARN" > stdout.txt 2> stderr.txt)
    code=$?
    [ "$code" -eq 1 ] || fail "quarn exit code $code"
    grep -q "no display" "$dir/stderr.txt" || fail "quarn did not say there is no display: $(cat "$dir/stderr.txt")"
}

# quarn_cancelled_by NAME ACTION: the real program, its dialog ended by ACTION,
# must exit 1 at once, before any window or file beyond its log.
quarn_cancelled_by() {
    scenario="quarn: $1"
    shift
    local dir
    dir=$(mktemp -d quarn-cancel.XXXX)
    (cd "$dir" && exec "$QUARN" > stdout.txt 2> stderr.txt) &
    local pid=$!
    local window
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^THE QUARN PROJECT$' | head -1)
    if [ -z "$window" ]; then
        fail "no dialog"
        wait_exit "$pid" 0
        return
    fi
    xdotool mousemove --window "$window" 1 1
    sleep 0.3 # let the dialog settle before the input arrives
    "$@" "$window"
    wait_exit "$pid" 20
    local code=$?
    [ "$code" -eq 1 ] || fail "exit code $code"
    [ ! -s "$dir/stdout.txt" ] || fail "standard output: $(cat "$dir/stdout.txt")"
    [ ! -s "$dir/stderr.txt" ] || fail "standard error: $(cat "$dir/stderr.txt")"
    # Only the log's own banner: nothing was loaded.
    [ "$(ls "$dir")" = "$(printf 'QuarnWin32.log\nstderr.txt\nstdout.txt')" ] || fail "files: $(ls "$dir")"
    grep -q -e '\[#\]' -e '\[-\]' "$dir/QuarnWin32.log" && fail "log: $(cat "$dir/QuarnWin32.log")"
    xdotool search --name 'Vornik glEngine' > /dev/null && fail "a render window is open"
}

press_cancel() { xdotool key Tab space; }
press_escape() { xdotool key Escape; }
close_box() { "$DIALOG_X_TOOL" close "$1"; }

trap stop_probe EXIT
scenario_enter_runs_with_the_defaults
scenario_clicks
scenario_desktop_and_fill
scenario_keyboard
scenario_enter_on_cancel
scenario_cancel_button
scenario_escape
scenario_close_box
scenario_no_display
quarn_cancelled_by "Cancel" press_cancel
quarn_cancelled_by "Escape" press_escape
quarn_cancelled_by "close box" close_box

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all dialog scenarios passed"
