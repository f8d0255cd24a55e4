// Images the converter reads from models (PNG, JPEG, assimp's raw texels) and the
// TGA files it writes for the demo, at power-of-two sizes it can load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // top row first
};

// Sides over this are refused when reading.
constexpr int MAX_SOURCE_SIDE = 16384;
// The largest side written.
constexpr int MAX_TEXTURE_SIDE = 1024;

// True when an image of width x height may be decoded: at most MAX_SOURCE_SIDE a
// side and MAX_SOURCE_PIXELS in all; false with the reason otherwise.
bool pixelsAllowed(uint64_t width, uint64_t height, std::string& error);

// Decodes PNG, JPEG, TGA or BMP bytes; false with a reason on anything else or a
// damaged file.
bool decodeImage(const std::vector<uint8_t>& bytes, Image& image, std::string& error);

// The formats without a reader of their own here (TGA, BMP), through the image library.
bool decodeOtherImage(const std::vector<uint8_t>& bytes, Image& image, std::string& error);

// Shrunk to the powers of two at or below its sides, at most 1024, with a filtered
// resample; an image that already is one comes back as it is.
Image powerOfTwo(const Image& image);

// The image resampled to the given size (Mitchell filter, in linear light).
Image resizedImage(const Image& image, int width, int height);

// An uncompressed 24-bit TGA, bottom row first.
std::vector<uint8_t> tgaBytes(const Image& image);

} // namespace convert
