// Fuzz target: a model through the converter's own entry (convertModel), with every
// cap and refusal of the program in force. The first byte picks the format the
// rest is saved as (even: glTF, odd: OBJ); the model is converted in a private
// folder that is emptied after each input.
#include "convert.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// The converter keeps no log file, and neither does its fuzz target.
bool logFileWanted() {
    return false;
}

namespace {

const std::filesystem::path& workFolder() {
    static const std::filesystem::path folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::filesystem::path path =
            std::filesystem::path(base ? base : "/tmp") / ("quarn-convert-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const std::filesystem::path& folder = workFolder();
    std::string input = (folder / ((data[0] & 1) ? "model.obj" : "model.gltf")).string();
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    convert::ConvertOptions options;
    options.input = input;
    options.output = (folder / "out.3ds").string();
    options.seconds = 1; // a short flight keeps each run quick
    convert::Report report;
    std::string error;
    int code = convert::convertModel(options, report, error);
    if (code != 0 && code != 1)
        std::abort();
    if (code == 1 && error.empty())
        std::abort(); // a failure always says why
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        std::filesystem::remove(entry.path(), ignored);
    return 0;
}
