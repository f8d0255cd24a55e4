// TGA and BMP sources (and whatever else the image library reads) through the
// system's stb_image, and the resize to powers of two through its resampler.
#include "image_io.h"

#include <stb_image.h>
#include <stb_image_resize.h>

#include <climits>
#include <memory>

namespace convert {

bool decodeOtherImage(const std::vector<uint8_t>& bytes, Image& image, std::string& error) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) {
        error = "not an image this converter reads (PNG, JPEG, TGA or BMP)";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    int size = static_cast<int>(bytes.size());
    if (!stbi_info_from_memory(bytes.data(), size, &width, &height, &channels)) {
        error = "not an image this converter reads (PNG, JPEG, TGA or BMP)";
        return false;
    }
    if (width < 1 || height < 1) {
        error = "an image without pixels";
        return false;
    }
    if (!pixelsAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height), error))
        return false;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), size, &width, &height, &channels, 3), stbi_image_free);
    if (!pixels) {
        error = std::string("a damaged image (") + stbi_failure_reason() + ")";
        return false;
    }
    image.width = width;
    image.height = height;
    image.rgb.assign(pixels.get(), pixels.get() + static_cast<size_t>(width) * height * 3);
    return true;
}

Image resizedImage(const Image& image, int width, int height) {
    Image out;
    out.width = width;
    out.height = height;
    out.rgb.resize(static_cast<size_t>(width) * height * 3);
    // The colours are sRGB: averaged in linear light, as the eye would mix them.
    stbir_resize_uint8_srgb(image.rgb.data(), image.width, image.height, 0, out.rgb.data(), width, height, 0,
                            3, STBIR_ALPHA_CHANNEL_NONE, 0);
    return out;
}

} // namespace convert
