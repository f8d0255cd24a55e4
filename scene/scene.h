// The in-memory form of one 3DS scene: mesh objects, cameras, lights, materials
// and their key tracks, as plain records with public fields.
#pragma once

#include "render/matrix4.h"
#include "render/object_renderer_arrays.h"
#include "render/vector3.h"
#include "render/view_camera.h"
#include "scene/ref_list.h"

#include <cstdint>
#include <memory>
#include <vector>

// Render-mode bits of a MeshObject.
enum : int32_t {
    RENDER_WIREFRAME = 0x1,
    RENDER_FLAT = 0x2,
    RENDER_SMOOTH = 0x4,
    RENDER_TEXTURED = 0x8,
    RENDER_SPHERE_MAP = 0x10,
    RENDER_BLEND_ALPHA = 0x20,
    RENDER_HIDDEN = 0x40,
    RENDER_BLEND_ADD = 0x100,
    RENDER_TEXTURED_BLEND = 0x200,
};

struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

// A triangle: indices into the object's vertices, the file's unsigned 16-bit values
// (0 to 65535). A face naming a vertex outside the list is skipped by the normals
// (its normal stays (0, 0, 0)) and must be skipped by drawing.
struct Face {
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;
    Vector3 normal;
};

struct Material {
    char name[80] = {0};
    char mapFile[80] = "No Name";
    Vector3 ambient255;
    Vector3 ambient;
    Vector3 diffuse255;
    Vector3 diffuse;
    Vector3 specular255;
    Vector3 specular;
};

// One animation key. Only the fields of its own track are filled.
struct TrackKey {
    int32_t frame = 0;
    float splineParams[5] = {0.7f, 0.3f, 0.8f, 0.0f, 0.0f};
    Vector3 position;
    Vector3 rotationAxis;
    float rotationAngle = 0.0f;
    Vector3 scale;
};

struct MeshObject {
    int32_t renderMode = RENDER_SMOOTH;
    uint32_t texture = 0;
    char name[80] = {0};
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t texCoordCount = 0;
    bool hasTexCoords = false;
    Vector3 pivot;
    std::unique_ptr<Vector3[]> vertices;
    // texCoordCount entries from the file, followed by (0, 0) up to vertexCount: once
    // loaded, every vertex index has a texture coordinate.
    std::unique_ptr<TexCoord[]> texCoords;
    std::unique_ptr<Vector3[]> vertexNormals;
    std::unique_ptr<Face[]> faces;
    Material* material = nullptr;
    int32_t positionKeyCount = 0;
    std::unique_ptr<TrackKey[]> positionKeys;
    int32_t rotationKeyCount = 0;
    std::unique_ptr<TrackKey[]> rotationKeys;
    int32_t scaleKeyCount = 0;
    std::unique_ptr<TrackKey[]> scaleKeys;
    Matrix4 matrix;
    // The triangles laid out for drawing; filled by prepareDrawing and refreshed by
    // drawing itself when the geometry's arrays or counts were replaced since.
    mutable DrawArrays drawArrays;

    // Mesh preparation: unit face normals, then unit vertex normals (linear time).
    void computeFaceNormals();
    void computeVertexNormals();
    // Builds the drawing arrays from the geometry; call again after changing it in place.
    void prepareDrawing();

    // Draws the object according to renderMode.
    void draw() const;
    // Draws the object textured and added one/one onto the frame, whatever its renderMode.
    void drawAdditive() const;
};

struct SceneCamera {
    Vector3 position;
    Vector3 target;
    float fov = 0.0f;
    int32_t positionKeyCount = 0;
    std::unique_ptr<TrackKey[]> positionKeys;
    int32_t targetKeyCount = 0;
    std::unique_ptr<TrackKey[]> targetKeys;
};

struct SceneLight {
    Vector3 position;
    Vector3 spotTarget;
    float hotspot = 0.0f;
    float falloff = 0.0f;
};

struct Scene {
    ViewCamera view;
    RefList<MeshObject> objects;
    RefList<SceneCamera> cameras;
    RefList<SceneLight> lights;
    char name[256] = "NONAME";
    int32_t objectCount = 0;
    int32_t cameraCount = 0;
    int32_t lightCount = 0;
    int32_t totalFaces = 0;
    int32_t totalVertices = 0;

    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene();

    // Each append takes ownership of the record.
    void addObject(MeshObject* object);
    void addCamera(SceneCamera* camera);
    void addLight(SceneLight* light);
    // Keeps a material alive as long as the scene; objects refer to it.
    Material* keepMaterial(std::unique_ptr<Material> material);

    void setName(const char* text);
    int32_t countVertices();
    int32_t countFaces();
    // Writes the "Scene Information" block to the log.
    void report();

    // Aims the view through camera n; false when there is no such camera.
    bool useCamera(int32_t n);
    // Clears colour and depth, draws every object in list order, flushes.
    void drawFrame() const;
    // Draws object i in the additive pass; an index outside the list draws nothing.
    void drawObjectAdditive(int32_t i) const;

  private:
    std::vector<std::unique_ptr<Material>> materialStore;
};
