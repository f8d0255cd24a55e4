// Data and log places on Windows: the program's folder is the data folder (the zip
// holds the data beside quarn.exe) and the log is written in the working directory.
#include "log/file_places.h"

namespace places {

std::string installedDataFolder() {
    return std::string();
}

std::string logFilePath(std::string& problem) {
    problem.clear();
    return LOG_FILE_NAME;
}

void reportLogFile(const std::string&, const std::string&, const char*) {}

} // namespace places
