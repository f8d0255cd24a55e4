// The OpenGL 1.1 renderer: fixed-function lighting, fog, texture generation and
// polygon modes. The reference the shader renderer is compared with.
#pragma once

#include "render/renderer.h"

class Gl11Renderer : public Renderer {
  public:
    void setProjection(float fov, float aspect, float zNear, float zFar) override;
    void setView(const Matrix4& view) override;
    void setLight(const Vector3& ambient, const Vector3& diffuse, const float position[4],
                  const Matrix4& placement) override;
    Matrix4 currentView() const override;
    void setFogParameters(const float colour[4], float density) override;
    void setFog(bool on) override;
    void beginFrame() override;
    void endFrame() override;
    void drawObject(const MeshObject& object) override;
    void drawAdditive(const MeshObject& object) override;
    void textureUploaded() override;
};

namespace gl11 {
void drawObject(const MeshObject& object);
void drawAdditive(const MeshObject& object);
} // namespace gl11
