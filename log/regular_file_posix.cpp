// Regular-file opening on POSIX systems: open with O_NONBLOCK (a FIFO then neither
// waits for a writer nor, for writing, for a reader), check the type on the open
// descriptor, then hand it to stdio in ordinary blocking mode.
#include "log/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileProblem problemOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileProblem::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileProblem::Denied;
    case EISDIR: // a directory opened for writing
    case ENXIO:  // a FIFO with no reader, opened for writing
        return FileProblem::NotRegular;
    default:
        return FileProblem::Other;
    }
}

} // namespace

std::FILE* openRegularFile(const char* name, FileAccess access, FileProblem* problem) {
    FileProblem ignored;
    FileProblem& why = problem ? *problem : ignored;
    why = FileProblem::Other;
    if (!name)
        return nullptr;
    bool reading = access == FileAccess::ReadBinary;
    // Not truncated at open: only a regular file is emptied, once its type is known.
    int flags = O_CLOEXEC | O_NONBLOCK | (reading ? O_RDONLY : O_WRONLY | O_CREAT);
    int fd = open(name, flags, 0666);
    if (fd < 0) {
        why = problemOf(errno);
        return nullptr;
    }
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        why = FileProblem::NotRegular;
        ok = false;
    }
    ok = ok && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
    ok = ok && (reading || ftruncate(fd, 0) == 0);
    std::FILE* file = ok ? fdopen(fd, reading ? "rb" : "w") : nullptr;
    if (!file) {
        close(fd);
        return nullptr;
    }
    why = FileProblem::None;
    return file;
}

std::string fileIdentity(const char* name) {
    struct stat info;
    if (!name || stat(name, &info) != 0)
        return std::string();
    return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
           std::to_string(static_cast<unsigned long long>(info.st_ino));
}
