#include "input_files.h"

#include "input_limits.h"
#include "log/regular_file.h"

#include <assimp/DefaultIOStream.h>

#include <cstring>
#include <sys/stat.h>

namespace convert {

namespace fs = std::filesystem;

namespace {

// The importer's stream over a file this system opened (closed with the stream).
class InputStream : public Assimp::DefaultIOStream {
  public:
    InputStream(std::FILE* file, const std::string& name) : Assimp::DefaultIOStream(file, name) {}
};

bool inside(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (p == path.end() || *p != *f)
            return false;
    }
    return true;
}

std::string mebibytes(uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

} // namespace

InputPolicy inputPolicyFor(const std::string& modelPath, bool allowOutside) {
    InputPolicy policy;
    std::error_code failure;
    fs::path model = fs::absolute(fs::u8path(modelPath), failure);
    policy.model = fs::weakly_canonical(model, failure);
    policy.folder = fs::weakly_canonical(model.parent_path(), failure);
    policy.allowOutside = allowOutside;
    return policy;
}

std::FILE* openInput(const std::string& path, const InputPolicy& policy, uint64_t maxBytes,
                     std::string& error) {
    std::error_code failure;
    fs::path found = fs::canonical(fs::u8path(path), failure);
    if (!failure && !policy.allowOutside && found != policy.model && !inside(found, policy.folder)) {
        error = "\"" + path + "\" lies outside the model's folder (--allow-outside reads it)";
        return nullptr;
    }
    FileProblem problem = FileProblem::None;
    std::FILE* file = openRegularFile(path.c_str(), FileAccess::ReadBinary, &problem);
    if (!file) {
        error = "\"" + path + "\": " + fileProblemText(problem);
        return nullptr;
    }
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || static_cast<uint64_t>(info.st_size) > maxBytes) {
        std::fclose(file);
        error = "\"" + path + "\" is larger than " + mebibytes(maxBytes);
        return nullptr;
    }
    return file;
}

bool readInput(const std::string& path, const InputPolicy& policy, uint64_t maxBytes,
               std::vector<uint8_t>& bytes, std::string& error) {
    std::FILE* file = openInput(path, policy, maxBytes, error);
    if (!file)
        return false;
    bytes.clear();
    uint8_t block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && bytes.size() + got <= maxBytes)
        bytes.insert(bytes.end(), block, block + got);
    bool ok = !std::ferror(file) && got == 0;
    std::fclose(file);
    if (!ok)
        error = "\"" + path + "\" can't be read whole";
    return ok;
}

bool GuardedIOSystem::Exists(const char* file) const {
    struct stat info;
    return file && stat(file, &info) == 0;
}

Assimp::IOStream* GuardedIOSystem::Open(const char* file, const char* mode) {
    if (!file || !mode || std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+')) {
        refusal_ = "the importer asked to write a file";
        return nullptr;
    }
    std::string error;
    std::FILE* opened = openInput(file, policy_, MAX_MODEL_FILE_BYTES, error);
    if (!opened) {
        refusal_ = error;
        return nullptr;
    }
    return new InputStream(opened, file);
}

void GuardedIOSystem::Close(Assimp::IOStream* file) {
    delete file;
}

} // namespace convert
