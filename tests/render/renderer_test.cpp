// The object renderer and the additive pass on a real offscreen GL context: the GL
// state each render-mode value leaves behind, and what reaches the pixels.
#include "render/gl.h"
#include "scene/scene.h"
#include "support/gl_fixture.h"
#include "test_meshes.h"

#include <memory>

namespace {

struct ModeCase {
    int32_t renderMode;
    // Expected afterwards (see the starting state in RendererState::SetUp).
    bool blend, cullFace;
    int32_t blendSrc, blendDst;
    int32_t texEnvMode;
    bool boundIsObjectTexture;
    bool previousTextureGotLinearFilters;
};

class RendererState : public GLTest, public ::testing::WithParamInterface<ModeCase> {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        useIdentityView();
        previousTexture = makeTexture(255, 0, 0);
        objectTexture = makeTexture(0, 255, 0);
        // A starting state in which every change shows: culling and depth test on,
        // blending on with a function no style uses, flat shading, a texture bound.
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ZERO, GL_ZERO);
        glShadeModel(GL_FLAT);
        glBindTexture(GL_TEXTURE_2D, previousTexture);
    }
    uint32_t previousTexture = 0;
    uint32_t objectTexture = 0;
};

TEST_P(RendererState, LeavesTheStateTheDemoRelieson) {
    const ModeCase& c = GetParam();
    std::unique_ptr<MeshObject> object(makeQuad(-0.5f, -0.5f, 0.5f, 0.5f));
    object->renderMode = c.renderMode;
    object->texture = objectTexture;
    GLState before = GLState::read();
    object->draw();
    GLState after = GLState::read();

    if (c.renderMode & RENDER_HIDDEN) {
        EXPECT_TRUE(before == after);
        EXPECT_EQ(filtersOf(previousTexture)[0], GL_NEAREST);
        return;
    }
    EXPECT_EQ(after.error, GL_NO_ERROR);
    EXPECT_EQ(after.blend, c.blend);
    EXPECT_EQ(after.cullFace, c.cullFace);
    EXPECT_EQ(after.blendSrc, c.blendSrc);
    EXPECT_EQ(after.blendDst, c.blendDst);
    EXPECT_EQ(after.texEnvMode, c.texEnvMode);
    // Every style used here ends with the depth test, texturing and texture
    // generation off and polygons filled; none of them sets the shade model.
    EXPECT_FALSE(after.depthTest);
    EXPECT_FALSE(after.texture2D);
    EXPECT_FALSE(after.genS);
    EXPECT_FALSE(after.genT);
    EXPECT_EQ(after.polygonMode[0], GL_FILL);
    EXPECT_EQ(after.polygonMode[1], GL_FILL);
    EXPECT_EQ(after.shadeModel, GL_FLAT);
    EXPECT_TRUE(after.depthMask);
    EXPECT_EQ(after.modelviewDepth, 1);
    EXPECT_EQ(after.matrixMode, GL_MODELVIEW);
    EXPECT_EQ(after.boundTexture,
              static_cast<int32_t>(c.boundIsObjectTexture ? objectTexture : previousTexture));
    if (c.renderMode & RENDER_SPHERE_MAP) {
        EXPECT_EQ(after.genModeS, GL_SPHERE_MAP);
        EXPECT_EQ(after.genModeT, GL_SPHERE_MAP);
    }
    // The sphere map's linear filters land on the texture bound before the draw.
    int32_t expectedFilter = c.previousTextureGotLinearFilters ? GL_LINEAR : GL_NEAREST;
    EXPECT_EQ(filtersOf(previousTexture)[0], expectedFilter);
    EXPECT_EQ(filtersOf(previousTexture)[1], expectedFilter);
    EXPECT_EQ(filtersOf(objectTexture)[0], GL_NEAREST);
}

// The values the timeline writes.
INSTANTIATE_TEST_SUITE_P(TimelineModes, RendererState,
                         ::testing::Values(
                             // 33: blended outlines; blending stays on, culling off.
                             ModeCase{33, true, false, GL_SRC_ALPHA, GL_ONE, GL_MODULATE, false, false},
                             // 280: the textured style switches blending off again.
                             ModeCase{280, false, false, GL_ONE, GL_ONE, GL_DECAL, true, true},
                             // 784: additive texture; blending stays on.
                             ModeCase{784, true, false, GL_ONE, GL_ONE, GL_DECAL, true, true},
                             // 24: no blend modifier: culling and the blend function are untouched.
                             ModeCase{24, false, true, GL_ZERO, GL_ZERO, GL_DECAL, true, true},
                             // 56: as 280 with the alpha blend function.
                             ModeCase{56, false, false, GL_SRC_ALPHA, GL_ONE, GL_DECAL, true, true},
                             // 64: hidden, no GL call at all.
                             ModeCase{64, false, false, 0, 0, 0, false, false}),
                         [](const ::testing::TestParamInfo<ModeCase>& info) {
                             return "Mode" + std::to_string(info.param.renderMode);
                         });

class Renderer : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        useIdentityView();
    }
    unsigned char red(int x, int y) {
        unsigned char rgb[3];
        pixel(x, y, rgb);
        return rgb[0];
    }
};

TEST_F(Renderer, StylePrecedenceAndModifierRules) {
    std::unique_ptr<MeshObject> object(makeQuad(-0.5f, -0.5f, 0.5f, 0.5f));
    uint32_t texture = makeTexture(1, 2, 3);
    object->texture = texture;

    // No style bit: drawn smooth, the shade model set, the depth test off afterwards.
    glShadeModel(GL_FLAT);
    object->renderMode = 0;
    object->draw();
    EXPECT_EQ(GLState::read().shadeModel, GL_SMOOTH);

    // Flat: the shade model, and depth writes switched on again.
    glDepthMask(GL_FALSE);
    object->renderMode = RENDER_FLAT | RENDER_SMOOTH;
    object->draw();
    GLState flat = GLState::read();
    EXPECT_EQ(flat.shadeModel, GL_FLAT);
    EXPECT_TRUE(flat.depthMask);
    EXPECT_FALSE(flat.depthTest);

    // Wireframe wins over textured: no texture is bound, and the depth test is untouched.
    glEnable(GL_DEPTH_TEST);
    object->renderMode = RENDER_WIREFRAME | RENDER_TEXTURED;
    object->draw();
    GLState wire = GLState::read();
    EXPECT_EQ(wire.boundTexture, 0);
    EXPECT_TRUE(wire.depthTest);
    EXPECT_EQ(wire.polygonMode[0], GL_FILL);
    EXPECT_EQ(wire.error, GL_NO_ERROR); // no glEnable of an invalid capability

    // Both blend bits: the additive one comes last and wins.
    object->renderMode = RENDER_BLEND_ALPHA | RENDER_BLEND_ADD | RENDER_SMOOTH;
    object->draw();
    EXPECT_EQ(GLState::read().blendSrc, GL_ONE);

    // Sphere map with a non-textured style leaves texture generation on.
    object->renderMode = RENDER_SPHERE_MAP | RENDER_SMOOTH;
    object->draw();
    GLState sphere = GLState::read();
    EXPECT_TRUE(sphere.genS);
    EXPECT_TRUE(sphere.genT);
    EXPECT_EQ(sphere.texEnvMode, GL_DECAL);
}

TEST_F(Renderer, AnObjectWithoutFacesStillDoesItsSetUpAndTearDown) {
    std::unique_ptr<MeshObject> object(makeMesh({}, {}));
    object->renderMode = 280;
    glEnable(GL_CULL_FACE);
    object->draw();
    GLState after = GLState::read();
    EXPECT_FALSE(after.cullFace);
    EXPECT_EQ(after.texEnvMode, GL_DECAL);
    EXPECT_EQ(after.blendSrc, GL_ONE);
    EXPECT_EQ(after.modelviewDepth, 1);
}

TEST_F(Renderer, HiddenObjectsDrawNothing) {
    Scene scene;
    useIdentityView(); // the scene's construction selected the projection matrix
    for (int32_t mode : {0x40, 0x40 | 0x8, 0x40 | 0x1 | 0x120}) {
        scene.addObject(makeQuad(-1, -1, 1, 1));
        scene.objects[scene.objectCount - 1]->renderMode = mode;
    }
    glClearColor(0, 0, 0, 0);
    scene.drawFrame();
    for (int y = 0; y < HEIGHT; y += 7)
        for (int x = 0; x < WIDTH; x += 7)
            ASSERT_EQ(red(x, y), 0) << x << "," << y;
}

TEST_F(Renderer, DrawFrameClearsThenDrawsInListOrder) {
    Scene scene;
    useIdentityView();
    glClearColor(0, 0, 1, 0);
    scene.addObject(makeQuad(-1, -1, 0, 1)); // left half, smooth, unlit white
    scene.drawFrame();
    unsigned char rgb[3];
    pixel(10, 32, rgb);
    EXPECT_EQ(rgb[0], 255);
    pixel(50, 32, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[2], 255);
}

TEST_F(Renderer, WireframeDrawsOnlyTheOutlines) {
    // One triangle with corners inside the view; its edges are lit, its inside is not.
    std::unique_ptr<MeshObject> object(
        makeMesh({{-0.8f, -0.8f, 0}, {0.8f, -0.8f, 0}, {-0.8f, 0.8f, 0}}, {{0, 1, 2}}));
    object->renderMode = RENDER_WIREFRAME;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    object->draw();
    // Pixel centres: the triangle spans x and y from 6.4 to 57.6.
    EXPECT_EQ(red(20, 6), 255); // bottom edge
    EXPECT_EQ(red(6, 20), 255); // left edge
    EXPECT_EQ(red(20, 20), 0);  // inside
    EXPECT_EQ(red(50, 50), 0);  // outside, beyond the slanted edge
}

TEST_F(Renderer, FacesNamingAMissingVertexAreSkipped) {
    // Left square valid; the right one's faces name vertex 9 and -1 of a 6-vertex list.
    std::unique_ptr<MeshObject> object(
        makeMesh({{-1, -1, 0}, {0, -1, 0}, {0, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}},
                 {{0, 1, 2}, {0, 2, 3}, {1, 4, 9}, {-1, 5, 2}}));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    object->draw();
    EXPECT_EQ(red(16, 32), 255);
    EXPECT_EQ(red(48, 32), 0);
}

// A 2x1 texture: u < 0.5 red, u >= 0.5 green.
GLuint redGreenTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char texels[6] = {255, 0, 0, 0, 255, 0};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

TEST_F(Renderer, TexturedStylesNeverReadBeyondTheTextureCoordinates) {
    // Vertex 0 has its coordinate (0.75, 0.5) (green); the others have none and get
    // (0, 0) (red). The textured loop reads only what the list holds (the sanitizer
    // build checks the reads).
    GLuint texture = redGreenTexture();
    std::unique_ptr<MeshObject> object(
        makeMesh({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, {{0, 1, 2}, {0, 2, 3}}, {{0.75f, 0.5f}}));
    object->texture = texture;
    object->renderMode = RENDER_TEXTURED;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    object->draw();
    unsigned char rgb[3];
    pixel(1, 1, rgb); // next to vertex 0: u close to 0.75
    EXPECT_EQ(rgb[1], 255);
    pixel(62, 62, rgb); // next to vertex 2: u close to 0
    EXPECT_EQ(rgb[0], 255);
}

TEST_F(Renderer, AnEmptyMappingListDrawsEveryCornerAtTheOrigin) {
    // Drawn after an object whose last coordinate is green and after one whose last
    // is red, the object without coordinates looks the same: (0, 0), red.
    GLuint texture = redGreenTexture();
    std::vector<Vector3> square = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    std::vector<std::array<int32_t, 3>> faces = {{0, 1, 2}, {0, 2, 3}};
    std::unique_ptr<MeshObject> green(makeMesh(square, faces, std::vector<TexCoord>(4, {0.75f, 0.5f})));
    std::unique_ptr<MeshObject> red(makeMesh(square, faces, std::vector<TexCoord>(4, {0.25f, 0.5f})));
    std::unique_ptr<MeshObject> bare(makeMesh(square, faces));
    bare->hasTexCoords = true; // a mapping list with no entries
    for (MeshObject* before : {green.get(), red.get()}) {
        for (MeshObject* object : {before, bare.get()}) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            object->texture = texture;
            object->renderMode = RENDER_TEXTURED;
            object->draw();
        }
        unsigned char rgb[3];
        pixel(32, 32, rgb);
        EXPECT_EQ(rgb[0], 255);
        EXPECT_EQ(rgb[1], 0);
    }
}

class AdditivePass : public Renderer {};

TEST_F(AdditivePass, AddsTheTextureColourEvenForHiddenObjects) {
    Scene scene;
    useIdentityView();
    scene.addObject(makeQuad(-1, -1, 1, 1));
    scene.objects[0]->renderMode = RENDER_HIDDEN;
    scene.objects[0]->texture = makeTexture(60, 30, 10);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    scene.drawFrame();
    unsigned char rgb[3];
    pixel(32, 32, rgb);
    EXPECT_EQ(rgb[0], 0);

    // No depth is written, so the second draw adds again.
    scene.drawObjectAdditive(0);
    pixel(32, 32, rgb);
    EXPECT_EQ(rgb[0], 60);
    EXPECT_EQ(rgb[1], 30);
    scene.drawObjectAdditive(0);
    pixel(32, 32, rgb);
    EXPECT_EQ(rgb[0], 120);
    EXPECT_EQ(rgb[1], 60);
    EXPECT_EQ(rgb[2], 20);
}

TEST_F(AdditivePass, IsDepthTestedAgainstTheScene) {
    Scene scene;
    useIdentityView();
    scene.addObject(makeQuad(-1, -1, 0, 1, -0.5f)); // near, left half: writes depth
    scene.addObject(makeQuad(-1, -1, 1, 1, 0.5f));  // far, whole view
    scene.objects[1]->renderMode = RENDER_HIDDEN;
    scene.objects[1]->texture = makeTexture(0, 0, 200);
    scene.drawFrame();
    scene.drawObjectAdditive(1);
    unsigned char rgb[3];
    pixel(16, 32, rgb); // behind the near square: rejected
    EXPECT_EQ(rgb[2], 255);
    EXPECT_EQ(rgb[0], 255);
    pixel(48, 32, rgb); // open background: added
    EXPECT_EQ(rgb[2], 200);
    EXPECT_EQ(rgb[0], 0);
}

TEST_F(AdditivePass, LeavesBlendDepthTextureAndFogOff) {
    Scene scene;
    useIdentityView();
    scene.addObject(makeQuad(-1, -1, 1, 1));
    scene.objects[0]->texture = makeTexture(10, 10, 10);
    glEnable(GL_FOG);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    scene.drawObjectAdditive(0);
    GLState after = GLState::read();
    EXPECT_FALSE(after.blend);
    EXPECT_FALSE(after.depthTest);
    EXPECT_FALSE(after.texture2D);
    EXPECT_FALSE(after.genS);
    EXPECT_FALSE(after.genT);
    EXPECT_FALSE(after.fog);
    EXPECT_TRUE(after.depthMask);
    EXPECT_TRUE(after.cullFace); // culling is not its business
    EXPECT_EQ(after.blendSrc, GL_ONE);
    EXPECT_EQ(after.blendDst, GL_ONE);
    EXPECT_EQ(after.boundTexture, static_cast<int32_t>(scene.objects[0]->texture));
    EXPECT_EQ(after.modelviewDepth, 1);
    EXPECT_EQ(after.error, GL_NO_ERROR);
}

TEST_F(AdditivePass, AnIndexOutsideTheListDrawsNothing) {
    Scene scene;
    useIdentityView();
    scene.addObject(makeQuad(-1, -1, 1, 1));
    scene.objects[0]->texture = makeTexture(200, 200, 200);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_FOG);
    GLState before = GLState::read();
    for (int32_t index : {-1, 1, 1000, INT32_MIN})
        scene.drawObjectAdditive(index);
    EXPECT_TRUE(before == GLState::read());
    EXPECT_EQ(red(32, 32), 0);
}

TEST_F(AdditivePass, AnObjectWithoutTextureCoordinatesIsDrawnWithoutThem) {
    std::unique_ptr<MeshObject> object(makeMesh({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}}, {{0, 1, 2}}));
    object->texture = makeTexture(50, 50, 50);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    object->drawAdditive();
    EXPECT_EQ(red(60, 4), 50);
}

} // namespace
