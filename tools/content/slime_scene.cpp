// The slime's scene: a cavern of slime round a glowing lump, seen through the
// script's extreme wide angle. The script draws objects 0, 2 and 3 as blended
// wireframes (the tendrils) and object 1 as an additive sphere-mapped texture
// (the slime, here the lump together with the cavern's wall and floor, so the
// whole background glows). Objects with mapping coordinates that the script
// leaves alone are drawn textured and opaque, showing their texture's own colours
// (after the cubes' sphere map the texture environment is decal): the spores.
#include "rng.h"
#include "scene_kit.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

constexpr double kCavernRadius = 270;
constexpr double kFloorHeight = -110;

// A point of the flight at time t (0..1): two and a half loops round the lump,
// weaving in and out and up and down, a closed loop.
V3 flightPoint(double t) {
    double a = 2 * kPi * 2.0 * t;
    double r = 150 - 45 * std::sin(3 * kPi * t) + 15 * std::sin(10 * kPi * t);
    double z = -15 + 55 * std::sin(2 * kPi * 3 * t + 0.4) + 20 * std::sin(2 * kPi * 5 * t);
    return V3(std::cos(a) * r, std::sin(a) * r, z);
}

// The cavern's wall: a lumpy sphere round everything, its lower part pressed into
// a floor with bulges.
Mesh cavern(uint32_t seed) {
    Mesh wall = uvSphere(V3(0, 0, 0), 1, 36, 22);
    wall.transform([&](V3 p) {
        double n = fbm(p.x * 1.4 + 11, p.y * 1.4, p.z * 1.4, seed + 5, 2);
        V3 q = p * (kCavernRadius * (0.85 + 0.3 * n));
        if (q.z < kFloorHeight)
            q.z = kFloorHeight - 30 * fbm(q.x / 60.0, q.y / 60.0, 1, seed + 6, 2);
        return q;
    });
    wall.flip(); // seen from inside
    return wall;
}

// Object 1: the lump first (it hides the wall behind it), then the wall.
Mesh slime(uint32_t seed) {
    Mesh blob = uvSphere(V3(0, 0, 0), 1, 24, 14);
    blob.transform([&](V3 p) {
        double n = fbm(p.x * 1.6 + 5, p.y * 1.6, p.z * 1.6, seed, 3);
        double lumps = 0.14 * std::sin(5 * p.x + 2) * std::sin(4 * p.y) * std::sin(3 * p.z + 1);
        return p * (56.0 * (0.85 + 0.35 * n + lumps));
    });
    blob.append(cavern(seed));
    return blob;
}

// A tendril: a tube from a to b, sagging and twisting, thinning towards its end.
Mesh tendril(V3 a, V3 b, double radius, double sag, double twist, int segments) {
    V3 dir = normalized(b - a);
    V3 side = normalized(cross(dir, V3(0.3, 0.2, 1)));
    V3 up = cross(side, dir);
    Mesh m = tube(
        [&](double t) {
            double s = std::sin(kPi * t);
            return lerp(a, b, t) + V3(0, 0, -sag * s) + side * (0.3 * sag * s * std::cos(twist * t)) +
                   up * (0.3 * sag * s * std::sin(twist * t));
        },
        radius, segments, 5);
    return m;
}

// Object 0: strands hanging from the cavern's roof to its floor and across it.
Mesh strands(Rng& rng) {
    Mesh m;
    for (int k = 0; k < 8; ++k) {
        double az = 2 * kPi * (k + rng.range(-0.3, 0.3)) / 8, r = rng.range(150, 215);
        V3 top(std::cos(az) * r * 0.8, std::sin(az) * r * 0.8, 170);
        double az2 = az + rng.range(0.6, 1.4);
        V3 bottom(std::cos(az2) * r, std::sin(az2) * r, kFloorHeight + 5);
        m.append(tendril(top, bottom, rng.range(6, 11), rng.range(20, 50), rng.range(3, 8), 24));
    }
    return m;
}

// Object 2: a double spiral winding round the lump.
Mesh spiral() {
    Mesh m;
    for (int strand = 0; strand < 2; ++strand)
        m.append(tube(
            [strand](double t) {
                double a = 2 * kPi * (3 * t + 0.5 * strand);
                double r = 80 + 10 * std::sin(2 * kPi * 2 * t);
                return V3(std::cos(a) * r, std::sin(a) * r, 45 * std::sin(2 * kPi * t));
            },
            5, 60, 4));
    return m;
}

// Object 3: feelers reaching from the lump out to the wall.
Mesh feelers(Rng& rng) {
    Mesh m;
    for (int k = 0; k < 7; ++k) {
        double az = 2 * kPi * k / 7 + rng.range(-0.3, 0.3), el = rng.range(-0.5, 0.7);
        V3 dir(std::cos(az) * std::cos(el), std::sin(az) * std::cos(el), std::sin(el));
        m.append(tendril(dir * 45, dir * 235, 8, rng.range(-30, 30), rng.range(4, 9), 20));
    }
    return m;
}

// Object 4: spores drifting through the cavern, some of them right beside the
// flight so that the camera brushes past them.
Mesh spores(Rng& rng) {
    Mesh m;
    for (int k = 0; k < 12; ++k) {
        V3 p = flightPoint((k + 0.5) / 12.0);
        V3 away = normalized(V3(rng.range(-1, 1), rng.range(-1, 1), rng.range(-1, 1)));
        m.append(uvSphere(p + away * rng.range(28, 40), rng.range(7, 12), 8, 5));
    }
    int placed = 0;
    while (placed < 12) {
        V3 c(rng.range(-220, 220), rng.range(-220, 220), rng.range(-90, 150));
        if (length(c) < 75 || length(c) > 220)
            continue;
        m.append(uvSphere(c, rng.range(10, 22), 8, 5));
        ++placed;
    }
    return m;
}

} // namespace

SceneFile slimeScene(uint64_t seed) {
    uint32_t s = static_cast<uint32_t>(seed) ^ 0x3333u;
    Rng rng(seed ^ 0x3333);
    SceneFile f{"scene3.3ds", {}};
    f.desc.materials = {material("Slime", "env_slime.jpg"), material("Spore", "spore.jpg")};
    f.desc.meshes.push_back(toMeshDesc(strands(rng), "Strands", "", false));
    f.desc.meshes.push_back(toMeshDesc(slime(s), "Slime", "Slime", true));
    f.desc.meshes.push_back(toMeshDesc(spiral(), "Spiral", "", false));
    f.desc.meshes.push_back(toMeshDesc(feelers(rng), "Feelers", "", false));
    f.desc.meshes.push_back(toMeshDesc(spores(rng), "Spores", "Spore", true));

    std::vector<V3> keys = orbit(kSlimeKeys, 0.0, flightPoint);
    f.desc.cameras.push_back(camera("Camera01", keys, V3(0, 0, 0), kSlimeLens));
    f.desc.lights.push_back(light());
    return f;
}

} // namespace content
