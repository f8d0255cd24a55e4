#include "texture/tga_reader.h"

#include <cstring>

namespace tga {

namespace {

uint16_t word(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

size_t pixelCount(const Header& header) {
    return static_cast<size_t>(header.width) * static_cast<size_t>(header.height);
}

// Places pixels in file order into the bottom-row-first, left-column-first buffer.
class PixelSink {
  public:
    PixelSink(const Header& header, unsigned char* rgb)
        : rgb_(rgb), width_(header.width), height_(header.height), remaining_(pixelCount(header)),
          topOrigin_((header.descriptor & DESCRIPTOR_TOP_ORIGIN) != 0),
          rightOrigin_((header.descriptor & DESCRIPTOR_RIGHT_ORIGIN) != 0) {}

    bool full() const { return remaining_ == 0; }

    // One pixel as the file stores it: blue, green, red.
    void put(const unsigned char* bgr) {
        size_t row = topOrigin_ ? height_ - 1 - row_ : row_;
        size_t column = rightOrigin_ ? width_ - 1 - column_ : column_;
        unsigned char* out = rgb_ + (row * width_ + column) * 3;
        out[0] = bgr[2];
        out[1] = bgr[1];
        out[2] = bgr[0];
        --remaining_;
        if (++column_ == width_) {
            column_ = 0;
            ++row_;
        }
    }

  private:
    unsigned char* rgb_;
    size_t width_;
    size_t height_;
    size_t remaining_;
    size_t row_ = 0;
    size_t column_ = 0;
    bool topOrigin_;
    bool rightOrigin_;
};

Status decodeRaw(PixelSink& sink, const unsigned char* p, const unsigned char* end) {
    while (!sink.full()) {
        if (end - p < 3)
            return Status::Truncated;
        sink.put(p);
        p += 3;
    }
    return Status::Ok;
}

// Packets: a count byte (low 7 bits + 1 pixels), then one pixel repeated when the top
// bit is set, otherwise that many pixels. Packets may run across rows; a packet that
// runs past the last pixel is cut there.
Status decodeRle(PixelSink& sink, const unsigned char* p, const unsigned char* end) {
    while (!sink.full()) {
        if (p == end)
            return Status::Truncated;
        unsigned char packet = *p++;
        int count = (packet & 0x7f) + 1;
        if (packet & 0x80) {
            if (end - p < 3)
                return Status::Truncated;
            for (int i = 0; i < count && !sink.full(); ++i)
                sink.put(p);
            p += 3;
        } else {
            for (int i = 0; i < count && !sink.full(); ++i) {
                if (end - p < 3)
                    return Status::Truncated;
                sink.put(p);
                p += 3;
            }
        }
    }
    return Status::Ok;
}

} // namespace

Header parseHeader(const unsigned char* bytes) {
    Header header;
    header.idLength = bytes[0];
    header.colorMapType = bytes[1];
    header.imageType = bytes[2];
    header.colorMapFirst = word(bytes + 3);
    header.colorMapLength = word(bytes + 5);
    header.colorMapDepth = bytes[7];
    header.width = static_cast<int16_t>(word(bytes + 12));
    header.height = static_cast<int16_t>(word(bytes + 14));
    header.depth = static_cast<int8_t>(bytes[16]);
    header.descriptor = bytes[17];
    return header;
}

Status checkHeader(const Header& header, int maxSide) {
    // Bytes per pixel are the depth divided by 8, truncated toward zero.
    int bytesPerPixel = header.depth / 8;
    if (bytesPerPixel == 4)
        return Status::Depth32;
    if (header.imageType != TYPE_TRUE_COLOR && header.imageType != TYPE_TRUE_COLOR_RLE)
        return Status::UnsupportedType;
    if (header.depth != 24)
        return Status::UnsupportedDepth;
    if (header.width <= 0 || header.height <= 0)
        return Status::BadSize;
    if (header.width > maxSide || header.height > maxSide)
        return Status::TooLarge;
    return Status::Ok;
}

size_t pixelDataOffset(const Header& header) {
    size_t offset = header.idLength;
    // A true-colour image may still carry a colour map; it is skipped.
    if (header.colorMapType != 0)
        offset += static_cast<size_t>(header.colorMapLength) * ((header.colorMapDepth + 7u) / 8u);
    return offset;
}

size_t maxDataSize(const Header& header) {
    size_t count = header.width > 0 && header.height > 0 ? pixelCount(header) : 0;
    // Uncompressed: 3 bytes a pixel. Run-length encoded: at worst a packet byte per pixel.
    size_t perPixel = header.imageType == TYPE_TRUE_COLOR_RLE ? 4 : 3;
    return pixelDataOffset(header) + count * perPixel;
}

bool canHoldPixels(const Header& header, size_t size) {
    size_t offset = pixelDataOffset(header);
    if (size < offset)
        return false;
    size_t available = size - offset;
    size_t count = pixelCount(header);
    if (header.imageType == TYPE_TRUE_COLOR_RLE) {
        // The densest packet, a run of 128 pixels, takes 4 bytes.
        return available >= (count + 31) / 32;
    }
    return available / 3 >= count;
}

Status decodePixels(const Header& header, const unsigned char* data, size_t size, unsigned char* rgb) {
    size_t offset = pixelDataOffset(header);
    if (size < offset)
        return Status::Truncated;
    PixelSink sink(header, rgb);
    const unsigned char* end = data + size;
    if (header.imageType == TYPE_TRUE_COLOR_RLE)
        return decodeRle(sink, data + offset, end);
    return decodeRaw(sink, data + offset, end);
}

Status decode(const unsigned char* file, size_t size, int maxSide, Image& image) {
    if (size < HEADER_SIZE)
        return Status::Truncated;
    Header header = parseHeader(file);
    Status status = checkHeader(header, maxSide);
    if (status != Status::Ok)
        return status;
    const unsigned char* data = file + HEADER_SIZE;
    size_t dataSize = size - HEADER_SIZE;
    if (!canHoldPixels(header, dataSize))
        return Status::Truncated;
    image.width = header.width;
    image.height = header.height;
    image.rgb.assign(pixelCount(header) * 3, 0);
    return decodePixels(header, data, dataSize, image.rgb.data());
}

} // namespace tga
