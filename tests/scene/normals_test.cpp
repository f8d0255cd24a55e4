// Face and vertex normals.
#include "normals_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

MeshObject mesh(std::vector<Vector3> vertices, std::vector<std::array<int32_t, 3>> faces) {
    MeshObject m;
    m.vertexCount = static_cast<int32_t>(vertices.size());
    m.vertices.reset(new Vector3[vertices.size()]);
    std::copy(vertices.begin(), vertices.end(), m.vertices.get());
    m.faceCount = static_cast<int32_t>(faces.size());
    m.faces.reset(new Face[faces.size()]);
    for (size_t j = 0; j < faces.size(); ++j) {
        m.faces[j].a = faces[j][0];
        m.faces[j].b = faces[j][1];
        m.faces[j].c = faces[j][2];
    }
    m.computeFaceNormals();
    m.computeVertexNormals();
    return m;
}

bool vecEq(const Vector3& v, float x, float y, float z) {
    return v.x == x && v.y == y && v.z == z;
}
bool isNan(const Vector3& v) {
    return std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z);
}

} // namespace

TEST(Normals, OneTriangleFacesAwayFromItsClockwiseSide) {
    MeshObject m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    EXPECT_TRUE(vecEq(m.faces[0].normal, 0, 0, -1));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(vecEq(m.vertexNormals[i], 0, 0, -1));
}

TEST(Normals, SharedVerticesAverageTheirFaces) {
    // Normals (0, 0, 1) and (0, 1, 0), sharing the edge from vertex 0 to vertex 1.
    MeshObject m = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 2, 1}, {0, 1, 3}});
    EXPECT_TRUE(vecEq(m.faces[0].normal, 0, 0, 1));
    EXPECT_TRUE(vecEq(m.faces[1].normal, 0, 1, 0));
    EXPECT_FLOAT_EQ(m.vertexNormals[0].y, 0.70710678f);
    EXPECT_FLOAT_EQ(m.vertexNormals[1].z, 0.70710678f);
    EXPECT_EQ(m.vertexNormals[0].x, 0.0f);
    EXPECT_TRUE(vecEq(m.vertexNormals[2], 0, 0, 1));
    EXPECT_TRUE(vecEq(m.vertexNormals[3], 0, 1, 0));
}

TEST(Normals, AFaceCountsOncePerVertexAndDegenerateInputGivesNan) {
    // (3, 3, 5) is degenerate: its normal is NaN and so are its vertices'.
    MeshObject repeated =
        mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}, {5, 5, 5}, {3, 0, 0}}, {{0, 1, 2}, {3, 3, 5}});
    EXPECT_TRUE(isNan(repeated.faces[1].normal));
    EXPECT_TRUE(isNan(repeated.vertexNormals[3]));
    EXPECT_TRUE(isNan(repeated.vertexNormals[4])); // used by no face
    // A vertex named twice by one face gets that face's normal once: still unit length.
    MeshObject twice = mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 0, 1}});
    EXPECT_TRUE(vecEq(twice.vertexNormals[2], 0, 0, -1));
    // Vertices without faces: every normal NaN.
    MeshObject lonely = mesh({{0, 0, 0}, {1, 1, 1}}, {});
    EXPECT_TRUE(isNan(lonely.vertexNormals[0]));
    EXPECT_TRUE(isNan(lonely.vertexNormals[1]));
    // Nothing at all.
    MeshObject empty = mesh({}, {});
    EXPECT_NE(empty.vertexNormals, nullptr);
}

TEST(Normals, LinearVertexNormalsAreBitIdenticalToTheReference) {
    std::mt19937 rng(20240607);
    for (int round = 0; round < 200; ++round) {
        int vertexCount = 1 + static_cast<int>(rng() % 60);
        int faceCount = static_cast<int>(rng() % 150);
        std::uniform_real_distribution<float> coord(-100.0f, 100.0f);
        std::vector<Vector3> vertices;
        for (int i = 0; i < vertexCount; ++i)
            vertices.push_back({coord(rng), coord(rng), coord(rng)});
        // Some coincident corners, repeated indices and indices outside the list.
        if (vertexCount > 2 && round % 3 == 0)
            vertices[1] = vertices[0];
        std::vector<std::array<int32_t, 3>> faces;
        for (int j = 0; j < faceCount; ++j) {
            std::array<int32_t, 3> f;
            for (int32_t& index : f)
                index = static_cast<int32_t>(rng() %
                                             static_cast<unsigned>(vertexCount + (round % 4 == 0 ? 2 : 0)));
            if (j % 7 == 0)
                f[2] = f[0];
            faces.push_back(f);
        }
        MeshObject m = mesh(vertices, faces);
        std::unique_ptr<Vector3[]> expected = referenceVertexNormals(m);
        ASSERT_EQ(std::memcmp(expected.get(), m.vertexNormals.get(), sizeof(Vector3) * vertexCount), 0)
            << "round " << round;
    }
}
