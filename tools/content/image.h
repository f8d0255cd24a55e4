// An RGB image in floating point (0..1 per channel) with its rows stored top row
// first, and the two file formats the demo reads: 24-bit uncompressed TGA and
// baseline JPEG. Both writers store the picture so that the loader puts the
// bottom row at texture coordinate t = 0: a texture coordinate v of 0 is the
// bottom of the picture, 1 its top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct Color {
    float r = 0, g = 0, b = 0;
};

inline Color operator+(Color a, Color b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Color operator*(Color a, float s) {
    return {a.r * s, a.g * s, a.b * s};
}
inline Color operator*(Color a, Color b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Color mix(Color a, Color b, float t) {
    return a * (1.0f - t) + b * t;
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Color> pixels; // row 0 is the top row

    Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
    Color& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Color& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Adds c to the pixel when (x, y) lies inside the image.
    void add(int x, int y, Color c) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            at(x, y) = at(x, y) + c;
    }
    // 8-bit RGB, rows top first, each channel clamped and rounded.
    std::vector<uint8_t> rgb8() const;
};

// Writes a 24-bit uncompressed TGA (image type 2, no ID, no colour map, bottom-left origin).
bool writeTga(const std::string& path, const Image& image);
// Writes a baseline JPEG (3 components, 4:2:0) of the given quality through libjpeg.
bool writeJpeg(const std::string& path, const Image& image, int quality);
// TGA file bytes, for tests and for writeTga.
std::vector<uint8_t> tgaBytes(const Image& image);

} // namespace content
