// The corner-by-corner loops: per triangle one glBegin/glEnd with its normals,
// texture coordinates and vertices. The array loops draw exactly what these do; they
// stay as the reference the array loops are checked and measured against.
#include "render/gl.h"
#include "render/object_renderer.h"
#include "scene/scene.h"

void MeshArrays::vertex(int32_t i) const {
    const Vector3& v = vertices[i];
    glVertex3f(v.x, v.y, v.z);
}

void MeshArrays::normal(int32_t i) const {
    if (!normals)
        return;
    const Vector3& n = normals[i];
    glNormal3f(n.x, n.y, n.z);
}

void MeshArrays::texCoord(int32_t i) const {
    // The vertices the mapping-coordinate list doesn't cover (all of them when it is
    // empty) get (0, 0): an object never inherits the coordinate of the one before.
    if (i < texCoordCount)
        glTexCoord2f(texCoords[i].u, texCoords[i].v);
    else
        glTexCoord2f(0.0f, 0.0f);
}

namespace immediate {

// The face-normal loop: one normal per triangle.
void drawFaceNormalTriangles(const MeshObject& object) {
    MeshArrays mesh(object);
    for (int32_t i = 0; i < mesh.faceCount; ++i) {
        const Face& face = mesh.faces[i];
        if (!mesh.usable(face))
            continue;
        glBegin(GL_TRIANGLES);
        glNormal3f(face.normal.x, face.normal.y, face.normal.z);
        mesh.vertex(face.a);
        mesh.vertex(face.b);
        mesh.vertex(face.c);
        glEnd();
    }
}

// The vertex-normal loop: one normal per corner.
void drawVertexNormalTriangles(const MeshObject& object) {
    MeshArrays mesh(object);
    for (int32_t i = 0; i < mesh.faceCount; ++i) {
        const Face& face = mesh.faces[i];
        if (!mesh.usable(face))
            continue;
        glBegin(GL_TRIANGLES);
        mesh.normal(face.a);
        mesh.vertex(face.a);
        mesh.normal(face.b);
        mesh.vertex(face.b);
        mesh.normal(face.c);
        mesh.vertex(face.c);
        glEnd();
    }
}

// The textured loop: per corner normal, texture coordinate and vertex.
void drawTexturedTriangles(const MeshObject& object) {
    MeshArrays mesh(object);
    for (int32_t i = 0; i < mesh.faceCount; ++i) {
        const Face& face = mesh.faces[i];
        if (!mesh.usable(face))
            continue;
        glBegin(GL_TRIANGLES);
        for (int32_t corner : {face.a, face.b, face.c}) {
            mesh.normal(corner);
            mesh.texCoord(corner);
            mesh.vertex(corner);
        }
        glEnd();
    }
}

} // namespace immediate
