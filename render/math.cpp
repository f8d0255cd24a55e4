#include "render/matrix4.h"
#include "render/vector3.h"

#include <cmath>
#include <cstring>

namespace {
float scaleComponent(float raw) {
    const float factor = 1.0f / 255.0f;
    return raw > 0.0f ? raw * factor : 0.0f;
}
} // namespace

void scaleColor255(const Vector3& raw255, Vector3& unit) {
    unit.set(scaleComponent(raw255.x), scaleComponent(raw255.y), scaleComponent(raw255.z));
}

void Matrix4::identity() {
    std::memset(m, 0, sizeof m);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Matrix4::set(const float values[16]) { std::memcpy(m, values, sizeof m); }

Matrix4& Matrix4::multiply(Matrix4 b) {
    float r[16];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            r[4 * j + i] = m[i] * b.m[4 * j] + m[4 + i] * b.m[4 * j + 1] + m[8 + i] * b.m[4 * j + 2] +
                           m[12 + i] * b.m[4 * j + 3];
    std::memcpy(m, r, sizeof m);
    return *this;
}

Matrix4& Matrix4::rotate(float angle, float x, float y, float z) {
    double rad = angle * DEGREES_TO_RADIANS;
    float c = static_cast<float>(std::cos(rad));
    float s = static_cast<float>(std::sin(rad));
    float t = 1.0f - c;
    Matrix4 r;
    r.m[0] = c + t * x * x;
    r.m[1] = t * x * y + s * z;
    r.m[2] = t * x * z - s * y;
    r.m[4] = t * x * y - s * z;
    r.m[5] = c + t * y * y;
    r.m[6] = t * y * z + s * x;
    r.m[8] = t * x * z + s * y;
    r.m[9] = t * y * z - s * x;
    r.m[10] = c + t * z * z;
    return multiply(r);
}

void Matrix4::translate(float x, float y, float z) {
    for (int i = 0; i < 4; ++i)
        m[12 + i] = x * m[i] + y * m[4 + i] + z * m[8 + i] + m[12 + i];
}
