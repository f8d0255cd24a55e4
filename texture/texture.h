// Texture loading: one TGA or JPEG image file becomes an OpenGL texture.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The largest side of an image accepted for a texture, in pixels: larger images are
// refused with an error before their pixel buffer (3 bytes a pixel) is allocated.
constexpr int32_t TEXTURE_MAX_SIDE = 8192;

// Decoded texture memory one scene may take (width x height x 3 bytes, summed over
// its distinct image files): 256 MiB. The shipped demo's images take 3.2 MiB all
// together; one image at the largest accepted size (8192 x 8192) takes 192 MiB.
constexpr uint64_t SCENE_TEXTURE_BUDGET = 256ull << 20;

// Pixel buffers come zeroed from calloc: the system hands out large ones as fresh zero
// pages, so memory is only taken as the rows are filled.
struct PixelsFree {
    void operator()(unsigned char* pixels) const { std::free(pixels); }
};

struct Texture {
    std::unique_ptr<unsigned char[], PixelsFree>
        pixels; // width x height RGB, rows without padding, bottom row first
    int32_t bytesPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t format = 0x1907; // GL_RGB
    int32_t pixelCount = 0;
    // Bytes the decoded pixels may take; an image needing more is refused before its
    // buffer is allocated.
    uint64_t budget = UINT64_MAX;

    // Reads the image named by fileName (by its extension) and uploads it; returns the
    // GL texture name. Every failure ends the process through the log's error.
    uint32_t load(const char* fileName);
    int loadTGA(const char* fileName);
    int loadJPEG(const char* fileName);

    // What this load wrote to the log, for a cache to write again.
    std::string logged;

  private:
    void note(const std::string& text);
    void checkBudget() const;
};

// The folders a texture's file is looked for in, in order: each is a prefix put before
// the name the scene gives ("" is the working folder, others end with a separator).
// Until set, the working folder only.
void setTextureFolders(const std::vector<std::string>& folders);

// Loads a texture file into a new GL texture (a fresh Texture record per call).
uint32_t loadTexture(const char* fileName);

// The textures of one scene: each distinct image file (known by its identity, not by
// the spelling of its name) is read and uploaded once, within `budget` bytes of
// decoded pixels all together, and every object that names it again gets the same GL texture, bound as a
// fresh load leaves it. The log lines of the first load are written again for every later object, so the log
// reads exactly as if each object had loaded its own.
class TextureCache {
  public:
    uint32_t load(const char* fileName);
    void clear() {
        entries_.clear();
        used_ = 0;
    }
    uint64_t budget = SCENE_TEXTURE_BUDGET;

  private:
    struct Entry {
        uint32_t name = 0;
        std::string logged;
    };
    std::map<std::string, Entry> entries_;
    uint64_t used_ = 0;
};
