// Three-component single-precision vector: positions, normals and colours.
#pragma once

#include <cmath>

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void set(float x_, float y_, float z_) {
        x = x_;
        y = y_;
        z = z_;
    }
    void assign(const Vector3& v) { *this = v; }
    void zero() { x = y = z = 0.0f; }
    void add(const Vector3& v) {
        x = v.x + x;
        y = v.y + y;
        z = v.z + z;
    }
    Vector3& subtract(const Vector3& v, Vector3& out) const {
        out.set(x - v.x, y - v.y, z - v.z);
        return out;
    }
    float length() const { return std::sqrt(x * x + y * y + z * z); }
    // Multiplies by the reciprocal of the length; a zero vector becomes NaN.
    void normalize() {
        float f = 1.0f / length();
        x = f * x;
        y = f * y;
        z = f * z;
    }
    float dot(Vector3 v) const { return x * v.x + y * v.y + z * v.z; }
    // out = this x v (right-handed); out may alias this or v.
    Vector3& cross(Vector3 v, Vector3& out) const {
        Vector3 t(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
        out = t;
        return out;
    }
    // this = a x b.
    void setCross(const Vector3& a, const Vector3& b) { a.cross(b, *this); }
};

// Fills the 0-1 colour from the 0-255 colour with the float factor 1/255 (bit pattern
// 0x3B808081), multiplied in; zero, negative and NaN components give 0, nothing clamps above.
void scaleColor255(const Vector3& raw255, Vector3& unit);
