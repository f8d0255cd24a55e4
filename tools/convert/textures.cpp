#include "textures.h"

#include "input_limits.h"

#include <assimp/texture.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace convert {

namespace {

// Toward the demo's light at (500, 400, 500), from the origin.
const float KEY_LIGHT[3] = {0.61f, 0.49f, 0.61f};

// A regular file, inside the model's folder unless allowed, of at most 64 MiB.
bool readFileBytes(const Source& source, const std::filesystem::path& path, std::vector<uint8_t>& bytes,
                   std::string& error) {
    return readInput(path.u8string(), source.inputs, MAX_IMAGE_FILE_BYTES, bytes, error);
}

// Raw texels (assimp's BGRA) as an image.
Image fromTexels(const aiTexture& texture) {
    Image image;
    image.width = static_cast<int>(texture.mWidth);
    image.height = static_cast<int>(texture.mHeight);
    image.rgb.reserve(static_cast<size_t>(image.width) * image.height * 3);
    for (unsigned i = 0; i < texture.mWidth * texture.mHeight; ++i) {
        image.rgb.push_back(texture.pcData[i].r);
        image.rgb.push_back(texture.pcData[i].g);
        image.rgb.push_back(texture.pcData[i].b);
    }
    return image;
}

} // namespace

bool readSourceTexture(const Source& source, const std::string& inputPath, const std::string& name,
                       Image& image, std::string& error) {
    if (const aiTexture* embedded = source.scene->GetEmbeddedTexture(name.c_str())) {
        if (embedded->mHeight > 0) {
            if (!pixelsAllowed(embedded->mWidth, embedded->mHeight, error))
                return false;
            image = fromTexels(*embedded);
            return true;
        }
        const uint8_t* data = reinterpret_cast<const uint8_t*>(embedded->pcData);
        return decodeImage(std::vector<uint8_t>(data, data + embedded->mWidth), image, error);
    }
    std::filesystem::path path = std::filesystem::u8path(name);
    if (path.is_relative())
        path = std::filesystem::u8path(inputPath).parent_path() / path;
    std::vector<uint8_t> bytes;
    if (!readFileBytes(source, path, bytes, error))
        return false;
    return decodeImage(bytes, image, error);
}

Image colourRamp(const std::array<uint8_t, 3>& colour) {
    Image image;
    image.width = 64;
    image.height = 4;
    image.rgb.resize(64 * 4 * 3);
    for (int x = 0; x < 64; ++x) {
        // From a fifth of the colour to the colour itself, with a soft highlight at the end.
        float shade = 0.2f + 0.8f * x / 63.0f;
        float glow = x > 48 ? (x - 48) / 15.0f * 0.25f : 0.0f;
        for (int c = 0; c < 3; ++c) {
            float v = colour[c] * shade + (255 - colour[c] * shade) * glow;
            for (int y = 0; y < 4; ++y)
                image.rgb[(y * 64 + x) * 3 + c] =
                    static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
        }
    }
    return image;
}

std::vector<Vec2> rampCoordinates(const std::vector<Vec3>& normals) {
    std::vector<Vec2> uvs;
    uvs.reserve(normals.size());
    for (const Vec3& n : normals) {
        float facing = n[0] * KEY_LIGHT[0] + n[1] * KEY_LIGHT[1] + n[2] * KEY_LIGHT[2];
        // Texel centres only, so that no filtering reaches past the ends.
        float u = 0.5f / 64 + (63.0f / 64) * (0.5f + 0.5f * std::clamp(facing, -1.0f, 1.0f));
        uvs.push_back({{u, 0.5f}});
    }
    return uvs;
}

std::string textureStem(const std::string& outputPath) {
    std::string stem = std::filesystem::u8path(outputPath).stem().u8string();
    std::string out;
    for (char c : stem) {
        // Lower case: the loader lowers the names of map files before opening them.
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) && out.size() < 8)
            out += c;
    }
    return out.empty() ? "scene" : out;
}

} // namespace convert
