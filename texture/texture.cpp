// Texture loading: the image file named by a material becomes a new OpenGL texture.
// The file's extension picks the reader; each reader fills the record with RGB rows,
// the image's bottom row first, which the upload places at texture coordinate t = 0.
#include "texture/texture.h"

#include "log/log.h"
#include "log/regular_file.h"
#include "render/gl.h"
#include "render/renderer.h"
#include "texture/jpeg_decoder.h"
#include "texture/jpeg_structure.h"
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

std::unique_ptr<unsigned char[], PixelsFree> allocatePixels(int32_t pixelCount) {
    return std::unique_ptr<unsigned char[], PixelsFree>(
        static_cast<unsigned char*>(std::calloc(static_cast<size_t>(pixelCount), 3)));
}

std::vector<std::string>& textureFolders() {
    static std::vector<std::string> folders{""};
    return folders;
}

// Opens an image file from the first texture folder that has it; one that can't be
// opened (or isn't a regular file) ends the process, saying which file, why and where
// it was looked for.
FileHandle openImage(const char* fileName) {
    FileProblem problem = FileProblem::None;
    const std::string name = fileName ? fileName : "";
    const bool absolute =
        !name.empty() && (name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos);
    const std::vector<std::string> folders = absolute ? std::vector<std::string>{""} : textureFolders();
    FileHandle file;
    for (const std::string& folder : folders) {
        file.reset(openRegularFile((folder + name).c_str(), FileAccess::ReadBinary, &problem));
        if (file || problem != FileProblem::Missing)
            break;
    }
    if (!file) {
        std::string detail = cantOpenText("texture file", fileName, problem);
        if (problem == FileProblem::Missing)
            detail += " " + searchedText(folders) + " Put the file beside the scene file that names it.";
        gLog.errorWithDetail(detail.c_str(), "Ops! Could't found");
    }
    return file;
}

// Refuses a progressive image whose decoding would need more than the decoders may
// take, before anything is allocated for it.
void checkDecoderMemory(const std::vector<unsigned char>& bytes, int width, int height) {
    uint64_t needed = jpegProgressiveMemory(bytes.data(), bytes.size());
    if (needed > static_cast<uint64_t>(JPEG_DECODER_MEMORY_LIMIT)) {
        const uint64_t mb = 1024 * 1024;
        gLog.error("Progressive JPEG %dx%d needs %u MB to decode (at most %u MB)\n", width, height,
                   static_cast<unsigned>((needed + mb - 1) / mb),
                   static_cast<unsigned>(JPEG_DECODER_MEMORY_LIMIT / mb));
    }
}

[[noreturn]] void refuseTooLarge(int width, int height) {
    gLog.error("Image too large: %dx%d (at most %dx%d)\n", width, height, TEXTURE_MAX_SIDE, TEXTURE_MAX_SIDE);
}

} // namespace

void Texture::checkBudget() const {
    uint64_t needed = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
    if (needed > budget) {
        const uint64_t mb = 1024 * 1024;
        gLog.error("Textures over budget: %dx%d needs %u MB, %u MB left of the scene's %u MB\n", width,
                   height, static_cast<unsigned>((needed + mb - 1) / mb), static_cast<unsigned>(budget / mb),
                   static_cast<unsigned>(SCENE_TEXTURE_BUDGET / mb));
    }
}

void Texture::note(const std::string& text) {
    gLog.message("%s", text.c_str());
    logged += text;
}

uint32_t Texture::load(const char* fileName) {
    // Every refusal below tells the person which file it was.
    std::string context = std::string("While loading texture file \"") + (fileName ? fileName : "") + "\".";
    Log::DetailScope scope(context.c_str());
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

    // Uploading needs no texturing switched on; the renderer then leaves the texturing
    // state as its draws expect it.
    GLuint name = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels.get());
    pixels.reset();
    activeRenderer().textureUploaded();
    return name;
}

int Texture::loadTGA(const char* fileName) {
    FileHandle file = openImage(fileName);
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

    checkBudget();
    pixelCount = width * height;
    pixels = allocatePixels(pixelCount);
    if (!pixels)
        gLog.error("Faild to allocate memory");
    if (tga::decodePixels(header, data.data(), data.size(), pixels.get()) != tga::Status::Ok)
        gLog.error("TGA file is truncated\n");
    return 1;
}

int Texture::loadJPEG(const char* fileName) {
    // The file is read whole: the decoder works on these bytes, so it is opened once.
    std::vector<unsigned char> bytes;
    {
        FileHandle file = openImage(fileName);
        bytes = readUpTo(file.get(), static_cast<size_t>(-1));
    }

    JpegDecoder decoder;
    DecoderGuard guard{decoder};
    if (!decoder.init())
        gLog.error("Could't Init inte jpeg liberay\n");
    int channels = 0;
    if (!decoder.readHeader(bytes.data(), bytes.size(), width, height, channels))
        gLog.error("FUNKAR INTE ATT L\xC4SA HEADER\n");
    bytesPerPixel = channels;
    if (channels == 3)
        format = GL_RGB;
    char line[LOG_BUFFER_SIZE];
    std::snprintf(line, sizeof line, " Image width: %d Height: %d BPP: %d\n", width, height, bytesPerPixel);
    note(line);

    // Everything the header says is checked before the pixel buffer is allocated.
    if (width <= 0 || height <= 0)
        gLog.error("JPEG image size %dx%d not supported\n", width, height);
    if (width > TEXTURE_MAX_SIDE || height > TEXTURE_MAX_SIDE)
        refuseTooLarge(width, height);
    if (channels == 1)
        gLog.error("Gray scale images not supported\n");
    if (channels != 3)
        gLog.error("JPEG images with %d channels not supported\n", channels);
    checkDecoderMemory(bytes, width, height);
    checkBudget();
    pixelCount = width * height;
    pixels = allocatePixels(pixelCount);
    if (!pixels)
        gLog.error("Faild to allocate memory");

    if (!decoder.readImage(pixels.get(), width, height, channels))
        gLog.error("Error reading buffer data\n");

    guard.released = true;
    if (!decoder.release())
        note("Can't free ijl.lib\n");
    return 1;
}

uint32_t loadTexture(const char* fileName) {
    Texture texture;
    return texture.load(fileName);
}

void setTextureFolders(const std::vector<std::string>& folders) {
    textureFolders() = folders.empty() ? std::vector<std::string>{""} : folders;
}

uint32_t TextureCache::load(const char* fileName) {
    // Known by what the name leads to; a name leading nowhere is kept as it is and
    // fails in the load below.
    std::string key = fileIdentity(fileName);
    if (key.empty())
        key = std::string("name:") + (fileName ? fileName : "");
    auto found = entries_.find(key);
    if (found != entries_.end()) {
        if (!found->second.logged.empty())
            gLog.message("%s", found->second.logged.c_str());
        glBindTexture(GL_TEXTURE_2D, found->second.name);
        return found->second.name;
    }
    Texture texture;
    texture.budget = budget > used_ ? budget - used_ : 0;
    Entry entry;
    entry.name = texture.load(fileName);
    entry.logged = std::move(texture.logged);
    used_ += static_cast<uint64_t>(texture.width) * static_cast<uint64_t>(texture.height) * 3;
    entries_.emplace(key, entry);
    return entry.name;
}
