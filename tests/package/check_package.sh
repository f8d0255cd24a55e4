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
# The data folder holds the repository's data files and nothing a run left in data/.
tracked=$(cd "$(dirname "$0")/../.." && git ls-files data 2> /dev/null | sed 's|^data/||' | sort)
if [ -n "$tracked" ]; then
    [ "$(ls -A "$work/root/usr/share/quarn" | sort)" = "$tracked" ] ||
        fail "/usr/share/quarn differs from the tracked data files: $(ls -A "$work/root/usr/share/quarn" | tr '\n' ' ')"
fi
grep -q "^License: Expat" "$work/root/usr/share/doc/quarn/copyright" || fail "the copyright file names no licence"
man=$(zcat "$work/root/usr/share/man/man1/quarn.1.gz")
for text in '\-\-part' '\-\-scene' 'quarn\-convert'; do
    grep -qF -- "$text" <<< "$man" || fail "man quarn doesn't mention $text"
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

# --version and --help answer and leave nothing behind: no state folder, no word of a log.
for option in --version --help; do
    (cd "$work/cwd" && HOME="$work/fresh" "$quarn" $option > /dev/null 2> "$work/err")
    [ ! -e "$work/fresh" ] && [ ! -s "$work/err" ] || fail "quarn $option made a log: $(cat "$work/err")"
done

# An author's own scene2.3ds in a folder without scene1.3ds is the one previewed, its
# textures read beside it first (here floor.jpg is another picture), the others from
# the installed data folder; an absolute --scene works the same.
own=$work/own
mkdir -p "$own"
cp "$work/root/usr/share/quarn/scene2.3ds" "$own/"
cp "$work/root/usr/share/quarn/spore.jpg" "$own/floor.jpg"
preview() { # preview FRAMES SCENE: one frame of part 2 from SCENE, run in $own
    (cd "$own" && HOME="$work/home" "$quarn" --capture "$1" --part 2 --scene "$2" --passes 100-100 \
        > /dev/null 2> "$work/err") || { cat "$work/err"; fail "quarn --part 2 --scene $2 failed"; }
}
preview "$work/shipped" "$work/root/usr/share/quarn/scene2.3ds"
preview "$work/authors" scene2.3ds
preview "$work/absolute" "$own/scene2.3ds"
cmp -s "$work/shipped/frame00100.png" "$work/authors/frame00100.png" &&
    fail "--scene scene2.3ds showed the shipped scene, not the one in the working folder"
cmp -s "$work/authors/frame00100.png" "$work/absolute/frame00100.png" ||
    fail "an absolute --scene shows another picture than a relative one"

# A state folder that can't be made (its parent is a file): a clear message, no log.
(cd "$work/cwd" && HOME="$work/home" XDG_STATE_HOME="$log" "$quarn" --capture "$work/one" --passes 0-0 \
    > /dev/null 2> "$work/err")
grep -q "no log file (can't make the folder $log/quarn: Not a directory)" "$work/err" ||
    { cat "$work/err"; fail "no message for a state folder that can't be made"; }
echo "package check: $(basename "$deb") passed"
