// Materials, meshes, cameras and lights as the loader fills their records.
#include "loader_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "chunk_helpers.h"

using tds::Chunk;

namespace {

Chunk colorChunk(uint16_t id, std::vector<Chunk> values) {
    Chunk c(id);
    for (Chunk& v : values)
        c.add(std::move(v));
    return c;
}

Chunk mapChunk(const std::string& file) {
    Chunk map(0xA200);
    map.add(0x0030).u16(100);
    map.add(text(0xA300, file));
    return map;
}

Chunk materialBlock(const std::string& name, std::vector<Chunk> rest = {}) {
    Chunk block(0xAFFF);
    block.add(text(0xA000, name));
    for (Chunk& c : rest)
        block.add(std::move(c));
    return block;
}

tds::MeshDesc triangle(const std::string& name, const std::string& material = "", bool coords = false) {
    tds::MeshDesc m;
    m.name = name;
    m.vertices = {{{0, 0, 0}}, {{1, 0, 0}}, {{0, 1, 0}}};
    m.faces = {{{0, 1, 2}}};
    if (coords)
        m.texCoords = {{{0, 0}}, {{1, 0}}, {{0, 1}}};
    m.material = material;
    return m;
}

bool vecEq(const Vector3& v, float x, float y, float z) {
    return v.x == x && v.y == y && v.z == z;
}

} // namespace

TEST_F(LoaderTest, MaterialColoursNamesAndMaps) {
    Chunk first = materialBlock(
        "First", {colorChunk(0xA010, {color24(0x0011, 200, 100, 0)}),
                  colorChunk(0xA020, {color24(0x0011, 255, 0, 0), color24(0x0012, 128, 0, 0)}),
                  colorChunk(0xA030, {Chunk(0x0010).f32(1.0f).f32(0.5f).f32(0.0f)}), mapChunk("BRICK.JPG")});
    // The texture map stands before the colours; the colours are read all the same.
    Chunk second =
        materialBlock("Second", {mapChunk("Tex2.TGA"), colorChunk(0xA010, {color24(0x0011, 1, 2, 3)}),
                                 colorChunk(0xA020, {color24(0x0011, 255, 255, 255)}),
                                 colorChunk(0xA030, {Chunk(0x0013).f32(-1.0f).f32(0).f32(2.0f)})});
    Chunk third = materialBlock("Third"); // nothing but a name
    LoadResult r = loadBytes(editorFile({first, second, third}).bytes());
    ASSERT_EQ(r.fatal, "");
    ASSERT_EQ(r.loader->materialCount, 3);

    const Material& a = *r.loader->materials[0];
    EXPECT_STREQ(a.name, "First");
    EXPECT_TRUE(vecEq(a.ambient255, 200, 100, 0));
    EXPECT_TRUE(vecEq(a.ambient, 200 * (1.0f / 255.0f), 100 * (1.0f / 255.0f), 0));
    EXPECT_FLOAT_EQ(a.ambient.x, 0.78431380f);
    EXPECT_TRUE(vecEq(a.diffuse255, 128, 0, 0));
    EXPECT_TRUE(vecEq(a.specular255, 1.0f, 0.5f, 0.0f));
    EXPECT_EQ(a.specular.x, 0.003921569f);
    EXPECT_STREQ(a.mapFile, "brick.jpg");

    const Material& b = *r.loader->materials[1];
    EXPECT_STREQ(b.name, "Second");
    EXPECT_STREQ(b.mapFile, "tex2.tga");
    EXPECT_TRUE(vecEq(b.ambient255, 1, 2, 3));
    EXPECT_TRUE(vecEq(b.diffuse, 1.0f, 1.0f, 1.0f)); // 255 gives exactly 1
    EXPECT_TRUE(vecEq(b.specular255, -1.0f, 0.0f, 2.0f));
    EXPECT_TRUE(vecEq(b.specular, 0.0f, 0.0f, 2.0f * (1.0f / 255.0f)));

    const Material& c = *r.loader->materials[2];
    EXPECT_STREQ(c.mapFile, "No Name");
    EXPECT_TRUE(vecEq(c.diffuse255, 0, 0, 0));

    EXPECT_NE(r.log.find("Material file name: brick.jpg "), std::string::npos);
    EXPECT_NE(r.log.find("--------------------------\n# Found Material!\n[#] Material Name: Third\n"),
              std::string::npos);
}

TEST_F(LoaderTest, OnlyTheTextureMapsFileNameIsTaken) {
    // An opacity map (0xA210) after the texture map carries its own file name.
    Chunk opacity(0xA210);
    opacity.add(text(0xA300, "opacity.tga"));
    Chunk block = materialBlock("M", {mapChunk("diffuse.tga"), opacity});
    LoadResult r = loadBytes(editorFile({block}).bytes());
    EXPECT_STREQ(r.loader->materials[0]->mapFile, "diffuse.tga");
    EXPECT_EQ(r.log.find("opacity"), std::string::npos);
}

TEST_F(LoaderTest, TexturedObjectsBindTheirMaterialOthersStaySmooth) {
    Chunk wood = materialBlock("Wood", {mapChunk("wood.tga")});
    tds::MeshDesc a = triangle("A", "Wood", true);
    tds::MeshDesc b = triangle("B", "Wood", true);
    tds::MeshDesc plain = triangle("Plain", "Wood", false);
    tds::MeshDesc missing = triangle("Missing", "Stone", true);
    tds::MeshDesc none = triangle("None", "", true);
    LoadResult r = loadBytes(
        editorFile({wood, tds::meshObjectChunk(a), tds::meshObjectChunk(b), tds::meshObjectChunk(plain),
                    tds::meshObjectChunk(missing), tds::meshObjectChunk(none)})
            .bytes());
    ASSERT_EQ(r.fatal, "");
    ASSERT_EQ(r.scene->objectCount, 5);
    Material* woodRecord = r.loader->materials[0];
    // Two objects with the same material share its record.
    EXPECT_EQ(r.scene->objects[0]->material, woodRecord);
    EXPECT_EQ(r.scene->objects[1]->material, woodRecord);
    EXPECT_EQ(r.scene->objects[0]->renderMode, RENDER_TEXTURED);
    // Without coordinates: smooth, with its own face-material record.
    const MeshObject& p = *r.scene->objects[2];
    EXPECT_EQ(p.renderMode, RENDER_SMOOTH);
    ASSERT_NE(p.material, nullptr);
    EXPECT_NE(p.material, woodRecord);
    EXPECT_STREQ(p.material->name, "Wood");
    EXPECT_STREQ(p.material->mapFile, "No Name");
    // A material no earlier block defines: untextured, the log says which.
    const MeshObject& m = *r.scene->objects[3];
    EXPECT_EQ(m.renderMode, RENDER_SMOOTH);
    EXPECT_STREQ(m.material->name, "Stone");
    EXPECT_NE(
        r.log.find("Bind current texture to object\n[!] Material 'Stone' not found, object Missing left "
                   "untextured\n Insert object to linked list \n"),
        std::string::npos);
    // No material group at all.
    EXPECT_EQ(r.scene->objects[4]->renderMode, RENDER_SMOOTH);
    EXPECT_EQ(r.scene->objects[4]->material, nullptr);
    EXPECT_NE(r.log.find("[!] Material '' not found, object None left untextured\n"), std::string::npos);
}

TEST_F(LoaderTest, AMaterialDefinedAfterTheObjectIsNotFound) {
    tds::MeshDesc a = triangle("A", "Late", true);
    LoadResult r =
        loadBytes(editorFile({tds::meshObjectChunk(a), materialBlock("Late", {mapChunk("x.tga")})}).bytes());
    EXPECT_EQ(r.scene->objects[0]->renderMode, RENDER_SMOOTH);
    EXPECT_NE(r.log.find("Material 'Late' not found"), std::string::npos);
}

TEST_F(LoaderTest, AMaterialWithoutTextureMapLeavesTheObjectUntextured) {
    tds::MeshDesc a = triangle("A", "Flat", true);
    LoadResult r = loadBytes(editorFile({materialBlock("Flat"), tds::meshObjectChunk(a)}).bytes(), true);
    ASSERT_EQ(r.fatal, ""); // no texture is asked for
    EXPECT_EQ(r.scene->objects[0]->renderMode, RENDER_SMOOTH);
    EXPECT_EQ(r.scene->objects[0]->material, r.loader->materials[0]);
    EXPECT_NE(r.log.find("[!] Material 'Flat' has no texture map, object A left untextured\n"),
              std::string::npos);
}

TEST_F(LoaderTest, TexturesAreLoadedPerObjectThroughTheTextureLoader) {
    // An image format the texture loader refuses ends the load: the texture was asked for.
    Chunk block = materialBlock("M", {mapChunk("picture.bmp")});
    tds::MeshDesc a = triangle("A", "M", true);
    std::vector<uint8_t> bytes = editorFile({block, tds::meshObjectChunk(a)}).bytes();
    LoadResult on = loadBytes(bytes, true);
    EXPECT_EQ(on.fatal, "fileformat not supported");
    EXPECT_NE(on.log.find("Bind current texture to object\n"), std::string::npos);
    // With textures off the same file loads, textured, with texture 0.
    LoadResult off = loadBytes(bytes, false);
    EXPECT_EQ(off.fatal, "");
    EXPECT_EQ(off.scene->objects[0]->renderMode, RENDER_TEXTURED);
    EXPECT_EQ(off.scene->objects[0]->texture, 0u);
}

TEST_F(LoaderTest, MeshListsAndMaterialGroups) {
    tds::MeshDesc m = triangle("Mesh");
    Chunk object = tds::meshObjectChunk(m);
    // Two material groups: the second names the object's material.
    Chunk& faceList = object.children[0].children.back();
    ASSERT_EQ(faceList.id, 0x4120);
    faceList.add(text(0x4130, "GroupA"));
    faceList.add(text(0x4130, "GroupB"));
    object.children[0].add(Chunk(0x4165)).u8(3);
    object.children[0].add(Chunk(0x4170)).u32(0);
    LoadResult r = loadBytes(editorFile({object}).bytes());
    ASSERT_EQ(r.fatal, "");
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_STREQ(o.name, "Mesh");
    ASSERT_EQ(o.vertexCount, 3);
    EXPECT_TRUE(vecEq(o.vertices[1], 1, 0, 0));
    ASSERT_EQ(o.faceCount, 1);
    EXPECT_EQ(o.faces[0].a, 0);
    EXPECT_EQ(o.faces[0].c, 2);
    EXPECT_TRUE(vecEq(o.faces[0].normal, 0, 0, -1));
    EXPECT_TRUE(vecEq(o.vertexNormals[2], 0, 0, -1));
    EXPECT_STREQ(o.material->name, "GroupB");
    EXPECT_FALSE(o.hasTexCoords);
    EXPECT_EQ(o.renderMode, RENDER_SMOOTH);
    EXPECT_NE(r.log.find("[#] Material Name: GroupA\n[#] Material Name: GroupB\n[#] Done Face list\n"),
              std::string::npos);
    EXPECT_NE(r.log.find("          - Mesh color    : "), std::string::npos);
    EXPECT_NE(r.log.find("          - Texture info  : "), std::string::npos);
    // The file's mesh matrix is not loaded.
    Matrix4 identity;
    EXPECT_EQ(std::memcmp(o.matrix.m, identity.m, sizeof identity.m), 0);
}

TEST_F(LoaderTest, CountsAndIndicesAreUnsigned16Bit) {
    // 40000 vertices: read as signed the count would be negative and the mesh lost.
    tds::MeshDesc m;
    m.name = "Big";
    for (int i = 0; i < 40000; ++i)
        m.vertices.push_back({{float(i % 200), float(i / 200), 0}});
    m.faces = {{{39999, 39998, 39799}}, {{0, 1, 200}}};
    LoadResult r = loadBytes(editorFile({tds::meshObjectChunk(m)}).bytes());
    ASSERT_EQ(r.fatal, "");
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_EQ(o.vertexCount, 40000);
    EXPECT_EQ(o.faces[0].a, 39999);
    EXPECT_EQ(o.vertices[39999].y, 199.0f);
    EXPECT_TRUE(vecEq(o.faces[0].normal, 0, 0, -1));
    EXPECT_TRUE(vecEq(o.vertexNormals[39999], 0, 0, -1));
    EXPECT_NE(r.log.find("[-] Found 40000 vertices\n"), std::string::npos);
}

TEST_F(LoaderTest, FacesOutsideTheVertexListAreSkipped) {
    tds::MeshDesc m = triangle("M");
    m.faces = {{{0, 1, 2}}, {{0, 1, 3}}, {{65535, 1, 2}}};
    LoadResult r = loadBytes(editorFile({tds::meshObjectChunk(m)}).bytes());
    const MeshObject& o = *r.scene->objects[0];
    ASSERT_EQ(o.faceCount, 3);
    EXPECT_EQ(o.faces[2].a, 65535);
    EXPECT_TRUE(vecEq(o.faces[1].normal, 0, 0, 0));
    EXPECT_TRUE(vecEq(o.faces[2].normal, 0, 0, 0));
    EXPECT_TRUE(vecEq(o.vertexNormals[0], 0, 0, -1)); // only the good face counts
}

TEST_F(LoaderTest, MissingTextureCoordinatesReadAsZero) {
    tds::MeshDesc m = triangle("M", "", true);
    m.texCoords = {{{0.5f, 0.25f}}}; // one coordinate for three vertices
    LoadResult r = loadBytes(editorFile({tds::meshObjectChunk(m)}).bytes());
    const MeshObject& o = *r.scene->objects[0];
    EXPECT_TRUE(o.hasTexCoords);
    EXPECT_EQ(o.texCoordCount, 1);
    EXPECT_EQ(o.texCoords[0].u, 0.5f);
    EXPECT_EQ(o.texCoords[2].u, 0.0f);
    EXPECT_EQ(o.texCoords[2].v, 0.0f);
    // Without a coordinate list every vertex still has (0, 0).
    LoadResult plain = loadBytes(editorFile({tds::meshObjectChunk(triangle("P"))}).bytes());
    const MeshObject& p = *plain.scene->objects[0];
    EXPECT_EQ(p.texCoordCount, 0);
    ASSERT_NE(p.texCoords, nullptr);
    EXPECT_EQ(p.texCoords[2].v, 0.0f);
}

TEST_F(LoaderTest, CamerasTakeTheirFieldOfViewFromTheLens) {
    tds::CameraDesc a;
    a.name = "A";
    a.position = {{1, 2, 3}};
    a.target = {{4, 5, 6}};
    a.lens = 50;
    tds::CameraDesc b = a;
    b.lens = 35;
    tds::CameraDesc zero = a;
    zero.lens = 0;
    Chunk withIds = tds::cameraObjectChunk(a);
    withIds.children[0].add(Chunk(0x8000)).u8(0);
    LoadResult r =
        loadBytes(editorFile({withIds, tds::cameraObjectChunk(b), tds::cameraObjectChunk(zero)}).bytes());
    ASSERT_EQ(r.scene->cameraCount, 3);
    EXPECT_TRUE(vecEq(r.scene->cameras[0]->position, 1, 2, 3));
    EXPECT_TRUE(vecEq(r.scene->cameras[0]->target, 4, 5, 6));
    EXPECT_EQ(r.scene->cameras[0]->fov, 48.0f);
    EXPECT_EQ(r.scene->cameras[1]->fov, 68.571426f);
    EXPECT_TRUE(std::isinf(r.scene->cameras[2]->fov));
    // Sub-chunk ids go to standard output, 0x8000 and above as a negative 16-bit value.
    EXPECT_EQ(r.out, "[#] Camera chunk: 4720\n[#] Camera chunk: ffff8000\n"
                     "[#] Camera chunk: 4720\n[#] Camera chunk: 4720\n");
    EXPECT_EQ(r.log.find("Camera chunk"), std::string::npos);
}

TEST_F(LoaderTest, SpotValuesFollowTheLightColourOmniLightsKeepZeros) {
    tds::LightDesc spot;
    spot.name = "Spot";
    spot.position = {{1, 1, 1}};
    spot.spot = true;
    spot.spotTarget = {{0, 0, -1}};
    spot.hotspot = 25;
    spot.falloff = 45;
    tds::LightDesc omni;
    omni.name = "Omni";
    omni.position = {{-1, 0, 0}};
    LoadResult r = loadBytes(editorFile({tds::lightObjectChunk(spot), tds::lightObjectChunk(omni)}).bytes());
    ASSERT_EQ(r.scene->lightCount, 2);
    const SceneLight& s = *r.scene->lights[0];
    EXPECT_TRUE(vecEq(s.spotTarget, 0, 0, -1));
    EXPECT_EQ(s.hotspot, 25.0f);
    EXPECT_EQ(s.falloff, 45.0f);
    const SceneLight& o = *r.scene->lights[1];
    EXPECT_TRUE(vecEq(o.position, -1, 0, 0));
    EXPECT_TRUE(vecEq(o.spotTarget, 0, 0, 0));
    EXPECT_EQ(o.hotspot, 0.0f);
    EXPECT_EQ(r.out, "[#] Camera chunk: 4610\n"); // the colour chunks write nothing
}

TEST_F(LoaderTest, ChunksAfterACameraAreWalkedByBothLoops) {
    // A sub-chunk of the named object after the camera chunk: the camera loop passes
    // over it (one line), then the named-object walk meets it again as a sibling.
    tds::CameraDesc a;
    a.name = "A";
    Chunk object = tds::cameraObjectChunk(a);
    object.add(Chunk(0x4710)).u32(0);
    object.add(Chunk(0x4700)).vec(1, 1, 1).vec(0, 0, 0).f32(0).f32(24);
    LoadResult r = loadBytes(editorFile({object}).bytes());
    ASSERT_EQ(r.scene->cameraCount, 2);
    EXPECT_EQ(r.scene->cameras[1]->fov, 100.0f);
    EXPECT_EQ(r.out, "[#] Camera chunk: 4720\n[#] Camera chunk: 4710\n[#] Camera chunk: 4700\n");
}
