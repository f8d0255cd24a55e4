// Data and log places on Linux: the executable's own path from /proc/self/exe, the
// state folder from the XDG variables.
#include "log/file_places.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace places {
namespace {

// The file whose presence marks a folder as holding the demo's data: the first scene
// the demo reads.
const char* const MARKER_FILE = "scene1.3ds";

bool holdsScenes(const std::string& folder) {
    struct stat info;
    return stat((folder + MARKER_FILE).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string executableFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return std::string();
    std::string text(path, static_cast<size_t>(length));
    return text.substr(0, text.rfind('/') + 1);
}

// $XDG_STATE_HOME/quarn, or ~/.local/state/quarn; a relative XDG_STATE_HOME is ignored
// as the XDG rules ask.
std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/quarn";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/.local/state/quarn";
    return std::string();
}

// mkdir -p with the mode the XDG rules ask for; false with errno set on failure.
bool makeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

} // namespace

std::string installedDataFolder() {
    if (holdsScenes(""))
        return std::string();
    std::string folder = executableFolder();
    if (folder.empty())
        return std::string();
    folder += "../share/quarn/";
    if (!holdsScenes(folder))
        return std::string();
    char resolved[PATH_MAX];
    return realpath(folder.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string logFilePath(std::string& problem) {
    problem.clear();
    if (installedDataFolder().empty())
        return LOG_FILE_NAME;
    std::string folder = stateFolder();
    if (folder.empty()) {
        problem = "neither XDG_STATE_HOME nor HOME is set";
        return std::string();
    }
    if (!makeFolders(folder)) {
        problem = "can't make the folder " + folder + ": " + std::strerror(errno);
        return std::string();
    }
    return folder + "/" + LOG_FILE_NAME;
}

void reportLogFile(const std::string& path, const std::string& problem, const char* openProblem) {
    const char* program = program_invocation_short_name;
    if (!problem.empty())
        std::fprintf(stderr, "%s: no log file (%s); running without a log\n", program, problem.c_str());
    else if (path == LOG_FILE_NAME)
        return; // the working directory's log, as always: nothing to say
    else if (openProblem)
        std::fprintf(stderr, "%s: can't write the log %s (%s); running without a log\n", program,
                     path.c_str(), openProblem);
    else
        std::fprintf(stderr, "%s: writing the log to %s\n", program, path.c_str());
}

} // namespace places
