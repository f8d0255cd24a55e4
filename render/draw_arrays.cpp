// The drawing arrays built from a mesh's geometry, and bounds-safe access to it: no
// GL calls, shared by both renderers.
#include "render/object_renderer.h"
#include "render/object_renderer_arrays.h"
#include "scene/scene.h"

MeshArrays::MeshArrays(const MeshObject& object)
    : faces(object.faces.get()), vertices(object.vertices.get()), normals(object.vertexNormals.get()),
      texCoords(object.texCoords.get()) {
    faceCount = faces ? object.faceCount : 0;
    vertexCount = vertices ? object.vertexCount : 0;
    texCoordCount = texCoords ? object.texCoordCount : 0;
}

bool MeshArrays::usable(const Face& face) const {
    return face.a >= 0 && face.a < vertexCount && face.b >= 0 && face.b < vertexCount && face.c >= 0 &&
           face.c < vertexCount;
}

void DrawArrays::build(const MeshObject& object) {
    MeshArrays mesh(object);
    indices.clear();
    cornerPositions.clear();
    cornerFaceNormals.clear();
    paddedTexCoords.clear();
    indices.reserve(static_cast<size_t>(mesh.faceCount) * 3);
    cornerPositions.reserve(indices.capacity());
    cornerFaceNormals.reserve(indices.capacity());
    for (int32_t i = 0; i < mesh.faceCount; ++i) {
        const Face& face = mesh.faces[i];
        if (!mesh.usable(face))
            continue;
        for (int32_t corner : {face.a, face.b, face.c}) {
            indices.push_back(static_cast<uint32_t>(corner));
            cornerPositions.push_back(mesh.vertices[corner]);
            cornerFaceNormals.push_back(face.normal);
        }
    }
    if (mesh.texCoordCount < mesh.vertexCount) {
        paddedTexCoords.assign(static_cast<size_t>(mesh.vertexCount) * 2, 0.0f);
        for (int32_t i = 0; i < mesh.texCoordCount; ++i) {
            paddedTexCoords[2 * i] = mesh.texCoords[i].u;
            paddedTexCoords[2 * i + 1] = mesh.texCoords[i].v;
        }
    }
    sources_[0] = object.faces.get();
    sources_[1] = object.vertices.get();
    sources_[2] = object.vertexNormals.get();
    sources_[3] = object.texCoords.get();
    counts_[0] = object.faceCount;
    counts_[1] = object.vertexCount;
    counts_[2] = object.texCoordCount;
}

bool DrawArrays::builtFrom(const MeshObject& object) const {
    return sources_[0] == object.faces.get() && sources_[1] == object.vertices.get() &&
           sources_[2] == object.vertexNormals.get() && sources_[3] == object.texCoords.get() &&
           counts_[0] == object.faceCount && counts_[1] == object.vertexCount &&
           counts_[2] == object.texCoordCount;
}

void MeshObject::prepareDrawing() {
    drawArrays.build(*this);
}
