// The log text and standard-output lines of a whole load, and the top level of the file.
#include "loader_support.h"
#include "app/stop_signal.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "chunk_helpers.h"

using tds::Chunk;

namespace {

// A keyframer node header as the loader reads it: a 20-byte name field, flags, a word.
Chunk nodeHeader20(const std::string& name, uint16_t flags = 0x4000) {
    Chunk c(0xB010);
    std::vector<uint8_t> field(20, 0);
    std::memcpy(field.data(), name.data(), std::min<size_t>(name.size(), 20));
    c.bytes(field).u16(flags).u16(0);
    return c;
}

Chunk track(uint16_t id, uint32_t word1, uint32_t word2, const std::vector<tds::KeyDesc>& keys) {
    Chunk c(id);
    c.u16(0).u32(word1).u32(word2).u32(static_cast<uint32_t>(keys.size()));
    for (const tds::KeyDesc& k : keys) {
        c.u32(k.frame).u16(k.flags);
        for (float v : k.values)
            c.f32(v);
    }
    return c;
}

tds::KeyDesc key(uint32_t frame, std::vector<float> values) {
    tds::KeyDesc k;
    k.frame = frame;
    k.values = std::move(values);
    return k;
}

// Offset of the content of the first chunk with this id and length in the file.
long contentOffset(const std::vector<uint8_t>& bytes, uint16_t id, uint32_t length) {
    for (size_t i = 0; i + 6 <= bytes.size(); ++i) {
        uint32_t l =
            bytes[i + 2] | (bytes[i + 3] << 8) | (bytes[i + 4] << 16) | (uint32_t(bytes[i + 5]) << 24);
        if (bytes[i] == (id & 0xFF) && bytes[i + 1] == (id >> 8) && l == length)
            return static_cast<long>(i + 6);
    }
    return -1;
}

std::string fmt(const char* f, long v) {
    char b[128];
    std::snprintf(b, sizeof b, f, v);
    return b;
}

} // namespace

TEST_F(LoaderTest, AWholeFileLogsEveryChunkInFileOrder) {
    Chunk material(0xAFFF);
    material.add(text(0xA000, "Wood"));
    material.add(0xA010).add(color24(0x0011, 200, 100, 0));
    {
        Chunk diffuse(0xA020);
        diffuse.add(color24(0x0011, 255, 0, 0));
        diffuse.add(color24(0x0012, 128, 0, 0));
        material.add(std::move(diffuse));
    }
    material.add(0xA030).add(0x0010).f32(1.0f).f32(0.5f).f32(0.0f);
    {
        Chunk map(0xA200);
        map.add(0x0030).u16(100);
        map.add(text(0xA300, "WOOD.TGA"));
        material.add(std::move(map));
    }

    tds::MeshDesc box;
    box.name = "Box";
    box.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
    box.faces = {{{0, 1, 2}}};
    box.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
    box.material = "Wood";
    Chunk boxObject = tds::meshObjectChunk(box);

    tds::CameraDesc cam;
    cam.name = "Cam";
    cam.position = {{0, -10, 0}};
    cam.lens = 50;
    tds::LightDesc lamp;
    lamp.name = "Lamp";
    lamp.position = {{5, 5, 5}};
    lamp.spot = true;
    lamp.spotTarget = {{1, 2, 3}};
    lamp.hotspot = 20;
    lamp.falloff = 30;

    Chunk kf(0xB000);
    kf.add(0xB00A).u16(5).bytes({'V', 'O', 'R', 'N', 'I', 'K', 'K', 'F', 0, 0}).u32(100);
    kf.add(0xB008).u32(0).u32(2);
    {
        Chunk node(0xB002);
        node.add(0xB030).u16(0);
        node.add(nodeHeader20("Box"));
        node.add(0xB013).vec(1, 2, 3);
        node.add(track(0xB020, 7, 9, {key(0, {0, 0, 0}), key(10, {5, 0, 0})}));
        node.add(track(0xB021, 0, 0, {key(0, {0.5f, 0, 0, 1})}));
        node.add(track(0xB022, 0, 0, {key(0, {1, 1, 1})}));
        kf.add(std::move(node));
    }
    {
        Chunk node(0xB003);
        node.add(0xB030).u16(1);
        node.add(nodeHeader20("Cam"));
        node.add(track(0xB020, 0, 0, {key(0, {0, -10, 0}), key(1, {0, -20, 0})}));
        node.add(track(0xB024, 0, 0, {key(0, {0.5f})}));
        kf.add(std::move(node));
    }
    {
        Chunk node(0xB004);
        node.add(nodeHeader20("Cam.Target"));
        node.add(track(0xB020, 0, 0, {key(0, {0, 0, 0})}));
        kf.add(std::move(node));
    }
    {
        Chunk node(0xB005);
        node.add(nodeHeader20("Lamp"));
        node.add(track(0xB020, 0, 0, {key(0, {5, 5, 5})}));
        kf.add(std::move(node));
    }

    Chunk version(0x0002);
    version.u32(3);
    Chunk editor(0x3D3D);
    editor.add(std::move(material));
    editor.add(std::move(boxObject));
    editor.add(tds::cameraObjectChunk(cam));
    editor.add(tds::lightObjectChunk(lamp));
    const uint32_t editorSize = editor.size();
    const uint32_t kfSize = kf.size();
    std::vector<uint8_t> bytes = mainChunk({version, editor, kf}).bytes();
    long matrixAt = contentOffset(bytes, 0x4160, 54);
    ASSERT_GT(matrixAt, 0);

    LoadResult r = loadBytes(bytes);
    ASSERT_EQ(r.fatal, "");

    std::string expected = "chunk #2 (10 bytes)\n" + fmt("chunk #3D3D (%ld bytes)\n", editorSize) +
                           "--------------------------\n"
                           "# Found Material!\n"
                           "[#] Material Name: Wood\n"
                           "Material file name: wood.tga "
                           "[#] Polygon Mesh \n"
                           " Found named object: Box \n"
                           "[-] Found 3 vertices\n"
                           "[-] Found Texture Coords \n"
                           "[-] Found 3 vertices\n"
                           "[-] Texture Coords DONE\n" +
                           fmt("          - Mesh matrix   : %lx\n", matrixAt) +
                           "[-] Found 1 surfaces\n"
                           "[#] Material Name: Wood\n"
                           "[#] Done Face list\n"
                           "Bind current texture to object\n"
                           " Insert object to linked list \n"
                           "[#] Camerachunk \n"
                           "[#] Lightchunk \n" +
                           fmt("chunk #B000 (%ld bytes)\n", kfSize) +
                           " [#] Keyframer header\n"
                           "    - Version: 5, Length: 100, Dummy: VORNIKKF\n"
                           "  [#] Keyframer segment\n"
                           "    - SegStart: 0, SegEnd: 2\n"
                           "  [#] Keyframer object-node\n"
                           "    [#] NodeHeader..\n"
                           "       - Nodename: Box\n"
                           "       - Nodeflag: 16384\n"
                           "     - Normal animation!\n"
                           "mObjIndex: 0\n"
                           "    [#] Pivotpoint: (1.000000,2.000000,3.000000)\n"
                           "    [#] Position keys found, reading: 7,9,2 keys\n"
                           "       key[  0]: Time: 0, flags: (0.000000,0.000000,0.000000)\n"
                           "       key[  1]: Time: 10, flags: (5.000000,0.000000,0.000000)\n"
                           " Rotation keys found 0 0 1, keys\n"
                           "    [#] Scaling keys found, reading: 0,0,1 keys\n"
                           "       key[  0]: Time: 0, flags: 0, (1.000000,1.000000,1.000000)\n"
                           "  [#] Camera object-node\n"
                           "    [#] NodeHeader..\n"
                           "       - Nodename: Cam\n"
                           "       - Nodeflag: 16384\n"
                           "     - Camera animation!\n"
                           "mCamIndex: 0\n"
                           "    [#] Position keys found, reading: 0,0,2 keys\n"
                           " Camera animation found! 2 \n"
                           "       key[  0]: Time: 0, flags: (0.000000,-10.000000,0.000000)\n"
                           "       key[  1]: Time: 1, flags: (0.000000,-20.000000,0.000000)\n"
                           "    [#] Roll keys found, reading: 0,0,1 keys\n"
                           "       key[  0]: Time: 0, flags: 0, Roll:0.500000\n"
                           "  [#] Camera target-node\n"
                           "    [#] NodeHeader..\n"
                           "       - Nodename: Cam.Target\n"
                           "       - Nodeflag: 16384\n"
                           "    [#] Position keys found, reading: 0,0,1 keys\n"
                           "       key[  0]: Time: 0, flags: (0.000000,0.000000,0.000000)\n"
                           " [#] Light animation \n"
                           "    [#] NodeHeader..\n"
                           "       - Nodename: Lamp\n"
                           "       - Nodeflag: 16384\n"
                           "    [#] Position keys found, reading: 0,0,1 keys\n"
                           " Done reading t.3ds !! \n";
    EXPECT_EQ(r.log, expected);
    EXPECT_EQ(r.out, "[#] Camera chunk: 4720\n"
                     "[#] Camera chunk: 4610\n"
                     "[#] Reading KeyFramer data!\n"
                     "    [#] Node_ID: 0\n"
                     "    [#] Node_ID: 1\n");

    // What the records hold after it.
    Scene& s = *r.scene;
    ASSERT_EQ(s.objectCount, 1);
    ASSERT_EQ(s.cameraCount, 1);
    ASSERT_EQ(s.lightCount, 1);
    ASSERT_EQ(r.loader->materialCount, 1);
    const Material& m = *r.loader->materials[0];
    EXPECT_STREQ(m.mapFile, "wood.tga");
    EXPECT_EQ(m.ambient255.x, 200.0f);
    EXPECT_EQ(m.diffuse255.x, 128.0f); // the linear colour after the 24-bit one wins
    EXPECT_EQ(m.specular255.y, 0.5f);  // float colours are taken as they stand
    const MeshObject& o = *s.objects[0];
    EXPECT_EQ(o.material, r.loader->materials[0]);
    EXPECT_EQ(o.renderMode, RENDER_TEXTURED);
    EXPECT_EQ(o.texture, 0u); // textures off
    EXPECT_EQ(o.pivot.z, 3.0f);
    ASSERT_EQ(o.positionKeyCount, 2);
    EXPECT_EQ(o.positionKeys[1].frame, 10);
    EXPECT_EQ(o.positionKeys[1].position.x, 5.0f);
    EXPECT_EQ(o.rotationKeyCount, 1);
    EXPECT_EQ(o.scaleKeyCount, 1);
    const SceneCamera& c = *s.cameras[0];
    EXPECT_EQ(c.fov, 48.0f);
    EXPECT_EQ(c.positionKeyCount, 2);
    EXPECT_EQ(c.positionKeys[1].position.y, -20.0f);
    EXPECT_EQ(c.targetKeyCount, 1);
    const SceneLight& l = *s.lights[0];
    EXPECT_EQ(l.position.x, 5.0f);
    EXPECT_EQ(l.spotTarget.z, 3.0f);
    EXPECT_EQ(l.hotspot, 20.0f);
    EXPECT_EQ(l.falloff, 30.0f);
}

TEST_F(LoaderTest, AVersionChunkAloneGivesOneLineAndAnEmptyScene) {
    Chunk version(0x0002);
    version.u32(3);
    LoadResult r = loadBytes(mainChunk({version}).bytes(), false, "only_version.3ds");
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(r.log, "chunk #2 (10 bytes)\n Done reading only_version.3ds !! \n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.scene->objectCount + r.scene->cameraCount + r.scene->lightCount, 0);
    EXPECT_STREQ(r.scene->name, "NONAME");
}

TEST_F(LoaderTest, MissingFileAndCorruptHeaderAreFatal) {
    std::remove("absent.3ds");
    EXPECT_EQ(loadPath("absent.3ds").fatal, "Ops! Could't found");
    EXPECT_EQ(loadBytes({0x4D, 0x4C, 10, 0, 0, 0, 0, 0, 0, 0}).fatal, "Corrupt 3ds!\n");
    EXPECT_EQ(loadBytes({}).fatal, "Corrupt 3ds!\n");     // empty file
    EXPECT_EQ(loadBytes({0x4D}).fatal, "Corrupt 3ds!\n"); // one byte: the second reads as 0
    // The person is told which file and where, beside the log's text.
    ::testing::internal::CaptureStderr();
    loadBytes({0x50, 0x4B, 3, 4});
    EXPECT_NE(
        ::testing::internal::GetCapturedStderr().find("Corrupt 3ds!\nScene file \"t.3ds\", offset 0: a scene "
                                                      "file starts with chunk 0x4D4D, this one with 0x4B50."),
        std::string::npos);
    // The header alone is enough: nothing else of it is checked.
    LoadResult r = loadBytes({0x4D, 0x4D});
    EXPECT_EQ(r.fatal, "");
    EXPECT_EQ(r.log, " Done reading t.3ds !! \n");
}

TEST(LoaderStop, StopSignalDuringALoadEndsTheProcessAtTheNextChunk) {
    std::vector<Chunk> versions(2000, Chunk(0x0002));
    for (Chunk& c : versions)
        c.u32(3);
    ASSERT_TRUE(writeFileBytes("long.3ds", mainChunk(versions).bytes()));
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        std::freopen("long.stderr", "w", stderr);
        std::setvbuf(stderr, nullptr, _IONBF, 0);
        installStopSignals();
        // The signal arrives at the 50th chunk of 2000.
        static void (*check)() = SceneLoader::betweenSteps;
        static int steps = 0;
        SceneLoader::betweenSteps = [] {
            if (++steps == 50)
                raise(SIGTERM);
            std::fprintf(stderr, "step %d\n", steps);
            check();
        };
        SceneLoader loader;
        delete loader.load("long.3ds");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    std::string said = readFileText("long.stderr");
    EXPECT_NE(said.find("step 50\nquarn: stopped by signal 15 while loading the scenes\n"),
              std::string::npos);
    EXPECT_EQ(said.find("step 51"), std::string::npos);
}

TEST_F(LoaderTest, TheMainChunkLengthEndsTheTopLevel) {
    Chunk a(0x0002);
    a.u32(3);
    Chunk b(0x0003);
    b.u32(4);
    Chunk main = mainChunk({a, b});
    main.forceLength = true;
    main.forcedLength = 16; // covers the first chunk only
    LoadResult r = loadBytes(main.bytes());
    EXPECT_EQ(r.log, "chunk #2 (10 bytes)\n Done reading t.3ds !! \n");
}

TEST_F(LoaderTest, ChunkLengthsFromTwoGibibytesOnLogAsSigned32Bit) {
    // The length line reads the same where long has 32 bits as where it has 64.
    const std::pair<uint32_t, const char*> cases[] = {
        {0x7FFFFFFF, "2147483647"}, {0x80000000, "-2147483648"}, {0xFFFFFFF0, "-16"}};
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = {0x4D, 0x4D, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00};
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(c.first >> shift));
        EXPECT_EQ(loadBytes(bytes).log,
                  std::string("chunk #2 (") + c.second + " bytes)\n Done reading t.3ds !! \n");
    }
}

TEST_F(LoaderTest, UnknownChunksAreSkippedSilentlyBelowTheTopLevel) {
    tds::MeshDesc box;
    box.name = "Box";
    box.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
    box.faces = {{{0, 1, 2}}};
    Chunk object = tds::meshObjectChunk(box);
    object.children.insert(object.children.begin(), Chunk(0x4010)); // unknown, before the mesh
    object.children.front().u32(0xFFFFFFFF);
    Chunk unknown(0x1234);
    unknown.u32(1);
    Chunk top(0x9999);
    LoadResult r = loadBytes(editorFile({unknown, object}, {top}).bytes());
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(r.scene->objectCount, 1);
    EXPECT_EQ(r.log.find("chunk #1234"), std::string::npos);
    EXPECT_NE(r.log.find("chunk #9999 (6 bytes)\n"), std::string::npos);
    EXPECT_NE(r.log.find("[#] Polygon Mesh \n Found named object: Box \n"), std::string::npos);
}

TEST_F(LoaderTest, ANamedObjectWithALightHasNoMeshAndKeepsNoName) {
    tds::LightDesc lamp;
    lamp.name = "Omni01";
    LoadResult r = loadBytes(editorFile({tds::lightObjectChunk(lamp)}).bytes());
    EXPECT_NE(r.log.find("[#] Lightchunk \n"), std::string::npos);
    EXPECT_EQ(r.log.find("[#] Polygon Mesh"), std::string::npos);
    EXPECT_EQ(r.log.find("Omni01"), std::string::npos);
    EXPECT_EQ(r.scene->lightCount, 1);
    EXPECT_EQ(r.scene->objectCount, 0);
}
