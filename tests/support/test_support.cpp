#include "support/test_support.h"

#include "log/log.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {
[[noreturn]] void throwFatal(const char* text) {
    throw FatalError(text);
}
} // namespace

FatalCapture::FatalCapture() {
    Log::setFatalHandler(throwFatal);
}
FatalCapture::~FatalCapture() {
    Log::setFatalHandler(nullptr);
}

std::string fatalTextOf(const std::function<void()>& fn) {
    FatalCapture capture;
    try {
        fn();
    } catch (const FatalError& e) {
        return e.what();
    }
    return "<no error>";
}

LogMark::LogMark() {
    // The log is opened as the program opens it once it has read its command line.
    gLog.openFile();
    offset_ = 0;
    if (gLog.file) {
        std::fflush(gLog.file);
        offset_ = std::ftell(gLog.file);
    }
}

std::string LogMark::text() const {
    if (!gLog.file)
        return "";
    std::fflush(gLog.file);
    std::string all = readFileText("QuarnWin32.log");
    if (static_cast<size_t>(offset_) > all.size())
        return "";
    return all.substr(static_cast<size_t>(offset_));
}

std::string readFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string sourceDir() {
    const char* dir = std::getenv("QUARN_SOURCE_DIR");
    return dir ? dir : ".";
}

std::string binaryDir() {
    const char* dir = std::getenv("QUARN_BINARY_DIR");
    return dir ? dir : ".";
}

std::string sharedSamplesDir() {
    std::string dir = sourceDir() + "/../shared/samples/3ds";
    struct stat info;
    if (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return dir;
    return "";
}
