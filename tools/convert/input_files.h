// Opening the files a model brings in: the model itself, the buffers and other files
// the importer asks for, and the images its materials name. Each is opened without
// waiting (a FIFO or device is refused at once), must be a regular file under a size
// cap, and must lie inside the model's folder unless the person allows otherwise.
#pragma once

#include <assimp/IOSystem.hpp>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace convert {

struct InputPolicy {
    std::filesystem::path model;  // the model as found (its links followed)
    std::filesystem::path folder; // the model's folder as found
    bool allowOutside = false;
};

InputPolicy inputPolicyFor(const std::string& modelPath, bool allowOutside);

// Opens `path` for reading; nullptr with a one-line reason naming the file in `error`.
std::FILE* openInput(const std::string& path, const InputPolicy& policy, uint64_t maxBytes,
                     std::string& error);

// The whole of the file, under the same rules.
bool readInput(const std::string& path, const InputPolicy& policy, uint64_t maxBytes,
               std::vector<uint8_t>& bytes, std::string& error);

// What the importer reads through: every file under the rules above, and the reason
// of the last refusal kept for the message (the importer's own names no file).
class GuardedIOSystem : public Assimp::IOSystem {
  public:
    explicit GuardedIOSystem(InputPolicy policy) : policy_(std::move(policy)) {}
    bool Exists(const char* file) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;
    void Close(Assimp::IOStream* file) override;
    const std::string& refusal() const { return refusal_; }

  private:
    InputPolicy policy_;
    std::string refusal_;
};

} // namespace convert
