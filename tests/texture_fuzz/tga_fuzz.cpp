// Fuzz target: TGA bytes through the pure reader and through the loader's file path
// (file input, header checks, pixel buffer), without GL.
#include "fuzz_input.h"
#include "texture/texture.h"
#include "texture/tga_reader.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::setUpOnce();

    tga::Image image;
    tga::Status status = tga::decode(data, size, TEXTURE_MAX_SIDE, image);
    if (status == tga::Status::Ok &&
        image.rgb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
        std::abort();

    fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    Texture texture;
    bool loaded = false;
    try {
        loaded = texture.loadTGA(file.path()) == 1;
    } catch (const fuzz::Refused&) {
    }
    // The loader and the pure reader agree on what is readable and on the pixels.
    if (loaded != (status == tga::Status::Ok))
        std::abort();
    if (loaded && (texture.pixelCount != image.width * image.height ||
                   std::equal(image.rgb.begin(), image.rgb.end(), texture.pixels.get()) == false))
        std::abort();
    return 0;
}
