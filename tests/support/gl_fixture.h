// A test fixture with a current offscreen OpenGL context (Mesa, no display server).
#pragma once

#include "app/offscreen_gl.h"

#include <gtest/gtest.h>

class GLTest : public ::testing::Test {
protected:
    static constexpr int WIDTH = 64;
    static constexpr int HEIGHT = 64;
    void SetUp() override;
    void TearDown() override;
    // RGB of the pixel at (x, y), y counted from the bottom row as GL does.
    void pixel(int x, int y, unsigned char rgb[3]) const;
    OffscreenGL gl;
};
