#include "app/demo_light.h"

#include "app/blend.h"
#include "render/gl.h"

void DemoLight::send() const {
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    const float ambientRgba[4] = {ambient.x, ambient.y, ambient.z, 1.0f};
    const float diffuseRgba[4] = {diffuse.x, diffuse.y, diffuse.z, 1.0f};
    const float position[4] = {500.0f, 400.0f, 500.0f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(placement.m);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambientRgba);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuseRgba);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glPopMatrix();
}

DemoLight blendLights(const DemoLight& from, const DemoLight& to, float t) {
    DemoLight light;
    light.ambient = blend(from.ambient, to.ambient, t);
    light.diffuse = blend(from.diffuse, to.diffuse, t);
    light.placement = blend(from.placement, to.placement, t);
    return light;
}
