// Checks on a JPEG file's bytes that every decoder shares, so that the same file gets
// the same verdict whichever library decodes it.
#pragma once

#include <cstddef>
#include <cstdint>

// The decoders' working memory is capped at this (libjpeg's own limit; WIC keeps less):
// a progressive image needs its whole coefficient set at once, 2 bytes a sample, so a
// few hostile kilobytes claiming a huge size could otherwise take hundreds of megabytes.
// 64 MB holds a progressive 4096 x 4096 image with the usual halved colour resolution;
// baseline images of every accepted size need far less.
constexpr long JPEG_DECODER_MEMORY_LIMIT = 64L * 1024 * 1024;

// True when an end-of-image marker (FF D9) follows the first start-of-scan marker
// (FF DA). Entropy-coded data never holds FF D9 (an FF there is followed by 00 or a
// restart marker), so finding it shows the file was not cut short. A complete file
// whose image data is damaged passes: its pixels are what the decoder makes of it.
bool jpegHasEndOfImage(const unsigned char* bytes, size_t size);

// Bytes a decoder must hold at once for the image: for a progressive image its whole
// coefficient set (64 coefficients of 2 bytes per 8 x 8 block of every component, the
// blocks padded as the decoder pads them), 0 for a sequential image or when the frame
// header can't be found. Read from the frame header alone, before anything is decoded.
uint64_t jpegProgressiveMemory(const unsigned char* bytes, size_t size);
