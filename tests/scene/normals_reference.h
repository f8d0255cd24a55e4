// The straightforward vertex-normal computation, kept as the reference the linear one
// must match bit for bit: for every vertex, the sum over every face that uses it, in
// face order, then normalised. Faces outside the vertex list are skipped, as the
// mesh preparation skips them.
#pragma once

#include "scene/scene.h"

#include <memory>

inline std::unique_ptr<Vector3[]> referenceVertexNormals(const MeshObject& object) {
    const int32_t n = object.vertexCount;
    std::unique_ptr<Vector3[]> normals(new Vector3[static_cast<size_t>(n)]());
    Vector3 s;
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = 0; j < object.faceCount; ++j) {
            const Face& f = object.faces[j];
            if (f.a < 0 || f.a >= n || f.b < 0 || f.b >= n || f.c < 0 || f.c >= n)
                continue;
            if (f.a == i || f.b == i || f.c == i)
                s.add(f.normal);
        }
        s.normalize();
        normals[i] = s;
        s.zero();
    }
    return normals;
}
