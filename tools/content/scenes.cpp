// The six scenes. Each shown scene has camera 0 with a target that the script
// looks at for the whole part and one position key per frame along a designed
// flight; the objects the script restyles stand at the indices it addresses.
#include "content.h"

#include "rng.h"
#include "scene_kit.h"
#include "textures.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

SceneFile cubeScene(uint64_t seed) {
    Rng rng(seed ^ 0x2222);
    SceneFile f{"scene2.3ds", {}};
    f.desc.materials = {material("Floor", "floor.jpg"),      material("Chrome", "env_chrome.jpg"),
                        material("Neon", "cube_neon.tga"),   material("Rust", "cube_rust.jpg"),
                        material("Check", "cube_check.tga"), material("Glass", "cube_glass.jpg")};

    // The flight first, so the cubes can keep out of its way. A double loop round
    // the chrome knot, swooping low between the cubes and climbing out again.
    V3 target(0, 0, 110);
    std::vector<V3> keys = orbit(kCubeKeys, 0.0, [](double t) {
        double a = 2 * kPi * (1.6 * t) + 0.3;
        double r = 520 - 240 * std::sin(kPi * t) + 60 * std::sin(6 * kPi * t);
        double z = 60 + 210 * std::pow(std::cos(kPi * t), 2) + 35 * std::sin(5 * kPi * t);
        return V3(std::cos(a) * r, std::sin(a) * r, z);
    });

    // Object 0: the floor.
    Mesh floor = gridSurface(
        8, 8, [](double u, double v) { return V3((u - 0.5) * 2400, (v - 0.5) * 2400, 0); }, 8, 8);
    f.desc.meshes.push_back(toMeshDesc(floor, "Floor", "Floor", true));

    // Object 1: the chrome knot in the middle, sphere-mapped by the script.
    Mesh knot = tube(
        [](double t) {
            double a = 2 * kPi * t, p = 2, q = 3;
            double r = 55 + 22 * std::cos(q * a);
            return V3(r * std::cos(p * a), r * std::sin(p * a), 110 + 22 * std::sin(q * a));
        },
        13, 144, 10);
    f.desc.meshes.push_back(toMeshDesc(knot, "ChromeKnot", "Chrome", true));

    // Objects 2 to 5: the party, one cluster per texture: towers on the floor and
    // cubes hanging in the air, none where the camera flies.
    auto clear = [&](V3 c, double h) {
        if (std::hypot(c.x, c.y) < 130 + h)
            return false;
        for (size_t k = 0; k < keys.size(); k += 10)
            if (length(keys[k] - c) < h * 1.8 + 45)
                return false;
        return true;
    };
    const char* names[4] = {"NeonCubes", "RustCubes", "CheckCubes", "GlassCubes"};
    const char* mats[4] = {"Neon", "Rust", "Check", "Glass"};
    for (int k = 0; k < 4; ++k) {
        Mesh cubes;
        int placed = 0, tries = 0;
        while (placed < 36 && tries < 5000) {
            ++tries;
            double a = rng.range(0, 2 * kPi), r = rng.range(160, 900);
            double h = rng.range(10, 34);
            bool floating = rng.uniform() < 0.5;
            V3 c(std::cos(a) * r, std::sin(a) * r, floating ? rng.range(60, 320) : h);
            if (!clear(c, h))
                continue;
            Mesh b = box(V3(0, 0, 0), V3(h, h, h));
            double spin = floating ? rng.range(0, kPi) : 0, tilt = floating ? rng.range(0, 0.7) : 0;
            b.transform([&](V3 p) { return rotateZ(rotateX(p, tilt), spin) + c; });
            cubes.append(b);
            ++placed;
            if (!floating && rng.uniform() < 0.5) { // a tower: one more on top
                double h2 = h * rng.range(0.5, 0.8);
                V3 c2(c.x, c.y, 2 * h + h2);
                Mesh top = box(c2, V3(h2, h2, h2));
                cubes.append(top);
            }
        }
        f.desc.meshes.push_back(toMeshDesc(cubes, names[k], mats[k], true));
    }
    f.desc.cameras.push_back(camera("Camera01", keys, target, kCubeLens));
    f.desc.lights.push_back(light());
    return f;
}

SceneFile hiddenScene() {
    // Loaded and reported by the demo, never shown: one small box and a camera.
    SceneFile f{"scene4.3ds", {}};
    Mesh b = box(V3(0, 0, 10), V3(10, 10, 10));
    f.desc.meshes.push_back(toMeshDesc(b, "Box01", "", false));
    std::vector<V3> keys;
    for (int i = 0; i < 10; ++i)
        keys.push_back(V3(80 - 2 * i, -80, 40));
    f.desc.cameras.push_back(camera("Camera01", keys, V3(0, 0, 10), 50.0f));
    f.desc.lights.push_back(light());
    return f;
}

SceneFile chromeScene(uint64_t seed) {
    (void)seed;
    SceneFile f{"scene5.3ds", {}};
    f.desc.materials = {material("Gold", "env_gold.jpg")};

    // Object 0 (environment map): a golden knot.
    Mesh knot = tube(
        [](double t) {
            double a = 2 * kPi * t, p = 3, q = 5;
            double r = 70 + 32 * std::cos(q * a);
            return V3(r * std::cos(p * a), r * std::sin(p * a), 32 * std::sin(q * a));
        },
        16, 200, 10);
    f.desc.meshes.push_back(toMeshDesc(knot, "GoldKnot", "Gold", true));

    // Objects 1 to 3 (blended wireframes): cages round it.
    Mesh cage = uvSphere(V3(0, 0, 0), 150, 28, 16);
    f.desc.meshes.push_back(toMeshDesc(cage, "Cage", "", false));
    Mesh ringA = tube(
        [](double t) {
            return rotateY(V3(std::cos(2 * kPi * t) * 230, std::sin(2 * kPi * t) * 230, 0), 0.45);
        },
        12, 96, 6);
    f.desc.meshes.push_back(toMeshDesc(ringA, "RingA", "", false));
    Mesh ringB = tube(
        [](double t) {
            double a = 2 * kPi * t;
            return V3(std::cos(a) * 330, std::sin(a) * 330, 40 * std::sin(8 * a));
        },
        10, 128, 6);
    f.desc.meshes.push_back(toMeshDesc(ringB, "RingB", "", false));

    V3 target(0, 0, 0);
    std::vector<V3> keys = orbit(kChromeKeys, 0.0, [](double t) {
        double a = 2 * kPi * 1.1 * t + 1.0;
        double r = 420 - 200 * std::sin(kPi * t) - 40 * std::sin(4 * kPi * t);
        double z = 260 * std::cos(kPi * t) + 60 * std::sin(3 * kPi * t);
        return V3(std::cos(a) * r, std::sin(a) * r, z);
    });
    f.desc.cameras.push_back(camera("Camera01", keys, target, kChromeLens));
    f.desc.lights.push_back(light());
    return f;
}

} // namespace

const std::vector<std::string>& creditLines() {
    static const std::vector<std::string> lines = {
        "QUARN",         "A VORNIK PRODUCTION", "CODE: VORNIK",     "GRAPHICS: VORNIK",
        "MUSIC: VORNIK", "3D SCENES: VORNIK",   "ALL MADE BY HAND", "GREETINGS TO ALL",
        "DEMO LOVERS",   "THANKS FOR WATCHING", "THE END"};
    return lines;
}

namespace {

// Where the credits plates rise: the script moves plate i up the z axis by 6 to
// 852 units. The camera stands low over the sea, far enough from the column to
// see the plates' whole way up, and looks up at its middle.
const V3 kCreditCamera(0, -400, 20);
const V3 kCreditTarget(0, 0, 240);

SceneFile creditScene(uint64_t seed) {
    uint32_t s = static_cast<uint32_t>(seed) ^ 0x6666u;
    SceneFile f{"scene6.3ds", {}};
    f.desc.materials = {material("Ember", "env_ember.jpg"), material("Credits", "credits.tga")};

    // Object 0 (turned about z by the script, sphere-mapped): a braided ring lying
    // on the sea round the column; its near side sweeps past below the camera.
    Mesh ring = tube(
        [](double t) {
            double a = 2 * kPi * t, q = 24;
            double r = 320 + 8 * std::cos(q * a);
            return V3(r * std::cos(a), r * std::sin(a), 3 + 8 * std::sin(q * a));
        },
        7, 288, 8);
    f.desc.meshes.push_back(toMeshDesc(ring, "Ring", "Ember", true));

    // Object 1 (sphere-mapped): a liquid sea under a dome; the fog turns its far
    // parts and the dome into red.
    Mesh sea = gridSurface(36, 24, [&](double u, double v) {
        // Rings round the point under the camera: fine near it, coarse where the fog is thick.
        double a = 2 * kPi * u, r = 1800 * std::pow(v, 2.0) + 2;
        double x = kCreditCamera.x + std::cos(a) * r, y = kCreditCamera.y + std::sin(a) * r;
        double h = 4 * std::sin(x / 23.0 + 2 * std::sin(y / 41.0)) + 3 * std::cos(y / 19.0) +
                   5 * (fbm(x / 90.0, y / 90.0, 0, s, 2) - 0.5);
        return V3(x, y, h * std::min(1.0, r / 60.0));
    });
    sea.flip(); // the grid runs outwards and round: its front must face up
    Mesh dome = gridSurface(24, 8, [](double u, double v) {
        double a = 2 * kPi * u, e = 0.5 * kPi * v;
        return V3(std::cos(a) * std::cos(e) * 1400, std::sin(a) * std::cos(e) * 1400, std::sin(e) * 1400);
    });
    sea.append(dome); // the dome's front faces outwards; only its colour in the fog matters
    f.desc.meshes.push_back(toMeshDesc(sea, "Sea", "Ember", true));

    // Objects 2 to 12: the credit plates, hidden in the frame and drawn one by one
    // in the additive pass. Each stands below the sea, tilted to face the camera.
    const std::vector<std::string>& lines = creditLines();
    const double unitsPerTexel = 2.4;
    V3 facing = normalized(kCreditCamera - V3(0, 0, 300));
    V3 right(1, 0, 0);
    V3 up = normalized(cross(facing, right));
    for (size_t i = 0; i < lines.size(); ++i) {
        TexRect r = creditRect(lines[i], static_cast<int>(i), 512);
        double halfW = (r.u1 - r.u0) * 512 * unitsPerTexel / 2,
               halfH = (r.v1 - r.v0) * 512 * unitsPerTexel / 2;
        Mesh p = plate(V3(0, 0, -halfH - 6), right * halfW, up * halfH, r.u0, r.v0, r.u1, r.v1);
        f.desc.meshes.push_back(toMeshDesc(p, "Plate" + std::to_string(i + 2), "Credits", true));
    }

    f.desc.cameras.push_back(camera("Camera01", {kCreditCamera}, kCreditTarget, kCreditLens));
    f.desc.lights.push_back(light());
    return f;
}

} // namespace

std::vector<SceneFile> buildScenes(uint64_t seed) {
    std::vector<SceneFile> scenes;
    scenes.push_back(introScene(seed));
    scenes.push_back(cubeScene(seed));
    scenes.push_back(slimeScene(seed));
    scenes.push_back(hiddenScene());
    scenes.push_back(chromeScene(seed));
    scenes.push_back(creditScene(seed));
    return scenes;
}

std::vector<TextureFile> buildTextures(uint64_t seed) {
    uint32_t s = static_cast<uint32_t>(seed);
    std::vector<TextureFile> t;
    t.push_back({"env_chrome.jpg", sphereMap(EnvStyle::Chrome, 256, s + 1), 90});
    t.push_back({"env_slime.jpg", sphereMap(EnvStyle::Slime, 256, s + 2), 90});
    t.push_back({"env_gold.jpg", sphereMap(EnvStyle::Gold, 256, s + 3), 90});
    t.push_back({"env_ember.jpg", sphereMap(EnvStyle::Ember, 256, s + 4), 90});
    t.push_back({"cube_neon.tga", cubeAtlas(CubeStyle::Neon, 256, s + 5), 0});
    t.push_back({"cube_rust.jpg", cubeAtlas(CubeStyle::Rust, 256, s + 6), 88});
    t.push_back({"cube_check.tga", cubeAtlas(CubeStyle::Check, 256, s + 7), 0});
    t.push_back({"cube_glass.jpg", cubeAtlas(CubeStyle::Glass, 256, s + 8), 88});
    t.push_back({"floor.jpg", floorTiles(512, s + 9), 88});
    t.push_back({"spore.jpg", sporeSkin(256, s + 10), 88});
    t.push_back({"credits.tga", creditsAtlas(creditLines(), 512), 0});
    return t;
}

} // namespace content
