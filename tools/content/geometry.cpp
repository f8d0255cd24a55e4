#include "geometry.h"

#include <cstdio>
#include <cstdlib>

namespace content {

void Mesh::append(const Mesh& other) {
    int base = static_cast<int>(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    uv.insert(uv.end(), other.uv.begin(), other.uv.end());
    for (const auto& f : other.faces)
        faces.push_back({f[0] + base, f[1] + base, f[2] + base});
}

void Mesh::transform(const std::function<V3(V3)>& f) {
    for (V3& p : vertices)
        p = f(p);
}

void Mesh::flip() {
    for (auto& f : faces)
        std::swap(f[1], f[2]);
}

Mesh gridSurface(int cols, int rows, const std::function<V3(double, double)>& at, double uScale,
                 double vScale) {
    Mesh m;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= cols; ++i) {
            double u = static_cast<double>(i) / cols, v = static_cast<double>(j) / rows;
            m.addVertex(at(u, v), u * uScale, v * vScale);
        }
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            int a = j * (cols + 1) + i, b = a + 1, c = a + cols + 1, d = c + 1;
            m.addFace(a, b, d);
            m.addFace(a, d, c);
        }
    return m;
}

Mesh box(V3 c, V3 h) {
    Mesh m;
    // Each side: normal, two in-plane axes (right, up) and its quarter of the texture.
    struct Side {
        V3 n, r, u;
        double u0, v0;
    };
    const Side sides[6] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 0.0, 0.5},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}, 0.5, 0.0},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 0.5, 0.5},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}, 0.5, 0.5},
        {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, 0.0, 0.0}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 0.0, 0.0},
    };
    const double inset = 2.0 / 512.0; // keep nearest sampling inside the quarter
    for (const Side& s : sides) {
        auto scale = [&](V3 v) { return V3(v.x * h.x, v.y * h.y, v.z * h.z); };
        V3 center = c + scale(s.n), right = scale(s.r), up = scale(s.u);
        double u0 = s.u0 + inset, v0 = s.v0 + inset, u1 = s.u0 + 0.5 - inset, v1 = s.v0 + 0.5 - inset;
        int a = m.addVertex(center - right - up, u0, v0);
        int b = m.addVertex(center + right - up, u1, v0);
        int d = m.addVertex(center + right + up, u1, v1);
        int e = m.addVertex(center - right + up, u0, v1);
        m.addFace(a, b, d);
        m.addFace(a, d, e);
    }
    return m;
}

Mesh uvSphere(V3 center, double r, int slices, int stacks) {
    return gridSurface(slices, stacks, [&](double u, double v) {
        double th = u * 2 * kPi, ph = (v - 0.5) * kPi;
        return center + V3(std::cos(th) * std::cos(ph), std::sin(th) * std::cos(ph), std::sin(ph)) * r;
    });
}

Mesh tube(const std::function<V3(double)>& c, double r, int segments, int sides, double uRepeat) {
    // A frame that is carried along the curve (parallel transport), so the tube doesn't twist.
    std::vector<V3> pts(segments + 1), tangents(segments + 1), normals(segments + 1);
    for (int i = 0; i <= segments; ++i) {
        double t = static_cast<double>(i) / segments;
        pts[i] = c(t);
        tangents[i] = normalized(c(t + 1e-4) - c(t - 1e-4));
    }
    V3 n = cross(tangents[0], V3(0, 0, 1));
    if (length(n) < 1e-3)
        n = cross(tangents[0], V3(1, 0, 0));
    normals[0] = normalized(n);
    for (int i = 1; i <= segments; ++i) {
        V3 prev = normals[i - 1];
        V3 t = tangents[i];
        normals[i] = normalized(prev - t * dot(prev, t));
    }
    // On a closed curve the carried frame comes back turned about the tangent:
    // spread that turn along the tube so its two ends meet without a seam.
    double twist = 0;
    if (length(pts[segments] - pts[0]) < 1e-6) {
        V3 end = normals[segments], start = normals[0];
        twist = std::atan2(dot(cross(end, start), tangents[0]), dot(end, start));
    }
    Mesh m;
    for (int i = 0; i <= segments; ++i) {
        V3 t = tangents[i], n0 = normals[i], b0 = cross(t, n0);
        double turn = twist * i / segments;
        V3 nn = n0 * std::cos(turn) + b0 * std::sin(turn), b = cross(t, nn);
        for (int j = 0; j <= sides; ++j) {
            double a = 2 * kPi * j / sides;
            V3 dir = nn * std::cos(a) + b * std::sin(a);
            m.addVertex(pts[i] + dir * r, uRepeat * i / segments, static_cast<double>(j) / sides);
        }
    }
    for (int i = 0; i < segments; ++i)
        for (int j = 0; j < sides; ++j) {
            int a = i * (sides + 1) + j, b2 = a + 1, cc = a + sides + 1, d = cc + 1;
            m.addFace(a, b2, d);
            m.addFace(a, d, cc);
        }
    return m;
}

Mesh plate(V3 center, V3 right, V3 up, double u0, double v0, double u1, double v1) {
    Mesh m;
    int a = m.addVertex(center - right - up, u0, v0);
    int b = m.addVertex(center + right - up, u1, v0);
    int c = m.addVertex(center + right + up, u1, v1);
    int d = m.addVertex(center - right + up, u0, v1);
    m.addFace(a, b, c);
    m.addFace(a, c, d);
    return m;
}

tds::MeshDesc toMeshDesc(const Mesh& mesh, const std::string& name, const std::string& material,
                         bool withTexCoords) {
    if (mesh.vertices.size() > 32767 || mesh.faces.size() > 32767) {
        std::fprintf(stderr, "mesh %s too large for a 3DS file (%zu vertices, %zu faces)\n", name.c_str(),
                     mesh.vertices.size(), mesh.faces.size());
        std::exit(1);
    }
    tds::MeshDesc d;
    d.name = name;
    d.material = material;
    for (const V3& p : mesh.vertices)
        d.vertices.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
    // The loader's face normal is (C - A) x (B - A): a face is written with its
    // corners clockwise as seen from its front, so the normal points out of the
    // front. Faces without area are dropped, as their normal would be undefined.
    for (const auto& f : mesh.faces) {
        V3 a = mesh.vertices[f[0]], b = mesh.vertices[f[1]], c = mesh.vertices[f[2]];
        double area = length(cross(b - a, c - a));
        double scale = dot(b - a, b - a) + dot(c - a, c - a);
        if (!(area > 1e-6 * scale) || scale <= 0)
            continue;
        d.faces.push_back(
            {static_cast<uint16_t>(f[0]), static_cast<uint16_t>(f[2]), static_cast<uint16_t>(f[1])});
    }
    if (withTexCoords)
        for (const auto& t : mesh.uv)
            d.texCoords.push_back({static_cast<float>(t[0]), static_cast<float>(t[1])});
    return d;
}

} // namespace content
