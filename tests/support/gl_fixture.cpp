#include "support/gl_fixture.h"

#include "render/gl.h"

void GLTest::SetUp() {
    std::string error;
    ASSERT_TRUE(gl.create(WIDTH, HEIGHT, error)) << error;
}

void GLTest::TearDown() { gl.destroy(); }

void GLTest::pixel(int x, int y, unsigned char rgb[3]) const {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}
