// Pieces of the object renderer that the additive pass shares: bounds-safe access
// to a mesh's arrays and the textured triangle loop.
#pragma once

#include <cstdint>

struct MeshObject;
struct Face;
struct Vector3;
struct TexCoord;

// A mesh's arrays with the counts that may be used: a missing array counts as empty,
// so nothing is ever read outside what the object holds.
struct MeshArrays {
    explicit MeshArrays(const MeshObject& object);

    const Face* faces;
    const Vector3* vertices;
    const Vector3* normals; // may be null: then no normals are sent
    const TexCoord* texCoords;
    int32_t faceCount;
    int32_t vertexCount;
    int32_t texCoordCount;

    // A face is drawn only when all three corners name a vertex of the list.
    bool usable(const Face& face) const;
    // glVertex3f / glNormal3f / glTexCoord2f for vertex i (i must be usable); a vertex
    // past the mapping-coordinate list gets (0, 0).
    void vertex(int32_t i) const;
    void normal(int32_t i) const;
    void texCoord(int32_t i) const;
};

// The textured loop: per triangle one glBegin/glEnd, per corner normal, texture
// coordinate and vertex, in the order a, b, c.
void drawTexturedTriangles(const MeshObject& object);
