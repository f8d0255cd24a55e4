#include "app/data_folder.h"

#include "log/file_places.h"
#include "texture/texture.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

std::string absoluteAgainst(const std::string& start, const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    return start + "/" + path;
}

// A bare video name goes to $XDG_VIDEOS_DIR when that names a folder; any other
// relative path stays relative to where the program was started.
std::string videoPath(const std::string& start, const std::string& file) {
    const char* videos = std::getenv("XDG_VIDEOS_DIR");
    if (file.find('/') == std::string::npos && videos && videos[0] == '/' && access(videos, W_OK) == 0)
        return std::string(videos) + "/" + file;
    return absoluteAgainst(start, file);
}

} // namespace

bool enterDataFolder(CommandLine& commandLine, std::string& error) {
    const std::string data = places::installedDataFolder();
    if (data.empty())
        return true;
    char start[PATH_MAX];
    if (!getcwd(start, sizeof start)) {
        error = std::string("can't tell the working directory: ") + std::strerror(errno);
        return false;
    }
    commandLine.directory = absoluteAgainst(start, commandLine.directory);
    commandLine.sceneFile = absoluteAgainst(start, commandLine.sceneFile);
    if (!commandLine.videoFile.empty())
        commandLine.videoFile = videoPath(start, commandLine.videoFile);
    if (chdir(data.c_str()) != 0) {
        error = "can't enter the data folder " + data + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void useSceneFileFolder(const std::string& sceneFile) {
    const size_t slash = sceneFile.rfind('/');
    if (slash != std::string::npos)
        setTextureFolders({sceneFile.substr(0, slash + 1), ""});
}
