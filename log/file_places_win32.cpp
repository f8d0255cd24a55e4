// Data and log places on Windows: the zip holds the data beside quarn.exe. Started in
// a folder that holds the scene files, everything stays in the working directory;
// otherwise (a shortcut's "Start in", a prompt in another folder) the program's own
// folder is the data folder. The log is written in the working directory (quarn.exe
// enters its data folder before it opens the log).
#include "log/file_places.h"

#include <windows.h>

namespace places {
namespace {

const char* const MARKER_FILE = "scene1.3ds";

bool holdsScenes(const std::string& folder) {
    DWORD attributes = GetFileAttributesA((folder + MARKER_FILE).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string executableFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return std::string();
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/") + 1);
}

} // namespace

std::string installedDataFolder() {
    if (holdsScenes(""))
        return std::string();
    std::string folder = executableFolder();
    if (folder.empty() || !holdsScenes(folder))
        return std::string();
    folder.pop_back(); // no separator at the end, as on Linux
    return folder;
}

std::string logFilePath(std::string& problem) {
    problem.clear();
    return LOG_FILE_NAME;
}

void reportLogFile(const std::string&, const std::string&, const char*) {}

} // namespace places
