// Writing the converter's output: the scene and its textures appear under their
// names together or not at all. Each goes to a fresh temporary file in its folder,
// written and flushed to the disk; only when all are complete are they renamed.
// A name already taken must be a regular file (never a device, FIFO, folder or
// symbolic link) and never the input itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

struct PendingFile {
    std::string path;
    const std::vector<uint8_t>* bytes = nullptr;
};

// False with a reason naming the path when it may not be written over.
bool checkOutputPath(const std::string& path, const std::string& input, std::string& error);

// Checks every path, writes them all, renames them all; on a failure, removes the
// temporaries and the files it had put under names that were free before.
bool writeOutputSet(const std::vector<PendingFile>& files, const std::string& input, std::string& error);

} // namespace convert
