#include "demo_scenes.h"

#include "scene_writer.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char* const TEXTURE_FILE = "checker.tga";

// An 8 x 8 uncompressed 24-bit TGA: a checker of orange and blue squares of 2 x 2.
std::vector<uint8_t> checkerTga() {
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0, 24, 0};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool orange = ((x / 2) + (y / 2)) % 2 == 0;
            // Blue, green, red.
            if (orange)
                bytes.insert(bytes.end(), {20, 140, 250});
            else
                bytes.insert(bytes.end(), {230, 90, 30});
        }
    return bytes;
}

// A cube of the given half size around (cx, cy, cz), mapped with the checker.
tds::MeshDesc cube(const std::string& name, float cx, float cy, float cz, float h) {
    tds::MeshDesc mesh;
    mesh.name = name;
    for (int i = 0; i < 8; ++i) {
        float x = (i & 1) ? h : -h;
        float y = (i & 2) ? h : -h;
        float z = (i & 4) ? h : -h;
        mesh.vertices.push_back({{cx + x, cy + y, cz + z}});
        mesh.texCoords.push_back({{(i & 1) ? 1.0f : 0.0f, (i & 2) ? 1.0f : 0.0f}});
    }
    mesh.faces = {{{0, 2, 1}}, {{1, 2, 3}}, {{4, 5, 6}}, {{5, 7, 6}}, {{0, 1, 4}}, {{1, 5, 4}},
                  {{2, 6, 3}}, {{3, 6, 7}}, {{0, 4, 2}}, {{2, 4, 6}}, {{1, 3, 5}}, {{3, 7, 5}}};
    mesh.material = "checker";
    return mesh;
}

tds::SceneDesc scene(int32_t number, int32_t objects, int32_t keys) {
    tds::SceneDesc desc;
    tds::MaterialDesc material;
    material.name = "checker";
    material.mapFile = TEXTURE_FILE;
    desc.materials.push_back(material);
    // Object 0 in the middle, the others on a ring; scene 6 stands its sliding
    // objects in a row below the camera's view so they rise into it.
    desc.meshes.push_back(cube("centre", 0, 0, 0, 12));
    for (int32_t i = 1; i < objects; ++i) {
        float angle = 6.2831853f * i / objects;
        if (number == 6 && i >= 2)
            desc.meshes.push_back(cube("slider" + std::to_string(i), -10.0f * i, -20.0f, -60.0f, 4));
        else
            desc.meshes.push_back(
                cube("ring" + std::to_string(i), 30 * std::cos(angle), 30 * std::sin(angle), 5.0f * i, 6));
    }
    tds::CameraDesc camera;
    camera.name = "camera";
    // Fields of view of 48 degrees, 16 in scene 3: part 3 widens it by 140 degrees.
    camera.lens = number == 3 ? 150.0f : 50.0f;
    camera.target = {{0, 0, 0}};
    for (int32_t k = 0; k < keys; ++k) {
        float angle = -1.5707963f + 0.35f * k + 0.2f * number;
        // Scene 3's wide view stands closer.
        float radius = number == 3 ? 30.0f : 90.0f;
        camera.positionKeys.push_back(
            {{radius * std::cos(angle), radius * std::sin(angle), 40.0f - 4.0f * k}});
    }
    if (!camera.positionKeys.empty())
        camera.position = camera.positionKeys[0];
    desc.cameras.push_back(camera);
    tds::LightDesc light;
    light.name = "light";
    light.position = {{100, 100, 100}};
    desc.lights.push_back(light);
    // The writer gives a camera without keys one key at its position: a camera
    // without position keys needs a file without the keyframer section.
    desc.keyframer = keys > 0;
    return desc;
}

} // namespace

bool writeDemoScenes(const std::string& dir, const DemoSceneSet& set) {
    if (!tds::saveFile(dir + "/" + TEXTURE_FILE, checkerTga()))
        return false;
    for (int32_t i = 0; i < 6; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/scene%d.3ds", i + 1);
        if (!tds::saveFile(dir + name, tds::sceneBytes(scene(i + 1, set.objects[i], set.keys[i]))))
            return false;
    }
    return true;
}
