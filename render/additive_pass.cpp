// The additive pass: one object textured and added one/one onto the frame,
// depth-tested against the scene but writing no depth, without fog, whatever its
// render-mode word says (hidden objects included).
#include "render/gl.h"
#include "render/object_renderer.h"
#include "scene/scene.h"

void MeshObject::drawAdditive() const {
    glPushMatrix();
    glMultMatrixf(matrix.m);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glDisable(GL_FOG);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Texture generation is left as earlier draws set it: after a sphere-mapped object
    // this pass is sphere-mapped too.
    drawTexturedTriangles(*this);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

void Scene::drawObjectAdditive(int32_t i) const {
    if (i < 0 || i >= objectCount || i >= objects.size)
        return;
    objects[i]->drawAdditive();
}
