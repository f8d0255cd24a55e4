// Reading TGA images: true-colour 24-bit pictures, uncompressed (type 2) or run-length
// encoded (type 10), into RGB rows with the image's bottom row first. Works on bytes
// only; the texture loader does the file input and turns a refusal into its error text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tga {

constexpr size_t HEADER_SIZE = 18;
constexpr int TYPE_TRUE_COLOR = 2;
constexpr int TYPE_TRUE_COLOR_RLE = 10;
// Image descriptor bits: pixels run right to left / rows run top to bottom.
constexpr uint8_t DESCRIPTOR_RIGHT_ORIGIN = 0x10;
constexpr uint8_t DESCRIPTOR_TOP_ORIGIN = 0x20;

struct Header {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t colorMapFirst = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapDepth = 0;
    int16_t width = 0;  // taken as signed, as the loader has always read it
    int16_t height = 0; // taken as signed
    int8_t depth = 0;   // bits per pixel, taken as signed
    uint8_t descriptor = 0;
};

enum class Status {
    Ok,
    Depth32,          // 32 bits per pixel
    UnsupportedDepth, // any depth other than 24 (and 32)
    UnsupportedType,  // colour-mapped, grey-scale or other compressed images
    BadSize,          // width or height zero or negative
    TooLarge,         // a side above maxSide
    Truncated,        // the file ends before the header or the pixels do
};

// Reads the 18 header bytes.
Header parseHeader(const unsigned char* bytes);

// Checks what the header describes, in this order: 32 bits, image type, other depths,
// size, the largest side allowed.
Status checkHeader(const Header& header, int maxSide);

// Bytes between the header and the pixels: the image ID field and a colour map.
size_t pixelDataOffset(const Header& header);

// The most bytes after the header that the image can use (ID, colour map, pixels at
// their longest encoding). Reading more than this from a file is never needed.
size_t maxDataSize(const Header& header);

// False when `size` bytes after the header can't hold the pixels the header claims,
// whatever they hold: checked before the pixel buffer is allocated.
bool canHoldPixels(const Header& header, size_t size);

// Decodes the pixels from `data` (the `size` bytes after the header) into `rgb`, which
// holds width x height x 3 bytes: red, green, blue, rows without padding, the image's
// bottom row first and its left column first whatever the file's origin. Truncated
// when the data ends early; nothing outside `data` or `rgb` is touched.
Status decodePixels(const Header& header, const unsigned char* data, size_t size, unsigned char* rgb);

// A whole file in memory: header, checks and pixels.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};
Status decode(const unsigned char* file, size_t size, int maxSide, Image& image);

} // namespace tga
