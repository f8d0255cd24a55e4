#include "app/demo_light.h"

#include "app/blend.h"
#include "render/renderer.h"

void DemoLight::send() const {
    const float position[4] = {500.0f, 400.0f, 500.0f, 1.0f};
    activeRenderer().setLight(ambient, diffuse, position, placement);
}

DemoLight blendLights(const DemoLight& from, const DemoLight& to, float t) {
    DemoLight light;
    light.ambient = blend(from.ambient, to.ambient, t);
    light.diffuse = blend(from.diffuse, to.diffuse, t);
    light.placement = blend(from.placement, to.placement, t);
    return light;
}
