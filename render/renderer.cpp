#include "render/renderer.h"

#include "scene/scene.h"

#include <algorithm>

namespace {
Renderer* active = nullptr;
} // namespace

Renderer& activeRenderer() {
    return active ? *active : defaultRenderer();
}

void setActiveRenderer(Renderer* renderer) {
    active = renderer;
}

// Drawing a scene goes through the active renderer.

void MeshObject::draw() const {
    activeRenderer().drawObject(*this);
}

void MeshObject::drawAdditive() const {
    activeRenderer().drawAdditive(*this);
}

void Scene::drawFrame() const {
    Renderer& renderer = activeRenderer();
    renderer.beginFrame();
    int32_t count = std::min<int32_t>(objectCount, objects.size);
    for (int32_t i = 0; i < count; ++i)
        objects[i]->draw();
    renderer.endFrame();
}

void Scene::drawObjectAdditive(int32_t i) const {
    if (i < 0 || i >= objectCount || i >= objects.size)
        return;
    objects[i]->drawAdditive();
}
