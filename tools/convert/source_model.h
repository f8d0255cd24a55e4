// The model as the converter sees it after reading: meshes already placed in the
// demo's space (Z up, scaled), their materials, and the camera flight sampled per pass.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace convert {

using Vec3 = std::array<float, 3>;
using Vec2 = std::array<float, 2>;
using Tri = std::array<uint32_t, 3>;

// One placed mesh: a node's instance of a source mesh, in world space.
struct PlacedMesh {
    std::string name;       // the node's name, or the mesh's when the node has none
    std::string sourceMesh; // the source mesh's own name
    std::vector<Vec3> positions;
    std::vector<Vec3> normals; // unit, one per position
    std::vector<Vec2> uvs;     // empty: the source has no mapping coordinates
    std::vector<Tri> triangles;
    uint32_t material = 0; // index into SourceModel::materials
};

struct SourceMaterial {
    std::string name;
    std::array<uint8_t, 3> ambient{{0, 0, 0}};
    std::array<uint8_t, 3> diffuse{{200, 200, 200}};
    std::array<uint8_t, 3> specular{{255, 255, 255}};
    std::string texture; // the base-colour texture as the source names it; empty: none
};

// The camera flight: eye and target per key, and the field of view written (the
// part's widening comes on top when it plays).
struct CameraFlight {
    std::string name;
    std::vector<Vec3> eyes;
    std::vector<Vec3> targets;
    float fovDegrees = 45.0f;
    float sourceFovDegrees = 45.0f; // the source camera's vertical view
};

struct SourceModel {
    std::vector<PlacedMesh> meshes;
    std::vector<SourceMaterial> materials;
    Vec3 boundsMin{{0, 0, 0}};
    Vec3 boundsMax{{0, 0, 0}};
};

} // namespace convert
