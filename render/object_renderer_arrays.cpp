// The triangle loops drawn from client vertex arrays. Each call gives GL the same
// corners, in the same order, with the same normals and texture coordinates as the
// corner-by-corner loops, so the pixels are the same; afterwards the current normal
// and texture coordinate are set to what those loops leave, as GL leaves them
// undefined after drawing from an array.
#include "render/object_renderer_arrays.h"

#include "render/gl.h"
#include "render/object_renderer.h"
#include "scene/scene.h"

static_assert(sizeof(Vector3) == 3 * sizeof(float), "vertex arrays take packed x, y, z");
static_assert(sizeof(TexCoord) == 2 * sizeof(float), "texture coordinate arrays take packed u, v");

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

namespace {

// The object's arrays, rebuilt first if its geometry was replaced since they were built.
const DrawArrays& arraysOf(const MeshObject& object) {
    if (!object.drawArrays.builtFrom(object))
        object.drawArrays.build(object);
    return object.drawArrays;
}

// The corners of the usable faces by index, with vertex normals and, when
// `textured`, texture coordinates.
void drawIndexed(const MeshObject& object, bool textured) {
    const DrawArrays& arrays = arraysOf(object);
    if (arrays.indices.empty())
        return;
    MeshArrays mesh(object);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.vertices);
    if (mesh.normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, mesh.normals);
    }
    const float* coords = nullptr;
    if (textured) {
        coords = arrays.paddedTexCoords.empty() ? &mesh.texCoords[0].u : arrays.paddedTexCoords.data();
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, coords);
    }
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(arrays.indices.size()), GL_UNSIGNED_INT,
                   arrays.indices.data());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);

    uint32_t last = arrays.indices.back();
    if (mesh.normals)
        glNormal3f(mesh.normals[last].x, mesh.normals[last].y, mesh.normals[last].z);
    if (textured)
        glTexCoord2f(coords[2 * last], coords[2 * last + 1]);
}

} // namespace

namespace arrays {

void drawFaceNormalTriangles(const MeshObject& object) {
    const DrawArrays& arrays = arraysOf(object);
    if (arrays.cornerPositions.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays.cornerPositions.data());
    glNormalPointer(GL_FLOAT, 0, arrays.cornerFaceNormals.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(arrays.cornerPositions.size()));
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    const Vector3& n = arrays.cornerFaceNormals.back();
    glNormal3f(n.x, n.y, n.z);
}

void drawVertexNormalTriangles(const MeshObject& object) {
    drawIndexed(object, false);
}

void drawTexturedTriangles(const MeshObject& object) {
    drawIndexed(object, true);
}

} // namespace arrays
