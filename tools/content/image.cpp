#include "image.h"

#include <cmath>
#include <cstdio>
#include <jpeglib.h>

namespace content {

namespace {

uint8_t toByte(float v) {
    float c = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    return static_cast<uint8_t>(std::lround(c * 255.0f));
}

} // namespace

std::vector<uint8_t> Image::rgb8() const {
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 3);
    for (const Color& c : pixels) {
        out.push_back(toByte(c.r));
        out.push_back(toByte(c.g));
        out.push_back(toByte(c.b));
    }
    return out;
}

std::vector<uint8_t> tgaBytes(const Image& image) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2; // uncompressed true colour
    out[12] = static_cast<uint8_t>(image.width & 0xFF);
    out[13] = static_cast<uint8_t>(image.width >> 8);
    out[14] = static_cast<uint8_t>(image.height & 0xFF);
    out[15] = static_cast<uint8_t>(image.height >> 8);
    out[16] = 24;
    out[17] = 0; // origin bottom left: the first row in the file is the picture's bottom row
    std::vector<uint8_t> rgb = image.rgb8();
    out.reserve(18 + rgb.size());
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
            out.push_back(rgb[i + 2]);
            out.push_back(rgb[i + 1]);
            out.push_back(rgb[i]);
        }
    }
    return out;
}

bool writeTga(const std::string& path, const Image& image) {
    std::vector<uint8_t> bytes = tgaBytes(image);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool writeJpeg(const std::string& path, const Image& image, int quality) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE; // still baseline: only the Huffman tables are tuned
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> rgb = image.rgb8();
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * image.width * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

} // namespace content
