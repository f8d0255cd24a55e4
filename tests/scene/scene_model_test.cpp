// The scene model: lists, report, name, and the view (projection, lookAt, useCamera).
#include "render/gl.h"
#include "scene/scene.h"
#include "support/gl_fixture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using SceneModel = GLTest;

std::array<float, 16> matrix(GLenum which) {
    std::array<float, 16> m;
    glGetFloatv(which, m.data());
    return m;
}

GLint matrixMode() {
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    return mode;
}

// The projection gluPerspective gives, computed here in double precision.
std::array<float, 16> perspective(double fovDegrees, double aspect, double zNear, double zFar) {
    double f = 1.0 / std::tan(fovDegrees * M_PI / 360.0);
    std::array<float, 16> m{};
    m[0] = static_cast<float>(f / aspect);
    m[5] = static_cast<float>(f);
    m[10] = static_cast<float>((zFar + zNear) / (zNear - zFar));
    m[11] = -1.0f;
    m[14] = static_cast<float>(2.0 * zFar * zNear / (zNear - zFar));
    return m;
}

void expectNear(const std::array<float, 16>& actual, const std::array<float, 16>& expected) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5 * std::max(1.0f, std::fabs(expected[i]))) << "element " << i;
}

bool vecEq(const Vector3& v, float x, float y, float z) {
    return v.x == x && v.y == y && v.z == z;
}

MeshObject* objectWith(int vertices, int faces) {
    MeshObject* o = new MeshObject;
    o->vertexCount = vertices;
    o->faceCount = faces;
    return o;
}

} // namespace

TEST(RefList, GrowsByDoublingAndKeepsAppendOrder) {
    RefList<int> list;
    int values[5] = {10, 11, 12, 13, 14};
    const int capacities[5] = {1, 2, 4, 4, 8};
    for (int i = 0; i < 5; ++i) {
        list.append(&values[i]);
        EXPECT_EQ(list.size, i + 1);
        EXPECT_EQ(list.capacity, capacities[i]);
    }
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list[i], &values[i]);
    list.clear();
    EXPECT_EQ(list.size, 0);
    EXPECT_EQ(list.capacity, 0);
}

TEST_F(SceneModel, ConstructionSetsTheDefaultPerspective) {
    glMatrixMode(GL_MODELVIEW);
    Scene scene;
    EXPECT_EQ(matrixMode(), GL_PROJECTION);
    expectNear(matrix(GL_PROJECTION_MATRIX), perspective(60, 1.5, 0.1, 2000));
    EXPECT_EQ(scene.view.fov, 60.0f);
    EXPECT_EQ(scene.view.aspect, 1.5f);
    EXPECT_EQ(scene.view.zNear, 0.1f);
    EXPECT_EQ(scene.view.zFar, 2000.0f);
    EXPECT_TRUE(vecEq(scene.view.eye, 0, 0, 0));
    EXPECT_STREQ(scene.name, "NONAME");
    EXPECT_EQ(
        scene.objectCount + scene.cameraCount + scene.lightCount + scene.totalFaces + scene.totalVertices, 0);
}

TEST_F(SceneModel, ListsAndCountersGrowTogether) {
    Scene scene;
    for (int i = 0; i < 5; ++i)
        scene.addObject(objectWith(i, 2 * i));
    scene.addCamera(new SceneCamera);
    scene.addLight(new SceneLight);
    scene.addLight(new SceneLight);
    EXPECT_EQ(scene.objectCount, 5);
    EXPECT_EQ(scene.objects.size, 5);
    EXPECT_EQ(scene.objects.capacity, 8);
    EXPECT_EQ(scene.objects[3]->vertexCount, 3);
    EXPECT_EQ(scene.cameraCount, 1);
    EXPECT_EQ(scene.lightCount, 2);
    EXPECT_EQ(scene.countVertices(), 10);
    EXPECT_EQ(scene.countFaces(), 20);
}

TEST_F(SceneModel, ReportWritesTheSceneInformation) {
    Scene empty;
    LogMark mark;
    empty.report();
    const std::string rule = "---------------------------------------------\n";
    const std::string emptyReport = rule + "\tScene Information\t\n" + rule +
                                    "Scene Name: NONAME\nNumber of objects: 0\nNumber of Cameras: 0\n"
                                    "Number of Lights: 0\nVertices in scene: 0\nFacees in scene: 0\n" +
                                    rule;
    EXPECT_EQ(mark.text(), emptyReport);
    EXPECT_EQ(rule.size(), 46u);

    Scene scene;
    scene.setName("Part one");
    scene.addObject(objectWith(8, 12));
    scene.addObject(objectWith(4, 2));
    scene.addCamera(new SceneCamera);
    LogMark twice;
    scene.report();
    scene.report();
    const std::string once = rule + "\tScene Information\t\n" + rule +
                             "Scene Name: Part one\nNumber of objects: 2\nNumber of Cameras: 1\n"
                             "Number of Lights: 0\nVertices in scene: 12\nFacees in scene: 14\n" +
                             rule;
    EXPECT_EQ(twice.text(), once + once);
    EXPECT_EQ(scene.totalVertices, 12);
    EXPECT_EQ(scene.totalFaces, 14);
}

TEST_F(SceneModel, ANameOf255CharactersIsStoredWhole) {
    Scene scene;
    const std::string name(255, 'n');
    scene.setName(name.c_str());
    EXPECT_EQ(std::string(scene.name), name);
    scene.setName(std::string(300, 'x').c_str()); // longer names are cut, still terminated
    EXPECT_EQ(std::string(scene.name), std::string(255, 'x'));
}

TEST_F(SceneModel, LookAtBuildsTheViewAxesAndLoadsTheViewMatrix) {
    Scene scene;
    scene.view.lookAt({0, 0, 10}, {0, 0, 0}, {0, 1, 0});
    EXPECT_EQ(matrixMode(), GL_MODELVIEW);
    EXPECT_TRUE(vecEq(scene.view.right, 1, 0, 0));
    EXPECT_TRUE(vecEq(scene.view.up, 0, 1, 0));
    EXPECT_TRUE(vecEq(scene.view.back, 0, 0, 1));
    EXPECT_TRUE(vecEq(scene.view.eye, 0, 0, 10));
    std::array<float, 16> m = matrix(GL_MODELVIEW_MATRIX);
    const std::array<float, 16> expected = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -10, 1};
    EXPECT_EQ(m, expected);

    // Only the part of up across the line of sight matters.
    scene.view.lookAt({0, 0, 10}, {0, 0, 0}, {0, 1, 1});
    EXPECT_TRUE(vecEq(scene.view.right, 1, 0, 0));
    EXPECT_TRUE(vecEq(scene.view.up, 0, 1, 0));
    EXPECT_TRUE(vecEq(scene.view.back, 0, 0, 1));

    scene.view.lookAt({10, 0, 0}, {0, 0, 0}, {0, 0, 1});
    EXPECT_TRUE(vecEq(scene.view.back, 1, 0, 0));
    EXPECT_TRUE(vecEq(scene.view.right, 0, 1, 0));
    EXPECT_TRUE(vecEq(scene.view.up, 0, 0, 1));
    m = matrix(GL_MODELVIEW_MATRIX);
    // Rows are the axes; the eye goes to the origin.
    EXPECT_EQ(m[0], 0.0f);
    EXPECT_EQ(m[1], 0.0f);
    EXPECT_EQ(m[2], 1.0f);
    EXPECT_EQ(m[4], 1.0f);
    EXPECT_EQ(m[9], 1.0f);
    EXPECT_EQ(m[14], -10.0f);

    // Eye on the target: NaN axes, no error.
    scene.view.lookAt({1, 1, 1}, {1, 1, 1}, {0, 1, 0});
    EXPECT_TRUE(std::isnan(scene.view.back.x));
}

TEST_F(SceneModel, UseCameraAimsThroughAStoredCameraOrChangesNothing) {
    Scene scene;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    const std::array<float, 16> projection = matrix(GL_PROJECTION_MATRIX);
    const std::array<float, 16> modelview = matrix(GL_MODELVIEW_MATRIX);
    EXPECT_FALSE(scene.useCamera(0)); // no cameras
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);

    SceneCamera* a = new SceneCamera;
    a->position = {0, 0, 10};
    a->fov = 48;
    SceneCamera* b = new SceneCamera;
    b->position = {0, 0, 20};
    b->target = {0, 0, 5};
    b->fov = 90;
    scene.addCamera(a);
    scene.addCamera(b);
    EXPECT_FALSE(scene.useCamera(2));
    EXPECT_FALSE(scene.useCamera(-1));
    EXPECT_FALSE(scene.useCamera(-2147483647 - 1));
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);

    EXPECT_TRUE(scene.useCamera(1));
    EXPECT_EQ(matrixMode(), GL_MODELVIEW);
    expectNear(matrix(GL_PROJECTION_MATRIX), perspective(90, 1.0, 0.1, 10000));
    const std::array<float, 16> view = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -20, 1};
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), view);
    EXPECT_TRUE(vecEq(scene.view.eye, 0, 0, 20));
}
