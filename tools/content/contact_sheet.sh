#!/usr/bin/env bash
# Makes docs/contact-sheet.png (four frames of each part, one row per part) and
# full frames docs/frame-1.png, docs/frame-2.png ..., by playing the script
# offscreen with the content in data/ (only the chosen passes are drawn), and
# prints each part's brightness: mean luma and share of pixels above 24 of 255
# over every 50th pass at 320x240. Needs ImageMagick (montage, convert).
#
#   tools/content/contact_sheet.sh        (FULL_FRAMES=P1,P2 picks the full frames' passes)
set -euo pipefail
cd "$(dirname "$0")/../.."
full="${FULL_FRAMES:-2050,7640,30,3600}"
cmake --build build -j2 --target quarn_frames > /dev/null
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
(cd data && LIBGL_ALWAYS_SOFTWARE=1 ../build/tools/content/quarn_frames --out "$frames" --per-part 4 \
    --passes "$full" 2> /dev/null)
(cd data && LIBGL_ALWAYS_SOFTWARE=1 ../build/tools/content/quarn_frames --every 50 --size 320x240 \
    --brightness 2> /dev/null)
rm -f data/QuarnWin32.log
mkdir -p docs
declare -A isFull
for p in ${full//,/ }; do isFull[$p]=1; done
sheet=()
for f in "$frames"/pass_*_part*.ppm; do
    n=$(basename "$f" | sed 's/^pass_0*\([0-9][0-9]*\)_.*/\1/')
    [ -n "${isFull[$n]:-}" ] || sheet+=("$f")
done
montage "${sheet[@]}" -tile 4x5 -geometry 320x240+3+3 -background "#202020" "$frames/sheet.png" 2> /dev/null
convert "$frames/sheet.png" -colors 256 PNG8:docs/contact-sheet.png # a palette keeps the file small
i=1
for p in ${full//,/ }; do
    convert "$(ls "$frames"/pass_"$(printf %05d "$p")"_part*.ppm)" "docs/frame-$i.png"
    i=$((i + 1))
done
ls -l docs
