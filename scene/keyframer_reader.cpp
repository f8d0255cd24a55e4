// The keyframer section: node headers, pivots, and the position, rotation, scale and
// roll tracks of objects and cameras, one function per chunk family.
//
// Nodes are bound to the scene's records by order, not by name: the n-th object node
// animates objects[n], the n-th camera node cameras[n], and a camera target node the
// camera of the latest camera node. Data of a node that names no record (more nodes
// than records, or data before the node's own header) is read and logged but stored
// nowhere: every track logs the same lines for it as for a bound node.
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

// Creates a record's track of n keys and returns its keys.
TrackKey* createTrack(int32_t& count, std::unique_ptr<TrackKey[]>& keys, int n) {
    count = n;
    keys = allocateArray<TrackKey>(n);
    return keys.get();
}

} // namespace

void SceneLoader::skipSplineFields(uint16_t keyFlags) {
    // Tension, continuity, bias, ease to, ease from: one float each when its bit is set.
    for (int bit = 0; bit < 5; ++bit) {
        if (keyFlags & (1u << bit))
            readFloat();
    }
}

// ---- the keyframer section ----

int SceneLoader::readKeyframer(int64_t end) {
    std::printf("[#] Reading KeyFramer data!\n");
    walk(end, [this](const ChunkHeader& h) {
        ReadBound bound(*this, h.end);
        switch (h.id) {
        case KEYFRAMER_HEADER:
            readKeyframerHeader();
            break;
        case KEYFRAMER_SEGMENT:
            readKeyframerSegment();
            break;
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

void SceneLoader::readKeyframerHeader() {
    gLog.message(" [#] Keyframer header\n");
    int version = readWord();
    char block[11];
    readFixedText(block, sizeof block);
    int length = readDword();
    gLog.message("    - Version: %i, Length: %i, Dummy: %s\n", version, length, block);
}

void SceneLoader::readKeyframerSegment() {
    gLog.message("  [#] Keyframer segment\n");
    int start = readDword();
    int segmentEnd = readDword();
    gLog.message("    - SegStart: %i, SegEnd: %i\n", start, segmentEnd);
}

// ---- nodes ----

void SceneLoader::readNode(int64_t end, uint16_t kind) {
    KeyframerNode node;
    node.kind = kind;
    walk(end, [&](const ChunkHeader& h) {
        ReadBound bound(*this, h.end);
        TrackHeader track;
        if (isTrack(h.id))
            track = readTrackHeader();
        switch (h.id) {
        case NODE_HEADER:
            readNodeHeader(node);
            break;
        case APP_DATA: {
            char dropped[20];
            readBytes(dropped, sizeof dropped);
            gLog.message("    [#] Appdata, skipping..\n");
            break;
        }
        case PIVOT:
            readPivot(node);
            break;
        case BOUND_BOX:
            skipTo(h.end);
            gLog.message(" Skip bound box \n");
            break;
        case POSITION_TRACK:
            readPositionTrack(node, track, h.end);
            break;
        case ROTATION_TRACK:
            readRotationTrack(node, track, h.end);
            break;
        case SCALE_TRACK:
            readScaleTrack(node, track, h.end);
            break;
        case ROLL_TRACK:
            readRollTrack(track, h.end);
            break;
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

void SceneLoader::readNodeHeader(KeyframerNode& node) {
    gLog.message("    [#] NodeHeader..\n");
    char nodeName[21];
    readFixedText(nodeName, sizeof nodeName);
    int flags = readWord();
    readWord(); // not used
    gLog.message("       - Nodename: %s\n", nodeName);
    gLog.message("       - Nodeflag: %d\n", flags);
    if (node.kind == CAMERA_NODE) {
        gLog.message("     - Camera animation!\n");
        ++mCamIndex;
        gLog.message("mCamIndex: %d\n", mCamIndex);
        node.camera = mCamIndex < scene->cameraCount ? scene->cameras[mCamIndex] : nullptr;
    } else if (node.kind == OBJECT_NODE) {
        gLog.message("     - Normal animation!\n");
        ++mObjIndex;
        gLog.message("mObjIndex: %d\n", mObjIndex);
        node.object = mObjIndex < scene->objectCount ? scene->objects[mObjIndex] : nullptr;
    } else if (node.kind == TARGET_NODE) {
        // The camera of the latest camera node.
        const bool named = mCamIndex >= 0 && mCamIndex < scene->cameraCount;
        node.camera = named ? scene->cameras[mCamIndex] : nullptr;
    }
}

void SceneLoader::readPivot(const KeyframerNode& node) {
    Vector3 pivot = readVector();
    if (node.object)
        node.object->pivot = pivot;
    gLog.message("    [#] Pivotpoint: (%f,%f,%f)\n", pivot.x, pivot.y, pivot.z);
}

// ---- tracks ----
//
// Every track reads its keys into the record the node bound, or into a scratch key
// when the node names no record, so that the log shows the same lines either way.

SceneLoader::TrackHeader SceneLoader::readTrackHeader() {
    TrackHeader track;
    readWord(); // track flags, not used
    track.word1 = readDword();
    track.word2 = readDword();
    track.fileKeyCount = static_cast<uint32_t>(readDword());
    return track;
}

void SceneLoader::readPositionTrack(const KeyframerNode& node, const TrackHeader& track, int64_t end) {
    const uint32_t count = entriesThatFit(track.fileKeyCount, POSITION_KEY_SIZE, end);
    const int n = static_cast<int>(count);
    gLog.message("    [#] Position keys found, reading: %i,%i,%i keys\n", track.word1, track.word2, n);
    logCut(count, track.fileKeyCount);
    TrackKey* keys = nullptr;
    if (node.kind == CAMERA_NODE) {
        gLog.message(" Camera animation found! %i \n", n);
        if (node.camera)
            keys = createTrack(node.camera->positionKeyCount, node.camera->positionKeys, n);
    } else if (node.kind == TARGET_NODE) {
        if (n > 0 && node.camera)
            keys = createTrack(node.camera->targetKeyCount, node.camera->targetKeys, n);
    } else if (node.kind == OBJECT_NODE) {
        if (n > 0 && node.object)
            keys = createTrack(node.object->positionKeyCount, node.object->positionKeys, n);
    } else {
        return; // light nodes: nothing is created, the keys are not read
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
}

void SceneLoader::readRotationTrack(const KeyframerNode& node, const TrackHeader& track, int64_t end) {
    const uint32_t count = entriesThatFit(track.fileKeyCount, ROTATION_KEY_SIZE, end);
    const int n = static_cast<int>(count);
    gLog.message(" Rotation keys found %i %i %i, keys\n", track.word1, track.word2, n);
    logCut(count, track.fileKeyCount);
    if (node.kind != OBJECT_NODE || !node.object)
        return; // rotation keys log no lines of their own: nothing more to read
    TrackKey* keys = createTrack(node.object->rotationKeyCount, node.object->rotationKeys, n);
    for (int i = 0; i < n; ++i) {
        TrackKey& key = keys[i];
        readDword(); // frame, not kept
        skipSplineFields(readWord());
        key.rotationAngle = readFloat();
        key.rotationAxis = readVector();
    }
}

void SceneLoader::readScaleTrack(const KeyframerNode& node, const TrackHeader& track, int64_t end) {
    const uint32_t count = entriesThatFit(track.fileKeyCount, SCALE_KEY_SIZE, end);
    const int n = static_cast<int>(count);
    gLog.message("    [#] Scaling keys found, reading: %i,%i,%i keys\n", track.word1, track.word2, n);
    logCut(count, track.fileKeyCount);
    if (node.kind != OBJECT_NODE)
        return; // the keys of other nodes are neither read nor logged
    TrackKey* keys =
        node.object ? createTrack(node.object->scaleKeyCount, node.object->scaleKeys, n) : nullptr;
    for (int i = 0; i < n; ++i) {
        TrackKey scratch;
        TrackKey& key = keys ? keys[i] : scratch;
        int frame = readDword(); // not kept
        int flags = readWord();
        skipSplineFields(static_cast<uint16_t>(flags));
        key.scale = readVector();
        gLog.message("       key[%3i]: Time: %i, flags: %i, (%f,%f,%f)\n", i, frame, flags, key.scale.x,
                     key.scale.y, key.scale.z);
    }
}

void SceneLoader::readRollTrack(const TrackHeader& track, int64_t end) {
    // Logged for every node kind; nothing is stored.
    const uint32_t count = entriesThatFit(track.fileKeyCount, ROLL_KEY_SIZE, end);
    const int n = static_cast<int>(count);
    gLog.message("    [#] Roll keys found, reading: %i,%i,%i keys\n", track.word1, track.word2, n);
    logCut(count, track.fileKeyCount);
    for (int i = 0; i < n; ++i) {
        int frame = readDword();
        int flags = readWord();
        skipSplineFields(static_cast<uint16_t>(flags));
        float roll = readFloat();
        gLog.message("       key[%3i]: Time: %i, flags: %i, Roll:%f\n", i, frame, flags, roll);
    }
}
