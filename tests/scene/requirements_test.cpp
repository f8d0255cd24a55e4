// The inspector's requirement check: a scene that holds what a part addresses
// passes, and each requirement fails on a scene that misses just that.
#include "loader_support.h"
#include "scene_requirements.h"
#include "support/test_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <functional>

namespace {

// A 2 x 2 uncompressed 24-bit TGA.
std::vector<unsigned char> tinyTga() {
    std::vector<unsigned char> t(18, 0);
    t[2] = 2, t[12] = 2, t[14] = 2, t[16] = 24;
    t.resize(18 + 12, 180);
    return t;
}

// Textured cubes, enough for every part, and camera 0 with 100 keys.
tds::SceneDesc servingScene(size_t objects = 13) {
    tds::SceneDesc s;
    tds::MaterialDesc m;
    m.name = "Skin";
    m.mapFile = "tiny.tga";
    s.materials.push_back(m);
    for (size_t i = 0; i < objects; ++i) {
        tds::MeshDesc mesh;
        mesh.name = "Obj" + std::to_string(i);
        mesh.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
        mesh.faces = {{{0, 1, 2}}};
        mesh.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
        mesh.material = "Skin";
        s.meshes.push_back(mesh);
    }
    tds::CameraDesc camera;
    camera.name = "Cam";
    camera.positionKeys.assign(100, {{0, -10, 2}});
    camera.lens = 480; // 5 degrees: every part's widening stays short of turning over
    s.cameras.push_back(camera);
    return s;
}

struct Case {
    const char* what;
    int32_t part;
    std::function<void(tds::SceneDesc&)> change;
    const char* line; // the start of the line expected
    bool passes;
};

class RequirementsTest : public LoaderTest {};

TEST_F(RequirementsTest, EachMissedRequirementIsSaid) {
    ASSERT_TRUE(writeFileBytes("tiny.tga", tinyTga()));
    const Case cases[] = {
        {"serving", 6, [](tds::SceneDesc&) {}, "ok: object 12 \"Obj12\" (hidden, then slid up", true},
        {"no camera", 2, [](tds::SceneDesc& s) { s.cameras.clear(); },
         "problem: camera 0: the scene has no camera", false},
        {"no keys", 2, [](tds::SceneDesc& s) { s.keyframer = false; },
         "problem: camera 0 has no position keys", false},
        {"short flight", 1, [](tds::SceneDesc& s) { s.cameras[0].positionKeys.resize(40); },
         "warning: camera 0 has 40 position keys: part 1 runs 19 passes (0.38 s), two keys a pass", true},
        {"few objects", 3, [](tds::SceneDesc& s) { s.meshes.resize(2); },
         "problem: objects: part 3 addresses objects 0 to 3, the scene has 2", false},
        {"no faces", 2, [](tds::SceneDesc& s) { s.meshes[1].faces.clear(); }, "problem: object 1 \"Obj1\"",
         false},
        {"no texture", 2, [](tds::SceneDesc& s) { s.materials[0].mapFile.clear(); },
         "problem: object 1 \"Obj1\" (drawn textured+sphere-map+blend-add) has no texture", false},
        {"no mapping", 6, [](tds::SceneDesc& s) { s.meshes[5].texCoords.clear(); },
         "problem: object 5 \"Obj5\" (hidden, then slid up through the additive pass, textured) has no "
         "mapping",
         false},
        {"turning over", 3, [](tds::SceneDesc& s) { s.cameras[0].lens = 2400.0f / 45; },
         "problem: camera 0's field of view 45.0 degrees and part 3's widening of 140: the part plays 185.0",
         false},
        {"near turning over", 3, [](tds::SceneDesc& s) { s.cameras[0].lens = 2400.0f / 15; },
         "warning: camera 0's field of view 15.0 degrees and part 3's widening of 140: the part plays 155.0",
         true},
        {"placeholder", 5,
         [](tds::SceneDesc& s) {
             s.meshes[2].vertices = {{{1, 1, 1}}, {{1, 1, 1}}, {{1, 1, 1}}};
         },
         "warning: object 2 \"Obj2\" (drawn wireframe+blend-alpha) is an empty placeholder", true},
    };
    for (const Case& c : cases) {
        tds::SceneDesc desc = servingScene();
        c.change(desc);
        LoadResult loaded = loadBytes(tds::sceneBytes(desc), true);
        ASSERT_TRUE(loaded.scene) << c.what << ": " << loaded.fatal;
        std::vector<std::string> lines;
        EXPECT_EQ(checkScene(*loaded.scene, c.part, lines), c.passes) << c.what;
        bool found = false;
        for (const std::string& line : lines)
            found |= line.compare(0, std::strlen(c.line), c.line) == 0;
        EXPECT_TRUE(found) << c.what << ": no line starting " << c.line << "\n"
                           << ::testing::PrintToString(lines);
    }
}

TEST_F(RequirementsTest, InspectorExitsOneAndSaysWhichPartsAFileServes) {
    ASSERT_TRUE(writeFileBytes("tiny.tga", tinyTga()));
    std::vector<uint8_t> two = tds::sceneBytes(servingScene(2));
    ASSERT_TRUE(writeFileBytes("two.3ds", std::vector<unsigned char>(two.begin(), two.end())));
    std::string inspector = binaryDir() + "/app/quarn-inspect";
    EXPECT_EQ(std::system((inspector + " --part 3 two.3ds > part3.txt 2>/dev/null").c_str()), 1 << 8);
    EXPECT_NE(readFileText("part3.txt").find("two.3ds: part 3: not usable\n"), std::string::npos);
    EXPECT_EQ(std::system((inspector + " two.3ds > parts.txt 2>/dev/null").c_str()), 0);
    EXPECT_NE(readFileText("parts.txt").find("\n  could serve parts: 1, 2\n"), std::string::npos);
}

// --part reads the scene's textures from its own folder first, as the demo does for a
// --scene file; a texture missing everywhere is a problem line, not just the loader's
// fatal text.
TEST_F(RequirementsTest, PartCheckFindsTexturesBesideTheSceneAndNamesAMissingOne) {
    std::filesystem::create_directories("sub");
    ASSERT_TRUE(writeFileBytes("sub/tiny.tga", tinyTga()));
    std::vector<uint8_t> bytes = tds::sceneBytes(servingScene(2));
    ASSERT_TRUE(writeFileBytes("sub/two.3ds", std::vector<unsigned char>(bytes.begin(), bytes.end())));
    std::filesystem::remove("tiny.tga"); // the working folder is looked in next
    std::string summary = binaryDir() + "/app/quarn-inspect sub/two.3ds > summary.txt 2>/dev/null";
    EXPECT_EQ(std::system(summary.c_str()), 0);
    EXPECT_NE(readFileText("summary.txt").find("could serve parts: 1, 2"), std::string::npos);
    std::string inspector = binaryDir() + "/app/quarn-inspect --part 2 sub/two.3ds > check.txt 2>/dev/null";
    EXPECT_EQ(std::system(inspector.c_str()), 0) << readFileText("check.txt");
    std::filesystem::remove("sub/tiny.tga");
    EXPECT_EQ(std::system(inspector.c_str()), 1 << 8);
    EXPECT_EQ(readFileText("check.txt"),
              "sub/two.3ds: part 2: not usable\n  problem: the scene can't be loaded as "
              "the demo loads it (\"Ops! Could't found\", see above); put every file "
              "it names beside it\n");
}

} // namespace
