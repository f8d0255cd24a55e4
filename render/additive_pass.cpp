// The additive pass: one object textured and added one/one onto the frame,
// depth-tested against the scene but writing no depth, without fog, whatever its
// render-mode word says (hidden objects included).
#include "render/gl.h"
#include "render/object_renderer.h"
#include "render/renderer_gl11.h"
#include "scene/scene.h"

namespace gl11 {

void drawAdditive(const MeshObject& object) {
    glPushMatrix();
    glMultMatrixf(object.matrix.m);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glDisable(GL_FOG);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBindTexture(GL_TEXTURE_2D, object.texture);
    // Texture generation is left as earlier draws set it: after a sphere-mapped object
    // this pass is sphere-mapped too.
    drawTexturedTriangles(object);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

} // namespace gl11
