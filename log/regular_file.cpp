#include "log/regular_file.h"

#include <filesystem>

const char* fileProblemText(FileProblem problem) {
    switch (problem) {
    case FileProblem::None:
        return "no problem";
    case FileProblem::Missing:
        return "no such file";
    case FileProblem::NotRegular:
        return "not a regular file";
    case FileProblem::Denied:
        return "permission denied";
    case FileProblem::Other:
        break;
    }
    return "it can't be opened";
}

std::string cantOpenText(const char* kind, const char* name, FileProblem problem) {
    return std::string("Can't open ") + kind + " \"" + (name ? name : "") +
           "\": " + fileProblemText(problem) + ".";
}

bool readRegularFile(const char* name, std::vector<unsigned char>& bytes, FileProblem* problem) {
    bytes.clear();
    std::FILE* file = openRegularFile(name, FileAccess::ReadBinary, problem);
    if (!file)
        return false;
    unsigned char chunk[64 * 1024];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    if (!ok && problem)
        *problem = FileProblem::Other;
    return ok;
}

std::string searchedText(const std::vector<std::string>& folders) {
    std::string text = "Looked in ";
    for (size_t i = 0; i < folders.size(); ++i) {
        if (i > 0)
            text += i + 1 == folders.size() ? " and " : ", ";
        if (folders[i].empty()) {
            std::error_code error;
            text += "the working folder " + std::filesystem::current_path(error).string();
        } else {
            text += folders[i];
        }
    }
    return text + ".";
}
