#include "scene/scene.h"

#include "log/log.h"

#include <cstring>

Scene::~Scene() {
    for (int i = 0; i < objects.size; ++i)
        delete objects[i];
    for (int i = 0; i < cameras.size; ++i)
        delete cameras[i];
    for (int i = 0; i < lights.size; ++i)
        delete lights[i];
}

void Scene::addObject(MeshObject* object) {
    ++objectCount;
    objects.append(object);
}

void Scene::addCamera(SceneCamera* camera) {
    ++cameraCount;
    cameras.append(camera);
}

void Scene::addLight(SceneLight* light) {
    ++lightCount;
    lights.append(light);
}

Material* Scene::keepMaterial(std::unique_ptr<Material> material) {
    materialStore.push_back(std::move(material));
    return materialStore.back().get();
}

void Scene::setName(const char* text) {
    // Longer names are cut to the buffer; the name always ends with its zero byte.
    std::strncpy(name, text, sizeof name - 1);
    name[sizeof name - 1] = '\0';
}

int32_t Scene::countVertices() {
    totalVertices = 0;
    for (int i = 0; i < objectCount; ++i)
        totalVertices += objects[i]->vertexCount;
    return totalVertices;
}

int32_t Scene::countFaces() {
    totalFaces = 0;
    for (int i = 0; i < objectCount; ++i)
        totalFaces += objects[i]->faceCount;
    return totalFaces;
}

void Scene::report() {
    gLog.message("---------------------------------------------\n");
    gLog.message("\tScene Information\t\n");
    gLog.message("---------------------------------------------\n");
    gLog.message("Scene Name: %s\n", name);
    gLog.message("Number of objects: %d\n", objectCount);
    gLog.message("Number of Cameras: %d\n", cameraCount);
    gLog.message("Number of Lights: %d\n", lightCount);
    gLog.message("Vertices in scene: %d\n", countVertices());
    gLog.message("Facees in scene: %d\n", countFaces());
    gLog.message("---------------------------------------------\n");
}

bool Scene::useCamera(int32_t n) {
    if (n < 0 || n > cameraCount - 1)
        return false;
    SceneCamera* camera = cameras[n];
    setPerspective(camera->fov, 1.0f, 0.1f, 10000.0f);
    view.lookAt(camera->position, camera->target, Vector3(0.0f, 1.0f, 0.0f));
    return true;
}
