// The content in data/ as the demo sees it: every scene loads through the loader
// with its textures, meets what the script needs of it, and flies a smooth camera
// path; an independent 3DS reader agrees on the counts; the soundtrack is long
// enough and stays below -1 dBFS.
#include "app/demo_light.h"
#include "app/timeline.h"
#include "log/log.h"
#include "support/gl_fixture.h"
#include "scene/scene_loader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <tuple>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string dataDir() {
    return sourceDir() + "/data";
}

// Runs a command and returns its standard output; "" when it could not run.
std::string commandOutput(const std::string& command) {
    std::string out;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, got);
    pclose(p);
    return out;
}

bool haveCommand(const std::string& name) {
    return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

// Loads all six scenes from data/ as the demo does (textures included), with
// data/ as the working directory for the texture files.
class ShippedScenes : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        gLog.openFile(); // in the test's folder, not in data/
        ASSERT_EQ(chdir(dataDir().c_str()), 0) << dataDir();
        for (int i = 0; i < 6; ++i) {
            std::string name = "scene" + std::to_string(i + 1) + ".3ds";
            scenes[i].reset(loaders[i].load(name.c_str()));
        }
    }
    void TearDown() override {
        if (!oldDir.empty()) {
            EXPECT_EQ(chdir(oldDir.c_str()), 0);
        }
        GLTest::TearDown();
    }
    Scene& scene(int number) { return *scenes[number - 1]; }

    std::string oldDir;
    SceneLoader loaders[6];
    std::unique_ptr<Scene> scenes[6];
};

const int kParts[5] = {1, 2, 3, 5, 6};
const float kFovOffset[7] = {0, 0, 40, 140, 0, 80, 37};

} // namespace

TEST_F(ShippedScenes, EveryShownSceneMeetsTheScriptsRequirements) {
    for (int part : kParts) {
        std::string lack;
        EXPECT_TRUE(meetsScriptRequirements(scene(part), part, lack)) << "scene " << part << ": " << lack;
        const SceneCamera& cam = *scene(part).cameras[0];
        float fov = cam.fov + kFovOffset[part];
        EXPECT_GT(fov, 1.0f) << "scene " << part;
        EXPECT_LT(fov, 175.0f) << "scene " << part;
    }
    ASSERT_GE(scene(4).objectCount, 1);
    EXPECT_GE(scene(4).cameraCount, 1);
}

TEST_F(ShippedScenes, ObjectsTheScriptDrawsTexturedCarryCoordinatesAndATexture) {
    // (scene, object) pairs drawn with a textured style or in the additive pass.
    std::vector<std::pair<int, int>> textured = {{2, 1}, {3, 1}, {5, 0}, {6, 0}, {6, 1}};
    for (int i = 2; i <= 12; ++i)
        textured.push_back({6, i});
    for (auto [s, o] : textured) {
        ASSERT_LT(o, scene(s).objectCount) << "scene " << s;
        const MeshObject& m = *scene(s).objects[o];
        EXPECT_TRUE(m.hasTexCoords) << "scene " << s << " object " << o;
        EXPECT_EQ(m.texCoordCount, m.vertexCount) << "scene " << s << " object " << o;
        EXPECT_NE(m.texture, 0u) << "scene " << s << " object " << o;
        EXPECT_EQ(m.renderMode, RENDER_TEXTURED) << "scene " << s << " object " << o;
    }
    // The wireframe objects need no texture; all that's needed is that they exist.
    EXPECT_GE(scene(1).objectCount, 1);
    EXPECT_GE(scene(3).objectCount, 4);
    EXPECT_GE(scene(5).objectCount, 4);
}

TEST_F(ShippedScenes, MeshesHaveDefinedNormalsAndModestSize) {
    for (int s = 1; s <= 6; ++s) {
        int faces = 0;
        for (int o = 0; o < scene(s).objectCount; ++o) {
            const MeshObject& m = *scene(s).objects[o];
            faces += m.faceCount;
            for (int f = 0; f < m.faceCount; ++f) {
                const Face& face = m.faces[f];
                for (int v : {face.a, face.b, face.c}) {
                    ASSERT_TRUE(v >= 0 && v < m.vertexCount);
                    const Vector3& n = m.vertexNormals[v];
                    ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z))
                        << "scene " << s << " object " << o << " vertex " << v;
                }
                ASSERT_TRUE(std::isfinite(face.normal.x))
                    << "scene " << s << " object " << o << " face " << f;
            }
        }
        EXPECT_LE(faces, 8000) << "scene " << s << " is heavy for software rendering";
    }
}

TEST_F(ShippedScenes, CameraFlightsAreSmoothAndNeverLookAlongTheUpAxis) {
    for (int part : kParts) {
        const SceneCamera& cam = *scene(part).cameras[0];
        const Vector3 target = cam.target;
        double maxStep = 0, maxBend = 0;
        for (int k = 0; k < cam.positionKeyCount; ++k) {
            Vector3 p = cam.positionKeys[k].position;
            double dx = target.x - p.x, dy = target.y - p.y, dz = target.z - p.z;
            double dist = std::sqrt(dx * dx + dy * dy + dz * dz);
            ASSERT_GT(dist, 1.0) << "part " << part << " key " << k;
            // The script's up vector is z: the view must stay clear of it.
            ASSERT_LT(std::fabs(dz) / dist, std::cos(10.0 * 3.14159265 / 180.0))
                << "part " << part << " key " << k;
            if (k > 0) {
                Vector3 q = cam.positionKeys[k - 1].position;
                maxStep = std::max(maxStep, (double)std::hypot(p.x - q.x, std::hypot(p.y - q.y, p.z - q.z)));
            }
            if (k > 1) {
                Vector3 q = cam.positionKeys[k - 1].position, r = cam.positionKeys[k - 2].position;
                double bx = p.x - 2 * q.x + r.x, by = p.y - 2 * q.y + r.y, bz = p.z - 2 * q.z + r.z;
                maxBend = std::max(maxBend, std::sqrt(bx * bx + by * by + bz * bz));
            }
        }
        // Part 1 takes every second key, the others every key: no jumps, no jerks.
        EXPECT_LT(maxStep, 12.0) << "part " << part;
        EXPECT_LT(maxBend, 0.5) << "part " << part;
    }
}

TEST_F(ShippedScenes, ScriptRunsTwoAndAHalfToFourMinutesWithNoPartUnderFifteenSeconds) {
    DemoLight light;
    Timeline timeline(&scene(1), &scene(2), &scene(3), &scene(5), &scene(6), &light);
    ScriptLength length = timeline.length();
    for (int part : kParts)
        EXPECT_GE(length.presented[part], 15 * 50) << "part " << part;
    EXPECT_GE(length.presentedTotal, 150 * 50);
    EXPECT_LE(length.presentedTotal, 240 * 50);
}

TEST_F(ShippedScenes, AnIndependentReaderFindsTheSameObjectsFacesAndVertices) {
    if (!haveCommand("assimp"))
        GTEST_SKIP() << "assimp (assimp-utils) is not installed";
    // assimp splits the file's shared vertices per face and then merges those that
    // agree in position, normal and texture coordinate (within a tolerance), so its
    // vertex count can't equal the file's: it must cover every distinct position the
    // faces use and stay within three per face. Objects, faces and the extent of the
    // vertices must agree exactly.
    std::regex meshLine(R"(^\s*(\d+) \(\d+\): \[(\d+) / \d+ / (\d+) \|)");
    std::regex boxLine(R"(^(Minimum|Maximum) point\s+\(([-\d.]+) ([-\d.]+) ([-\d.]+)\))");
    for (int s = 1; s <= 6; ++s) {
        std::string path = dataDir() + "/scene" + std::to_string(s) + ".3ds";
        std::istringstream out(commandOutput("assimp info '" + path + "' 2>/dev/null"));
        std::string line;
        int meshes = 0;
        double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
        while (std::getline(out, line)) {
            std::smatch m;
            if (std::regex_search(line, m, boxLine)) {
                // assimp turns the z-up scene to y-up: (x, y, z) -> (x, z, -y).
                double x = std::stod(m[2]), y = -std::stod(m[4]), z = std::stod(m[3]);
                double* dst = m[1] == "Minimum" ? lo : hi;
                dst[0] = x;
                if (m[1] == "Minimum") {
                    dst[2] = z;
                    hi[1] = y; // the minimum of -y is the maximum of y
                } else {
                    dst[2] = z;
                    lo[1] = y;
                }
                continue;
            }
            if (!std::regex_search(line, m, meshLine))
                continue;
            int index = std::stoi(m[1]);
            ASSERT_LT(index, scene(s).objectCount) << "scene " << s;
            const MeshObject& obj = *scene(s).objects[index];
            std::set<std::tuple<float, float, float>> used;
            for (int f = 0; f < obj.faceCount; ++f)
                for (int v : {obj.faces[f].a, obj.faces[f].b, obj.faces[f].c})
                    used.insert({obj.vertices[v].x, obj.vertices[v].y, obj.vertices[v].z});
            double vertices = std::stoi(m[2]);
            EXPECT_GE(vertices, 0.99 * used.size()) << "scene " << s << " mesh " << index;
            EXPECT_LE(vertices, 3.0 * obj.faceCount) << "scene " << s << " mesh " << index;
            EXPECT_EQ(std::stoi(m[3]), obj.faceCount) << "scene " << s << " mesh " << index;
            ++meshes;
        }
        EXPECT_EQ(meshes, scene(s).objectCount) << "scene " << s;
        // The bounding box of all vertices, as the loader read them.
        double ours[2][3] = {{1e30, 1e30, 1e30}, {-1e30, -1e30, -1e30}};
        for (int o = 0; o < scene(s).objectCount; ++o) {
            const MeshObject& obj = *scene(s).objects[o];
            for (int f = 0; f < obj.faceCount; ++f)
                for (int v : {obj.faces[f].a, obj.faces[f].b, obj.faces[f].c}) {
                    const float p[3] = {obj.vertices[v].x, obj.vertices[v].y, obj.vertices[v].z};
                    for (int k = 0; k < 3; ++k) {
                        ours[0][k] = std::min(ours[0][k], static_cast<double>(p[k]));
                        ours[1][k] = std::max(ours[1][k], static_cast<double>(p[k]));
                    }
                }
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(lo[k], ours[0][k], 0.01) << "scene " << s << " axis " << k;
            EXPECT_NEAR(hi[k], ours[1][k], 0.01) << "scene " << s << " axis " << k;
        }
    }
}

TEST(ShippedTextures, AreTwentyFourBitBottomUpTgaOrBaselineJpegWithPowerOfTwoSizes) {
    std::vector<std::string> names;
    std::istringstream list(commandOutput("ls '" + dataDir() + "'"));
    for (std::string n; std::getline(list, n);)
        if (n.size() > 4 && (n.substr(n.size() - 4) == ".tga" || n.substr(n.size() - 4) == ".jpg"))
            names.push_back(n);
    ASSERT_GE(names.size(), 4u);
    auto pow2 = [](int v) { return v >= 8 && v <= 1024 && (v & (v - 1)) == 0; };
    int tga = 0, jpg = 0;
    for (const std::string& n : names) {
        std::string bytes = readFileText(dataDir() + "/" + n);
        ASSERT_GT(bytes.size(), 18u) << n;
        auto u8 = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
        if (n.substr(n.size() - 4) == ".tga") {
            ++tga;
            EXPECT_EQ(u8(0), 0) << n; // no image ID
            EXPECT_EQ(u8(1), 0) << n; // no colour map
            EXPECT_EQ(u8(2), 2) << n; // uncompressed true colour
            EXPECT_EQ(u8(16), 24) << n;
            EXPECT_EQ(u8(17) & 0x20, 0) << n << ": origin must be bottom left";
            int w = u8(12) | u8(13) << 8, h = u8(14) | u8(15) << 8;
            EXPECT_TRUE(pow2(w) && pow2(h)) << n;
            EXPECT_EQ(bytes.size(), 18u + 3u * w * h) << n;
        } else {
            ++jpg;
            EXPECT_EQ(u8(0), 0xFF) << n;
            EXPECT_EQ(u8(1), 0xD8) << n;
            // The frame header must be baseline (SOF0): find it and read the size.
            size_t sof = bytes.find("\xFF\xC0");
            ASSERT_NE(sof, std::string::npos) << n << " is not a baseline JPEG";
            EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos) << n << " is progressive";
            int h = u8(sof + 5) << 8 | u8(sof + 6), w = u8(sof + 7) << 8 | u8(sof + 8);
            EXPECT_TRUE(pow2(w) && pow2(h)) << n;
            EXPECT_EQ(u8(sof + 9), 3) << n << ": three components";
        }
    }
    EXPECT_GT(tga, 0);
    EXPECT_GT(jpg, 0);
}

TEST(ShippedSoundtrack, LastsLongerThanTheScriptAndPeaksBelowMinusOneDecibel) {
    if (!haveCommand("mpg123"))
        GTEST_SKIP() << "mpg123 is not installed";
    std::string raw = commandOutput("mpg123 -q -s '" + dataDir() + "/demo.mp3' 2>/dev/null");
    size_t frames = raw.size() / 4;
    double seconds = frames / 44100.0;
    EXPECT_GE(seconds, 8699 / 50.0) << "the script runs 174 s";
    const int16_t* s = reinterpret_cast<const int16_t*>(raw.data());
    int peak = 0;
    auto rms = [&](double from, double to) {
        double sum = 0;
        size_t a = static_cast<size_t>(from * 44100) * 2, b = static_cast<size_t>(to * 44100) * 2;
        for (size_t i = a; i < b; ++i)
            sum += static_cast<double>(s[i]) * s[i];
        return 10 * std::log10(sum / (b - a) + 1e-9);
    };
    for (size_t i = 0; i < frames * 2; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    EXPECT_LE(20 * std::log10(peak / 32768.0), -1.0);
    // Structure: the intro is clearly quieter than the main theme.
    ASSERT_GT(seconds, 120.0);
    EXPECT_LT(rms(0, 30), rms(64, 120) - 1.5);
}

TEST(ShippedSoundtrack, IsMasteredWithoutOffsetUnderMinusOneTruePeakAndWithShapedLoudness) {
    if (!haveCommand("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is not installed";
    // ffmpeg's R128 meter (with true peak) and its DC offset per channel, on the
    // decoded MP3 as the demo plays it.
    std::string out = commandOutput("ffmpeg -hide_banner -nostats -i '" + dataDir() +
                                    "/demo.mp3' -af ebur128=peak=true,astats=measure_perchannel=DC_offset:"
                                    "measure_overall=none -f null - 2>&1");
    std::smatch m;
    std::string summary = out.substr(std::min(out.size(), out.rfind("Summary:")));
    auto value = [&](const std::string& pattern) {
        EXPECT_TRUE(std::regex_search(summary, m, std::regex(pattern))) << pattern << " in\n" << summary;
        return m.empty() ? 0.0 : std::stod(m[1]);
    };
    double integrated = value(R"(I:\s+(-?[\d.]+) LUFS)"), range = value(R"(LRA:\s+(-?[\d.]+) LU)"),
           peak = value(R"(Peak:\s+(-?[\d.]+) dBFS)");
    EXPECT_GE(integrated, -16.0);
    EXPECT_LE(integrated, -12.0);
    EXPECT_GE(range, 5.0) << "intro, build-up and breakdown must stand apart from the theme";
    EXPECT_LE(peak, -1.0) << "true peak";
    std::regex dc(R"(DC offset: (-?[\d.]+))");
    int channels = 0;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), dc); it != std::sregex_iterator();
         ++it, ++channels)
        EXPECT_LT(std::fabs(std::stod((*it)[1])), 0.001) << "channel " << channels;
    EXPECT_EQ(channels, 2);
}
