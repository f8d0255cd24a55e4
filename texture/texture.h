// Texture loading: one TGA or JPEG image file becomes an OpenGL texture.
#pragma once

#include <cstdint>
#include <memory>

// The largest side of an image accepted for a texture, in pixels: larger images are
// refused with an error before their pixel buffer (3 bytes a pixel) is allocated.
constexpr int32_t TEXTURE_MAX_SIDE = 8192;

struct Texture {
    std::unique_ptr<unsigned char[]> pixels; // width x height RGB, rows without padding, bottom row first
    int32_t bytesPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t format = 0x1907; // GL_RGB
    int32_t pixelCount = 0;

    // Reads the image named by fileName (by its extension) and uploads it; returns the
    // GL texture name. Every failure ends the process through the log's error.
    uint32_t load(const char* fileName);
    int loadTGA(const char* fileName);
    int loadJPEG(const char* fileName);
};

// Loads a texture file into a new GL texture (a fresh Texture record per call).
uint32_t loadTexture(const char* fileName);
