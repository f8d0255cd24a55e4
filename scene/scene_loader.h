// Reads one 3DS scene file into a new Scene. Every step is written to the log.
#pragma once

#include "scene/ref_list.h"
#include "scene/scene.h"

#include <cstdint>
#include <cstdio>

class SceneLoader {
  public:
    Scene* scene = nullptr;
    MeshObject* currentObject = nullptr;
    SceneCamera* currentCamera = nullptr;
    SceneLight* currentLight = nullptr;
    Material* currentMaterial = nullptr;
    int32_t materialCount = 0;
    int32_t mObjIndex = -1;
    int32_t mCamIndex = -1;
    RefList<Material> materials;

    SceneLoader() = default;
    SceneLoader(const SceneLoader&) = delete;
    SceneLoader& operator=(const SceneLoader&) = delete;
    ~SceneLoader();

    // Reads the whole file and returns the new scene; the caller owns it.
    // A missing or corrupt file ends the process through the log's error.
    Scene* load(const char* path);

    // When false, texture images are not read: textured objects keep texture 0.
    bool loadTextures = true;
};
