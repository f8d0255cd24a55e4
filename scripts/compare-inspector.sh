#!/usr/bin/env bash
# Runs the Windows inspector (dist/quarn-win64/quarn-inspect.exe, under Wine) and the
# Linux one (build/app/quarn-inspect) on the same files and compares what they write:
# the log file, standard output, standard error and the exit status, byte for byte
# once CR LF line ends are made LF. The files: every .3ds of the shared samples folder
# beside the checkout (../shared/samples/3ds, or QUARN_SAMPLES_DIR; skipped when
# absent) and the shipped scenes data/scene*.3ds. Each file is read twice: as the demo
# reads it (textures included, readable summary) and with --json --detail --no-textures.
#
# scripts/test-windows.sh calls it inside its Wine set-up. Run on its own it makes a
# private Wine prefix and, without a DISPLAY, a private X server; the two programs
# must have been built (scripts/build.sh, scripts/build-windows.sh).
# Prints one PASS/FAIL/SKIP line per file; exits non-zero on any difference.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

linux_exe="$root/build/app/quarn-inspect"
windows_exe="$root/dist/quarn-win64/quarn-inspect.exe"
for exe in "$linux_exe" "$windows_exe"; do
    [ -f "$exe" ] || { echo "FAIL: $exe is missing"; exit 1; }
done

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

work=$(mktemp -d /tmp/quarn-inspect-compare.XXXXXX)
own_prefix=""
cleanup() {
    [ -n "$own_prefix" ] && wineserver -k 2> /dev/null || true
    [ -n "${QUARN_KEEP_WINE_WORK:-}" ] && echo "(kept $work)" || rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${WINEPREFIX:-}" ]; then
    own_prefix="$work/prefix"
    export WINEPREFIX="$own_prefix" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    wineboot -i > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n' \
        > "$work/settings.reg"
    wine regedit /S "$work/settings.reg" > /dev/null 2>&1
    wineserver -w
fi

# One Wine server for all the runs: no run starts while the server of the last one
# is shutting down.
wineserver -p

passed=0
failed=0

# run PROGRAM DIR ARGS...: runs an inspector in DIR; leaves out.txt, err.txt, log.txt
# and status there, line ends made LF.
run() {
    local program=$1 dir=$2
    shift 2
    (
        set +e
        cd "$dir" || exit
        local status
        if [ "$program" = windows ]; then
            wine "$windows_exe" "$@" > out.raw 2> err.raw < /dev/null
            status=$?
            # Nothing at all, not even the log, means Wine did not start the program:
            # that is tried once more.
            if [ "$status" != 0 ] && [ ! -s out.raw ] && [ ! -s err.raw ] && [ ! -e QuarnWin32.log ]; then
                echo "(Wine did not start quarn-inspect.exe on ${*: -1}; tried again)" >&2
                wine "$windows_exe" "$@" > out.raw 2> err.raw < /dev/null
                status=$?
            fi
        else
            "$linux_exe" "$@" > out.raw 2> err.raw < /dev/null
            status=$?
        fi
        echo "$status" > status
        tr -d '\r' < out.raw > out.txt
        # A missing file's message names the folder it was looked in: each program's
        # own copy, the Windows one by its drive letter. Both are made the same word.
        FOLDER="$dir" WINDOWS_FOLDER="Z:${dir//\//\\}" perl -pe \
            's/\Q$ENV{WINDOWS_FOLDER}\E/<case folder>/g; s/\Q$ENV{FOLDER}\E/<case folder>/g' < err.raw |
            tr -d '\r' > err.txt
        tr -d '\r' < QuarnWin32.log > log.txt 2> /dev/null || : > log.txt
    )
}

# compare NAME SOURCE_DIR FILE ARGS...: both inspectors on FILE, each in its own copy
# of SOURCE_DIR (FILE alone when SOURCE_DIR is empty).
compare() {
    local name=$1 source=$2 file=$3
    shift 3
    local case_dir="$work/case" program
    rm -rf "$case_dir"
    for program in linux windows; do
        mkdir -p "$case_dir/$program"
        if [ -n "$source" ]; then
            cp -R "$source/." "$case_dir/$program/"
        else
            cp "$file" "$case_dir/$program/"
        fi
        run "$program" "$case_dir/$program" "$@" "$(basename "$file")"
    done
    local differences=""
    for part in status out.txt err.txt log.txt; do
        if ! cmp -s "$case_dir/linux/$part" "$case_dir/windows/$part"; then
            differences+=" ${part%.txt}"
            echo "--- $name: $part (< Linux, > Windows)"
            diff "$case_dir/linux/$part" "$case_dir/windows/$part" | head -12 || true
        fi
    done
    if [ -z "$differences" ]; then
        echo "PASS: inspector on $name: same log and output ($(wc -c < "$case_dir/linux/log.txt") log bytes)"
        passed=$((passed + 1))
    else
        echo "FAIL: inspector on $name: the platforms differ in:$differences"
        failed=$((failed + 1))
    fi
}

samples="${QUARN_SAMPLES_DIR:-$root/../shared/samples/3ds}"
files=()
if [ -d "$samples" ]; then
    for f in "$samples"/*; do
        case "${f,,}" in *.3ds) files+=("$f") ;; esac
    done
else
    echo "SKIP: inspector on the shared samples (no folder ../shared/samples/3ds beside the checkout)"
fi
for f in "${files[@]}"; do
    compare "$(basename "$f")" "" "$f"
    compare "$(basename "$f") --json --detail --no-textures" "" "$f" --json --detail --no-textures
done
for f in data/scene*.3ds; do
    [ -f "$f" ] || continue
    compare "$f" data "$f"
    compare "$f --json --detail --no-textures" data "$f" --json --detail --no-textures
done

echo "Inspector comparison: $passed same, $failed different"
[ "$failed" = 0 ] && [ "$passed" -gt 0 ]
