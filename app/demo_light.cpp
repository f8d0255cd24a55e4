#include "app/demo_light.h"

#include "render/gl.h"

void DemoLight::setAmbient(Vector3 colour) {
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    ambient = colour;
    send();
}

void DemoLight::setDiffuse(Vector3 colour) {
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    diffuse = colour;
    send();
}

void DemoLight::send() const {
    const float ambientRgba[4] = {ambient.x, ambient.y, ambient.z, 1.0f};
    const float diffuseRgba[4] = {diffuse.x, diffuse.y, diffuse.z, 1.0f};
    const float position[4] = {500.0f, 400.0f, 500.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambientRgba);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuseRgba);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}
