#include "render/gl.h"
#include "support/gl_fixture.h"

#include <string>
#include <vector>

#include <cstring>

TEST_F(GLTest, ClearsAndDrawsIntoTheOffscreenFramebuffer) {
    EXPECT_NE(std::strstr(reinterpret_cast<const char*>(glGetString(GL_RENDERER)), "llvmpipe"), nullptr);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glBegin(GL_TRIANGLES); // left half of the view
    glVertex2f(-1, -1);
    glVertex2f(0, -1);
    glVertex2f(-1, 1);
    glEnd();
    glFinish();
    unsigned char rgb[3];
    pixel(4, 4, rgb);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[2], 0);
    pixel(WIDTH - 4, HEIGHT - 4, rgb);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[2], 255);
    std::vector<unsigned char> rows = gl.readRgbTopDown();
    ASSERT_EQ(rows.size(), size_t(WIDTH * HEIGHT * 3));
    // Top-down: the bottom-left pixel is in the last row.
    EXPECT_EQ(rows[(HEIGHT - 1) * WIDTH * 3 + 4 * 3], 255);
}

// A red triangle on blue, drawn with `samples` per pixel: how many pixels are neither.
int mixedEdgePixels(int samples) {
    OffscreenGL gl;
    std::string error;
    EXPECT_TRUE(gl.create(64, 64, error, samples)) << error;
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex2f(-0.9f, -0.8f);
    glVertex2f(0.7f, -0.6f);
    glVertex2f(-0.5f, 0.9f);
    glEnd();
    std::vector<unsigned char> rgb = gl.readRgbTopDown();
    int mixed = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        bool red = rgb[i] == 255 && rgb[i + 2] == 0;
        bool blue = rgb[i] == 0 && rgb[i + 2] == 255;
        mixed += !red && !blue && rgb[i] + rgb[i + 2] >= 250 && rgb[i] + rgb[i + 2] <= 260;
    }
    return mixed;
}

TEST(OffscreenSamples, MultisampledEdgesBlendTheTwoColoursAndOneSampleKeepsThemHard) {
    EXPECT_GT(mixedEdgePixels(4), 20);
    EXPECT_EQ(mixedEdgePixels(0), 0);
}
