// Splitting a placed mesh into pieces a 3DS object can hold: at most 65535 vertices
// and 65535 faces each, with 16-bit vertex indices.
#pragma once

#include "source_model.h"

#include <cstddef>
#include <vector>

namespace convert {

constexpr size_t MAX_OBJECT_VERTICES = 65535;
constexpr size_t MAX_OBJECT_FACES = 65535;

// The pieces in face order; a mesh that fits comes back whole. Faces naming a
// vertex the mesh lacks are dropped.
std::vector<PlacedMesh> splitMesh(const PlacedMesh& mesh, size_t maxVertices = MAX_OBJECT_VERTICES,
                                  size_t maxFaces = MAX_OBJECT_FACES);

} // namespace convert
