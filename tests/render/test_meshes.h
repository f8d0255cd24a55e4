// Mesh objects, scenes and GL state snapshots made in code for the renderer,
// timeline and driver tests.
#pragma once

#include "scene/scene.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// An object with the given corners and triangles; every face and vertex normal is
// (0, 0, 1). Texture coordinates only when given.
MeshObject* makeMesh(const std::vector<Vector3>& vertices, const std::vector<std::array<int32_t, 3>>& faces,
                     const std::vector<TexCoord>& texCoords = {});

// Two triangles covering the square from (x0, y0) to (x1, y1) at depth z, with
// texture coordinates from (0, 0) to (1, 1).
MeshObject* makeQuad(float x0, float y0, float x1, float y1, float z = 0.0f);

// A scene with `objects` upright squares (20 x 20 in the x-z plane) and one camera with `keys` position keys;
// key i stands at (0, -100 - i, 0) and looks at the origin.
std::unique_ptr<Scene> makeScene(int32_t objects, int32_t keys, float fov = 45.0f);

// A 1x1 RGB texture of the given colour with nearest filters.
uint32_t makeTexture(unsigned char r, unsigned char g, unsigned char b);

// Projection and model-view set to identity, GL_MODELVIEW current: object
// coordinates are clip coordinates.
void useIdentityView();

// The GL state the renderer and the additive pass change.
struct GLState {
    bool blend, depthTest, cullFace, texture2D, genS, genT, fog, lighting;
    int32_t blendSrc, blendDst;
    int32_t shadeModel;
    int32_t polygonMode[2];
    int32_t texEnvMode;
    int32_t genModeS, genModeT;
    bool depthMask;
    int32_t boundTexture;
    int32_t modelviewDepth;
    int32_t matrixMode;
    int32_t error;

    static GLState read();
    bool operator==(const GLState& o) const;
};

// The min and mag filters of a texture (the binding is restored).
std::array<int32_t, 2> filtersOf(uint32_t texture);
