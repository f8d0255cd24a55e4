// Material blocks: name, ambient, diffuse and specular colours, texture map file.
//
// The colour and texture-map readers walk on to the end of the whole material block,
// not only their own chunk: the material walk then goes back to the end of their
// chunk. The net effect is that the last colour sub-chunk of a colour chunk wins and
// that only the texture map's own file name is taken.
#include "scene/scene_loader.h"

#include "log/log.h"

namespace {

constexpr uint16_t MATERIAL_NAME = 0xA000;
constexpr uint16_t AMBIENT = 0xA010;
constexpr uint16_t DIFFUSE = 0xA020;
constexpr uint16_t SPECULAR = 0xA030;
constexpr uint16_t TEXTURE_MAP = 0xA200;
constexpr uint16_t MAP_FILE = 0xA300;
constexpr uint16_t COLOR_FLOAT = 0x0010;
constexpr uint16_t COLOR_24 = 0x0011;
constexpr uint16_t COLOR_LINEAR_24 = 0x0012;
constexpr uint16_t COLOR_LINEAR_FLOAT = 0x0013;

// The buffers of material names and map files: 79 characters and the zero byte.
constexpr int64_t NAME_SIZE = 80;

} // namespace

void SceneLoader::readMaterial(int64_t end) {
    gLog.message("--------------------------\n");
    gLog.message("# Found Material!\n");
    Material* material = scene->keepMaterial(allocateRecord<Material>());
    currentMaterial = material;

    walk(end, [this, material, end](const ChunkHeader& h) {
        switch (h.id) {
        case MATERIAL_NAME:
            readMaterialName(h.end);
            break;
        case AMBIENT:
            readColor(material->ambient255, material->ambient, end);
            break;
        case DIFFUSE:
            readColor(material->diffuse255, material->diffuse, end);
            break;
        case SPECULAR:
            readColor(material->specular255, material->specular, end);
            break;
        case TEXTURE_MAP:
            readTextureMap(end);
            break;
        default:
            break;
        }
    });

    ++materialCount;
    materials.append(material);
}

void SceneLoader::readMaterialName(int64_t chunkEnd) {
    // The name's bytes end with its chunk: a name without its zero byte is not
    // continued with the bytes of the next chunk.
    ReadBound bound(*this, chunkEnd);
    readFixedText(currentMaterial->name, NAME_SIZE);
    gLog.message("[#] Material Name: %s\n", currentMaterial->name);
}

void SceneLoader::readColor(Vector3& raw255, Vector3& unit, int64_t blockEnd) {
    walk(blockEnd, [this, &raw255](const ChunkHeader& h) {
        ReadBound bound(*this, h.end);
        if (h.id == COLOR_FLOAT || h.id == COLOR_LINEAR_FLOAT) {
            raw255 = readVector();
        } else if (h.id == COLOR_24 || h.id == COLOR_LINEAR_24) {
            Color24 c = readColor24();
            raw255.set(c.red, c.green, c.blue);
        }
    });
    scaleColor255(raw255, unit);
}

void SceneLoader::readTextureMap(int64_t blockEnd) {
    walk(blockEnd, [this](const ChunkHeader& h) {
        if (h.id == MAP_FILE)
            readMapFile(h.end);
    });
}

void SceneLoader::readMapFile(int64_t chunkEnd) {
    ReadBound bound(*this, chunkEnd);
    char* mapFile = currentMaterial->mapFile;
    readFixedText(mapFile, NAME_SIZE);
    for (char* c = mapFile; *c; ++c) {
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<char>(*c - 'A' + 'a');
    }
    gLog.message("Material file name: %s ", mapFile);
}
