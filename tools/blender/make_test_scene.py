"""Builds a small keyframed scene for part 2 in Blender and exports it as glTF, FBX and Collada.

Run headless:
    blender -b --factory-startup --python tools/blender/make_test_scene.py -- OUTDIR [--no-bake]

OUTDIR receives scene.gltf (with scene.bin), scene.glb, scene.fbx, scene.dae, the floor's
texture checker.png, and reference.json: where the corners of the green box
"Marker" land in Blender's camera picture at a few frames, and where the camera is
at every frame.

The scene: a 10 m floor with a checker texture, a chrome globe, a green box and a
pillar; a 35 mm camera with a Track-To constraint on an empty flies an 8 s arc
(25 frames a second, frames 1 to 201) around them.

The picture's shape: the demo draws with an aspect of 1, stretched to its window, so
its picture shows the same angle across as up and down. The render here is square
(512 x 512) with the sensor fit left on Auto, so Blender's camera also shows the
same angle both ways (2 atan(18/35), 54.4 degrees with the 36 mm sensor). A point at
(u, v) of Blender's picture, both 0..1, is then at (u, v) of the demo's frame of any
size, counted from its left and bottom edges.
"""

import json
import math
import os
import sys

import bpy
from bpy_extras.object_utils import world_to_camera_view

FPS = 25
FIRST_FRAME = 1
LAST_FRAME = 201
CHECKED_FRAMES = (1, 51, 101, 151, 200)
CAMERA_PATH = ((9.0, -6.0, 4.0), (8.0, 3.0, 3.5), (2.0, 9.0, 3.0), (-6.0, 7.0, 4.0), (-9.0, -2.0, 5.0))


def clear_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.render.fps = FPS
    scene.frame_start = FIRST_FRAME
    scene.frame_end = LAST_FRAME
    scene.render.resolution_x = 512
    scene.render.resolution_y = 512
    scene.render.pixel_aspect_x = 1.0
    scene.render.pixel_aspect_y = 1.0
    scene.unit_settings.system = 'METRIC'
    scene.unit_settings.scale_length = 1.0
    return scene


def checker_image(folder):
    size, cells = 64, 8
    image = bpy.data.images.new("checker", width=size, height=size)
    pixels = []
    for y in range(size):
        for x in range(size):
            light = ((x * cells // size) + (y * cells // size)) % 2 == 0
            grey = 0.55 if light else 0.2
            pixels += [grey, grey, grey, 1.0]
    image.pixels = pixels
    image.filepath_raw = os.path.join(folder, "checker.png")
    image.file_format = 'PNG'
    image.save()
    return image


def material(name, colour, metallic=0.0, image=None):
    mat = bpy.data.materials.new(name)
    mat.use_nodes = True
    bsdf = mat.node_tree.nodes["Principled BSDF"]
    bsdf.inputs["Base Color"].default_value = (*colour, 1.0)
    bsdf.inputs["Metallic"].default_value = metallic
    bsdf.inputs["Roughness"].default_value = 0.2 if metallic else 0.6
    if image:
        tex = mat.node_tree.nodes.new("ShaderNodeTexImage")
        tex.image = image
        mat.node_tree.links.new(tex.outputs["Color"], bsdf.inputs["Base Color"])
    mat.diffuse_color = (*colour, 1.0)
    return mat


def named(obj, name, mat):
    obj.name = name
    obj.data.name = name
    obj.data.materials.append(mat)
    return obj


def add_objects(image):
    bpy.ops.mesh.primitive_plane_add(size=10.0, location=(0, 0, 0))
    named(bpy.context.object, "Floor", material("Checker", (0.8, 0.8, 0.8), image=image))
    bpy.ops.mesh.primitive_uv_sphere_add(radius=0.8, location=(-2.0, 1.5, 0.8))
    named(bpy.context.object, "Globe", material("Chrome", (0.9, 0.9, 0.9), metallic=1.0))
    bpy.ops.mesh.primitive_cube_add(size=0.8, location=(1.5, -1.0, 0.4))
    named(bpy.context.object, "Marker", material("Green", (0.0, 1.0, 0.0)))
    bpy.ops.mesh.primitive_cylinder_add(radius=0.4, depth=2.5, location=(2.5, -3.5, 1.25))
    named(bpy.context.object, "Pillar", material("Stone", (0.45, 0.3, 0.2)))


def add_camera(scene):
    bpy.ops.object.empty_add(type='PLAIN_AXES', location=(0.0, 0.0, 0.6))
    target = bpy.context.object
    target.name = "Target"
    bpy.ops.object.camera_add(location=CAMERA_PATH[0])
    camera = bpy.context.object
    camera.name = "Camera"
    camera.data.name = "Camera"
    camera.data.lens = 35.0
    camera.data.sensor_width = 36.0
    camera.data.sensor_fit = 'AUTO'
    track = camera.constraints.new('TRACK_TO')
    track.target = target
    track.track_axis = 'TRACK_NEGATIVE_Z'
    track.up_axis = 'UP_Y'
    span = (LAST_FRAME - FIRST_FRAME) / (len(CAMERA_PATH) - 1)
    for i, place in enumerate(CAMERA_PATH):
        camera.location = place
        camera.keyframe_insert("location", frame=round(FIRST_FRAME + i * span))
    scene.camera = camera
    return camera


def bake_aim(camera):
    """Keys the turn the Track-To gives at every frame, the constraint kept.

    The glTF exporter of Blender 3.4 writes the action's channels only: without this
    the camera keeps its first frame's turn there while FBX and Collada, which sample
    the whole transform, follow the target."""
    bpy.ops.object.select_all(action='DESELECT')
    camera.select_set(True)
    bpy.context.view_layer.objects.active = camera
    bpy.ops.nla.bake(frame_start=FIRST_FRAME, frame_end=LAST_FRAME, only_selected=True, visual_keying=True,
                     clear_constraints=False, use_current_action=True, bake_types={'OBJECT'})


def reference(scene, camera):
    marker = bpy.data.objects["Marker"]
    frames = []
    for frame in CHECKED_FRAMES:
        scene.frame_set(frame)
        corners = [marker.matrix_world @ v.co for v in marker.data.vertices]
        seen = [world_to_camera_view(scene, camera, c) for c in corners]
        us = [p.x for p in seen]
        vs = [p.y for p in seen]
        frames.append({
            "frame": frame,
            "seconds": (frame - FIRST_FRAME) / FPS,
            "box": [min(us), min(vs), max(us), max(vs)],
            "eye": list(camera.matrix_world.translation),
        })
    eyes = []
    for frame in range(FIRST_FRAME, LAST_FRAME + 1):
        scene.frame_set(frame)
        eyes.append(list(camera.matrix_world.translation))
    fov = 2 * math.degrees(math.atan(camera.data.sensor_width / 2 / camera.data.lens))
    return {"fov_degrees": fov, "first_frame": FIRST_FRAME, "fps": FPS,
            "seconds": (LAST_FRAME - FIRST_FRAME) / FPS, "frames": frames, "eyes": eyes}


def export_all(folder):
    bpy.ops.object.select_all(action='SELECT')
    bpy.ops.export_scene.gltf(filepath=os.path.join(folder, "scene.gltf"), export_format='GLTF_SEPARATE',
                              export_cameras=True, export_animations=True)
    bpy.ops.export_scene.gltf(filepath=os.path.join(folder, "scene.glb"), export_format='GLB',
                              export_cameras=True, export_animations=True)
    bpy.ops.export_scene.fbx(filepath=os.path.join(folder, "scene.fbx"), path_mode='RELATIVE',
                             bake_anim=True, object_types={'EMPTY', 'CAMERA', 'MESH'})
    bpy.ops.wm.collada_export(filepath=os.path.join(folder, "scene.dae"), include_animations=True,
                              export_animation_type_selection='sample', sampling_rate=1)


def main():
    args = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    folders = [a for a in args if not a.startswith("--")]
    if len(folders) != 1:
        sys.exit("usage: blender -b --factory-startup --python make_test_scene.py -- OUTDIR [--no-bake]")
    folder = os.path.abspath(folders[0])
    os.makedirs(folder, exist_ok=True)
    scene = clear_scene()
    add_objects(checker_image(folder))
    camera = add_camera(scene)
    if "--no-bake" not in args:
        bake_aim(camera)
    ref = reference(scene, camera)
    scene.frame_set(FIRST_FRAME)
    export_all(folder)
    with open(os.path.join(folder, "reference.json"), "w") as out:
        json.dump(ref, out, indent=1)
    print("reference written: %s" % os.path.join(folder, "reference.json"))


main()
