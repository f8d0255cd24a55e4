// The object renderer: one mesh object according to its render-mode word, and a
// scene's whole frame.
//
// Three bits are modifiers applied before drawing (sphere map, alpha blend, additive
// blend, in that order); of the five style bits the one with the lowest precedence
// wins. Nothing is restored afterwards: later objects inherit the GL state an object
// leaves behind (blending, depth test, culling, texture generation, shade model,
// texture environment), and the demo's look depends on exactly that.
#include "render/object_renderer.h"

#include "render/gl.h"
#include "render/render_style.h"
#include "render/renderer_gl11.h"
#include "scene/scene.h"

#include <algorithm>

namespace {

void applySphereMap() {
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    // This lands on whatever texture is bound now: the object's own texture is only
    // bound later by its style.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<float>(GL_DECAL));
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

void applyBlend(GLenum source) {
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glBlendFunc(source, GL_ONE);
}

void drawTextured(const MeshObject& object, bool switchBlendingOff) {
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    if (switchBlendingOff)
        glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, object.texture);
    drawTexturedTriangles(object);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_DEPTH_TEST);
}

DrawPath currentDrawPath = DrawPath::ARRAYS;

} // namespace

void setDrawPath(DrawPath path) {
    currentDrawPath = path;
}

DrawPath drawPath() {
    return currentDrawPath;
}

void drawFaceNormalTriangles(const MeshObject& object) {
    if (currentDrawPath == DrawPath::IMMEDIATE)
        immediate::drawFaceNormalTriangles(object);
    else
        arrays::drawFaceNormalTriangles(object);
}

void drawVertexNormalTriangles(const MeshObject& object) {
    if (currentDrawPath == DrawPath::IMMEDIATE)
        immediate::drawVertexNormalTriangles(object);
    else
        arrays::drawVertexNormalTriangles(object);
}

void drawTexturedTriangles(const MeshObject& object) {
    if (currentDrawPath == DrawPath::IMMEDIATE)
        immediate::drawTexturedTriangles(object);
    else
        arrays::drawTexturedTriangles(object);
}

namespace gl11 {

void drawObject(const MeshObject& object) {
    int32_t renderMode = object.renderMode;
    if (renderMode & RENDER_HIDDEN)
        return;
    glPushMatrix();
    glMultMatrixf(object.matrix.m);

    if (renderMode & RENDER_SPHERE_MAP)
        applySphereMap();
    if (renderMode & RENDER_BLEND_ALPHA)
        applyBlend(GL_SRC_ALPHA);
    if (renderMode & RENDER_BLEND_ADD)
        applyBlend(GL_ONE);

    switch (styleOf(renderMode)) {
    case Style::WIREFRAME:
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        drawFaceNormalTriangles(object);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        break;
    case Style::FLAT:
        glShadeModel(GL_FLAT);
        glEnable(GL_DEPTH_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        drawFaceNormalTriangles(object);
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        break;
    case Style::SMOOTH:
        glShadeModel(GL_SMOOTH);
        glEnable(GL_DEPTH_TEST);
        drawVertexNormalTriangles(object);
        glDisable(GL_DEPTH_TEST);
        break;
    case Style::TEXTURED:
        drawTextured(object, true);
        break;
    case Style::TEXTURED_BLEND:
        drawTextured(object, false);
        break;
    }

    glPopMatrix();
}

} // namespace gl11
