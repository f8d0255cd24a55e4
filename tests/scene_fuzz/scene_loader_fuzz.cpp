// Fuzz target of the 3DS loader: any bytes as a scene file. A fatal error of the
// loader (a missing or corrupt file) becomes an exception that ends the input; the
// loaded scene is then reported and summarised in full detail, so that every list
// the loader filled is read back. Texture images are not read.
#include "app/offscreen_gl.h"
#include "log/log.h"
#include "scene/scene_loader.h"
#include "scene_summary.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

struct LoaderFatal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void throwFatal(const char* text) {
    throw LoaderFatal(text);
}

std::string& inputPath() {
    static std::string path;
    return path;
}

void removeInput() {
    if (!inputPath().empty())
        std::remove(inputPath().c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Scenes set a projection when they are built: give them a context when there is one.
    static OffscreenGL gl;
    std::string error;
    gl.create(16, 16, error);
    Log::setFatalHandler(throwFatal);
    // The log's text is formatted as always but goes nowhere.
    if (gLog.file)
        gLog.file = std::freopen("/dev/null", "w", gLog.file);
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quarn-scene-fuzz-XXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd >= 0)
        close(fd);
    inputPath() = pattern;
    std::atexit(removeInput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(inputPath().c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);

    SceneLoader loader;
    loader.loadTextures = false;
    std::unique_ptr<Scene> scene;
    try {
        scene.reset(loader.load(inputPath().c_str()));
    } catch (const LoaderFatal&) {
        return 0;
    }
    scene->report();
    SummaryOptions options;
    options.detail = true;
    std::string json = jsonSummary("fuzz.3ds", *scene, loader, options);
    std::string text = textSummary("fuzz.3ds", *scene, loader, options);
    if (json.empty() || text.empty())
        std::abort();
    return 0;
}
