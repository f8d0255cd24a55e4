// Truncated, malformed and hostile files: the loader never reads outside the file,
// never loops, and takes what the file does not hold as zero.
#include "loader_support.h"
#include "scene_summary.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

using tds::Chunk;

namespace {

tds::MeshDesc triangle(const std::string& name) {
    tds::MeshDesc m;
    m.name = name;
    m.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
    m.faces = {{{0, 1, 2}}};
    m.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
    m.material = "M";
    m.positionKeys = {{{1, 2, 3}}, {{4, 5, 6}}};
    return m;
}

// A scene using every reader.
tds::SceneDesc fullScene() {
    tds::SceneDesc d;
    tds::MaterialDesc m;
    m.name = "M";
    m.mapFile = "m.tga";
    d.materials = {m};
    d.meshes = {triangle("A"), triangle("B")};
    d.meshes[1].rotationKeys = {{1, {{0, 0, 1}}}};
    d.meshes[1].scaleKeys = {{{1, 1, 1}}};
    tds::CameraDesc c;
    c.name = "C";
    c.positionKeys = {{{0, 0, 1}}, {{0, 0, 2}}};
    d.cameras = {c};
    tds::LightDesc l;
    l.name = "L";
    l.spot = true;
    l.hotspot = 10;
    l.falloff = 20;
    d.lights = {l};
    d.currentFrame = true;
    return d;
}

} // namespace

TEST_F(LoaderTest, EveryPrefixOfAFileLoadsWithoutReadingBeyondIt) {
    std::vector<uint8_t> full = tds::sceneBytes(fullScene());
    LoadResult whole = loadBytes(full);
    ASSERT_EQ(whole.fatal, "");
    ASSERT_EQ(whole.scene->objectCount, 2);
    for (size_t n = 2; n < full.size(); ++n) {
        std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<long>(n));
        LoadResult r = loadBytes(prefix);
        ASSERT_EQ(r.fatal, "") << n;
        EXPECT_NE(r.log.find(" Done reading t.3ds !! \n"), std::string::npos) << n;
        EXPECT_LE(r.scene->objectCount, 2);
        EXPECT_LE(r.scene->cameraCount, 1);
        for (int i = 0; i < r.scene->objectCount; ++i) {
            const MeshObject& o = *r.scene->objects[i];
            EXPECT_LE(o.vertexCount, 3);
            EXPECT_LE(o.faceCount, 1);
            EXPECT_LE(o.positionKeyCount, 2);
        }
    }
}

TEST_F(LoaderTest, ValuesBeyondTheEndOfAFileReadAsZero) {
    // A camera cut after its position and target's x: the rest is zero, lens 0.
    Chunk object(0x4000);
    object.str("C");
    object.add(Chunk(0x4700)).vec(1, 2, 3).f32(4);
    std::vector<uint8_t> bytes = editorFile({object}).bytes();
    LoadResult r = loadBytes(bytes);
    ASSERT_EQ(r.scene->cameraCount, 1);
    const SceneCamera& c = *r.scene->cameras[0];
    EXPECT_EQ(c.position.z, 3.0f);
    EXPECT_EQ(c.target.x, 4.0f);
    EXPECT_EQ(c.target.y, 0.0f);
    EXPECT_EQ(c.fov, std::numeric_limits<float>::infinity());

    // The last vertex of a cut list keeps what the file holds of it.
    tds::MeshDesc m = triangle("V");
    m.texCoords.clear();
    m.material.clear();
    m.vertices = {{{1, 2, 3}}, {{4, 5, 6}}};
    std::vector<uint8_t> mesh = editorFile({tds::meshObjectChunk(m)}).bytes();
    // Cut the file inside the second vertex's y: find the vertex list's content.
    size_t at = 0;
    while (!(mesh[at] == 0x10 && mesh[at + 1] == 0x41))
        ++at;
    mesh.resize(at + 6 + 2 + 12 + 6);
    LoadResult cut = loadBytes(mesh);
    const MeshObject& o = *cut.scene->objects[0];
    ASSERT_EQ(o.vertexCount, 2);
    EXPECT_EQ(o.vertices[1].x, 4.0f);
    EXPECT_EQ(o.vertices[1].y, 0.0f);
    EXPECT_EQ(o.faceCount, 0);
}

TEST_F(LoaderTest, HugeCountsAreBoundedByTheBytesOfTheirChunk) {
    Chunk object(0x4000);
    object.str("H");
    Chunk mesh(0x4100);
    mesh.add(Chunk(0x4110)).u16(65535).vec(1, 1, 1);
    mesh.add(Chunk(0x4120)).u16(65535).u16(0).u16(0).u16(0).u16(0);
    mesh.add(Chunk(0x4140)).u16(65535).f32(0.5f);
    object.add(std::move(mesh));
    Chunk kf(0xB000);
    Chunk n(0xB002);
    n.add(tds::nodeHeader("H"));
    n.add(Chunk(0xB020)).u16(0).u32(0).u32(0).u32(0xFFFFFFFF).u32(3).u16(0).vec(1, 2, 3);
    n.add(Chunk(0xB021)).u16(0).u32(0).u32(0).u32(0x7FFFFFFF);
    n.add(Chunk(0xB022)).u16(0).u32(0).u32(0).u32(0x80000000);
    n.add(Chunk(0xB024)).u16(0).u32(0).u32(0).u32(1000000);
    kf.add(std::move(n));
    LoadResult r = loadBytes(editorFile({object}, {kf}).bytes());
    ASSERT_EQ(r.fatal, "");
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_EQ(o.vertexCount, 1);
    EXPECT_EQ(o.faceCount, 1);
    EXPECT_EQ(o.texCoordCount, 1);
    EXPECT_EQ(o.texCoords[0].v, 0.0f);
    ASSERT_EQ(o.positionKeyCount, 1);
    EXPECT_EQ(o.positionKeys[0].frame, 3);
    EXPECT_EQ(o.positionKeys[0].position.z, 3.0f);
    EXPECT_EQ(o.rotationKeyCount, 0);
    EXPECT_EQ(o.scaleKeyCount, 0);
    EXPECT_NE(r.log.find("[-] Found 1 vertices\n[!] List cut short: the file holds 1 of 65535 entries\n"),
              std::string::npos);
    EXPECT_NE(r.log.find("[!] List cut short: the file holds 1 of 4294967295 entries\n"), std::string::npos);
    EXPECT_NE(r.log.find("    [#] Roll keys found, reading: 0,0,0 keys\n"), std::string::npos);
}

TEST_F(LoaderTest, AChunkShorterThanItsHeaderEndsItsLevel) {
    Chunk bad(0x4000);
    bad.forceLength = true;
    bad.forcedLength = 5;
    tds::MeshDesc m = triangle("Lost");
    Chunk after(0x0002);
    after.u32(3);
    // The editor's walk ends at the short chunk; the top level goes on after the editor.
    LoadResult r = loadBytes(editorFile({bad, tds::meshObjectChunk(m)}, {after}).bytes());
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(r.scene->objectCount, 0);
    EXPECT_NE(r.log.find("chunk #2 (10 bytes)\n"), std::string::npos);
    // At the top level the short chunk is still logged, and ends the walk.
    Chunk zero(0x1111);
    zero.forceLength = true;
    zero.forcedLength = 0;
    LoadResult top = loadBytes(mainChunk({zero, after}).bytes());
    EXPECT_EQ(top.log, "chunk #1111 (0 bytes)\n Done reading t.3ds !! \n");
}

TEST_F(LoaderTest, AChildReachingBeyondItsParentIsCut) {
    // The first object's mesh claims far more than its named object holds; the next
    // object in the editor is still read.
    Chunk first = tds::meshObjectChunk(triangle("First"));
    first.children[0].forceLength = true;
    first.children[0].forcedLength = 0x7FFFFFF0;
    Chunk block(0xAFFF);
    block.add(Chunk(0xA000)).str("M");
    tds::MeshDesc second = triangle("Second");
    second.texCoords.clear();
    LoadResult r = loadBytes(editorFile({block, first, tds::meshObjectChunk(second)}).bytes());
    ASSERT_EQ(r.fatal, "");
    ASSERT_EQ(r.scene->objectCount, 2);
    EXPECT_EQ(r.scene->objects[0]->vertexCount, 3);
    EXPECT_STREQ(r.scene->objects[1]->name, "Second");
    // A length beyond 2^31 is taken as unsigned and cut too.
    first.children[0].forcedLength = 0xFFFFFFF0;
    LoadResult big = loadBytes(editorFile({block, first, tds::meshObjectChunk(second)}).bytes());
    EXPECT_EQ(big.scene->objectCount, 2);
}

TEST_F(LoaderTest, NamesAreCutToTheirBuffersAndAlwaysTerminated) {
    const std::string longName(300, 'o');
    const std::string longMaterial(100, 'm');
    Chunk block(0xAFFF);
    block.add(Chunk(0xA000)).str(longMaterial);
    Chunk map(0xA200);
    map.add(Chunk(0xA300)).str(std::string(90, 'F') + ".tga");
    block.add(std::move(map));
    // A name without its zero byte ends with its chunk.
    Chunk unterminated(0xAFFF);
    unterminated.add(Chunk(0xA000)).bytes({'a', 'b', 'c'});
    unterminated.add(Chunk(0xA010)).add(Chunk(0x0011)).u8(1).u8(2).u8(3);
    tds::MeshDesc m = triangle(longName);
    m.material = longMaterial;
    LoadResult r = loadBytes(editorFile({block, unterminated, tds::meshObjectChunk(m)}).bytes());
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(std::string(r.loader->materials[0]->name), longMaterial.substr(0, 79));
    EXPECT_EQ(std::string(r.loader->materials[0]->mapFile), std::string(79, 'f'));
    EXPECT_STREQ(r.loader->materials[1]->name, "abc");
    EXPECT_EQ(r.loader->materials[1]->ambient255.z, 3.0f);
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_EQ(std::string(o.name), longName.substr(0, 79));
    // The cut names still match: the object finds its material.
    EXPECT_EQ(o.material, r.loader->materials[0]);
    // The rest of a long object name is passed over: the mesh after it is read.
    EXPECT_EQ(o.vertexCount, 3);
}

TEST_F(LoaderTest, AnObjectNameWithoutZeroByteEndsWithItsChunk) {
    Chunk object(0x4000);
    object.bytes({'N', 'a', 'm', 'e'});
    LoadResult r = loadBytes(editorFile({object}).bytes());
    ASSERT_EQ(r.fatal, "");
    EXPECT_EQ(r.scene->objectCount, 0);
}

namespace {

Chunk forcedLength(Chunk c, uint32_t length) {
    c.forceLength = true;
    c.forcedLength = length;
    return c;
}

// What a load gives with the given reading window: log, standard output, records.
std::string loadedWithWindow(const std::string& path, int64_t windowSize) {
    SceneLoader loader;
    loader.loadTextures = false;
    loader.windowSize = windowSize;
    LogMark mark;
    testing::internal::CaptureStdout();
    std::unique_ptr<Scene> scene(loader.load(path.c_str()));
    std::string out = testing::internal::GetCapturedStdout();
    SummaryOptions detail;
    detail.detail = true;
    return mark.text() + out + jsonSummary(path, *scene, loader, detail);
}

} // namespace

TEST_F(LoaderTest, TheReadingWindowsSizeChangesNothing) {
    // Windows from one byte up make every kind of value straddle a refill somewhere,
    // in the whole file and in one cut inside a chunk.
    std::vector<uint8_t> full = tds::sceneBytes(fullScene());
    for (size_t length : {full.size(), full.size() * 2 / 3}) {
        ASSERT_TRUE(writeFileBytes("w.3ds", std::vector<uint8_t>(full.begin(), full.begin() + long(length))));
        std::string reference = loadedWithWindow("w.3ds", 1 << 20);
        for (int64_t size : {1, 2, 3, 5, 16, 77})
            EXPECT_EQ(loadedWithWindow("w.3ds", size), reference) << length << " " << size;
    }
}

TEST_F(LoaderTest, ChunksBeyondTwoGigabytesAreRead) {
    // An object after a 2.5 GiB chunk no reader knows, in a sparse file: the object's
    // offset needs more than 31 bits.
    constexpr uint32_t SKIPPED = 0xA0000000u;
    Chunk object(0x4000);
    object.str("Far");
    object.add(Chunk(0x4100)).add(Chunk(0x4110)).u16(1).vec(1, 2, 3);
    Chunk editor = forcedLength(Chunk(0x3D3D), 6 + SKIPPED + object.size());
    editor.add(forcedLength(Chunk(0x0001), SKIPPED));
    editor.add(object);
    // The main chunk's header, the editor's and the unknown chunk's; then the object.
    std::vector<uint8_t> bytes = forcedLength(mainChunk({}), 6 + editor.forcedLength).bytes();
    std::vector<uint8_t> tail = editor.bytes();
    bytes.insert(bytes.end(), tail.begin(), tail.begin() + 12);
    std::FILE* f = std::fopen("far.3ds", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    ASSERT_EQ(fseeko(f, off_t(6) + 6 + SKIPPED, SEEK_SET), 0);
    std::fwrite(tail.data() + 12, 1, tail.size() - 12, f);
    ASSERT_EQ(std::fclose(f), 0);
    LoadResult r = loadPath("far.3ds");
    std::remove("far.3ds");
    ASSERT_EQ(r.fatal, "");
    ASSERT_EQ(r.scene->objectCount, 1);
    EXPECT_STREQ(r.scene->objects[0]->name, "Far");
    ASSERT_EQ(r.scene->objects[0]->vertexCount, 1);
    EXPECT_EQ(r.scene->objects[0]->vertices[0].z, 3.0f);
}
