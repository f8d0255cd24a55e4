// Pieces of the object renderer that the additive pass shares: bounds-safe access
// to a mesh's arrays and the triangle loops.
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

// How the triangle loops reach GL: from client vertex arrays built once per object
// (the default), or corner by corner in immediate mode. Both give the same pixels;
// the immediate loops are the reference the arrays are tested and measured against.
enum class DrawPath { ARRAYS, IMMEDIATE };
void setDrawPath(DrawPath path);
DrawPath drawPath();

// The triangle loops of the chosen path, over the usable faces in list order:
// face-normal (one normal per triangle), vertex-normal (one per corner), and
// textured (per corner normal, texture coordinate and vertex, a, b, c).
void drawFaceNormalTriangles(const MeshObject& object);
void drawVertexNormalTriangles(const MeshObject& object);
void drawTexturedTriangles(const MeshObject& object);

namespace immediate {
void drawFaceNormalTriangles(const MeshObject& object);
void drawVertexNormalTriangles(const MeshObject& object);
void drawTexturedTriangles(const MeshObject& object);
} // namespace immediate

namespace arrays {
void drawFaceNormalTriangles(const MeshObject& object);
void drawVertexNormalTriangles(const MeshObject& object);
void drawTexturedTriangles(const MeshObject& object);
} // namespace arrays
