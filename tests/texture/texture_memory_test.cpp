// Memory bounded by the images, not by the objects or by what a header claims: each
// case runs in a child process of its own and its peak resident size is compared with
// a control run in the same way.
#include "app/offscreen_gl.h"
#include "scene/scene_loader.h"
#include "support/test_support.h"
#include "test_images.h"
#include "texture/texture.h"

#include "scene_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs fn with a current GL context in a child process; its peak resident size in kB
// (-1 when the child could not run). `exitCode` is the child's status.
long peakKilobytesOf(const std::function<void()>& fn, int& exitCode) {
    pid_t child = fork();
    if (child == 0) {
        OffscreenGL gl;
        std::string error;
        if (!gl.create(16, 16, error))
            _exit(99);
        fn();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return -1;
    exitCode = WEXITSTATUS(status);
    return usage.ru_maxrss;
}

// A 2048 x 2048 run-length encoded TGA of one colour: 128 kB on disk, 12 MB decoded.
constexpr int SIDE = 2048;
TgaFile bigTga() {
    TgaFile tga;
    tga.imageType = 10;
    tga.width = tga.height = SIDE;
    for (int packet = 0; packet < SIDE * SIDE / 128; ++packet)
        tga.data.insert(tga.data.end(), {0xFF, 10, 200, 30});
    return tga;
}

// A scene of one textured triangle per map name, loaded with a budget of `budget` bytes.
void loadSceneNaming(const std::vector<std::string>& maps, uint64_t budget) {
    tds::SceneDesc d;
    for (size_t i = 0; i < maps.size(); ++i) {
        tds::MaterialDesc m;
        m.name = "M" + std::to_string(i);
        m.mapFile = maps[i];
        d.materials.push_back(m);
        tds::MeshDesc o;
        o.name = "Obj" + std::to_string(i);
        o.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
        o.faces = {{{0, 1, 2}}};
        o.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
        o.material = m.name;
        d.meshes.push_back(o);
    }
    ASSERT_TRUE(writeFileBytes("maps.3ds", tds::sceneBytes(d)));
    std::freopen("maps.stderr", "w", stderr);
    SceneLoader loader;
    loader.textures.budget = budget;
    std::unique_ptr<Scene> scene(loader.load("maps.3ds"));
}

void loadSceneWithObjects(int count) {
    tds::SceneDesc d;
    tds::MaterialDesc m;
    m.name = "Big";
    m.mapFile = "big.tga";
    d.materials = {m};
    for (int i = 0; i < count; ++i) {
        tds::MeshDesc o;
        o.name = "Obj" + std::to_string(i);
        o.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
        o.faces = {{{0, 1, 2}}};
        o.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
        o.material = "Big";
        d.meshes.push_back(o);
    }
    std::string name = "shared" + std::to_string(count) + ".3ds";
    ASSERT_TRUE(writeFileBytes(name, tds::sceneBytes(d)));
    SceneLoader loader;
    std::unique_ptr<Scene> scene(loader.load(name.c_str()));
}

} // namespace

TEST(TextureMemory, ObjectsSharingOneImageTakeItsMemoryOnce) {
    ASSERT_TRUE(writeFileBytes("big.tga", bigTga().bytes()));
    int status = -1;
    long one = peakKilobytesOf([] { loadSceneWithObjects(1); }, status);
    ASSERT_EQ(status, 0);
    long eight = peakKilobytesOf([] { loadSceneWithObjects(8); }, status);
    ASSERT_EQ(status, 0);
    ASSERT_GT(one, 0);
    // Seven more objects naming the same image: less than one more decoded image.
    long decodedKilobytes = SIDE * SIDE * 3 / 1024;
    EXPECT_LT(eight - one, decodedKilobytes) << "1 object: " << one << " kB, 8 objects: " << eight << " kB";
}

TEST(TextureMemory, SmallProgressiveJpegClaimingAHugeSizeIsRefusedBeforeItsMemory) {
    std::vector<unsigned char> grey(16 * 16 * 3, 128);
    ASSERT_TRUE(writeJpeg("small.jpg", 16, 16, 3, grey, 90, true));
    std::vector<unsigned char> bytes = fileBytes("small.jpg");
    // The progressive frame header (FF C2, length, precision) claims 8192 x 8192.
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) {
            bytes[i + 5] = bytes[i + 7] = 8192 >> 8;
            bytes[i + 6] = bytes[i + 8] = 0;
            break;
        }
    ASSERT_TRUE(writeFileBytes("claims_8192.jpg", bytes));

    int status = -1;
    long control = peakKilobytesOf([] { loadTexture("small.jpg"); }, status);
    ASSERT_EQ(status, 0);
    long hostile = peakKilobytesOf([] { loadTexture("claims_8192.jpg"); }, status);
    EXPECT_EQ(status, 1); // refused through the log's error
    EXPECT_LT(hostile - control, 32 * 1024) << "control: " << control << " kB, hostile: " << hostile << " kB";
    EXPECT_NE(readFileText("QuarnWin32.log")
                  .find("Progressive JPEG 8192x8192 needs 192 MB to decode (at most 64 MB)\n"),
              std::string::npos);
}

TEST(TextureMemory, OneFileNamedManyWaysIsDecodedOnceAndTheSceneKeepsToItsBudget) {
    TgaFile tga;
    tga.width = tga.height = 64;
    tga.data.assign(64 * 64 * 3, 77);
    ASSERT_TRUE(writeFileBytes("map.tga", tga.bytes()));
    ASSERT_TRUE(writeFileBytes("other.tga", tga.bytes()));
    std::filesystem::create_directories("d");
    const uint64_t oneAndAHalf = 64 * 64 * 3 * 3 / 2;
    int status = -1;
    peakKilobytesOf([&] { loadSceneNaming({"map.tga", "./map.tga", "d/../map.tga"}, oneAndAHalf); }, status);
    EXPECT_EQ(status, 0) << readFileText("maps.stderr");
    peakKilobytesOf([&] { loadSceneNaming({"map.tga", "./map.tga", "other.tga"}, oneAndAHalf); }, status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(readFileText("QuarnWin32.log")
                  .find("Textures over budget: 64x64 needs 1 MB, 0 MB left of the scene's 256 MB\n"),
              std::string::npos);
    EXPECT_NE(readFileText("maps.stderr").find("While loading texture file \"other.tga\"."),
              std::string::npos)
        << readFileText("maps.stderr");
}
