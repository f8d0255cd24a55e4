#!/usr/bin/env bash
# Makes the program's icons from a frame of the demo: pass 6000 (the golden knot of
# part 5) rendered at 256x256 by quarn --capture from data/, scaled down with
# ImageMagick to the hicolor sizes, and joined into the Windows icon with icotool.
# Writes packaging/icons/quarn-<size>.png and packaging/icons/quarn.ico (committed).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
pass=6000

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; exit 1; }
cmake --build build -j2 --target quarn

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd data && "$root/build/app/quarn" --capture "$work" --size 256x256 --passes "$pass-$pass" > /dev/null)
frame=$work/frame0$pass.png
out=packaging/icons
mkdir -p "$out"
for size in 16 32 48 64 128 256; do
    # -strip: no time stamps in the files, so the same frame gives the same bytes.
    convert "$frame" -resize "${size}x${size}" -strip "PNG32:$out/quarn-$size.png"
done
# The 256 image stays PNG inside the icon (-r), as Windows reads it.
icotool -c -o "$out/quarn.ico" "$out"/quarn-{16,32,48}.png -r "$out/quarn-256.png"
echo "icons: $out/"
