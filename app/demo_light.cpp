#include "app/demo_light.h"

#include "render/renderer.h"

void DemoLight::setAmbient(Vector3 colour) {
    ambient = colour;
    send();
}

void DemoLight::setDiffuse(Vector3 colour) {
    diffuse = colour;
    send();
}

void DemoLight::send() const {
    const float position[4] = {500.0f, 400.0f, 500.0f, 1.0f};
    activeRenderer().setLight(ambient, diffuse, position);
}
