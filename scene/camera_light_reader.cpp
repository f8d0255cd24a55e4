// Cameras and lights of named objects.
//
// Both readers go on after their fixed values with a sub-chunk loop that runs to the
// end of the whole named object; in a 3DS file the camera or light chunk is the last
// sub-chunk of its object, so that loop ends with the chunk itself. Every sub-chunk
// the loops pass over is named on standard output.
#include "scene/scene_loader.h"

#include "log/log.h"

#include <cstdio>

namespace {

constexpr uint16_t LIGHT_COLOR = 0x0010;
constexpr uint16_t SPOTLIGHT = 0x4610;

// The id as a signed 16-bit value: ids of 0x8000 and above print with leading "f" digits.
void printChunkId(uint16_t id) {
    std::printf("[#] Camera chunk: %x\n", static_cast<int>(static_cast<int16_t>(id)));
}

} // namespace

void SceneLoader::readCamera(int64_t chunkEnd, int64_t objectEnd) {
    std::unique_ptr<SceneCamera> camera = allocateRecord<SceneCamera>();
    currentCamera = camera.get();
    {
        ReadBound bound(*this, chunkEnd);
        camera->position = readVector();
        camera->target = readVector();
        readFloat(); // bank angle, not kept
        float lens = readFloat();
        camera->fov = 2400.0f / lens;
    }

    ChunkHeader header;
    while (readHeader(objectEnd, header) && header.valid) {
        printChunkId(header.id);
        skipTo(header.end);
    }
    scene->addCamera(camera.release());
}

void SceneLoader::readLight(int64_t chunkEnd, int64_t objectEnd) {
    std::unique_ptr<SceneLight> light = allocateRecord<SceneLight>();
    currentLight = light.get();
    {
        ReadBound bound(*this, chunkEnd);
        light->position = readVector();
    }

    ChunkHeader header;
    while (readHeader(objectEnd, header) && header.valid) {
        if (header.id == LIGHT_COLOR) {
            skipTo(header.end);
            continue;
        }
        if (header.id == SPOTLIGHT) {
            ReadBound bound(*this, header.end);
            light->spotTarget = readVector();
            light->hotspot = readFloat();
            light->falloff = readFloat();
        }
        printChunkId(header.id);
        skipTo(header.end);
    }
    scene->addLight(light.release());
}
