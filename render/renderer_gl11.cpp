#include "render/renderer_gl11.h"

#include "render/gl.h"
#include "render/matrix4.h"
#include "render/vector3.h"

void Gl11Renderer::setProjection(float fov, float aspect, float zNear, float zFar) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, aspect, zNear, zFar);
}

void Gl11Renderer::setView(const Matrix4& view) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.m);
}

void Gl11Renderer::setLight(const Vector3& ambient, const Vector3& diffuse, const float position[4],
                            const Matrix4& placement) {
    const float ambientRgba[4] = {ambient.x, ambient.y, ambient.z, 1.0f};
    const float diffuseRgba[4] = {diffuse.x, diffuse.y, diffuse.z, 1.0f};
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(placement.m);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambientRgba);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuseRgba);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glPopMatrix();
}

Matrix4 Gl11Renderer::currentView() const {
    Matrix4 view;
    glGetFloatv(GL_MODELVIEW_MATRIX, view.m);
    return view;
}

void Gl11Renderer::setFogParameters(const float colour[4], float density) {
    glEnable(GL_FOG);
    glFogfv(GL_FOG_COLOR, colour);
    glFogf(GL_FOG_DENSITY, density);
    glHint(GL_FOG_HINT, GL_NICEST);
    // Start and end matter only to linear fog; the demo's fog is exponential.
    glFogf(GL_FOG_START, 733.0f);
    glFogf(GL_FOG_END, 0.0f);
}

void Gl11Renderer::setFog(bool on) {
    if (on)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
}

void Gl11Renderer::textureUploaded() {
    glDisable(GL_TEXTURE_2D);
}

void Gl11Renderer::beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Gl11Renderer::endFrame() {
    glFlush();
}

void Gl11Renderer::drawObject(const MeshObject& object) {
    gl11::drawObject(object);
}

void Gl11Renderer::drawAdditive(const MeshObject& object) {
    gl11::drawAdditive(object);
}

Renderer& defaultRenderer() {
    static Gl11Renderer renderer;
    return renderer;
}
