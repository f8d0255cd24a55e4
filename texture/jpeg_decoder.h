// JPEG decoding, provided per platform (libjpeg-turbo on Linux, WIC on Windows).
// The steps mirror the texture loader's checks so each failure keeps its own text.
#pragma once

struct JpegDecoder {
    void* state = nullptr;

    // Prepares the decoder; false when it can't be initialised.
    bool init();
    // Opens the file and reads its size and channel count; false when the header can't be read.
    bool readHeader(const char* fileName, int& width, int& height, int& channels);
    // Decodes the whole image as 8-bit RGB (3 bytes per pixel, rows without padding),
    // the image's bottom row first. false on a corrupt or truncated image.
    bool readImage(unsigned char* rgb, int width, int height, int channels);
    // Releases the decoder; false when that fails.
    bool release();
};
