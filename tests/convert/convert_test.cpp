// The converter end to end: models the tests write (glTF, OBJ) become scene files
// that our loader and assimp read back.
#include "convert.h"
#include "gltf_builder.h"
#include "app/part_lens.h"
#include "app/timeline.h"
#include "scene_requirements.h"

#include "app/png_writer.h"
#include "scene/scene_loader.h"
#include "support/test_support.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
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

Converted convertFile(const std::string& input, const std::string& output, int part = 2,
                      const std::vector<convert::ConvertOptions::Role>& roles = {}) {
    convert::ConvertOptions options;
    options.roles = roles;
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
        ASSERT_EQ(camera.positionKeyCount, static_cast<int32_t>(4 * perSecond));
        for (int k = 0; k < camera.positionKeyCount; k += 7) {
            std::array<float, 3> e = expectedEye(k / perSecond);
            EXPECT_NEAR(camera.positionKeys[k].position.x, e[0], 1e-4) << k;
            EXPECT_NEAR(camera.positionKeys[k].position.y, e[1], 1e-4) << k;
            EXPECT_NEAR(camera.positionKeys[k].position.z, e[2], 1e-4) << k;
        }
        EXPECT_NEAR(camera.fov + partFovWidening(part), 0.8 * 180 / M_PI, 0.1);
        std::vector<std::string> lines;
        EXPECT_TRUE(checkScene(*c.scene, part, lines, false)) << c.report;
    }
    Assimp::Importer importer;
    const aiScene* back = importer.ReadFile("flight.3ds", 0);
    ASSERT_TRUE(back) << importer.GetErrorString();
    EXPECT_EQ(back->mNumCameras, 1u);
    EXPECT_GE(back->mNumMeshes, 1u);
}

// A camera that travels without turning, looking at an empty at the start: what a
// Track-To leaves in a format that keeps keys only. That empty is the target.
TEST(Convert, CameraTravellingWithoutTurningFollowsTheEmptyItLooksAt) {
    GltfScene s = flight();
    s.empties = {{"Aim", {{0, 1, 0}}}};
    writeText("aim.gltf", s.json());
    Converted c = convertFile("aim.gltf", "aim.3ds");
    ASSERT_EQ(c.code, 0) << c.error;
    const Vector3& target = c.scene->cameras[0]->target;
    EXPECT_NEAR(target.x, 0.0f, 1e-4) << c.report;
    EXPECT_NEAR(target.y, 0.0f, 1e-4);
    EXPECT_NEAR(target.z, 1.0f, 1e-4);
    EXPECT_NE(c.report.find("looks at \"Aim\" at the start"), std::string::npos) << c.report;
}

// The scene file's faces run the other way round from glTF's: the loader's normals of
// a converted cube point out of it, as the demo's light and sphere map expect.
TEST(Convert, FacesKeepTheirFrontsOutward) {
    writeText("front.gltf", flight().json());
    Converted c = convertFile("front.gltf", "front.3ds");
    ASSERT_EQ(c.code, 0) << c.error;
    const MeshObject& box = *c.scene->objects[0];
    for (int32_t f = 0; f < box.faceCount; ++f) {
        const Face& face = box.faces[f];
        Vector3 centre = box.vertices[face.a];
        centre.add(box.vertices[face.b]);
        centre.add(box.vertices[face.c]);
        EXPECT_GT(centre.dot(face.normal), 0.0f) << f;
    }
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
    Converted unwritable = convertFile("flight2.gltf", "flight2.gltf/dir/out.3ds");
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.error.find("can't write"), std::string::npos);
    // A folder that isn't there yet is made.
    EXPECT_EQ(convertFile("flight2.gltf", "new/dir/out.3ds").code, 0);
    EXPECT_TRUE(std::filesystem::exists("new/dir/out.3ds"));
}

using V3 = std::array<double, 3>;

V3 minus(V3 a, V3 b) {
    return {{a[0] - b[0], a[1] - b[1], a[2] - b[2]}};
}
V3 unit(V3 a) {
    double n = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    return {{a[0] / n, a[1] / n, a[2] / n}};
}
V3 cross(V3 a, V3 b) {
    return {{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}};
}

// The glTF rotation (x, y, z, w) of a camera at `eye` looking at `at`, Y up; a glTF
// camera looks down its -Z.
std::array<float, 4> lookAt(V3 eye, V3 at) {
    V3 z = unit(minus(eye, at)), x = unit(cross({{0, 1, 0}}, z)), y = cross(z, x);
    double m[3][3] = {{x[0], y[0], z[0]}, {x[1], y[1], z[1]}, {x[2], y[2], z[2]}};
    double w = std::sqrt(std::max(0.0, 1 + m[0][0] + m[1][1] + m[2][2])) / 2;
    return {{static_cast<float>((m[2][1] - m[1][2]) / (4 * w)),
             static_cast<float>((m[0][2] - m[2][0]) / (4 * w)),
             static_cast<float>((m[1][0] - m[0][1]) / (4 * w)), static_cast<float>(w)}};
}

// A camera that circles and turns to keep a point in view (a look-at set-up, baked
// to keys by the exporter), frames 1 to 193 at 24 frames a second: 8 s that start
// at 1/24 s. Its lens: 35 mm on a 36 mm wide sensor, 4:3 (42 degrees high).
TEST(Convert, LookAtCameraKeepsItsTargetItsFramingAndEightSecondsAreFourHundredKeys) {
    GltfScene s;
    s.meshes = {gridCube("Box", 1)};
    s.camera = true;
    s.aspectRatio = 4.0f / 3;
    s.yfov = static_cast<float>(2 * std::atan(18.0 / 35 / s.aspectRatio));
    const V3 at{{1, 0.5, -0.5}};
    auto eye = [](double t) { return V3{{6 * std::cos(t / 8), 2 + t / 8, 6 * std::sin(t / 8)}}; };
    for (int frame = 1; frame <= 193; frame += 8) {
        double t = (frame - 1) / 24.0;
        s.keyTimes.push_back(static_cast<float>(frame / 24.0));
        V3 e = eye(t);
        s.keyTranslations.push_back(
            {{static_cast<float>(e[0]), static_cast<float>(e[1]), static_cast<float>(e[2])}});
        s.keyRotations.push_back(lookAt(e, at));
    }
    writeText("lookat.gltf", s.json());
    Converted c = convertFile("lookat.gltf", "lookat.3ds", 2);
    ASSERT_EQ(c.code, 0) << c.error;
    const SceneCamera& camera = *c.scene->cameras[0];
    EXPECT_EQ(camera.positionKeyCount, 400);
    V3 first = eye(0);
    EXPECT_NEAR(camera.positionKeys[0].position.x, first[0], 1e-3);
    EXPECT_NEAR(camera.positionKeys[0].position.y, -first[2], 1e-3);
    EXPECT_NEAR(camera.target.x, at[0], 0.02) << c.report;
    EXPECT_NEAR(camera.target.y, -at[2], 0.02) << c.report;
    EXPECT_NEAR(camera.target.z, at[1], 0.02) << c.report;
    EXPECT_NEAR(camera.fov + partFovWidening(2), s.yfov * 180 / M_PI, 0.5) << c.report;
    EXPECT_EQ(c.report.find("warning: camera 0: the source camera's aim moves"), std::string::npos)
        << c.report;
}

// A TGA of 3 x 5 texels, every one the same colour, rows bottom first.
std::vector<uint8_t> oddTga(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> t(18, 0);
    t[2] = 2, t[12] = 3, t[14] = 5, t[16] = 24;
    for (int i = 0; i < 15; ++i)
        t.insert(t.end(), {b, g, r});
    return t;
}

TEST(Convert, TexturePathFromAnotherMachineIsFoundBesideTheModelAndDroppedMapsAreSaid) {
    std::filesystem::create_directories("art");
    std::vector<uint8_t> tga = oddTga(10, 200, 30);
    writeText("art/paint.tga", std::string(tga.begin(), tga.end()));
    writeText("art/quad.mtl", "newmtl Paint\nKd 1 1 1\nmap_Kd C:\\Users\\Art\\Maps\\PAINT.TGA\n"
                              "map_Bump C:\\Users\\Art\\Maps\\bumps.png\n");
    writeText("art/quad.obj", "mtllib quad.mtl\no Quad\nv 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\n"
                              "usemtl Paint\nf 1/1 2/2 3/3\n");
    Converted c = convertFile("art/quad.obj", "quad.3ds", 1);
    ASSERT_EQ(c.code, 0) << c.error;
    EXPECT_NE(c.report.find("read from \"paint.tga\" beside the model"), std::string::npos) << c.report;
    EXPECT_NE(c.report.find("not carried over: texture \"C:\\Users\\Art\\Maps\\bumps.png\""),
              std::string::npos)
        << c.report;
    std::string written = readFileText(c.scene->objects[0]->material->mapFile);
    ASSERT_EQ(written.size(), 18u + 2 * 4 * 3) << c.report;
    EXPECT_EQ(static_cast<uint8_t>(written[18 + 1]), 200); // green, kept by the resize
}

std::string colladaCube(const std::string& name, double side, V3 at) {
    GltfMesh cube = gridCube(name, 1);
    std::string floats, indices;
    for (const auto& p : cube.positions)
        for (float v : p)
            floats += std::to_string(v * side) + " ";
    for (uint32_t i : cube.indices)
        indices += std::to_string(i) + " ";
    std::string id = name + "-mesh";
    return "<geometry id=\"" + id + "\" name=\"" + name + "\"><mesh><source id=\"" + id +
           "-p\"><float_array id=\"" + id + "-a\" count=\"" + std::to_string(cube.positions.size() * 3) +
           "\">" + floats + "</float_array><technique_common><accessor source=\"#" + id + "-a\" count=\"" +
           std::to_string(cube.positions.size()) +
           "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param "
           "name=\"Z\" type=\"float\"/></accessor></technique_common></source><vertices id=\"" +
           id + "-v\"><input semantic=\"POSITION\" source=\"#" + id + "-p\"/></vertices><triangles count=\"" +
           std::to_string(cube.indices.size() / 3) + "\"><input semantic=\"VERTEX\" source=\"#" + id +
           "-v\" offset=\"0\"/><p>" + indices + "</p></triangles></mesh></geometry>|<node id=\"" + name +
           "\" name=\"" + name + "\"><translate>" + std::to_string(at[0] * side) + " " +
           std::to_string(at[1] * side) + " " + std::to_string(at[2] * side) +
           "</translate><instance_geometry url=\"#" + id + "\"/></node>";
}

// Two boxes written in centimetres by one format and in metres by the other, listed
// in opposite orders: the same sizes and the same objects for the part either way.
TEST(Convert, SameSceneFromEveryFormatKeepsItsSizeAndItsRoles) {
    GltfScene g;
    g.meshes = {gridCube("Zed", 1), gridCube("Alpha", 1)};
    for (auto& p : g.meshes[0].positions)
        p = {{p[0] * 2, p[1] * 2, p[2] * 2}};
    g.meshes[0].translation = {{3, 0, 0}};
    writeText("pair.gltf", g.json());
    std::string alpha = colladaCube("Alpha", 100, {{0, 0, 0}}), zed = colladaCube("Zed", 200, {{1.5, 0, 0}});
    auto part = [](const std::string& both, int which) {
        size_t bar = both.find('|');
        return which == 0 ? both.substr(0, bar) : both.substr(bar + 1);
    };
    writeText("pair.dae",
              "<?xml version=\"1.0\"?><COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" "
              "version=\"1.4.1\"><asset><unit name=\"centimeter\" meter=\"0.01\"/><up_axis>Y_UP"
              "</up_axis></asset><library_geometries>" +
                  part(alpha, 0) + part(zed, 0) +
                  "</library_geometries><library_visual_scenes><visual_scene id=\"S\">" + part(alpha, 1) +
                  part(zed, 1) +
                  "</visual_scene></library_visual_scenes><scene><instance_visual_scene url=\"#S\"/>"
                  "</scene></COLLADA>");
    Converted fromGltf = convertFile("pair.gltf", "pair_g.3ds", 2);
    Converted fromCollada = convertFile("pair.dae", "pair_c.3ds", 2);
    ASSERT_EQ(fromGltf.code, 0) << fromGltf.error;
    ASSERT_EQ(fromCollada.code, 0) << fromCollada.error;
    for (const Converted* c : {&fromGltf, &fromCollada}) {
        EXPECT_STREQ(c->scene->objects[0]->name, "Alpha") << c->report;
        EXPECT_STREQ(c->scene->objects[1]->name, "Zed");
        EXPECT_NE(
            c->report.find("object 1: the chrome, sphere-mapped, glowing (added onto the picture) object <- "
                           "\"Zed\""),
            std::string::npos)
            << c->report;
        float maxX = -1e9f;
        const MeshObject& z = *c->scene->objects[1];
        for (int32_t i = 0; i < z.vertexCount; ++i)
            maxX = std::max(maxX, z.vertices[i].x);
        EXPECT_NEAR(maxX, 4.0f, 1e-3) << c->report;
    }
    // FBX says its unit in centimetres: a triangle 200 units wide is 2 m.
    writeText("tri.fbx",
              "; FBX 7.4.0 project file\nFBXHeaderExtension: {\nFBXVersion: 7400\n}\n"
              "GlobalSettings: {\nProperties70: {\nP: \"UnitScaleFactor\", \"double\", \"Number\", "
              "\"\",1\n}\n}\nObjects: {\nGeometry: 100, \"Geometry::Tri\", \"Mesh\" {\nVertices: *9 {\n"
              "a: 0,0,0,200,0,0,0,200,0\n}\nPolygonVertexIndex: *3 {\na: 0,1,-3\n}\n}\n"
              "Model: 200, \"Model::Tri\", \"Mesh\" {\nVersion: 232\n}\n}\n"
              "Connections: {\nC: \"OO\",100,200\nC: \"OO\",200,0\n}\n");
    Converted fbx = convertFile("tri.fbx", "tri.3ds", 1);
    ASSERT_EQ(fbx.code, 0) << fbx.error;
    const MeshObject& tri = *fbx.scene->objects[0];
    EXPECT_NEAR(std::max({tri.vertices[0].x, tri.vertices[1].x, tri.vertices[2].x}), 2.0f, 1e-4)
        << fbx.report;
    Converted chosen = convertFile("pair.gltf", "pair_r.3ds", 2, {{1, "Alpha"}});
    ASSERT_EQ(chosen.code, 0) << chosen.error;
    EXPECT_STREQ(chosen.scene->objects[1]->name, "Alpha");
}

// The demo's own scenes through the converter: the same camera, target, lens and
// objects, so that they play the same frames.
TEST(Convert, ShippedScenesComeBackAsTheyPlay) {
    for (int part : {2, 3}) {
        std::string name = "scene" + std::to_string(part) + ".3ds";
        Converted c = convertFile(sourceDir() + "/data/" + name, "again/" + name, part);
        ASSERT_EQ(c.code, 0) << c.error;
        SceneLoader loader;
        loader.loadTextures = false;
        std::unique_ptr<Scene> shipped(loader.load((sourceDir() + "/data/" + name).c_str()));
        const SceneCamera &was = *shipped->cameras[0], &is = *c.scene->cameras[0];
        EXPECT_EQ(is.positionKeyCount, was.positionKeyCount) << name;
        EXPECT_NEAR(is.fov, was.fov, 1e-3) << name;
        for (int k : {0, 1, 2}) {
            EXPECT_NEAR(is.positionKeys[k].position.x, was.positionKeys[k].position.x, 1e-3) << name;
            EXPECT_NEAR(is.positionKeys[k].position.z, was.positionKeys[k].position.z, 1e-3) << name;
        }
        EXPECT_NEAR(is.target.z, was.target.z, 1e-3) << name;
        EXPECT_NEAR(c.scene->objects[0]->faces[0].normal.z, shipped->objects[0]->faces[0].normal.z, 1e-3)
            << name;
        for (int32_t i = 0; i < requiredObjectCount(part); ++i)
            EXPECT_STREQ(c.scene->objects[i]->name, shipped->objects[i]->name) << name;
    }
}

} // namespace
