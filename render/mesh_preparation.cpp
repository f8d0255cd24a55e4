// Face and vertex normals of a mesh, computed once when the mesh is loaded.
#include "scene/scene.h"

#include "scene/allocate.h"

namespace {

// A face whose corners all lie in the vertex list; any other is skipped, so nothing
// is read outside the list.
bool usable(const Face& face, int32_t vertexCount) {
    return face.a >= 0 && face.a < vertexCount && face.b >= 0 && face.b < vertexCount && face.c >= 0 &&
           face.c < vertexCount;
}

} // namespace

void MeshObject::computeFaceNormals() {
    for (int32_t j = 0; j < faceCount; ++j) {
        Face& face = faces[j];
        if (!usable(face, vertexCount))
            continue;
        const Vector3& a = vertices[face.a];
        Vector3 e1, e2, n;
        vertices[face.b].subtract(a, e1);
        vertices[face.c].subtract(a, e2);
        // (C - A) x (B - A): the normal faces the side from which A, B, C run clockwise.
        n.setCross(e2, e1);
        n.normalize();
        face.normal = n;
    }
}

void MeshObject::computeVertexNormals() {
    // Each vertex normal is the normalised sum of the normals of the faces that use
    // the vertex, a face counting once however many of its corners name the vertex.
    // Walking the faces in index order and adding each normal to its distinct corners
    // adds, for every vertex, the same normals in the same order as comparing every
    // vertex with every face would, so the sums are bit-identical; it takes time in
    // proportion to vertices plus faces instead of their product.
    vertexNormals = allocateArray<Vector3>(vertexCount);
    Vector3* sums = vertexNormals.get();
    for (int32_t j = 0; j < faceCount; ++j) {
        const Face& face = faces[j];
        if (!usable(face, vertexCount))
            continue;
        sums[face.a].add(face.normal);
        if (face.b != face.a)
            sums[face.b].add(face.normal);
        if (face.c != face.a && face.c != face.b)
            sums[face.c].add(face.normal);
    }
    for (int32_t i = 0; i < vertexCount; ++i)
        sums[i].normalize();
}
