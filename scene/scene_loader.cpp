// The file side of the loader: reading primitives, the chunk walk, the top level of
// the file, the editor section and named objects.
#include "scene/scene_loader.h"

#include "log/log.h"
#include "log/regular_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr uint16_t MAIN_CHUNK = 0x4D4D;
constexpr uint16_t EDITOR_CHUNK = 0x3D3D;
constexpr uint16_t KEYFRAMER_CHUNK = 0xB000;
constexpr uint16_t NAMED_OBJECT = 0x4000;
constexpr uint16_t MATERIAL_BLOCK = 0xAFFF;
constexpr uint16_t TRIANGLE_MESH = 0x4100;
constexpr uint16_t LIGHT = 0x4600;
constexpr uint16_t CAMERA = 0x4700;

constexpr int64_t HEADER_SIZE = 6;

// Seeks and positions with 64-bit offsets on every platform.
bool seekFile(std::FILE* file, int64_t offset, int origin) {
#if defined(_WIN32)
    return _fseeki64(file, offset, origin) == 0;
#else
    static_assert(sizeof(off_t) >= sizeof(int64_t), "file offsets need 64 bits");
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t tellFile(std::FILE* file) {
#if defined(_WIN32)
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}

} // namespace

void allocationFailed() {
    gLog.error("Faild to allocate memory");
}

SceneLoader::~SceneLoader() {
    scene = nullptr;
    currentObject = nullptr;
    currentCamera = nullptr;
    currentLight = nullptr;
    materials.clear();
}

// ---- reading primitives ----

void SceneLoader::readBytesSlowly(void* out, int64_t count) {
    auto* bytes = static_cast<uint8_t*>(out);
    std::memset(out, 0, static_cast<size_t>(count));
    int64_t available = std::min(readLimit_, fileSize_) - position_;
    int64_t wanted = std::max<int64_t>(0, std::min(count, available));
    int64_t at = position_;
    while (wanted > 0) {
        if (at < windowStart_ || at >= windowStart_ + windowLength_) {
            fillWindow(at);
            if (windowLength_ == 0)
                break; // the file holds less than its size said: the rest stays zero
        }
        int64_t n = std::min(wanted, windowStart_ + windowLength_ - at);
        std::memcpy(bytes, window_.get() + (at - windowStart_), static_cast<size_t>(n));
        bytes += n;
        at += n;
        wanted -= n;
    }
    position_ += count;
}

void SceneLoader::fillWindow(int64_t offset) {
    windowStart_ = offset;
    windowLength_ = 0;
    int64_t wanted = std::min(windowCapacity_, fileSize_ - offset);
    if (wanted > 0) {
        if (streamPosition_ == offset || seekFile(file_.get(), offset, SEEK_SET)) {
            size_t got = std::fread(window_.get(), 1, static_cast<size_t>(wanted), file_.get());
            windowLength_ = static_cast<int64_t>(got);
            streamPosition_ = offset + windowLength_;
        } else {
            streamPosition_ = -1;
        }
    }
    updateDirectEnd();
}

void SceneLoader::updateDirectEnd() {
    directEnd_ = std::min({windowStart_ + windowLength_, readLimit_, fileSize_});
}

Vector3 SceneLoader::readVector() {
    float x = readFloat();
    float y = readFloat();
    float z = readFloat();
    return Vector3(x, y, z);
}

SceneLoader::Color24 SceneLoader::readColor24() {
    Color24 color;
    color.red = readByte();
    color.green = readByte();
    color.blue = readByte();
    return color;
}

void SceneLoader::skipTo(int64_t end) {
    if (position_ < end)
        position_ = std::max(position_, std::min(end, fileSize_));
}

SceneLoader::ReadBound::ReadBound(SceneLoader& loader, int64_t end)
    : loader_(loader), saved_(loader.readLimit_) {
    loader_.readLimit_ = std::min(saved_, end);
    loader_.updateDirectEnd();
}

SceneLoader::ReadBound::~ReadBound() {
    loader_.readLimit_ = saved_;
    loader_.updateDirectEnd();
}

int64_t SceneLoader::remaining(int64_t end) const {
    return std::max<int64_t>(0, std::min({end, fileSize_, readLimit_}) - position_);
}

uint32_t SceneLoader::entriesThatFit(uint32_t fileCount, int64_t entrySize, int64_t end) const {
    // An entry counts when it starts before the end; a cut-off last entry keeps what
    // the file holds of it and reads the rest as zero.
    int64_t fit = (remaining(end) + entrySize - 1) / entrySize;
    return static_cast<uint32_t>(std::min<int64_t>(fileCount, fit));
}

void SceneLoader::logCut(uint32_t kept, uint32_t fileCount) {
    if (kept < fileCount)
        gLog.message("[!] List cut short: the file holds %u of %u entries\n", kept, fileCount);
}

void SceneLoader::readName(char* buffer, int64_t size, int64_t end) {
    ReadBound bound(*this, end);
    int64_t n = 0;
    for (;;) {
        if (remaining(end) == 0) {
            // The text runs to the end of its chunk without a zero byte.
            break;
        }
        uint8_t c = readByte();
        if (c == 0)
            break;
        if (n < size - 1)
            buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
}

void SceneLoader::readFixedText(char* buffer, int64_t size) {
    readBytes(buffer, size - 1);
    buffer[size - 1] = '\0';
}

void (*SceneLoader::betweenSteps)() = nullptr;

bool SceneLoader::readHeader(int64_t regionEnd, ChunkHeader& header) {
    if (betweenSteps)
        betweenSteps();
    regionEnd = std::min(regionEnd, fileSize_);
    if (position_ >= regionEnd)
        return false;
    header.id = readWord();
    header.length = static_cast<uint32_t>(readDword());
    header.start = position_;
    header.valid = header.length >= HEADER_SIZE;
    // A chunk reaching beyond its region is cut at the region's end.
    int64_t end = static_cast<int64_t>(header.start) + header.length - HEADER_SIZE;
    header.end = static_cast<int64_t>(std::min<int64_t>(end, regionEnd));
    return true;
}

// ---- the file ----

bool SceneLoader::openFile(const char* path, FileProblem& problem) {
    file_.reset(openRegularFile(path, FileAccess::ReadBinary, &problem));
    if (!file_)
        return false;
    // Reads fill the window straight from the file, without a stream buffer between.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    int64_t size = seekFile(file_.get(), 0, SEEK_END) ? tellFile(file_.get()) : -1;
    fileSize_ = size > 0 ? size : 0;
    streamPosition_ = seekFile(file_.get(), 0, SEEK_SET) ? 0 : -1;
    position_ = 0;
    readLimit_ = std::numeric_limits<int64_t>::max();
    windowCapacity_ = std::max<int64_t>(1, std::min(windowSize, fileSize_));
    window_.reset(new uint8_t[static_cast<size_t>(windowCapacity_)]);
    windowStart_ = 0;
    windowLength_ = 0;
    updateDirectEnd();
    return true;
}

std::string SceneLoader::missingFileAdvice;

namespace {

// Ends the load of a scene file that can't be opened: which file, why, and for a
// missing one where it was looked for and what to do.
[[noreturn]] void failToOpen(const char* path, FileProblem problem) {
    std::string detail = cantOpenText("scene file", path, problem);
    if (problem == FileProblem::Missing) {
        const std::string name = path ? path : "";
        if (name.find_first_of("/\\") == std::string::npos)
            detail += " " + searchedText({""});
        if (!SceneLoader::missingFileAdvice.empty())
            detail += " " + SceneLoader::missingFileAdvice;
    }
    gLog.errorWithDetail(detail.c_str(), "Ops! Could't found");
}

} // namespace

Scene* SceneLoader::load(const char* path) {
    std::unique_ptr<Scene> newScene = allocateRecord<Scene>();
    scene = newScene.get();
    currentObject = nullptr;
    currentCamera = nullptr;
    currentLight = nullptr;
    currentMaterial = nullptr;
    mObjIndex = -1;
    mCamIndex = -1;
    textures.clear();

    // The file is closed when the load ends, however it ends.
    struct CloseFile {
        std::unique_ptr<std::FILE, FileCloser>& file;
        ~CloseFile() { file.reset(); }
    } closeFile{file_};
    FileProblem problem = FileProblem::None;
    if (!openFile(path, problem))
        failToOpen(path, problem);

    uint16_t first = readWord();
    if (first != MAIN_CHUNK) {
        char detail[LOG_BUFFER_SIZE + 160];
        std::snprintf(
            detail, sizeof detail,
            "Scene file \"%s\", offset 0: a scene file starts with chunk 0x4D4D, this one with 0x%04X.", path,
            first);
        gLog.errorWithDetail(detail, "Corrupt 3ds!\n");
    }
    int64_t mainEnd = static_cast<int64_t>(static_cast<uint32_t>(readDword()));

    ChunkHeader header;
    while (readHeader(mainEnd, header)) {
        // The length as a 32-bit long: from 2^31 on it reads negative on every platform.
        gLog.message("chunk #%X (%ld bytes)\n", static_cast<unsigned>(header.id),
                     static_cast<long>(static_cast<int32_t>(header.length)));
        if (!header.valid)
            break;
        if (header.id == EDITOR_CHUNK)
            readEditor(header.end);
        else if (header.id == KEYFRAMER_CHUNK)
            readKeyframer(header.end);
        seek(header.end);
    }

    gLog.message(" Done reading %s !! \n", path);
    return newScene.release();
}

void SceneLoader::readEditor(int64_t end) {
    walk(end, [this](const ChunkHeader& h) {
        if (h.id == NAMED_OBJECT)
            readNamedObject(h.end);
        else if (h.id == MATERIAL_BLOCK)
            readMaterial(h.end);
    });
}

void SceneLoader::readNamedObject(int64_t end) {
    char name[256];
    readName(name, sizeof name, end);
    walk(end, [this, &name, end](const ChunkHeader& h) {
        switch (h.id) {
        case TRIANGLE_MESH:
            gLog.message("[#] Polygon Mesh \n");
            readMesh(h.end, name);
            break;
        case LIGHT:
            gLog.message("[#] Lightchunk \n");
            readLight(h.end, end);
            break;
        case CAMERA:
            gLog.message("[#] Camerachunk \n");
            readCamera(h.end, end);
            break;
        default:
            break;
        }
    });
}
