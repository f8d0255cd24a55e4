// The renderer on GLSL shaders (OpenGL 3.3 core, OpenGL ES 3, WebGL 2). It keeps the
// fixed-function state the GL 1.1 renderer leaves from object to object (shade
// model, texture generation, texture environment, fog, light, matrices) in its own
// fields and sets the state both share (blending, depth test, depth writes, the bound
// texture and its filters) with the same calls, so objects look the same in both.
// Geometry goes to buffers built once per object: triangle corners, and wireframes
// as line lists (each face's three edges).
#pragma once

#include "render/matrix4.h"
#include "render/renderer.h"
#include "render/vector3.h"

#include <cstdint>
#include <string>
#include <unordered_map>

class ShaderRenderer : public Renderer {
  public:
    ShaderRenderer() = default;
    ShaderRenderer(const ShaderRenderer&) = delete;
    ShaderRenderer& operator=(const ShaderRenderer&) = delete;
    // Frees its GL objects; the context it was created in must be current.
    ~ShaderRenderer() override;

    // Compiles and links the shaders in the current context. On failure returns false
    // with the compiler's message in errorText.
    bool create(std::string& errorText);

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
    void textureUploaded() override {}

  private:
    enum class Geometry { FACE_TRIANGLES, VERTEX_TRIANGLES, LINES };
    struct Buffers {
        uint32_t triangles = 0;
        uint32_t lines = 0;
        int32_t triangleVertices = 0;
        int32_t lineVertices = 0;
        bool hasNormals = false;
        Vector3 lastFaceNormal;
        Vector3 lastVertexNormal;
        const void* sources[4] = {nullptr, nullptr, nullptr, nullptr};
        int32_t counts[3] = {-1, -1, -1};
    };

    Buffers& buffersOf(const MeshObject& object);
    void build(const MeshObject& object, Buffers& buffers);
    void drawTextured(const MeshObject& object, bool switchBlendingOff);
    void draw(const MeshObject& object, Geometry geometry, bool textured);
    void sendUniforms(const MeshObject& object, Geometry geometry, bool textured);
    void bindVertexLayout(const Buffers& buffers, Geometry geometry);

    uint32_t program_ = 0;
    uint32_t vertexArray_ = 0;
    int32_t uniforms_[16] = {};
    std::unordered_map<const MeshObject*, Buffers> buffers_;

    // The fixed-function state this renderer stands in for, at OpenGL's defaults.
    Matrix4 projection_;
    Matrix4 view_;
    bool lighting_ = false;
    float lightEye_[3] = {0.0f, 0.0f, 1.0f};
    Vector3 lightAmbient_;
    Vector3 lightDiffuse_;
    bool fog_ = false;
    float fogColour_[3] = {0.0f, 0.0f, 0.0f};
    float fogDensity_ = 1.0f;
    bool flat_ = false;
    bool texGen_ = false;
    bool decal_ = false;
    Vector3 currentNormal_{0.0f, 0.0f, 1.0f};
};
