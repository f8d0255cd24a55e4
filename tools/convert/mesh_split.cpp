#include "mesh_split.h"

#include <cstdint>

namespace convert {

namespace {

constexpr uint32_t UNUSED = UINT32_MAX;

PlacedMesh emptyPieceOf(const PlacedMesh& mesh) {
    PlacedMesh piece;
    piece.name = mesh.name;
    piece.sourceMesh = mesh.sourceMesh;
    piece.material = mesh.material;
    return piece;
}

// Vertices of the face not yet in the piece.
size_t newVertices(const Tri& face, const std::vector<uint32_t>& remap) {
    size_t n = 0;
    for (int k = 0; k < 3; ++k) {
        bool repeated = (k > 0 && face[k] == face[0]) || (k > 1 && face[k] == face[1]);
        n += remap[face[k]] == UNUSED && !repeated;
    }
    return n;
}

void addFace(const PlacedMesh& mesh, const Tri& face, std::vector<uint32_t>& remap,
             std::vector<uint32_t>& touched, PlacedMesh& piece) {
    Tri local;
    for (int k = 0; k < 3; ++k) {
        uint32_t v = face[k];
        if (remap[v] == UNUSED) {
            remap[v] = static_cast<uint32_t>(piece.positions.size());
            touched.push_back(v);
            piece.positions.push_back(mesh.positions[v]);
            piece.normals.push_back(mesh.normals[v]);
            if (!mesh.uvs.empty())
                piece.uvs.push_back(mesh.uvs[v]);
        }
        local[k] = remap[v];
    }
    piece.triangles.push_back(local);
}

} // namespace

std::vector<PlacedMesh> splitMesh(const PlacedMesh& mesh, size_t maxVertices, size_t maxFaces) {
    std::vector<PlacedMesh> pieces;
    std::vector<uint32_t> remap(mesh.positions.size(), UNUSED);
    std::vector<uint32_t> touched;
    PlacedMesh piece = emptyPieceOf(mesh);
    for (const Tri& face : mesh.triangles) {
        if (face[0] >= remap.size() || face[1] >= remap.size() || face[2] >= remap.size())
            continue;
        if (piece.triangles.size() >= maxFaces ||
            piece.positions.size() + newVertices(face, remap) > maxVertices) {
            pieces.push_back(std::move(piece));
            piece = emptyPieceOf(mesh);
            for (uint32_t v : touched)
                remap[v] = UNUSED;
            touched.clear();
        }
        addFace(mesh, face, remap, touched, piece);
    }
    if (!piece.triangles.empty())
        pieces.push_back(std::move(piece));
    return pieces;
}

} // namespace convert
