// Geometry for the content generators: a small vector type, triangle meshes with
// one texture coordinate per vertex, and the primitive shapes the scenes are built
// from. A Mesh turns into the 3DS writer's MeshDesc.
#pragma once

#include "scene_writer.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace content {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x = 0, y = 0, z = 0;
    V3() = default;
    V3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
};

inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline V3 operator*(double s, V3 a) {
    return a * s;
}
inline double dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(V3 a) {
    return std::sqrt(dot(a, a));
}
inline V3 normalized(V3 a) {
    double l = length(a);
    return l > 0 ? a * (1.0 / l) : V3(0, 0, 1);
}
inline V3 lerp(V3 a, V3 b, double t) {
    return a + (b - a) * t;
}
// Rotation of p about the z axis (through the origin) by angle radians.
inline V3 rotateZ(V3 p, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}
inline V3 rotateX(V3 p, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    return {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
}
inline V3 rotateY(V3 p, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    return {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
}

struct Mesh {
    std::vector<V3> vertices;
    std::vector<std::array<double, 2>> uv; // empty, or one per vertex
    std::vector<std::array<int, 3>> faces;

    int addVertex(V3 p, double u, double v) {
        vertices.push_back(p);
        uv.push_back({u, v});
        return static_cast<int>(vertices.size()) - 1;
    }
    void addFace(int a, int b, int c) { faces.push_back({a, b, c}); }
    // Appends another mesh (its indices shifted).
    void append(const Mesh& other);
    // Applies f to every vertex position.
    void transform(const std::function<V3(V3)>& f);
    // Turns every face around (the other side becomes the front).
    void flip();
};

// A grid of (cols + 1) x (rows + 1) vertices over the parameter square: at(u, v) gives
// the position, u and v run 0..1 and become the texture coordinates scaled by
// (uScale, vScale). Two triangles per cell, wound so that the cross product of
// the u and v directions is the front.
Mesh gridSurface(int cols, int rows, const std::function<V3(double, double)>& at, double uScale = 1,
                 double vScale = 1);

// A box with its own four vertices per side. Each side takes its texture
// coordinates from a quarter of the texture picked by its direction: the top
// (+z) the top-left quarter, the sides facing +-x the top-right, the sides facing
// +-y the bottom-left, the bottom the bottom-right. A texture can so bake a
// different brightness into each direction.
Mesh box(V3 center, V3 half);
// A sphere of radius r (slices around z, stacks from pole to pole).
Mesh uvSphere(V3 center, double r, int slices, int stacks);
// A tube of radius r around a closed curve c(t), t in 0..1, with the given segments.
Mesh tube(const std::function<V3(double)>& c, double r, int segments, int sides, double uRepeat = 1);
// A flat rectangle in the plane spanned by right and up, centred on center, facing
// right x up; texture coordinates (u0, v0) .. (u1, v1) from its bottom-left corner.
Mesh plate(V3 center, V3 right, V3 up, double u0, double v0, double u1, double v1);

// The 3DS description of a mesh, with or without its texture coordinates.
tds::MeshDesc toMeshDesc(const Mesh& mesh, const std::string& name, const std::string& material,
                         bool withTexCoords);

} // namespace content
