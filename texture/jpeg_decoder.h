// JPEG decoding, provided per platform (libjpeg-turbo on Linux, WIC on Windows).
// The steps mirror the texture loader's checks so each failure keeps its own text.
#pragma once

#include <cstddef>

struct JpegDecoder {
    void* state = nullptr;

    // Prepares the decoder; false when it can't be initialised.
    bool init();
    // Reads the size and channel count of the JPEG file held in `bytes`, which must stay
    // alive until release(); false when the header can't be read.
    bool readHeader(const unsigned char* bytes, size_t size, int& width, int& height, int& channels);
    // Decodes the whole image as 8-bit RGB (3 bytes per pixel, rows without padding),
    // the image's bottom row first. false on a truncated image (no end-of-image marker
    // after the scan data, see jpeg_structure.h) or one the decoder can't decode at all;
    // damaged data in a complete file decodes to whatever the decoder makes of it.
    bool readImage(unsigned char* rgb, int width, int height, int channels);
    // Releases the decoder; false when that fails.
    bool release();
};
