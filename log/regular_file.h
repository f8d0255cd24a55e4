// Opening a file by name without ever waiting: a FIFO, a device or a directory under
// the name is refused at once instead of blocking the program (opening a FIFO for
// reading waits for a writer). Every file the program reads or writes by name goes
// through here; a name that is not a regular file counts as a file that isn't there.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum class FileAccess {
    ReadBinary, // "rb"
    WriteText,  // "wt": created, or emptied when it exists
};

// Why a file could not be opened, in the same words on every platform.
enum class FileProblem { None, Missing, NotRegular, Denied, Other };

// Opens name as a regular file; nullptr (with the reason in *problem when given) when
// it can't be opened or is not a regular file. Close the stream with fclose.
std::FILE* openRegularFile(const char* name, FileAccess access, FileProblem* problem = nullptr);

// Reads the whole of a regular file named `name` into bytes; false (with the reason)
// when it can't be opened or read.
bool readRegularFile(const char* name, std::vector<unsigned char>& bytes, FileProblem* problem = nullptr);

// The identity of the file `name` leads to (its device and file number), the same for
// every spelling of the name: "dir/../a.tga", "./a.tga", a link to it. Empty when
// nothing is there.
std::string fileIdentity(const char* name);

// "no such file", "not a regular file", "permission denied", "it can't be opened".
const char* fileProblemText(FileProblem problem);

// The line a person is shown when a file can't be opened, for example
// `Can't open texture file "wood.tga": no such file.` (kind is "texture file").
std::string cantOpenText(const char* kind, const char* name, FileProblem problem);

// Where a missing file was looked for: "Looked in /a/b and the working folder /c."
// Each folder is a prefix put before the name ("" is the working folder).
std::string searchedText(const std::vector<std::string>& folders);
