#!/usr/bin/env bash
# Checks the Debian package as a user gets it, without installing it: unpacked with
# dpkg-deb -x into a scratch folder, the program plays passes 0-50 offscreen from an
# empty working directory with a scratch HOME, reading the installed data and writing
# its log to the state folder; a state folder that can't be made is named on stderr.
# Usage: check_package.sh DEB
set -euo pipefail
deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$work/root"
quarn=$work/root/usr/bin/quarn
mkdir -p "$work/home" "$work/cwd"
for f in usr/bin/quarn-inspect usr/share/quarn/scene1.3ds usr/share/applications/quarn.desktop \
    usr/share/icons/hicolor/256x256/apps/quarn.png usr/share/man/man1/quarn.1.gz usr/share/doc/quarn/copyright; do
    [ -e "$work/root/$f" ] || fail "the package lacks /$f"
done
command -v desktop-file-validate > /dev/null &&
    { desktop-file-validate "$work/root/usr/share/applications/quarn.desktop" || fail "desktop entry"; }

log=$work/home/.local/state/quarn/QuarnWin32.log
(cd "$work/cwd" && env -u XDG_STATE_HOME HOME="$work/home" "$quarn" --capture frames --passes 0-50 \
    > "$work/out" 2> "$work/err") || { cat "$work/err"; fail "quarn --capture failed"; }
[ "$(ls "$work/cwd/frames" | wc -l)" -eq 51 ] || fail "expected 51 frames in the working directory"
[ -s "$log" ] || fail "no log in the state folder"
[ "$(ls -A "$work/cwd")" = frames ] || fail "the working directory got more than the frames"
grep -qx "quarn: writing the log to $log" "$work/err" || { cat "$work/err"; fail "stderr doesn't name the log"; }

# A state folder that can't be made (its parent is a file): a clear message, no log.
(cd "$work/cwd" && HOME="$work/home" XDG_STATE_HOME="$log" "$quarn" --version > /dev/null 2> "$work/err")
grep -q "no log file (can't make the folder $log/quarn: Not a directory)" "$work/err" ||
    { cat "$work/err"; fail "no message for a state folder that can't be made"; }
echo "package check: $(basename "$deb") passed"
