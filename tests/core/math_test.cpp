#include "render/matrix4.h"
#include "render/vector3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {
uint32_t bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}
void expectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
} // namespace

TEST(Vector3, LengthNormalizeAndZeroVector) {
    EXPECT_FLOAT_EQ(Vector3(1, 2, 2).length(), 3.0f);
    Vector3 v(3, 0, 4);
    v.normalize();
    expectVector(v, 0.6f, 0.0f, 0.8f);
    Vector3 zero;
    zero.normalize();
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));
}

TEST(Vector3, CrossProductOrderAndAliasing) {
    Vector3 out;
    Vector3(1, 0, 0).cross(Vector3(0, 1, 0), out);
    expectVector(out, 0, 0, 1);
    out.setCross(Vector3(0, 1, 0), Vector3(1, 0, 0));
    expectVector(out, 0, 0, -1);
    // The result may land in the vector itself.
    Vector3 a(0, 1, 0);
    a.cross(Vector3(0, 0, 1), a);
    expectVector(a, 1, 0, 0);
}

TEST(Vector3, SubtractAddDot) {
    Vector3 a(5, 7, 9);
    Vector3 d;
    a.subtract(Vector3(1, 2, 3), d);
    expectVector(d, 4, 5, 6);
    expectVector(a, 5, 7, 9);
    a.add(Vector3(1, 1, 1));
    expectVector(a, 6, 8, 10);
    EXPECT_FLOAT_EQ(Vector3(1, 2, 3).dot(Vector3(4, 5, 6)), 32.0f);
}

TEST(Matrix4, IdentityAndMultiply) {
    Matrix4 m;
    const float values[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    m.set(values);
    Matrix4 id;
    Matrix4 left = id;
    left.multiply(m);
    Matrix4 right = m;
    right.multiply(id);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(left.m[i], values[i]);
        EXPECT_EQ(right.m[i], values[i]);
    }
    // Squaring in place: column-major product A*A.
    Matrix4 sq = m;
    sq.multiply(sq);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            float expected = 0;
            for (int k = 0; k < 4; ++k)
                expected += values[4 * k + i] * values[4 * j + k];
            EXPECT_FLOAT_EQ(sq.m[4 * j + i], expected);
        }
}

TEST(Matrix4, RotateUsesTheShortPiFactorAndNoNormalisation) {
    Matrix4 m;
    m.rotate(90, 0, 0, 1);
    EXPECT_FLOAT_EQ(m.m[1], 1.0f);
    EXPECT_FLOAT_EQ(m.m[4], -1.0f);
    EXPECT_NEAR(m.m[0], 0.0f, 1e-6);
    EXPECT_NEAR(m.m[5], 0.0f, 1e-6);
    // cos(90 degrees) with pi cut after ten decimals is not the exact float cosine.
    EXPECT_EQ(m.m[0], static_cast<float>(std::cos(90 * 0.017453292519444445)));
    EXPECT_NE(m.m[0], static_cast<float>(std::cos(90 * 0.017453292519943295)));
    Matrix4 scaled;
    scaled.rotate(0, 0, 0, 2); // t = 0: the axis does not scale at angle 0
    EXPECT_FLOAT_EQ(scaled.m[10], 1.0f);
    scaled.rotate(180, 0, 0, 2); // c = -1, t = 2: m[10] = -1 + 2 * 4
    EXPECT_NEAR(scaled.m[10], 7.0f, 1e-5);
}

TEST(Matrix4, TranslateMultipliesOnTheRight) {
    Matrix4 m;
    m.translate(1, 2, 3);
    EXPECT_EQ(m.m[12], 1.0f);
    EXPECT_EQ(m.m[13], 2.0f);
    EXPECT_EQ(m.m[14], 3.0f);
    Matrix4 r;
    r.rotate(90, 0, 0, 1);
    r.translate(1, 2, 3);
    EXPECT_NEAR(r.m[12], -2.0f, 1e-6);
    EXPECT_NEAR(r.m[13], 1.0f, 1e-6);
    EXPECT_NEAR(r.m[14], 3.0f, 1e-6);
}

TEST(Color, ScaleColor255) {
    EXPECT_EQ(bits(1.0f / 255.0f), 0x3B808081u);
    Vector3 unit;
    scaleColor255(Vector3(255, 0, -5), unit);
    EXPECT_NEAR(unit.x, 1.0f, 1.2e-7);
    EXPECT_EQ(unit.y, 0.0f);
    EXPECT_EQ(unit.z, 0.0f);
    scaleColor255(Vector3(510, NAN, 200), unit);
    EXPECT_NEAR(unit.x, 2.0f, 2.4e-7);
    EXPECT_EQ(unit.y, 0.0f);
    EXPECT_FLOAT_EQ(unit.z, 0.78431380f);
}
