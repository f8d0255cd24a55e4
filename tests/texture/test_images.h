// Small images made by the tests themselves: TGA files byte by byte, JPEG files with
// libjpeg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 18-byte TGA header followed by whatever `data` holds (ID field, colour map,
// pixels), all written as given.
struct TgaFile {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 2;
    uint16_t colorMapLength = 0;
    uint8_t colorMapDepth = 0;
    int16_t width = 0;
    int16_t height = 0;
    uint8_t depth = 24;
    uint8_t descriptor = 0;
    std::vector<unsigned char> data;

    std::vector<unsigned char> bytes() const;
};

// An uncompressed 24-bit TGA of the given RGB pixels (rows in file order), stored as the
// format wants it: blue, green, red.
TgaFile uncompressedTga(int width, int height, const std::vector<unsigned char>& rgbInFileOrder);

// Writes a JPEG of `pixels` (rows top first, `channels` bytes a pixel: 1 grey, 3 RGB,
// 4 CMYK). Returns false when the file can't be written.
bool writeJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<unsigned char>& pixels, int quality = 95, bool progressive = false);

// The bytes of a file ({} when it can't be read).
std::vector<unsigned char> fileBytes(const std::string& path);
