#include "image_io.h"

#include "input_limits.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <png.h>

namespace convert {

namespace {

bool decodePng(const std::vector<uint8_t>& bytes, Image& image, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        error = png.message;
        return false;
    }
    if (!pixelsAllowed(png.width, png.height, error)) {
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        error = png.message;
        return false;
    }
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegFailed(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Reads the rows after the header; any warning counts as damage.
bool readJpegRows(jpeg_decompress_struct& info, Image& image) {
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.rgb.data() + static_cast<size_t>(info.output_scanline) * image.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return info.err->num_warnings == 0;
}

bool decodeJpeg(const std::vector<uint8_t>& bytes, Image& image, std::string& error) {
    jpeg_decompress_struct info;
    JpegError failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegFailed;
    failure.manager.output_message = [](j_common_ptr) {};
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        error = "a damaged JPEG file";
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!pixelsAllowed(info.image_width, info.image_height, error)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    bool clean = readJpegRows(info, image);
    jpeg_destroy_decompress(&info);
    if (!clean)
        error = "a damaged JPEG file";
    return clean;
}

int powerOfTwoBelow(int side) {
    int p = 1;
    while (p * 2 <= side && p < MAX_TEXTURE_SIDE)
        p *= 2;
    return p;
}

} // namespace

bool pixelsAllowed(uint64_t width, uint64_t height, std::string& error) {
    if (width > MAX_SOURCE_SIDE || height > MAX_SOURCE_SIDE)
        error = "declared " + std::to_string(width) + " x " + std::to_string(height) + ", over " +
                std::to_string(MAX_SOURCE_SIDE) + " pixels a side";
    else if (width * height > MAX_SOURCE_PIXELS)
        error = "declared " + std::to_string(width) + " x " + std::to_string(height) + ", over " +
                std::to_string(MAX_SOURCE_PIXELS / 1000000) + " million pixels";
    else
        return true;
    return false;
}

bool decodeImage(const std::vector<uint8_t>& bytes, Image& image, std::string& error) {
    static const uint8_t PNG_MAGIC[4] = {0x89, 'P', 'N', 'G'};
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), PNG_MAGIC, 4) == 0)
        return decodePng(bytes, image, error);
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return decodeJpeg(bytes, image, error);
    return decodeOtherImage(bytes, image, error);
}

Image powerOfTwo(const Image& image) {
    int width = powerOfTwoBelow(image.width), height = powerOfTwoBelow(image.height);
    if (width == image.width && height == image.height)
        return image;
    return resizedImage(image, width, height);
}

std::vector<uint8_t> tgaBytes(const Image& image) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2; // uncompressed true colour
    out[12] = static_cast<uint8_t>(image.width & 0xFF);
    out[13] = static_cast<uint8_t>(image.width >> 8);
    out[14] = static_cast<uint8_t>(image.height & 0xFF);
    out[15] = static_cast<uint8_t>(image.height >> 8);
    out[16] = 24;
    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* row = image.rgb.data() + static_cast<size_t>(y) * image.width * 3;
        for (int x = 0; x < image.width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
        }
    }
    return out;
}

} // namespace convert
