// JPEG decoding in the browser: the browser's own decoder (createImageBitmap, then the
// pixels through an OffscreenCanvas), as WIC decodes on Windows. The size and channel
// count come from the frame header; the shared end-of-image check decides, before
// decoding, whether a damaged file is accepted, as on the other platforms.
#include "texture/jpeg_decoder.h"

#include "log/await_js_web.h"
#include "texture/jpeg_structure.h"

#include <cstdint>
#include <emscripten.h>
#include <new>

namespace {

struct State {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

// Width, height and components from the first start-of-frame marker (baseline,
// extended, progressive); false when the segments end first.
bool readFrameHeader(const unsigned char* b, size_t size, int& width, int& height, int& channels) {
    size_t i = 2;
    while (i + 9 < size) {
        if (b[i] != 0xFF) {
            ++i;
            continue;
        }
        unsigned char marker = b[i + 1];
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            i += marker == 0xFF ? 1 : 2;
            continue;
        }
        size_t length = (static_cast<size_t>(b[i + 2]) << 8) | b[i + 3];
        if (marker >= 0xC0 && marker <= 0xC2) {
            height = (b[i + 5] << 8) | b[i + 6];
            width = (b[i + 7] << 8) | b[i + 8];
            channels = b[i + 9];
            return true;
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2)
            return false;
        i += 2 + length;
    }
    return false;
}

// Decodes the bytes and writes RGB rows, bottom row first; 0 when the browser
// refuses the data or its size differs from the header's.
// clang-format off
AWAIT_JS(int, decodeInBrowser,
            (const unsigned char* bytes, size_t size, unsigned char* rgb, int width, int height), {
                try {
                    const blob = new Blob([HEAPU8.slice(bytes, bytes + size)], {
                        type:
                            'image/jpeg'
                    });
                    const bitmap = await createImageBitmap(
                        blob, {colorSpaceConversion : 'none', premultiplyAlpha : 'none'});
                    if (bitmap.width !== width || bitmap.height !== height)
                        return 0;
                    const canvas = new OffscreenCanvas(width, height);
                    const context = canvas.getContext('2d');
                    context.drawImage(bitmap, 0, 0);
                    const rgba = context.getImageData(0, 0, width, height).data;
                    let out = rgb;
                    for (let y = height - 1; y >= 0; --y) {
                        for (let x = 0, i = 4 * width * y; x < width; ++x, i += 4) {
                            HEAPU8[out++] = rgba[i];
                            HEAPU8[out++] = rgba[i + 1];
                            HEAPU8[out++] = rgba[i + 2];
                        }
                    }
                    return 1;
                } catch (e) {
                    return 0;
                }
            });
// clang-format on

} // namespace

bool JpegDecoder::init() {
    if (state)
        release();
    state = new (std::nothrow) State();
    return state != nullptr;
}

bool JpegDecoder::readHeader(const unsigned char* bytes, size_t size, int& width, int& height,
                             int& channels) {
    State* s = static_cast<State*>(state);
    if (!s || s->bytes || !bytes || size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    if (!readFrameHeader(bytes, size, width, height, channels))
        return false;
    s->bytes = bytes;
    s->size = size;
    return true;
}

bool JpegDecoder::readImage(unsigned char* rgb, int width, int height, int channels) {
    State* s = static_cast<State*>(state);
    if (!s || !s->bytes || channels != 3 || width <= 0 || height <= 0)
        return false;
    if (!jpegHasEndOfImage(s->bytes, s->size))
        return false;
    return decodeInBrowser(s->bytes, s->size, rgb, width, height) != 0;
}

bool JpegDecoder::release() {
    delete static_cast<State*>(state);
    state = nullptr;
    return true;
}
