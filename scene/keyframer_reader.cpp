// The keyframer section: node headers, pivots, and the position, rotation and scale
// tracks of objects and cameras.
//
// Nodes are bound to the scene's records by order, not by name: the n-th object node
// animates objects[n], the n-th camera node cameras[n], and a camera target node the
// camera of the latest camera node. Data of a node that names no record (more nodes
// than records, or data before the node's own header) is read and logged but stored
// nowhere.
#include "scene/scene_loader.h"

#include "log/log.h"

#include <cstdio>

namespace {

constexpr uint16_t KEYFRAMER_HEADER = 0xB00A;
constexpr uint16_t KEYFRAMER_SEGMENT = 0xB008;
constexpr uint16_t OBJECT_NODE = 0xB002;
constexpr uint16_t CAMERA_NODE = 0xB003;
constexpr uint16_t TARGET_NODE = 0xB004;
constexpr uint16_t LIGHT_NODE = 0xB005;
constexpr uint16_t SPOT_TARGET_NODE = 0xB006;
constexpr uint16_t SPOT_NODE = 0xB007;

constexpr uint16_t NODE_HEADER = 0xB010;
constexpr uint16_t APP_DATA = 0xB011;
constexpr uint16_t PIVOT = 0xB013;
constexpr uint16_t BOUND_BOX = 0xB014;
constexpr uint16_t POSITION_TRACK = 0xB020;
constexpr uint16_t ROTATION_TRACK = 0xB021;
constexpr uint16_t SCALE_TRACK = 0xB022;
constexpr uint16_t ROLL_TRACK = 0xB024;
constexpr uint16_t NODE_ID = 0xB030;

// Smallest size of one key of each track: frame, flags and the values.
constexpr int64_t POSITION_KEY_SIZE = 18;
constexpr int64_t ROTATION_KEY_SIZE = 22;
constexpr int64_t SCALE_KEY_SIZE = 18;
constexpr int64_t ROLL_KEY_SIZE = 10;

bool isTrack(uint16_t id) {
    return (id >= 0xB020 && id <= 0xB025) || id == 0xB027 || id == 0xB028;
}

} // namespace

void SceneLoader::skipSplineFields(uint16_t keyFlags) {
    // Tension, continuity, bias, ease to, ease from: one float each when its bit is set.
    for (int bit = 0; bit < 5; ++bit) {
        if (keyFlags & (1u << bit))
            readFloat();
    }
}

int SceneLoader::readKeyframer(int64_t end) {
    std::printf("[#] Reading KeyFramer data!\n");
    walk(end, [this](const ChunkHeader& h) {
        ReadBound bound(*this, h.end);
        switch (h.id) {
        case KEYFRAMER_HEADER: {
            gLog.message(" [#] Keyframer header\n");
            int version = readWord();
            char block[11];
            readFixedText(block, sizeof block);
            int length = readDword();
            gLog.message("    - Version: %i, Length: %i, Dummy: %s\n", version, length, block);
            break;
        }
        case KEYFRAMER_SEGMENT: {
            gLog.message("  [#] Keyframer segment\n");
            int start = readDword();
            int segmentEnd = readDword();
            gLog.message("    - SegStart: %i, SegEnd: %i\n", start, segmentEnd);
            break;
        }
        case OBJECT_NODE:
            gLog.message("  [#] Keyframer object-node\n");
            readNode(h.end, h.id);
            break;
        case CAMERA_NODE:
            gLog.message("  [#] Camera object-node\n");
            readNode(h.end, h.id);
            break;
        case TARGET_NODE:
            gLog.message("  [#] Camera target-node\n");
            readNode(h.end, h.id);
            break;
        case LIGHT_NODE:
        case SPOT_TARGET_NODE:
        case SPOT_NODE:
            gLog.message(" [#] Light animation \n");
            readNode(h.end, h.id);
            break;
        default:
            std::printf("Unsupported chunk '%4X'..\n", static_cast<unsigned>(h.id));
            skipTo(h.end);
            break;
        }
    });
    return 0;
}

void SceneLoader::readNode(int64_t end, uint16_t kind) {
    const bool objectNode = kind == OBJECT_NODE;
    const bool cameraNode = kind == CAMERA_NODE;
    const bool targetNode = kind == TARGET_NODE;
    // The records this node animates, once its header has bound it.
    MeshObject* object = nullptr;
    SceneCamera* camera = nullptr;

    walk(end, [&](const ChunkHeader& h) {
        ReadBound bound(*this, h.end);
        uint32_t word1 = 0, word2 = 0, fileKeyCount = 0;
        if (isTrack(h.id)) {
            readWord(); // track flags, not used
            word1 = static_cast<uint32_t>(readDword());
            word2 = static_cast<uint32_t>(readDword());
            fileKeyCount = static_cast<uint32_t>(readDword());
        }
        const int w1 = static_cast<int>(word1);
        const int w2 = static_cast<int>(word2);

        switch (h.id) {
        case NODE_HEADER: {
            gLog.message("    [#] NodeHeader..\n");
            char nodeName[21];
            readFixedText(nodeName, sizeof nodeName);
            int flags = readWord();
            readWord(); // not used
            gLog.message("       - Nodename: %s\n", nodeName);
            gLog.message("       - Nodeflag: %d\n", flags);
            if (cameraNode) {
                gLog.message("     - Camera animation!\n");
                ++mCamIndex;
                gLog.message("mCamIndex: %d\n", mCamIndex);
                camera = mCamIndex < scene->cameraCount ? scene->cameras[mCamIndex] : nullptr;
            } else if (objectNode) {
                gLog.message("     - Normal animation!\n");
                ++mObjIndex;
                gLog.message("mObjIndex: %d\n", mObjIndex);
                object = mObjIndex < scene->objectCount ? scene->objects[mObjIndex] : nullptr;
            } else if (targetNode) {
                camera =
                    mCamIndex >= 0 && mCamIndex < scene->cameraCount ? scene->cameras[mCamIndex] : nullptr;
            }
            break;
        }
        case APP_DATA: {
            char dropped[20];
            readBytes(dropped, sizeof dropped);
            gLog.message("    [#] Appdata, skipping..\n");
            break;
        }
        case PIVOT: {
            Vector3 pivot = readVector();
            if (object)
                object->pivot = pivot;
            gLog.message("    [#] Pivotpoint: (%f,%f,%f)\n", pivot.x, pivot.y, pivot.z);
            break;
        }
        case BOUND_BOX:
            skipTo(h.end);
            gLog.message(" Skip bound box \n");
            break;
        case POSITION_TRACK: {
            uint32_t count = entriesThatFit(fileKeyCount, POSITION_KEY_SIZE, h.end);
            const int n = static_cast<int>(count);
            gLog.message("    [#] Position keys found, reading: %i,%i,%i keys\n", w1, w2, n);
            logCut(count, fileKeyCount);
            if (kind != OBJECT_NODE && kind != CAMERA_NODE && kind != TARGET_NODE)
                break; // light nodes: nothing is created, the keys are not read
            TrackKey* keys = nullptr;
            std::unique_ptr<TrackKey[]> unbound;
            if (cameraNode) {
                gLog.message(" Camera animation found! %i \n", n);
                if (camera) {
                    camera->positionKeyCount = n;
                    camera->positionKeys = allocateArray<TrackKey>(n);
                    keys = camera->positionKeys.get();
                }
            } else if (n > 0) {
                if (targetNode && camera) {
                    camera->targetKeyCount = n;
                    camera->targetKeys = allocateArray<TrackKey>(n);
                    keys = camera->targetKeys.get();
                } else if (objectNode && object) {
                    object->positionKeyCount = n;
                    object->positionKeys = allocateArray<TrackKey>(n);
                    keys = object->positionKeys.get();
                }
            }
            for (int i = 0; i < n; ++i) {
                TrackKey scratch;
                TrackKey& key = keys ? keys[i] : scratch;
                key.frame = readDword();
                skipSplineFields(readWord());
                key.position = readVector();
                gLog.message("       key[%3i]: Time: %i, flags: (%f,%f,%f)\n", i, key.frame, key.position.x,
                             key.position.y, key.position.z);
            }
            break;
        }
        case ROTATION_TRACK: {
            uint32_t count = entriesThatFit(fileKeyCount, ROTATION_KEY_SIZE, h.end);
            const int n = static_cast<int>(count);
            gLog.message(" Rotation keys found %i %i %i, keys\n", w1, w2, n);
            logCut(count, fileKeyCount);
            if (!objectNode || !object)
                break;
            object->rotationKeyCount = n;
            object->rotationKeys = allocateArray<TrackKey>(n);
            for (int i = 0; i < n; ++i) {
                TrackKey& key = object->rotationKeys[i];
                readDword(); // frame, not kept
                skipSplineFields(readWord());
                key.rotationAngle = readFloat();
                key.rotationAxis = readVector();
            }
            break;
        }
        case SCALE_TRACK: {
            uint32_t count = entriesThatFit(fileKeyCount, SCALE_KEY_SIZE, h.end);
            const int n = static_cast<int>(count);
            gLog.message("    [#] Scaling keys found, reading: %i,%i,%i keys\n", w1, w2, n);
            logCut(count, fileKeyCount);
            if (!objectNode || !object)
                break;
            object->scaleKeyCount = n;
            object->scaleKeys = allocateArray<TrackKey>(n);
            for (int i = 0; i < n; ++i) {
                TrackKey& key = object->scaleKeys[i];
                int frame = readDword(); // not kept
                int flags = readWord();
                skipSplineFields(static_cast<uint16_t>(flags));
                key.scale = readVector();
                gLog.message("       key[%3i]: Time: %i, flags: %i, (%f,%f,%f)\n", i, frame, flags,
                             key.scale.x, key.scale.y, key.scale.z);
            }
            break;
        }
        case ROLL_TRACK: {
            uint32_t count = entriesThatFit(fileKeyCount, ROLL_KEY_SIZE, h.end);
            const int n = static_cast<int>(count);
            gLog.message("    [#] Roll keys found, reading: %i,%i,%i keys\n", w1, w2, n);
            logCut(count, fileKeyCount);
            for (int i = 0; i < n; ++i) {
                int frame = readDword();
                int flags = readWord();
                skipSplineFields(static_cast<uint16_t>(flags));
                float roll = readFloat();
                gLog.message("       key[%3i]: Time: %i, flags: %i, Roll:%f\n", i, frame, flags, roll);
            }
            break;
        }
        case NODE_ID:
            std::printf("    [#] Node_ID: %d\n", static_cast<int>(readWord()));
            break;
        default:
            // 0x8000, the other tracks after their header, and anything unknown.
            skipTo(h.end);
            break;
        }
    });
}
