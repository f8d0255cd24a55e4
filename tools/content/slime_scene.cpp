// The slime's scene.
#include "rng.h"
#include "scene_kit.h"

#include <algorithm>
#include <cmath>

namespace content {

SceneFile slimeScene(uint64_t seed) {
    uint32_t s = static_cast<uint32_t>(seed) ^ 0x3333u;
    Rng rng(seed ^ 0x3333);
    SceneFile f{"scene3.3ds", {}};
    f.desc.materials = {material("Slime", "env_slime.jpg"), material("Spore", "spore.jpg")};

    // Object 0 (blended wireframe): the cell wall, a big sphere round everything.
    Mesh wall = uvSphere(V3(0, 0, 0), 210, 32, 20);
    f.desc.meshes.push_back(toMeshDesc(wall, "CellWall", "", false));

    // Object 1 (additive sphere map): the slime, a lumpy ball.
    Mesh blob = uvSphere(V3(0, 0, 0), 1, 36, 22);
    blob.transform([&](V3 p) {
        double n = fbm(p.x * 1.6 + 5, p.y * 1.6, p.z * 1.6, s, 3);
        double lumps = 0.12 * std::sin(5 * p.x + 2) * std::sin(4 * p.y) * std::sin(3 * p.z + 1);
        return p * (34.0 * (0.85 + 0.35 * n + lumps));
    });
    f.desc.meshes.push_back(toMeshDesc(blob, "Slime", "Slime", true));

    // Object 2 (blended wireframe): a ring round the slime.
    Mesh ring = tube(
        [](double t) {
            double a = 2 * kPi * t;
            return rotateX(V3(std::cos(a) * 78, std::sin(a) * 78, 6 * std::sin(6 * a)), 0.5);
        },
        9, 72, 6);
    f.desc.meshes.push_back(toMeshDesc(ring, "Ring", "", false));

    // Object 3 (blended wireframe): feelers reaching out to the wall.
    Mesh feelers;
    for (int k = 0; k < 6; ++k) {
        double az = 2 * kPi * k / 6 + rng.range(-0.3, 0.3), el = rng.range(-0.7, 0.7);
        V3 dir(std::cos(az) * std::cos(el), std::sin(az) * std::cos(el), std::sin(el));
        V3 side = normalized(cross(dir, V3(0, 0, 1)));
        V3 up = cross(side, dir);
        double twist = rng.range(2, 4);
        feelers.append(tube(
            [&](double t) {
                double r = 30 + 170 * t;
                double w = 18 * std::sin(kPi * t);
                return dir * r + side * (w * std::cos(twist * kPi * t)) +
                       up * (w * std::sin(twist * kPi * t));
            },
            4.5, 28, 4));
    }
    f.desc.meshes.push_back(toMeshDesc(feelers, "Feelers", "", false));

    // Object 4 (textured as loaded): spores drifting inside the cell.
    Mesh spores;
    for (int k = 0; k < 14; ++k) {
        V3 c;
        do {
            c = V3(rng.range(-170, 170), rng.range(-170, 170), rng.range(-150, 150));
        } while (length(c) < 110 || length(c) > 185);
        spores.append(uvSphere(c, rng.range(5, 11), 10, 6));
    }
    f.desc.meshes.push_back(toMeshDesc(spores, "Spores", "Spore", true));

    // A close, weaving flight round the slime: with the script's extreme wide angle
    // only what is near shows large, so the camera skims the slime and the ring.
    V3 target(0, 0, 0);
    std::vector<V3> keys = orbit(kSlimeKeys, 0.0, [](double t) {
        double a = 2 * kPi * 1.25 * t;
        double r = 80 - 20 * std::sin(3 * kPi * t);
        double z = 40 * std::sin(2 * kPi * 1.5 * t + 0.4);
        return V3(std::cos(a) * r, std::sin(a) * r, z);
    });
    f.desc.cameras.push_back(camera("Camera01", keys, target, kSlimeLens));
    f.desc.lights.push_back(light());
    return f;
}

} // namespace content
