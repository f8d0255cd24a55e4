// Writes the seed corpus of the 3DS loader's fuzz target with the 3DS writer:
//   make_scene_seeds tests/scene_fuzz/corpus
#include "scene_writer.h"

#include <cstdio>
#include <string>

namespace {

tds::MeshDesc triangle(const std::string& name, const std::string& material, bool coords) {
    tds::MeshDesc m;
    m.name = name;
    m.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}, {{1, 1, 0}}};
    m.faces = {{{0, 1, 2}}, {{1, 3, 2}}};
    if (coords)
        m.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}, {{1, 1}}};
    m.material = material;
    return m;
}

bool save(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = dir + "/" + name;
    if (!tds::saveFile(path, bytes)) {
        std::fprintf(stderr, "can't write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_scene_seeds DIR\n");
        return 1;
    }
    const std::string dir = argv[1];

    // Every reader: materials, textured and plain meshes, cameras, lights, all tracks.
    tds::SceneDesc full;
    tds::MaterialDesc wood;
    wood.name = "Wood";
    wood.mapFile = "WOOD.TGA";
    tds::MaterialDesc plain;
    plain.name = "Plain";
    full.materials = {wood, plain};
    full.meshes = {triangle("Box", "Wood", true), triangle("Floor", "Plain", false)};
    full.meshes[0].pivot = {{1, 2, 3}};
    full.meshes[0].positionKeys = {{{0, 0, 0}}, {{1, 0, 0}}};
    full.meshes[0].rotationKeys = {{0.5f, {{0, 0, 1}}}};
    full.meshes[0].scaleKeys = {{{1, 1, 1}}};
    tds::CameraDesc camera;
    camera.name = "Camera01";
    camera.position = {{0, -50, 10}};
    camera.lens = 35;
    camera.positionKeys = {{{0, -50, 10}}, {{0, -40, 10}}, {{0, -30, 10}}};
    full.cameras = {camera};
    tds::LightDesc spot;
    spot.name = "Spot01";
    spot.spot = true;
    spot.hotspot = 20;
    spot.falloff = 40;
    tds::LightDesc omni;
    omni.name = "Omni01";
    full.lights = {spot, omni};
    full.currentFrame = true;
    bool ok = save(dir, "full_scene.3ds", tds::sceneBytes(full));

    // Keys with spline fields.
    tds::Chunk kf(0xB000);
    tds::Chunk node(0xB002);
    node.add(tds::nodeHeader("Box"));
    tds::KeyDesc k1;
    k1.frame = 0;
    k1.flags = 0x1F;
    k1.spline = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
    k1.values = {1, 2, 3};
    tds::KeyDesc k2;
    k2.frame = 10;
    k2.flags = 0x06;
    k2.spline = {0.5f, 0.5f};
    k2.values = {4, 5, 6};
    node.add(tds::trackChunk(0xB020, {k1, k2}));
    tds::KeyDesc roll;
    roll.flags = 0x08;
    roll.spline = {1};
    roll.values = {0.25f};
    node.add(tds::trackChunk(0xB024, {roll}));
    kf.add(node);
    tds::SceneDesc splines;
    splines.meshes = {triangle("Box", "", false)};
    splines.keyframer = false;
    tds::Chunk main = tds::sceneChunk(splines);
    main.add(kf);
    ok = save(dir, "spline_keys.3ds", main.bytes()) && ok;

    // The smallest file: the main chunk and its version.
    tds::Chunk version(0x4D4D);
    version.add(0x0002).u32(3);
    ok = save(dir, "version_only.3ds", version.bytes()) && ok;

    // A textured mesh whose material group names no material, and two groups.
    tds::SceneDesc groups;
    groups.meshes = {triangle("Lost", "Nowhere", true)};
    groups.keyframer = false;
    tds::Chunk g = tds::sceneChunk(groups);
    ok = save(dir, "material_groups.3ds", g.bytes()) && ok;
    return ok ? 0 : 1;
}
