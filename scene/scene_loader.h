// Reads one 3DS scene file into a new Scene. Every step is written to the log.
//
// A 3DS file is a tree of chunks (16-bit id, 32-bit length including the 6-byte
// header). Every level is read by the same walk: read a header, let the handler of
// that id read what it needs, then seek to the chunk's end whatever the handler read.
//
// Bad files never make the loader read outside the file or loop: a chunk shorter
// than its header ends the walk of its level, a chunk reaching beyond its parent is
// cut at the parent's end, and bytes the file (or the chunk being read) does not
// hold read as zero. Counts are bounded by the bytes their chunk can hold before
// anything is allocated.
#pragma once

#include "log/regular_file.h"
#include "scene/allocate.h"
#include "scene/ref_list.h"
#include "scene/scene.h"
#include "texture/texture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <memory>

class SceneLoader {
  public:
    Scene* scene = nullptr;
    MeshObject* currentObject = nullptr;
    SceneCamera* currentCamera = nullptr;
    SceneLight* currentLight = nullptr;
    Material* currentMaterial = nullptr;
    int32_t materialCount = 0;
    int32_t mObjIndex = -1;
    int32_t mCamIndex = -1;
    RefList<Material> materials;

    SceneLoader() = default;
    SceneLoader(const SceneLoader&) = delete;
    SceneLoader& operator=(const SceneLoader&) = delete;
    ~SceneLoader();

    // Reads the whole file and returns the new scene; the caller owns it.
    // A missing or corrupt file ends the process through the log's error.
    Scene* load(const char* path);

    // Called before every chunk and every texture while a load runs, when set: a
    // program stopping on a signal ends there instead of after the whole load.
    static void (*betweenSteps)();
    // Said after where a missing scene file was looked for: what to do about it (the
    // program sets where its files come from). Empty: nothing more.
    static std::string missingFileAdvice;

    // When false, texture images are not read: textured objects keep texture 0.
    bool loadTextures = true;
    // The textures of the scene being loaded: each image file is read once and its GL
    // texture shared by the objects that name it. Emptied when a load starts.
    TextureCache textures;

    // How many bytes of the file are held in memory at once. Values are decoded from
    // this window, which is refilled from the file when reading leaves it; the memory
    // a load takes for reading does not grow with the file.
    int64_t windowSize = 64 * 1024;

    // Reading primitives at the current position of the open file. Each advances
    // the position by its size; bytes beyond the end of the file, or beyond the
    // chunk being read, read as zero.
    uint8_t readByte() {
        uint8_t b[1];
        readBytes(b, 1);
        return b[0];
    }
    uint16_t readWord() {
        uint8_t b[2];
        readBytes(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    int32_t readDword() {
        uint8_t b[4];
        readBytes(b, 4);
        uint32_t v = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
        int32_t value;
        std::memcpy(&value, &v, sizeof value);
        return value;
    }
    float readFloat() {
        int32_t bits = readDword();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    Vector3 readVector();
    struct Color24 {
        uint8_t red, green, blue;
    };
    Color24 readColor24();
    // Advances to end if the position is before it; never beyond the end of the file,
    // never backwards.
    void skipTo(int64_t end);

  private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    struct ChunkHeader {
        uint16_t id = 0;
        uint32_t length = 0;
        // Position after the header, and the chunk's end (cut at the region's end).
        int64_t start = 0;
        int64_t end = 0;
        // False when the length is below the header's own 6 bytes.
        bool valid = false;
    };
    // While alive, reads stop (read zero) at end as well as at the end of the file.
    class ReadBound {
      public:
        ReadBound(SceneLoader& loader, int64_t end);
        ~ReadBound();
        ReadBound(const ReadBound&) = delete;
        ReadBound& operator=(const ReadBound&) = delete;

      private:
        SceneLoader& loader_;
        int64_t saved_;
    };

    std::unique_ptr<std::FILE, FileCloser> file_;
    int64_t fileSize_ = 0;
    int64_t position_ = 0;       // logical read position
    int64_t streamPosition_ = 0; // where the stream actually stands (-1: unknown)
    int64_t readLimit_ = 0;
    // The window: the file's bytes from windowStart_ on, windowLength_ of them.
    std::unique_ptr<uint8_t[]> window_;
    int64_t windowCapacity_ = 0;
    int64_t windowStart_ = 0;
    int64_t windowLength_ = 0;
    // Bytes from windowStart_ up to here are in the window and may be read: before
    // the end of the window, the read limit and the file.
    int64_t directEnd_ = 0;

    // Opens the file at path for reading; false when it can't be opened.
    bool openFile(const char* path, FileProblem& problem);
    void readBytes(void* out, int64_t count) {
        if (position_ >= windowStart_ && count <= directEnd_ - position_) {
            std::memcpy(out, window_.get() + (position_ - windowStart_), static_cast<size_t>(count));
            position_ += count;
        } else {
            readBytesSlowly(out, count);
        }
    }
    // readBytes when the bytes are not all in the window: refills it as needed.
    void readBytesSlowly(void* out, int64_t count);
    // Reads the file from offset on into the window.
    void fillWindow(int64_t offset);
    void updateDirectEnd();
    int64_t tell() const { return position_; }
    void seek(int64_t position) { position_ = position; }
    bool atEnd() const { return position_ >= fileSize_; }
    // Bytes that can still be read before end (and the end of the file).
    int64_t remaining(int64_t end) const;
    // Reads the next sub-chunk header of a region ending at regionEnd. False when the
    // region (or the file) has been read to its end.
    bool readHeader(int64_t regionEnd, ChunkHeader& header);
    // The chunk walk: every sub-chunk up to regionEnd goes to handle(header), then
    // reading goes on at the sub-chunk's end. A sub-chunk shorter than its header
    // ends the walk.
    template <class Handler> void walk(int64_t regionEnd, Handler&& handle) {
        ChunkHeader header;
        while (readHeader(regionEnd, header) && header.valid) {
            handle(header);
            seek(header.end);
        }
    }
    // Reads a zero-terminated text of the file into buffer (size bytes, always
    // terminated); the rest of a longer text is passed over up to its zero byte.
    void readName(char* buffer, int64_t size, int64_t end);
    // Reads exactly size - 1 bytes into buffer and terminates it.
    void readFixedText(char* buffer, int64_t size);
    // How many entries of entrySize bytes start before end (at most fileCount).
    uint32_t entriesThatFit(uint32_t fileCount, int64_t entrySize, int64_t end) const;
    // Logs that a list holds fewer entries than its count says.
    void logCut(uint32_t kept, uint32_t fileCount);

    // Editor section and named objects.
    void readEditor(int64_t end);
    void readNamedObject(int64_t end);
    // Materials.
    void readMaterial(int64_t end);
    void readMaterialName(int64_t chunkEnd);
    void readColor(Vector3& raw255, Vector3& unit, int64_t blockEnd);
    void readTextureMap(int64_t blockEnd);
    void readMapFile(int64_t chunkEnd);
    // Mesh objects.
    void readMesh(int64_t end, const char* name);
    void readVertexList(int64_t end);
    void readFaceList(int64_t end);
    void readFaceMaterial(int64_t end);
    void readTexCoords(int64_t end);
    void bindTexture();
    // Cameras and lights.
    void readCamera(int64_t chunkEnd, int64_t objectEnd);
    void readLight(int64_t chunkEnd, int64_t objectEnd);
    // Keyframer.
    // The node being read: its kind (its chunk id) and the records its header bound.
    struct KeyframerNode {
        uint16_t kind = 0;
        MeshObject* object = nullptr;
        SceneCamera* camera = nullptr;
    };
    // A key track's header: the two words (only logged) and the file's key count.
    struct TrackHeader {
        int word1 = 0;
        int word2 = 0;
        uint32_t fileKeyCount = 0;
    };
    int readKeyframer(int64_t end);
    void readKeyframerHeader();
    void readKeyframerSegment();
    void readNode(int64_t end, uint16_t kind);
    void readNodeHeader(KeyframerNode& node);
    void readPivot(const KeyframerNode& node);
    TrackHeader readTrackHeader();
    // A track logs the same lines whether or not the node names a record; only a bound
    // node stores its keys.
    void readPositionTrack(const KeyframerNode& node, const TrackHeader& track, int64_t end);
    void readRotationTrack(const KeyframerNode& node, const TrackHeader& track, int64_t end);
    void readScaleTrack(const KeyframerNode& node, const TrackHeader& track, int64_t end);
    void readRollTrack(const TrackHeader& track, int64_t end);
    // Skips the optional spline floats a key's flags announce.
    void skipSplineFields(uint16_t keyFlags);
};
