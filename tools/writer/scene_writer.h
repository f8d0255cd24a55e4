// A small scene description written as a 3DS file: materials, meshes, cameras,
// lights and the keyframer section that animates them. Used by the tests and by
// the content tools.
#pragma once

#include "chunk_writer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tds {

using Vec3 = std::array<float, 3>;

struct MaterialDesc {
    std::string name;
    std::array<uint8_t, 3> ambient{{0, 0, 0}};
    std::array<uint8_t, 3> diffuse{{200, 200, 200}};
    std::array<uint8_t, 3> specular{{255, 255, 255}};
    std::string mapFile; // empty: no texture map
};

// One key of a keyframer track. flags bits 0x01 to 0x10 (tension, continuity, bias,
// ease to, ease from) each write one spline float between the flags and the values,
// taken in order from spline (missing ones are 0).
struct KeyDesc {
    uint32_t frame = 0;
    uint16_t flags = 0;
    std::vector<float> spline;
    std::vector<float> values;
};

struct RotationKey {
    float angle = 0;
    Vec3 axis{{0, 0, 1}};
};

struct MeshDesc {
    std::string name;
    std::vector<Vec3> vertices;
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<std::array<float, 2>> texCoords; // empty: no mapping coordinates
    std::string material;                        // face-material group name; empty: none
    // Keyframer track of the object's node (optional).
    Vec3 pivot{{0, 0, 0}};
    std::vector<Vec3> positionKeys;        // key i at frame i; empty: no track
    std::vector<RotationKey> rotationKeys; // key i at frame i; empty: no track
    std::vector<Vec3> scaleKeys;           // key i at frame i; empty: no track
};

struct CameraDesc {
    std::string name;
    Vec3 position{{0, 0, 0}};
    Vec3 target{{0, 0, 0}};
    float bank = 0;
    float lens = 50;
    // Keyframer: one position key per frame (key i at frame i), and target keys.
    std::vector<Vec3> positionKeys;
    std::vector<Vec3> targetKeys;
};

struct LightDesc {
    std::string name;
    Vec3 position{{0, 0, 0}};
    bool spot = false;
    Vec3 spotTarget{{0, 0, 0}};
    float hotspot = 0;
    float falloff = 0;
    // Keyframer: position keys of the light's node (key i at frame i).
    std::vector<Vec3> positionKeys;
};

struct SceneDesc {
    std::vector<MaterialDesc> materials;
    std::vector<MeshDesc> meshes;
    std::vector<CameraDesc> cameras;
    std::vector<LightDesc> lights;
    bool keyframer = true;     // write the keyframer section (nodes for meshes, cameras and lights)
    bool currentFrame = false; // write the current-frame chunk 0xB009 after the segment
};

Chunk materialChunk(const MaterialDesc& m);
// Throws std::length_error when a list holds more than 65535 entries.
Chunk meshObjectChunk(const MeshDesc& m);
Chunk cameraObjectChunk(const CameraDesc& c);
Chunk lightObjectChunk(const LightDesc& l);
// A track chunk (0xB020 to 0xB028): track header, then the keys.
Chunk trackChunk(uint16_t id, const std::vector<KeyDesc>& keys);
// A position track chunk (0xB020) with one key per entry, key i at frame i.
Chunk positionTrack(const std::vector<Vec3>& keys);
// A rotation track chunk (0xB021): angle then axis, key i at frame i.
Chunk rotationTrack(const std::vector<RotationKey>& keys);
// A scale track chunk (0xB022), key i at frame i.
Chunk scaleTrack(const std::vector<Vec3>& keys);
// A node header chunk (0xB010): name, two flag words, parent index.
Chunk nodeHeader(const std::string& name, uint16_t parent = 0xFFFF);
Chunk keyframerChunk(const SceneDesc& scene);

// The whole file: main chunk, version, editor (materials first, then meshes,
// cameras, lights), keyframer.
Chunk sceneChunk(const SceneDesc& scene);
inline std::vector<uint8_t> sceneBytes(const SceneDesc& scene) {
    return sceneChunk(scene).bytes();
}

} // namespace tds
