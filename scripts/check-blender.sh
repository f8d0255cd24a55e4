#!/bin/sh
# Builds a keyframed scene in Blender, exports it as glTF (.gltf and .glb), FBX and Collada, converts
# each for part 2, checks that the scenes agree and that part 2's frames show
# the scene's green box where Blender's camera shows it.
#
#   scripts/check-blender.sh [--no-bake] [BUILD_DIR] [OUT_DIR]
#
# --no-bake exports the camera with its Track-To constraint as it is, without keying
# its turn first (the glTF exporter then keeps only its first turn).
# BUILD_DIR defaults to build/ (quarn, quarn-convert and quarn-inspect built there);
# OUT_DIR, where the exports, scenes and frames stay for a look, to a new temporary
# folder. Needs blender (3.4 or later, with python3-numpy for its glTF exporter) and
# ffmpeg; without Blender it says so and ends with status 0.
set -eu
bake=
if [ "${1:-}" = --no-bake ]; then
    bake=--no-bake
    shift
fi
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
case $build in /*) ;; *) build=$root/$build ;; esac

if ! command -v blender >/dev/null 2>&1; then
    echo "check-blender: skipped, Blender is not installed (blender is not on PATH)"
    exit 0
fi
for tool in quarn quarn-convert quarn-inspect; do
    if [ ! -x "$build/app/$tool" ]; then
        echo "check-blender: $build/app/$tool is missing; build it first" >&2
        exit 2
    fi
done
for tool in ffmpeg ffprobe python3; do
    command -v $tool >/dev/null 2>&1 || { echo "check-blender: $tool is missing" >&2; exit 2; }
done

out=${2:-$(mktemp -d -t check-blender.XXXXXX)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
echo "check-blender: working in $out"

timeout 600 blender -b --factory-startup --python "$root/tools/blender/make_test_scene.py" -- "$out" $bake \
    >"$out/blender.log" 2>&1 || { echo "check-blender: Blender failed, see $out/blender.log" >&2; exit 1; }

passes=$(python3 -c 'import json,sys
r=json.load(open(sys.argv[1]))
print(" ".join(str(round(f["seconds"]*50)) for f in r["frames"]))' "$out/reference.json")

for format in gltf glb fbx dae; do
    dir=$out/$format
    rm -rf "$dir"
    mkdir -p "$dir"
    timeout 120 "$build/app/quarn-convert" "$out/scene.$format" "$dir/scene2.3ds" --part 2 >"$dir/report.txt"
    (cd "$dir" && timeout 120 "$build/app/quarn-inspect" --json --detail scene2.3ds 2>/dev/null | head -n 1 \
        >inspect.json)
    for pass in $passes; do
        (cd "$dir" && timeout 120 "$build/app/quarn" --capture "$dir" --part 2 --scene scene2.3ds \
            --passes "$pass-$pass" >/dev/null 2>&1)
    done
done
python3 "$root/tools/blender/check_scene.py" "$out" gltf glb fbx dae
