"""Compares the scenes converted from one Blender scene's exports, and their part 2
frames with Blender's own camera picture.

    python3 check_scene.py OUTDIR FORMAT...

OUTDIR holds reference.json (from make_test_scene.py) and, for each FORMAT, a folder
FORMAT/ with report.txt (quarn-convert's report), inspect.json (quarn-inspect --json
--detail) and frameNNNNN.png captures of part 2. Prints the numbers and exits 1 when a
tolerance is passed. Needs ffmpeg to decode the frames.
"""

import json
import math
import os
import re
import subprocess
import sys

PASSES_PER_SECOND = 50
SIZE_TOLERANCE = 0.01      # metres, any object's extent
KEY_TOLERANCE = 0.02       # metres, any camera key
TARGET_TOLERANCE = 0.02    # metres
FOV_TOLERANCE = 0.1        # degrees
FRAME_TOLERANCE = 3.0      # per cent of the picture's width (or height, up and down)


def read_scene(folder):
    with open(os.path.join(folder, "inspect.json")) as f:
        scene = json.loads(f.readline())
    with open(os.path.join(folder, "report.txt")) as f:
        report = f.read()
    roles = re.findall(r'^object \d+: .* <- "(.*)"$', report, re.M)
    textures = sorted(re.findall(r'^material ".*" <- "(.*)": texture (\d+x\d+)', report, re.M))
    extents = {}
    for obj in scene["objects"]:
        vs = obj["vertices"]
        extents[obj["name"]] = [max(v[i] for v in vs) - min(v[i] for v in vs) for i in range(3)] if vs else []
    camera = scene["cameras"][0]
    return {"extents": extents, "roles": roles, "textures": textures, "keys": [k[1] for k in camera["positionKeys"]],
            "target": camera["target"], "fov": camera["fov"]}


def distance(a, b):
    return math.sqrt(sum((x - y) ** 2 for x, y in zip(a, b)))


def compare_scenes(scenes):
    """The largest disagreement of each format with the first one."""
    first_name, first = scenes[0]
    failures = []
    for name, other in scenes[1:]:
        sizes = max((abs(a - b) for n, e in first["extents"].items() for a, b in
                     zip(e, other["extents"].get(n, [math.inf] * 3))), default=0.0)
        if set(first["extents"]) != set(other["extents"]):
            sizes = math.inf
        same_count = len(first["keys"]) == len(other["keys"])
        keys = max(distance(a, b) for a, b in zip(first["keys"], other["keys"])) if same_count else math.inf
        target = distance(first["target"], other["target"])
        fov = abs(first["fov"] - other["fov"])
        same = other["roles"] == first["roles"] and other["textures"] == first["textures"] and first["textures"]
        print("%s vs %s: objects' sizes within %.4f m, roles and textures %s, %d/%d keys within %.4f m, "
              "target within %.4f m, lens within %.3f degrees" %
              (name, first_name, sizes, "the same" if same else "DIFFERENT",
               len(other["keys"]), len(first["keys"]), keys, target, fov))
        if sizes > SIZE_TOLERANCE or not same or keys > KEY_TOLERANCE or \
                target > TARGET_TOLERANCE or fov > FOV_TOLERANCE:
            failures.append(name)
    return failures


def compare_flight(reference, name, keys):
    """The camera's key at each of Blender's frames (two passes a frame at 25 frames a
    second) against Blender's camera there, both Z up in metres."""
    step = PASSES_PER_SECOND / reference["fps"]
    pairs = [(keys[round(i * step)], eye) for i, eye in enumerate(reference["eyes"]) if round(i * step) < len(keys)]
    worst = max((distance(key, eye) for key, eye in pairs), default=math.inf)
    print("%s: the camera's keys at Blender's %d frames within %.4f m of Blender's camera" %
          (name, len(pairs), worst))
    return worst <= KEY_TOLERANCE


def read_png(path):
    """RGB rows, top first, through ffmpeg."""
    probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                            "stream=width,height", "-of", "csv=p=0", path],
                           check=True, capture_output=True, text=True).stdout
    width, height = (int(x) for x in probe.strip().split(",")[:2])
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, capture_output=True).stdout
    return width, height, raw


def green_box(path):
    """The box around the pixels where green stands out (the marker), 0..1 from the
    left and the bottom, as Blender's camera view counts."""
    width, height, raw = read_png(path)
    xs, ys = [], []
    for y in range(height):
        row = raw[y * width * 3:(y + 1) * width * 3]
        for x in range(width):
            r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            if g > 60 and g > 2 * r + 20 and g > 2 * b + 20:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return [min(xs) / width, 1 - (max(ys) + 1) / height, (max(xs) + 1) / width, 1 - min(ys) / height]


def compare_frames(reference, name, folder, keys):
    """Per checked frame: the camera key against Blender's camera (both Z up, in
    metres), the marker's centre in our frame against Blender's, in per cent of the
    width (across) and the height (up), and the largest edge's offset."""
    worst = 0.0
    for f in reference["frames"]:
        p = round(f["seconds"] * PASSES_PER_SECOND)
        eye = distance(keys[p], f["eye"]) if p < len(keys) else math.inf
        if eye > KEY_TOLERANCE:
            worst = math.inf
        ours = green_box(os.path.join(folder, "frame%05d.png" % p))
        theirs = f["box"]
        if ours is None:
            print("%s pass %d (Blender frame %d): the marker is not in the picture" % (name, p, f["frame"]))
            worst = math.inf
            continue
        dx = 100 * ((ours[0] + ours[2]) - (theirs[0] + theirs[2])) / 2
        dy = 100 * ((ours[1] + ours[3]) - (theirs[1] + theirs[3])) / 2
        edge = max(100 * abs(a - b) for a, b in zip(ours, theirs))
        worst = max(worst, abs(dx), abs(dy), edge)
        print("%s pass %3d (Blender frame %3d): eye off by %.4f m; marker centre off by %+.2f %% of the "
              "width, %+.2f %% of the height; largest edge off by %.2f %%" % (name, p, f["frame"], eye, dx, dy,
                                                                             edge))
    return worst


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: check_scene.py OUTDIR FORMAT...")
    out, formats = sys.argv[1], sys.argv[2:]
    with open(os.path.join(out, "reference.json")) as f:
        reference = json.load(f)
    scenes = [(name, read_scene(os.path.join(out, name))) for name in formats]
    failures = compare_scenes(scenes)
    for name, scene in scenes:
        if not compare_flight(reference, name, scene["keys"]):
            failures.append(name + " flight")
    for name, scene in scenes:
        worst = compare_frames(reference, name, os.path.join(out, name), scene["keys"])
        if worst > FRAME_TOLERANCE:
            failures.append(name + " frames")
    if failures:
        print("check-blender: FAILED (%s)" % ", ".join(failures))
        return 1
    print("check-blender: the %d formats agree and part 2 frames Blender's camera within %.0f %%" %
          (len(formats), FRAME_TOLERANCE))
    return 0


sys.exit(main())
