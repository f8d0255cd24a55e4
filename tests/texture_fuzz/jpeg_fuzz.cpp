// Fuzz target: JPEG bytes through the loader's decoding path (the platform decoder and
// the loader's checks), without GL.
#include "fuzz_input.h"
#include "texture/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::setUpOnce();
    fuzz::MemoryFile file(data, size);
    if (!file.ok())
        return 0;
    Texture texture;
    try {
        texture.loadJPEG(file.path());
    } catch (const fuzz::Refused&) {
    }
    return 0;
}
