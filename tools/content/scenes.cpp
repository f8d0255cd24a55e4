// The six scenes. Each shown scene has camera 0 with a target that the script
// looks at for the whole part and one position key per frame along a designed
// flight; the objects the script restyles stand at the indices it addresses.
#include "content.h"

#include "flight.h"
#include "geometry.h"
#include "rng.h"
#include "textures.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

const tds::Vec3 kLightPosition{{500.0f, 400.0f, 500.0f}};

tds::Vec3 vec(V3 p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

tds::MaterialDesc material(const std::string& name, const std::string& map) {
    tds::MaterialDesc m;
    m.name = name;
    m.ambient = {{40, 40, 40}};
    m.diffuse = {{200, 200, 200}};
    m.specular = {{255, 255, 255}};
    m.mapFile = map;
    return m;
}

tds::CameraDesc camera(const std::string& name, const std::vector<V3>& keys, V3 target, float lens) {
    tds::CameraDesc c;
    c.name = name;
    c.position = vec(keys.front());
    c.target = vec(target);
    c.lens = lens;
    c.positionKeys = toKeys(keys);
    c.targetKeys = {vec(target)};
    return c;
}

tds::LightDesc light() {
    tds::LightDesc l;
    l.name = "Omni01";
    l.position = kLightPosition;
    return l;
}

// Terrain height of the intro: a flat basin in the middle, mountains around it.
double introHeight(double x, double y, uint32_t seed) {
    double r = std::hypot(x, y);
    double n = fbm(x / 260.0 + 3, y / 260.0 + 7, 0.5, seed, 4);
    double ridge = 1.0 - std::fabs(n - 0.5) * 2.0;
    double rim = std::clamp((r - 420.0) / 300.0, 0.0, 1.0);
    return 12.0 * n + rim * rim * 190.0 * ridge * ridge;
}

SceneFile introScene(uint64_t seed) {
    uint32_t s = static_cast<uint32_t>(seed);
    // Object 0, drawn as a blended wireframe: the terrain and a globe over its middle.
    const double extent = 900.0;
    Mesh land = gridSurface(48, 48, [&](double u, double v) {
        double x = (u - 0.5) * 2 * extent, y = (v - 0.5) * 2 * extent;
        return V3(x, y, introHeight(x, y, s));
    });
    land.append(uvSphere(V3(0, 0, 110), 55, 24, 14));
    Mesh ring = tube([](double t) { return V3(std::cos(2 * kPi * t) * 95, std::sin(2 * kPi * t) * 95, 110); },
                     6, 48, 4);
    land.append(ring);

    SceneFile f{"scene1.3ds", {}};
    f.desc.meshes.push_back(toMeshDesc(land, "Landscape", "", false));

    // A descending spiral in from the far hills, low over the basin, round the globe
    // and up again: the globe is the look-at point for the whole part.
    V3 target(0, 0, 90);
    Spline flight({{-1500, -1100, 650},
                   {-1000, -700, 360},
                   {-620, -380, 140},
                   {-380, 40, 70},
                   {-180, 330, 55},
                   {180, 360, 60},
                   {380, 120, 75},
                   {330, -250, 95},
                   {20, -380, 120},
                   {-300, -220, 160},
                   {-330, 160, 210},
                   {-60, 420, 300},
                   {380, 520, 460}},
                  false);
    f.desc.cameras.push_back(camera("Camera01", sampleFlight(flight, kIntroKeys, 0.06), target, kIntroLens));
    f.desc.lights.push_back(light());
    return f;
}

// A closed flight for parts that circle their centre.
std::vector<V3> orbit(int count, double phase, const std::function<V3(double)>& at) {
    std::vector<V3> points;
    const int controls = 48;
    for (int i = 0; i < controls; ++i)
        points.push_back(at(phase + static_cast<double>(i) / (controls - 1)));
    return sampleFlight(Spline(points, false), count, 0.05);
}

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
