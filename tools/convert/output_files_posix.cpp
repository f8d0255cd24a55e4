// Output files on POSIX systems: mkstemp beside the target, write, fsync, rename.
#include "output_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace convert {

namespace fs = std::filesystem;

namespace {

struct Written {
    std::string temporary;
    bool targetExisted = false;
};

std::string failed(const std::string& path, int error) {
    return "can't write " + path + ": " + std::strerror(error);
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return fsync(fd) == 0;
}

// A complete copy of the bytes in a new hidden file beside `path`.
bool writeTemporary(const PendingFile& file, Written& written, std::string& error) {
    fs::path target = fs::u8path(file.path);
    std::string name = (target.parent_path() / ("." + target.filename().u8string() + ".XXXXXX")).u8string();
    int fd = mkstemp(name.data());
    if (fd < 0) {
        error = failed(file.path, errno);
        return false;
    }
    written.temporary = name;
    mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0 && writeAll(fd, *file.bytes);
    int why = errno;
    ok = close(fd) == 0 && ok;
    if (!ok)
        error = failed(file.path, why ? why : errno);
    return ok;
}

} // namespace

bool checkOutputPath(const std::string& path, const std::string& input, std::string& error) {
    struct stat there, in;
    if (lstat(path.c_str(), &there) != 0)
        return true; // free (or its folder is missing, which the write reports)
    if (S_ISLNK(there.st_mode))
        error = path + " is a symbolic link; name the file it points to, or a new one";
    else if (!S_ISREG(there.st_mode))
        error = path + " is not a regular file";
    else if (stat(input.c_str(), &in) == 0 && in.st_dev == there.st_dev && in.st_ino == there.st_ino)
        error = path + " is the input; choose another name for the output";
    else
        return true;
    return false;
}

bool writeOutputSet(const std::vector<PendingFile>& files, const std::string& input, std::string& error) {
    for (const PendingFile& file : files) {
        if (!checkOutputPath(file.path, input, error))
            return false;
    }
    std::vector<Written> written(files.size());
    size_t made = 0, renamed = 0;
    bool ok = true;
    for (; ok && made < files.size(); ++made) {
        struct stat info;
        written[made].targetExisted = lstat(files[made].path.c_str(), &info) == 0;
        ok = writeTemporary(files[made], written[made], error);
    }
    for (; ok && renamed < files.size(); ++renamed) {
        if (rename(written[renamed].temporary.c_str(), files[renamed].path.c_str()) != 0) {
            error = failed(files[renamed].path, errno);
            ok = false;
            break;
        }
    }
    if (ok)
        return true;
    for (size_t i = 0; i < made; ++i) {
        if (i >= renamed)
            unlink(written[i].temporary.c_str());
        else if (!written[i].targetExisted)
            unlink(files[i].path.c_str());
    }
    return false;
}

} // namespace convert
