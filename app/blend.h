// Values between two passes: `t` of the way from `a` to `b`, as a(1 - t) + bt, which
// gives exactly a at 0 and exactly b at 1 (and a when both are equal).
#pragma once

#include "render/matrix4.h"
#include "render/vector3.h"

inline float blend(float a, float b, float t) {
    if (a == b)
        return a;
    return a * (1.0f - t) + b * t;
}

inline Vector3 blend(const Vector3& a, const Vector3& b, float t) {
    return Vector3(blend(a.x, b.x, t), blend(a.y, b.y, t), blend(a.z, b.z, t));
}

inline Matrix4 blend(const Matrix4& a, const Matrix4& b, float t) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = blend(a.m[i], b.m[i], t);
    return m;
}
