// The converter end to end: models the tests write (glTF, OBJ) become scene files
// that our loader and assimp read back.
#include "convert.h"
#include "gltf_builder.h"
#include "scene_requirements.h"

#include "app/png_writer.h"
#include "scene/scene_loader.h"
#include "support/test_support.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

namespace {

struct Converted {
    int code = 0;
    std::string error;
    std::string report;
    std::unique_ptr<SceneLoader> loader;
    std::unique_ptr<Scene> scene;
};

Converted convertFile(const std::string& input, const std::string& output, int part = 2) {
    convert::ConvertOptions options;
    options.input = input;
    options.output = output;
    options.part = part;
    convert::Report report;
    Converted result;
    result.code = convert::convertModel(options, report, result.error);
    result.report = report.text();
    if (result.code == 0) {
        result.loader = std::make_unique<SceneLoader>();
        result.loader->loadTextures = false;
        result.scene.reset(result.loader->load(output.c_str()));
    }
    return result;
}

// A cube with the camera flying x 0 -> 4 in 2 s, then z 10 -> 6 by 4 s (glTF, Y up).
GltfScene flight() {
    GltfScene s;
    s.meshes = {gridCube("Box", 1)};
    s.camera = true;
    s.keyTimes = {0, 2, 4};
    s.keyTranslations = {{{0, 1, 10}}, {{4, 1, 10}}, {{4, 1, 6}}};
    return s;
}

// The source flight sampled here on its own: linear, then turned Z up.
std::array<float, 3> expectedEye(double t) {
    double x = t < 2 ? 2 * t : 4, z = t < 2 ? 10 : 10 - 2 * (t - 2);
    return {{static_cast<float>(x), static_cast<float>(-z), 1.0f}};
}

TEST(Convert, CameraFlightBakedAtFiftyKeysASecondTwiceInPartOne) {
    writeText("flight.gltf", flight().json());
    for (int part : {2, 1}) {
        Converted c = convertFile("flight.gltf", "flight.3ds", part);
        ASSERT_EQ(c.code, 0) << c.error;
        const SceneCamera& camera = *c.scene->cameras[0];
        double perSecond = part == 1 ? 100 : 50;
        ASSERT_EQ(camera.positionKeyCount, static_cast<int32_t>(4 * perSecond + 1));
        for (int k = 0; k < camera.positionKeyCount; k += 7) {
            std::array<float, 3> e = expectedEye(k / perSecond);
            EXPECT_NEAR(camera.positionKeys[k].position.x, e[0], 1e-4) << k;
            EXPECT_NEAR(camera.positionKeys[k].position.y, e[1], 1e-4) << k;
            EXPECT_NEAR(camera.positionKeys[k].position.z, e[2], 1e-4) << k;
        }
        EXPECT_NEAR(camera.fov, 0.8 * 180 / M_PI, 0.5);
        std::vector<std::string> lines;
        EXPECT_TRUE(checkScene(*c.scene, part, lines, false)) << c.report;
    }
    Assimp::Importer importer;
    const aiScene* back = importer.ReadFile("flight.3ds", 0);
    ASSERT_TRUE(back) << importer.GetErrorString();
    EXPECT_EQ(back->mNumCameras, 1u);
    EXPECT_GE(back->mNumMeshes, 1u);
}

TEST(Convert, BaseColourTextureWrittenAsPowerOfTwoTgaBeside) {
    std::vector<unsigned char> rgb(100 * 60 * 3, 200);
    std::string error;
    ASSERT_TRUE(writePng("paint.png", 100, 60, rgb.data(), error)) << error;
    GltfScene s = flight();
    s.textureUri = "paint.png";
    writeText("textured.gltf", s.json());
    std::filesystem::create_directories("out");
    Converted c = convertFile("textured.gltf", "out/textured.3ds");
    ASSERT_EQ(c.code, 0) << c.error;
    const Material& m = *c.scene->objects[0]->material;
    std::string tga = readFileText("out/" + std::string(m.mapFile));
    ASSERT_GT(tga.size(), 18u) << m.mapFile;
    EXPECT_EQ(tga[2], 2);
    EXPECT_EQ((uint8_t)tga[12] | (uint8_t)tga[13] << 8, 64);
    EXPECT_EQ((uint8_t)tga[14] | (uint8_t)tga[15] << 8, 32);
    EXPECT_TRUE(c.scene->objects[0]->hasTexCoords);
}

TEST(Convert, MeshTooBigForOneObjectIsSplitWithoutLosingFaces) {
    GltfMesh big = gridCube("Big", 110); // 72 600 quads, 73 926 vertices
    std::string obj;
    for (const auto& p : big.positions)
        obj += "v " + std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]) + "\n";
    for (size_t i = 0; i < big.indices.size(); i += 3)
        obj += "f " + std::to_string(big.indices[i] + 1) + " " + std::to_string(big.indices[i + 1] + 1) +
               " " + std::to_string(big.indices[i + 2] + 1) + "\n";
    writeText("big.obj", obj);
    Converted c = convertFile("big.obj", "big.3ds");
    ASSERT_EQ(c.code, 0) << c.error;
    int64_t faces = 0;
    for (int32_t i = 0; i < c.scene->objectCount; ++i) {
        EXPECT_LE(c.scene->objects[i]->vertexCount, 65535);
        faces += c.scene->objects[i]->faceCount;
    }
    EXPECT_GE(c.scene->objectCount, 3);
    EXPECT_EQ(faces, static_cast<int64_t>(big.indices.size() / 3));
    EXPECT_NE(c.report.find("camera 0: none in the input"), std::string::npos);
}

TEST(Convert, LightAndSkinReportedPlaceholdersFillPartSix) {
    GltfScene s;
    s.meshes = {gridCube("Body", 1)};
    s.meshes[0].skinned = true;
    s.light = true;
    writeText("rigged.gltf", s.json());
    Converted c = convertFile("rigged.gltf", "rigged.3ds", 6);
    ASSERT_EQ(c.code, 0) << c.error;
    EXPECT_NE(c.report.find("not carried over: light \"Lamp\""), std::string::npos) << c.report;
    EXPECT_NE(c.report.find("not carried over: the skin of mesh"), std::string::npos) << c.report;
    EXPECT_EQ(c.scene->objectCount, 13);
    EXPECT_NE(c.report.find("object 12 \"Empty12\": empty placeholder"), std::string::npos) << c.report;
    std::vector<std::string> lines;
    EXPECT_TRUE(checkScene(*c.scene, 6, lines, false)) << ::testing::PrintToString(lines);
}

TEST(Convert, UnreadableInputOrOutputFailsWithoutLeavingFiles) {
    writeText("junk.gltf", "{ not json");
    Converted bad = convertFile("junk.gltf", "junk.3ds");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.error.find("can't read junk.gltf"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("junk.3ds"));

    writeText("flight2.gltf", flight().json());
    Converted unwritable = convertFile("flight2.gltf", "missing/dir/out.3ds");
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.error.find("can't write"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("missing"));
}

} // namespace
