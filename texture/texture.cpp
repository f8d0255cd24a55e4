// Texture loading: the image file named by a material becomes a new OpenGL texture.
// The file's extension picks the reader; each reader fills the record with RGB rows,
// the image's bottom row first, which the upload places at texture coordinate t = 0.
#include "texture/texture.h"

#include "log/log.h"
#include "render/gl.h"
#include "texture/jpeg_decoder.h"
#include "texture/tga_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Releases the decoder on every way out of loadJPEG, fatal errors included.
struct DecoderGuard {
    JpegDecoder& decoder;
    bool released = false;
    ~DecoderGuard() {
        if (!released)
            decoder.release();
    }
};

// Reads up to `limit` bytes (fewer when the file ends first). The buffer grows with what
// the file really holds, never with what a header claims.
std::vector<unsigned char> readUpTo(std::FILE* file, size_t limit) {
    std::vector<unsigned char> data;
    unsigned char chunk[64 * 1024];
    while (data.size() < limit) {
        size_t wanted = std::min(sizeof chunk, limit - data.size());
        size_t got = std::fread(chunk, 1, wanted, file);
        data.insert(data.end(), chunk, chunk + got);
        if (got < wanted)
            break;
    }
    return data;
}

std::unique_ptr<unsigned char[]> allocatePixels(int32_t pixelCount) {
    return std::unique_ptr<unsigned char[]>(
        new (std::nothrow) unsigned char[static_cast<size_t>(pixelCount) * 3]());
}

[[noreturn]] void refuseTooLarge(int width, int height) {
    gLog.error("Image too large: %dx%d (at most %dx%d)\n", width, height, TEXTURE_MAX_SIDE, TEXTURE_MAX_SIDE);
}

} // namespace

uint32_t Texture::load(const char* fileName) {
    // The extension is all the text after the first "."; more than 3 characters don't fit
    // its buffer and are not a supported format.
    char extension[4] = {0, 0, 0, 0};
    bool fits = false;
    const char* dot = fileName ? std::strchr(fileName, '.') : nullptr;
    if (dot) {
        size_t length = std::strlen(dot + 1);
        if (length < sizeof extension) {
            std::memcpy(extension, dot + 1, length);
            fits = true;
        }
    }
    if (fits && std::strcmp(extension, "tga") == 0)
        loadTGA(fileName);
    else if (fits && std::strcmp(extension, "jpg") == 0)
        loadJPEG(fileName);
    else
        gLog.error("fileformat not supported");

    GLuint name = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels.get());
    pixels.reset();
    glDisable(GL_TEXTURE_2D);
    return name;
}

int Texture::loadTGA(const char* fileName) {
    FileHandle file(std::fopen(fileName, "rb"));
    if (!file)
        gLog.error("Ops! Could't found");
    format = GL_RGB;

    unsigned char headerBytes[tga::HEADER_SIZE];
    if (std::fread(headerBytes, 1, sizeof headerBytes, file.get()) != sizeof headerBytes)
        gLog.error("TGA file is truncated\n");
    tga::Header header = tga::parseHeader(headerBytes);
    height = header.height;
    width = header.width;
    bytesPerPixel = header.depth / 8;

    switch (tga::checkHeader(header, TEXTURE_MAX_SIDE)) {
    case tga::Status::Ok:
        break;
    case tga::Status::Depth32:
        gLog.error(" 32 bits not supported\n");
    case tga::Status::UnsupportedType:
        gLog.error("TGA image type %d not supported (only true-colour images, uncompressed or RLE)\n",
                   header.imageType);
    case tga::Status::UnsupportedDepth:
        gLog.error(" %d bits not supported\n", header.depth);
    case tga::Status::BadSize:
        gLog.error("TGA image size %dx%d not supported\n", width, height);
    case tga::Status::TooLarge:
        refuseTooLarge(width, height);
    case tga::Status::Truncated:
        gLog.error("TGA file is truncated\n");
    }

    // Only what the image can use is read; a file too short for the pixels its header
    // claims is refused before the pixel buffer is allocated.
    std::vector<unsigned char> data = readUpTo(file.get(), tga::maxDataSize(header));
    file.reset();
    if (!tga::canHoldPixels(header, data.size()))
        gLog.error("TGA file is truncated\n");

    pixelCount = width * height;
    pixels = allocatePixels(pixelCount);
    if (!pixels)
        gLog.error("Faild to allocate memory");
    if (tga::decodePixels(header, data.data(), data.size(), pixels.get()) != tga::Status::Ok)
        gLog.error("TGA file is truncated\n");
    return 1;
}

int Texture::loadJPEG(const char* fileName) {
    {
        FileHandle file(std::fopen(fileName, "rb"));
        if (!file)
            gLog.error("Ops! Could't found");
    }

    JpegDecoder decoder;
    DecoderGuard guard{decoder};
    if (!decoder.init())
        gLog.error("Could't Init inte jpeg liberay\n");
    int channels = 0;
    if (!decoder.readHeader(fileName, width, height, channels))
        gLog.error("FUNKAR INTE ATT L\xC4SA HEADER\n");
    bytesPerPixel = channels;
    if (channels == 3)
        format = GL_RGB;
    gLog.message(" Image width: %d Height: %d BPP: %d\n", width, height, bytesPerPixel);

    if (width <= 0 || height <= 0)
        gLog.error("JPEG image size %dx%d not supported\n", width, height);
    if (width > TEXTURE_MAX_SIDE || height > TEXTURE_MAX_SIDE)
        refuseTooLarge(width, height);
    pixelCount = width * height;
    pixels = allocatePixels(pixelCount);
    if (!pixels)
        gLog.error("Faild to allocate memory");

    if (channels == 1)
        gLog.error("Gray scale images not supported\n");
    if (channels != 3)
        gLog.error("JPEG images with %d channels not supported\n", channels);
    if (!decoder.readImage(pixels.get(), width, height, channels))
        gLog.error("Error reading buffer data\n");

    guard.released = true;
    if (!decoder.release())
        gLog.message("Can't free ijl.lib\n");
    return 1;
}

uint32_t loadTexture(const char* fileName) {
    Texture texture;
    return texture.load(fileName);
}
