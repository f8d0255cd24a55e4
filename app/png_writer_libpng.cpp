// PNG files through libpng's simplified interface.
#include "app/png_writer.h"

#include <cstring>
#include <png.h>

bool writePng(const std::string& path, int width, int height, const unsigned char* rgb, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
#ifdef PNG_IMAGE_FLAG_FAST
    image.flags = PNG_IMAGE_FLAG_FAST;
#endif
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb, width * 3, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

bool readPng(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgb,
             std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return true;
}
