// Where the program finds its data and writes its log. Started in a folder that holds
// the scene files, everything stays in the working directory. Otherwise, when the
// data was installed beside the program (../share/quarn from the executable's folder),
// the data is read from there and the log goes to the user's state folder
// ($XDG_STATE_HOME/quarn, by default ~/.local/state/quarn). On Windows the data folder
// is the program's own and the log stays in the working directory.
#pragma once

#include <string>

namespace places {

// The log's file name.
constexpr const char* LOG_FILE_NAME = "QuarnWin32.log";

// The installed data folder (absolute) when the working directory holds no scene
// files and the installed folder does; empty otherwise. On Windows the installed
// folder is the program's own.
std::string installedDataFolder();

// The path to open for the log: the plain file name, or a file in the state folder
// (created when missing) when the installed data is used. Empty when that folder
// can't be made; `problem` then says why.
std::string logFilePath(std::string& problem);

// Tells standard error once where the log is, or why there is none, when it is not
// the plain file in the working directory. `openProblem` says why the open failed (nullptr: it
// did not).
void reportLogFile(const std::string& path, const std::string& problem, const char* openProblem);

} // namespace places
