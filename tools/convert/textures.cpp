#include "textures.h"

#include "input_limits.h"

#include <assimp/texture.h>

#include <algorithm>
#include <cctype>
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

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The file of that name in the folder, its case ignored (names written on systems
// that don't tell case apart often differ from the file's).
bool findIgnoringCase(const std::filesystem::path& folder, const std::string& leaf,
                      std::filesystem::path& found) {
    std::error_code failure;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, failure), end;
    for (; !failure && entries != end; entries.increment(failure)) {
        if (lowered(entries->path().filename().u8string()) == lowered(leaf)) {
            found = entries->path();
            return true;
        }
    }
    return false;
}

} // namespace

bool locateTexture(const Source& source, const std::filesystem::path& folder, const std::string& name,
                   std::vector<uint8_t>& bytes, std::string& foundAs, std::string& error) {
    std::string written = name;
    std::replace(written.begin(), written.end(), '\\', '/');
    bool drive =
        written.size() >= 2 && std::isalpha(static_cast<unsigned char>(written[0])) && written[1] == ':';
    std::filesystem::path path = std::filesystem::u8path(written);
    error = "no such file";
    if (!drive && readFileBytes(source, path.is_relative() ? folder / path : path, bytes, error))
        return true;
    // Not there as written (another machine's path, or refused): the file of its name
    // beside the model.
    std::string leaf = written.substr(written.find_last_of('/') + 1);
    std::filesystem::path beside;
    if (leaf.empty() || leaf == "." || leaf == ".." || !findIgnoringCase(folder, leaf, beside)) {
        error += ", nor a file of its name beside the model";
        return false;
    }
    if (!readFileBytes(source, beside, bytes, error))
        return false;
    foundAs = beside.filename().u8string();
    return true;
}

bool readSourceTexture(const Source& source, const std::string& inputPath, const std::string& name,
                       Image& image, std::string& foundAs, std::string& error) {
    foundAs = name;
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
    std::vector<uint8_t> bytes;
    if (!locateTexture(source, std::filesystem::u8path(inputPath).parent_path(), name, bytes, foundAs, error))
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
