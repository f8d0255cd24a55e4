// Writes small glTF 2.0 files for the converter's tests: meshes placed by nodes, a
// camera whose translation is keyed, a base-colour texture, a light, a skin and empties.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct GltfMesh {
    std::string name;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> uvs; // empty: none
    std::vector<uint32_t> indices;
    std::array<float, 3> translation{{0, 0, 0}};
    bool skinned = false; // every vertex bound to one joint node
};

struct GltfScene {
    std::vector<GltfMesh> meshes;
    std::array<float, 4> baseColour{{1, 0.5f, 0.25f, 1}};
    std::string textureUri; // the base-colour texture; empty: none
    // A camera node; with keys, its translation is keyed linearly at the given times.
    bool camera = false;
    float yfov = 0.8f;
    float aspectRatio = 1.0f;
    std::array<float, 3> cameraAt{{0, 0, 10}};
    std::vector<float> keyTimes;
    std::vector<std::array<float, 3>> keyTranslations;
    std::vector<std::array<float, 4>> keyRotations; // x, y, z, w per key; empty: none
    bool light = false;
    std::vector<std::pair<std::string, std::array<float, 3>>> empties; // nodes with a name and a place only

    // The whole file, buffers inline as base64 data.
    std::string json() const;
};

// A unit cube split into n x n quads per face (6 n^2 * 2 triangles, 6 (n+1)^2 vertices).
GltfMesh gridCube(const std::string& name, int n);

void writeText(const std::string& path, const std::string& text);
