// Shared by the texture fuzz targets: fatal errors become exceptions, the log file is
// left alone, and each input is offered to the loaders as a file in memory.
#pragma once

#include "log/log.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

struct Refused : std::runtime_error {
    explicit Refused(const char* text) : std::runtime_error(text) {}
};

[[noreturn]] inline void throwRefused(const char* text) {
    throw Refused(text);
}

inline void setUpOnce() {
    static bool done = false;
    if (done)
        return;
    done = true;
    Log::setFatalHandler(throwRefused);
    // Millions of inputs would otherwise fill the log file with their messages.
    if (gLog.file) {
        std::fclose(gLog.file);
        gLog.file = nullptr;
    }
}

// The input as an anonymous in-memory file, reachable by a path while it lives.
class MemoryFile {
  public:
    MemoryFile(const uint8_t* data, size_t size) {
        fd_ = memfd_create("fuzz-input", 0);
        if (fd_ < 0)
            return;
        size_t written = 0;
        while (written < size) {
            ssize_t n = write(fd_, data + written, size - written);
            if (n <= 0)
                break;
            written += static_cast<size_t>(n);
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() {
        if (fd_ >= 0)
            close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    const char* path() const { return path_.c_str(); }

  private:
    int fd_ = -1;
    std::string path_;
};

} // namespace fuzz
