#include "texture/jpeg_structure.h"

namespace {

bool isFrameMarker(unsigned char marker) {
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isProgressive(unsigned char marker) {
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

unsigned readBigEndian16(const unsigned char* p) {
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

// Coefficient bytes of a progressive frame header's components (`frame` points at the
// precision byte, `length` bytes after the marker's length field).
uint64_t coefficientBytes(const unsigned char* frame, size_t length) {
    if (length < 6)
        return 0;
    uint64_t height = readBigEndian16(frame + 1);
    uint64_t width = readBigEndian16(frame + 3);
    unsigned count = frame[5];
    if (length < 6 + 3 * static_cast<size_t>(count))
        return 0;
    unsigned maxH = 1;
    unsigned maxV = 1;
    for (unsigned i = 0; i < count; ++i) {
        unsigned h = frame[6 + 3 * i + 1] >> 4;
        unsigned v = frame[6 + 3 * i + 1] & 15;
        maxH = h > maxH ? h : maxH;
        maxV = v > maxV ? v : maxV;
    }
    uint64_t total = 0;
    for (unsigned i = 0; i < count; ++i) {
        uint64_t h = frame[6 + 3 * i + 1] >> 4;
        uint64_t v = frame[6 + 3 * i + 1] & 15;
        h = h ? h : 1;
        v = v ? v : 1;
        // Blocks across and down, rounded up to whole minimum coded units.
        uint64_t across = (width * h + maxH * 8 - 1) / (maxH * 8);
        uint64_t down = (height * v + maxV * 8 - 1) / (maxV * 8);
        across = (across + h - 1) / h * h;
        down = (down + v - 1) / v * v;
        total += across * down * 64 * 2;
    }
    return total;
}

} // namespace

bool jpegHasEndOfImage(const unsigned char* bytes, size_t size) {
    size_t scan = 0;
    for (size_t i = 2; i + 1 < size; ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
            scan = i + 2;
            break;
        }
    }
    if (scan == 0)
        return false;
    for (size_t i = size - 1; i > scan; --i) {
        if (bytes[i - 1] == 0xFF && bytes[i] == 0xD9)
            return true;
    }
    return false;
}

uint64_t jpegProgressiveMemory(const unsigned char* bytes, size_t size) {
    size_t i = 2; // after the start-of-image marker
    while (i + 3 < size) {
        if (bytes[i] != 0xFF) {
            ++i;
            continue;
        }
        unsigned char marker = bytes[i + 1];
        if (marker == 0xFF || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += marker == 0xFF ? 1 : 2; // fill byte, or a marker without a length
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return 0; // image data before any frame header
        size_t length = readBigEndian16(bytes + i + 2);
        if (length < 2 || i + 2 + length > size)
            return 0;
        if (isFrameMarker(marker))
            return isProgressive(marker) ? coefficientBytes(bytes + i + 4, length - 2) : 0;
        i += 2 + length;
    }
    return 0;
}
