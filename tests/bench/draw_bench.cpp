// Drawing a pass of each part of the shipped demo, corner by corner in immediate
// mode against drawing from arrays, on the offscreen context at a given size. Each
// part plays its own passes over and over from its first one, as the script does.
//
//   build/tests/bench/draw_bench [--size=WxH] [--whole-parts] --benchmark_repetitions=5
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
// With --whole-parts each measurement plays the whole part once instead of its first
// half second or so, so a part whose scenery changes along the flight is measured fairly.
#include "app/offscreen_gl.h"
#include "render/gl.h"
#include "render/object_renderer.h"
#include "support/shipped_demo.h"
#include "support/test_support.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

const int32_t PARTS[5] = {1, 2, 3, 5, 6};

struct Playing {
    OffscreenGL gl;
    std::unique_ptr<ShippedDemo> demo;
    Timeline startOf[7]; // the timeline at the first pass of each part
};

Playing* playing = nullptr;

// Plays the script into each part in turn, skipping most of the passes before it.
void recordPartStarts(Playing& p) {
    Timeline& t = p.demo->timeline;
    for (int32_t part : PARTS) {
        while (t.part != part) {
            p.demo->skipAhead(1.0);
            t.step();
        }
        p.startOf[part] = t;
    }
}

void drawPasses(benchmark::State& state, int32_t part, DrawPath path) {
    setDrawPath(path);
    Timeline& t = playing->demo->timeline;
    t = playing->startOf[part];
    for (auto _ : state) {
        bool ended = t.step();
        glFinish();
        if (ended || t.part != part)
            t = playing->startOf[part];
    }
    state.counters["passes/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Takes the flag out of the arguments; true when it was there.
bool takeFlag(int& argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], flag) != 0)
            continue;
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        --argc;
        return true;
    }
    return false;
}

// Takes --size=WxH out of the arguments.
bool takeSize(int& argc, char** argv, int& width, int& height) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--size=", 7) != 0)
            continue;
        if (std::sscanf(argv[i] + 7, "%dx%d", &width, &height) != 2 || width < 1 || height < 1)
            return false;
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        --argc;
        return true;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int width = 640, height = 480;
    if (!takeSize(argc, argv, width, height)) {
        std::fprintf(stderr, "--size takes WxH, e.g. --size=1920x1080\n");
        return 2;
    }
    bool wholeParts = takeFlag(argc, argv, "--whole-parts");
    Playing p;
    std::string error;
    if (!p.gl.create(width, height, error)) {
        std::fprintf(stderr, "No offscreen GL context: %s\n", error.c_str());
        return 1;
    }
    p.demo = std::make_unique<ShippedDemo>(sourceDir() + "/data");
    recordPartStarts(p);
    playing = &p;

    std::string size = std::to_string(width) + "x" + std::to_string(height);
    ScriptLength length = p.demo->timeline.length();
    for (int32_t part : PARTS)
        for (DrawPath path : {DrawPath::IMMEDIATE, DrawPath::ARRAYS}) {
            std::string name = "pass/" + size + "/part" + std::to_string(part) +
                               (path == DrawPath::IMMEDIATE ? "/immediate" : "/arrays");
            benchmark::internal::Benchmark* b =
                benchmark::RegisterBenchmark(name.c_str(), drawPasses, part, path);
            b->Unit(benchmark::kMillisecond)->UseRealTime();
            if (wholeParts)
                b->Iterations(length.presented[part]);
        }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    playing = nullptr;
    p.demo.reset();
    p.gl.destroy();
    return 0;
}
