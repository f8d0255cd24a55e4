// Textured objects end to end: the loader reads the image named by the object's
// material and binds a new GL texture to each textured object.
#include "loader_support.h"
#include "render/gl.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

using tds::Chunk;

namespace {

// An uncompressed true-colour TGA of width x height pixels, all of one colour.
std::vector<uint8_t> tga(int width, int height, int depth, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = static_cast<uint8_t>(width);
    bytes[14] = static_cast<uint8_t>(height);
    bytes[16] = static_cast<uint8_t>(depth);
    for (int i = 0; i < width * height; ++i) {
        bytes.push_back(b);
        bytes.push_back(g);
        bytes.push_back(r);
        if (depth == 32)
            bytes.push_back(255);
    }
    return bytes;
}

tds::SceneDesc texturedScene(const std::string& mapFile) {
    tds::SceneDesc d;
    tds::MaterialDesc m;
    m.name = "Skin";
    m.mapFile = mapFile;
    d.materials = {m};
    for (const char* name : {"First", "Second"}) {
        tds::MeshDesc o;
        o.name = name;
        o.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
        o.faces = {{{0, 1, 2}}};
        o.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
        o.material = "Skin";
        d.meshes.push_back(o);
    }
    return d;
}

} // namespace

TEST_F(LoaderTest, ObjectsNamingOneImageShareItsTexture) {
    ASSERT_TRUE(writeFileBytes("skin.tga", tga(2, 2, 24, 200, 10, 20)));
    // The map name is written in capitals and found in lower case.
    LoadResult r = loadBytes(tds::sceneBytes(texturedScene("SKIN.TGA")), true);
    ASSERT_EQ(r.fatal, "");
    ASSERT_EQ(r.scene->objectCount, 2);
    const MeshObject& a = *r.scene->objects[0];
    const MeshObject& b = *r.scene->objects[1];
    EXPECT_EQ(a.renderMode, RENDER_TEXTURED);
    EXPECT_NE(a.texture, 0u);
    EXPECT_NE(b.texture, 0u);
    EXPECT_EQ(a.texture, b.texture); // read and uploaded once per scene
    EXPECT_EQ(a.material, b.material);
    // The texture holds the image.
    glBindTexture(GL_TEXTURE_2D, b.texture);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 2);
    unsigned char pixels[2 * 2 * 3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    EXPECT_EQ(pixels[0], 200);
    EXPECT_EQ(pixels[1], 10);
    EXPECT_EQ(pixels[2], 20);
    EXPECT_NE(r.log.find("Bind current texture to object\n Insert object to linked list \n"),
              std::string::npos);
    // A new load reads the image again.
    LoadResult again = loadBytes(tds::sceneBytes(texturedScene("skin.tga")), true);
    EXPECT_NE(again.scene->objects[0]->texture, a.texture);
}

TEST_F(LoaderTest, TextureFailuresEndTheLoad) {
    std::remove("gone.tga");
    EXPECT_EQ(loadBytes(tds::sceneBytes(texturedScene("gone.tga")), true).fatal, "Ops! Could't found");
    ASSERT_TRUE(writeFileBytes("deep.tga", tga(2, 2, 32, 1, 2, 3)));
    EXPECT_EQ(loadBytes(tds::sceneBytes(texturedScene("deep.tga")), true).fatal, " 32 bits not supported\n");
    EXPECT_EQ(loadBytes(tds::sceneBytes(texturedScene("skin.png")), true).fatal, "fileformat not supported");
    // Without textures none of them is read.
    LoadResult off = loadBytes(tds::sceneBytes(texturedScene("gone.tga")), false);
    EXPECT_EQ(off.fatal, "");
    EXPECT_EQ(off.scene->objects[0]->texture, 0u);
    EXPECT_EQ(off.scene->objects[0]->renderMode, RENDER_TEXTURED);
}

// A FIFO named like a scene or a texture is refused at once, as a missing file is, and
// standard error says which file and why.
TEST_F(LoaderTest, FifosAndMissingFilesAreRefusedAtOnceNamingTheFile) {
    std::remove("pipe.3ds");
    std::remove("pipe.tga");
    std::remove("gone.tga");
    ASSERT_EQ(mkfifo("pipe.3ds", 0600), 0);
    ASSERT_EQ(mkfifo("pipe.tga", 0600), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadPath("pipe.3ds", true).fatal, "Ops! Could't found");
    EXPECT_EQ(loadBytes(tds::sceneBytes(texturedScene("pipe.tga")), true).fatal, "Ops! Could't found");
    EXPECT_EQ(loadBytes(tds::sceneBytes(texturedScene("gone.tga")), true).fatal, "Ops! Could't found");
    ASSERT_TRUE(writeFileBytes("deep.tga", tga(2, 2, 32, 1, 2, 3)));
    EXPECT_EQ(loadBytes(tds::sceneBytes(texturedScene("deep.tga")), true).fatal, " 32 bits not supported\n");
    std::string shown = testing::internal::GetCapturedStderr();
    // A missing file also says where it was looked for and what to do.
    EXPECT_EQ(shown, "Ops! Could't found\nCan't open scene file \"pipe.3ds\": not a regular file.\n"
                     "Ops! Could't found\nCan't open texture file \"pipe.tga\": not a regular file.\n"
                     "Ops! Could't found\nCan't open texture file \"gone.tga\": no such file. Looked in the "
                     "working folder " +
                         std::filesystem::current_path().string() +
                         ". Put the file beside the scene file that names it.\n"
                         " 32 bits not supported\nWhile loading texture file \"deep.tga\".\n");
}
