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
