#include "test_images.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <jpeglib.h>

namespace {
void putWord(std::vector<unsigned char>& out, uint16_t value) {
    out.push_back(static_cast<unsigned char>(value & 0xff));
    out.push_back(static_cast<unsigned char>(value >> 8));
}
} // namespace

std::vector<unsigned char> TgaFile::bytes() const {
    std::vector<unsigned char> out;
    out.push_back(idLength);
    out.push_back(colorMapType);
    out.push_back(imageType);
    putWord(out, 0); // first colour map entry
    putWord(out, colorMapLength);
    out.push_back(colorMapDepth);
    putWord(out, 0); // x origin
    putWord(out, 0); // y origin
    putWord(out, static_cast<uint16_t>(width));
    putWord(out, static_cast<uint16_t>(height));
    out.push_back(depth);
    out.push_back(descriptor);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TgaFile uncompressedTga(int width, int height, const std::vector<unsigned char>& rgbInFileOrder) {
    TgaFile tga;
    tga.width = static_cast<int16_t>(width);
    tga.height = static_cast<int16_t>(height);
    for (size_t i = 0; i + 2 < rgbInFileOrder.size(); i += 3) {
        tga.data.push_back(rgbInFileOrder[i + 2]);
        tga.data.push_back(rgbInFileOrder[i + 1]);
        tga.data.push_back(rgbInFileOrder[i]);
    }
    return tga;
}

bool writeJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<unsigned char>& pixels, int quality, bool progressive) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = channels;
    info.in_color_space = channels == 1 ? JCS_GRAYSCALE : channels == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data()) +
                       static_cast<size_t>(info.next_scanline) * static_cast<size_t>(width * channels);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
