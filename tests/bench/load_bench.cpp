// Loading 3DS files: our loader (with its log, as the demo writes it) against
// assimp's and lib3ds's importers reading the same files in the same process.
//
//   build/tests/bench/load_bench [--benchmark_repetitions=5 ...]
//
// Files: the shipped scenes (data/scene*.3ds) and the shared samples beside the
// checkout (../shared/samples/3ds), when that folder is there. A file a library
// refuses is left out for that library. Texture images are not read. The loader's
// standard-output lines go to /dev/null; the results are written on standard error.
// scripts/bench-load.sh runs this program and the same program built against the
// loader of an earlier revision, one after the other, and prints the ratios.
#include "app/offscreen_gl.h"
#include "log/log.h"
#include "scene/scene_loader.h"

#include <benchmark/benchmark.h>

#if defined(QUARN_BENCH_ASSIMP)
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif
#if defined(QUARN_BENCH_LIB3DS)
#include <lib3ds/file.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct LoadFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void throwFatal(const char* text) {
    throw LoadFailed(text);
}

// Our loader, as the demo calls it, with the log written to its file.
bool loadQuarn(const std::string& path) {
    if (gLog.file)
        std::rewind(gLog.file); // the log of one load at a time
    SceneLoader loader;
    loader.loadTextures = false;
    try {
        delete loader.load(path.c_str());
    } catch (const LoadFailed&) {
        return false;
    }
    return true;
}

#if defined(QUARN_BENCH_ASSIMP)
bool loadAssimp(const std::string& path) {
    static Assimp::Importer importer; // built once: its set-up is not a load
    bool loaded = importer.ReadFile(path, 0) != nullptr;
    importer.FreeScene();
    return loaded;
}
#endif

#if defined(QUARN_BENCH_LIB3DS)
bool loadLib3ds(const std::string& path) {
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    if (!file)
        return false;
    lib3ds_file_free(file);
    return true;
}
#endif

// The .3ds files of a folder (any case of the extension), sorted by name.
std::vector<std::string> filesIn(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
            if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".3ds") == 0 &&
                lower.compare(0, prefix.size(), prefix) == 0)
                files.push_back(dir + "/" + name);
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void registerLoads(const char* library, bool (*load)(const std::string&), const std::string& group,
                   const std::vector<std::string>& files) {
    for (const std::string& path : files) {
        if (!load(path))
            continue;
        std::string name =
            "load/" + std::string(library) + "/" + group + "/" + path.substr(path.rfind('/') + 1);
        benchmark::RegisterBenchmark(name.c_str(), [path, load](benchmark::State& state) {
            for (auto _ : state)
                benchmark::DoNotOptimize(load(path));
        })->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Scenes set a projection when they are built, as in the demo.
    static OffscreenGL gl;
    std::string error;
    gl.create(16, 16, error);
    Log::setFatalHandler(throwFatal);
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;

    benchmark::Initialize(&argc, argv);
    // The files are those of this checkout, or of the one QUARN_BENCH_ROOT names
    // (a build of an earlier revision loads the same files as the current one).
    const char* root = std::getenv("QUARN_BENCH_ROOT");
    const std::string source = root && *root ? root : QUARN_BENCH_SOURCE_DIR;
    const std::vector<std::string> scenes = filesIn(source + "/data", "scene");
    const std::vector<std::string> samples = filesIn(source + "/../shared/samples/3ds", "");
    struct Library {
        const char* name;
        bool (*load)(const std::string&);
    };
    std::vector<Library> libraries = {{"quarn", loadQuarn}};
#if defined(QUARN_BENCH_ASSIMP)
    libraries.push_back({"assimp", loadAssimp});
#endif
#if defined(QUARN_BENCH_LIB3DS)
    libraries.push_back({"lib3ds", loadLib3ds});
#endif
    for (const Library& library : libraries) {
        registerLoads(library.name, library.load, "scene", scenes);
        registerLoads(library.name, library.load, "sample", samples);
    }
    benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_None);
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
