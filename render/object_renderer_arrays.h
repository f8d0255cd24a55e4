// A mesh object's triangles laid out for client vertex arrays: built once from the
// loaded geometry, so a pass draws each object with a handful of GL calls.
#pragma once

#include "render/vector3.h"

#include <cstdint>
#include <vector>

struct MeshObject;

struct DrawArrays {
    // The corners of the usable faces (a, b, c per face, in list order), as indices
    // into the object's vertices, vertex normals and texCoords below.
    std::vector<uint32_t> indices;
    // The same corners spelled out, each with its face's normal (wireframe and flat).
    std::vector<Vector3> cornerPositions;
    std::vector<Vector3> cornerFaceNormals;
    // One texture coordinate (u, v) per vertex, (0, 0) past the object's mapping
    // list; empty when the object's own list already covers every vertex.
    std::vector<float> paddedTexCoords;

    // Fills the arrays from the object's geometry.
    void build(const MeshObject& object);
    // Whether they were built from the object's present arrays and counts. Geometry
    // changed in place (same arrays, same counts) needs an explicit build.
    bool builtFrom(const MeshObject& object) const;

  private:
    const void* sources_[4] = {nullptr, nullptr, nullptr, nullptr};
    int32_t counts_[3] = {-1, -1, -1};
};
