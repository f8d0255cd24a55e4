// 4x4 single-precision matrix in OpenGL's column-major order (element at row r,
// column c is m[4 * c + r]), handed to glLoadMatrixf/glMultMatrixf unchanged.
#pragma once

struct Matrix4 {
    float m[16];

    Matrix4() { identity(); }

    void identity();
    void set(const float values[16]);
    // this = this * b
    Matrix4& multiply(Matrix4 b);
    // this = this * R(angle in degrees, axis); the axis is not normalised.
    Matrix4& rotate(float angle, float x, float y, float z);
    // this = this * T(x, y, z)
    void translate(float x, float y, float z);
};

// Degrees to radians: 3.1415926535 / 180 in double precision.
constexpr double DEGREES_TO_RADIANS = 0.017453292519444445;
