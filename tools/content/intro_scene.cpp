// The intro's scene. The script draws object 0 as a blended wireframe and leaves
// the others to the loader: without mapping coordinates they are smooth-shaded,
// and since the wireframe leaves blending on (source alpha / one), each of them
// adds its lit colour onto the frame, depth-tested. Under the intro's dim light
// one such layer adds at most about a twelfth of full brightness, so everything
// that glows here is built of stacked layers, drawn from the farthest to the
// nearest as seen by the camera so that each one passes the depth test: the
// title, the ground under the wire landscape and the curtains of light on the
// horizon. The stars are tiny wire shapes in object 0, whose overlapping lines
// make a bright point at any resolution.
#include "font.h"
#include "rng.h"
#include "scene_kit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace content {

namespace {

// The landscape reaches out to the curtains of light, which stand beyond it.
constexpr double kLandExtent = 2600;
constexpr double kCurtainRadius = 3300;
constexpr double kCurtainSpacing = 60; // wide enough for the depth buffer far away
// Where the flight starts and what the camera looks at all through the part. The
// start is high, looking down at the globe over the title: later, lower down, the
// camera looks past below the title and never sees its back.
const V3 kStart(-1150, -810, 1350);
const V3 kTarget(0, 0, 110);
// The title stands across the first view, this far in front of the camera.
constexpr double kTitleDistance = 420;

// Terrain height: a shallow basin round the globe, a ring of mountains, and a
// plain with low dunes out to the edge.
double terrainHeight(double x, double y, uint32_t seed) {
    double r = std::hypot(x, y);
    double n = fbm(x / 300.0 + 3, y / 300.0 + 7, 0.5, seed, 4);
    double ridge = 1.0 - std::fabs(n - 0.5) * 2.0;
    double ring = std::exp(-std::pow((r - 950.0) / 330.0, 2.0));
    double dunes = 14.0 * fbm(x / 160.0, y / 160.0, 2.5, seed + 9, 2);
    return 10.0 * n + dunes + ring * (60.0 + 260.0 * ridge * ridge);
}

// The landscape's grid, a square bent into a disc: lines close together in the
// middle, where the camera flies low, and wider apart towards the horizon, where
// perspective crowds them.
V3 landPoint(double u, double v, uint32_t seed) {
    double s = 2 * u - 1, t = 2 * v - 1;
    double ds = s * std::sqrt(1 - t * t / 2), dt = t * std::sqrt(1 - s * s / 2);
    double r = std::hypot(ds, dt), spread = r > 0 ? kLandExtent * (0.3 + 0.7 * r * r) : 0;
    double x = ds * spread, y = dt * spread;
    return V3(x, y, terrainHeight(x, y, seed));
}

// Stars: small tetrahedra in the wireframe, high above the horizon all round.
Mesh stars(Rng& rng, int count) {
    Mesh m;
    for (int k = 0; k < count; ++k) {
        double az = rng.range(0, 2 * kPi), el = std::asin(rng.range(std::sin(0.12), std::sin(1.2)));
        double r = rng.range(4300, 4900), size = rng.range(9, 26);
        V3 c(std::cos(az) * std::cos(el) * r, std::sin(az) * std::cos(el) * r, std::sin(el) * r);
        V3 a = c + V3(0, 0, size), b = c + V3(size, 0, -size * 0.4),
           d = c + V3(-size * 0.5, size, -size * 0.4), e = c + V3(-size * 0.5, -size, -size * 0.4);
        int i[4] = {m.addVertex(a, 0, 0), m.addVertex(b, 0, 0), m.addVertex(d, 0, 0), m.addVertex(e, 0, 0)};
        m.addFace(i[0], i[1], i[2]);
        m.addFace(i[0], i[2], i[3]);
        m.addFace(i[0], i[3], i[1]);
        m.addFace(i[1], i[3], i[2]);
    }
    return m;
}

// Object 0: the wire landscape, the globe over the basin with its ring, the stars.
Mesh wireWorld(uint32_t seed) {
    Mesh land = gridSurface(38, 38, [&](double u, double v) { return landPoint(u, v, seed); });
    land.append(uvSphere(V3(0, 0, 110), 55, 20, 12));
    land.append(tube([](double t) { return V3(std::cos(2 * kPi * t) * 95, std::sin(2 * kPi * t) * 95, 110); },
                     6, 48, 4));
    Rng rng(seed ^ 0x1111);
    land.append(stars(rng, 180));
    return land;
}

// Object 1: the ground as two filled surfaces a little under the wires: they hide
// the curtains' lower edge behind the land and give the land a faint body.
Mesh ground(uint32_t seed) {
    Mesh g;
    for (double depth : {22.0, 4.0}) { // the deeper layer first: it is the farther one from above
        Mesh layer =
            gridSurface(20, 20, [&](double u, double v) { return landPoint(u, v, seed) - V3(0, 0, depth); });
        layer.flip(); // face up, towards the light
        g.append(layer);
    }
    return g;
}

// Object 2: the title across the first view, one flat bar per run of lit font
// pixels, in layers: the farthest layer is the smallest, each nearer one a little
// larger, so the letters glow brightest in their middle and fade at their edges.
Mesh title(const std::string& text) {
    V3 dir = normalized(kTarget - kStart);
    V3 right = normalized(cross(dir, V3(0, 0, 1)));
    V3 up = cross(right, dir);
    V3 center = kStart + dir * kTitleDistance;
    const double px = 11.0;
    const int layers = 6;
    double width = textWidth(text);
    Mesh m;
    for (int layer = 0; layer < layers; ++layer) {
        double grow = px * 0.55 * layer / (layers - 1);
        V3 plane = center + dir * (3.0 * (layers - 1 - layer));
        int x0 = 0;
        for (char c : text) {
            for (int y = 0; y < kGlyphHeight; ++y)
                for (int x = 0; x < kGlyphWidth;) {
                    if (!glyphPixel(c, x, y)) {
                        ++x;
                        continue;
                    }
                    int end = x;
                    while (end < kGlyphWidth && glyphPixel(c, end, y))
                        ++end;
                    double cx = (x0 + (x + end) / 2.0 - width / 2.0) * px;
                    double cy = (kGlyphHeight / 2.0 - y - 0.5) * px;
                    m.append(plate(plane + right * cx + up * cy, right * ((end - x) * px / 2 + grow),
                                   up * (px / 2 + grow), 0, 0, 1, 1));
                    x = end;
                }
            x0 += kGlyphWidth + 1;
        }
    }
    return m;
}

// Object 3: curtains of light round the horizon, nested walls of a cylinder round
// the camera's whole flight, drawn from the outermost in. Near the horizon all of
// them overlap; their wavy upper edges stand at different heights, so the glow
// fades upwards in soft folds.
Mesh curtains(uint32_t seed) {
    Rng rng(seed ^ 0x1c1c);
    Mesh m;
    const int walls = 9;
    for (int k = 0; k < walls; ++k) {
        double r = kCurtainRadius - kCurtainSpacing * k;
        double top = 260 + 1150 * std::pow(1.0 - static_cast<double>(k) / walls, 1.6);
        double phase = rng.range(0, 2 * kPi), waves = 3 + k % 4;
        Mesh wall = gridSurface(56, 1, [&](double u, double v) {
            double a = 2 * kPi * u;
            double h = top * (1.0 + 0.28 * std::sin(waves * a + phase) + 0.12 * std::sin(7 * a - phase));
            return V3(std::cos(a) * r, std::sin(a) * r, -120 + v * (h + 120));
        });
        m.append(wall);
    }
    return m;
}

// Fails the generator when a key lies less than clearance above the land.
void checkClearance(const std::vector<V3>& keys, uint32_t seed, double clearance) {
    for (size_t k = 0; k < keys.size(); ++k) {
        double ground = terrainHeight(keys[k].x, keys[k].y, seed);
        if (keys[k].z < ground + clearance) {
            std::fprintf(stderr, "the intro's flight goes into the land at key %zu (%.0f above it)\n", k,
                         keys[k].z - ground);
            std::exit(1);
        }
    }
}

// The flight: a slow approach to the title, through it, down over the mountains
// into the basin, once round the globe and up and away.
std::vector<V3> introFlight() {
    V3 dir = normalized(kTarget - kStart);
    Spline path({kStart,
                 kStart + dir * 330,
                 kStart + dir * 620 + V3(0, 0, -80),
                 {-520, -380, 300},
                 {-430, -170, 70},
                 {-260, 240, 55},
                 {150, 380, 62},
                 {420, 120, 80},
                 {350, -280, 100},
                 {0, -430, 130},
                 {-360, -260, 160},
                 {-420, 180, 200},
                 {-160, 480, 260},
                 {280, 420, 330},
                 {420, -120, 420},
                 {60, -700, 520},
                 {-320, -1120, 640}},
                false);
    // Slow while the title is in view, cruising over the land, easing out at the end.
    auto smooth = [](double e0, double e1, double x) {
        double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
        return t * t * (3 - 2 * t);
    };
    return sampleFlightPaced(path, kIntroKeys, [&](double x) {
        return std::min(0.3 + 0.7 * smooth(0.05, 0.17, x), 1.0 - 0.85 * smooth(0.95, 1.0, x));
    });
}

} // namespace

SceneFile introScene(uint64_t seed) {
    uint32_t s = static_cast<uint32_t>(seed);
    SceneFile f{"scene1.3ds", {}};
    f.desc.meshes.push_back(toMeshDesc(wireWorld(s), "Landscape", "", false));
    f.desc.meshes.push_back(toMeshDesc(ground(s), "Ground", "", false));
    f.desc.meshes.push_back(toMeshDesc(title("QUARN"), "Title", "", false));
    f.desc.meshes.push_back(toMeshDesc(curtains(s), "Curtains", "", false));
    std::vector<V3> keys = introFlight();
    checkClearance(keys, s, 20);
    f.desc.cameras.push_back(camera("Camera01", keys, kTarget, kIntroLens));
    f.desc.lights.push_back(light());
    return f;
}

} // namespace content
