// Regular-file opening on Windows: CreateFile never waits on a disk file, and the
// handle's type tells a disk file from a device (CON, NUL, COM1 ...) or a pipe, which
// are refused. The handle then becomes a C runtime stream.
#include "log/regular_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace {

FileProblem problemOf(const char* name, DWORD error) {
    DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FileProblem::NotRegular;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return FileProblem::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileProblem::Denied;
    case ERROR_PIPE_BUSY:
    case ERROR_BAD_PIPE:
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
    HANDLE handle =
        CreateFileA(name, reading ? GENERIC_READ : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    reading ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        why = problemOf(name, GetLastError());
        return nullptr;
    }
    bool ok = true;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        why = FileProblem::NotRegular;
        ok = false;
    }
    // Only a disk file is emptied, once its type is known.
    ok = ok && (reading || SetEndOfFile(handle));
    int fd = ok ? _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                  reading ? _O_RDONLY | _O_BINARY : _O_WRONLY | _O_TEXT)
                : -1;
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, reading ? "rb" : "wt");
    if (!file) {
        _close(fd); // closes the handle too
        return nullptr;
    }
    why = FileProblem::None;
    return file;
}

std::string fileIdentity(const char* name) {
    // Opened for no access at all: only the file's information is asked for.
    HANDLE handle = name ? CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                         : INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE)
        return std::string();
    BY_HANDLE_FILE_INFORMATION info;
    bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known)
        return std::string();
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
}
