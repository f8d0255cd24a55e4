// Playing the script offscreen: the same start-up, passes and shutdown as in the
// window, drawn into an offscreen framebuffer with no dialog, window, music or pacing.
// Every presented pass can be handed to a sink as RGB pixels (the capture mode writes
// PNG files; a video recorder can feed an encoder the same way).
#pragma once

#include "app/capture_options.h"
#include "app/demo_driver.h"
#include "app/timeline.h"

#include <cstdint>
#include <functional>

struct PresentedFrame {
    PassInfo info;
    int32_t width = 0;
    int32_t height = 0;
    const unsigned char* rgb = nullptr;  // width x height RGB, top row first, no padding
    const unsigned char* bgra = nullptr; // instead of rgb when the run reads BGRA
};

using FrameSink = std::function<void(const PresentedFrame&)>;

struct OffscreenRun {
    int32_t width = 640;
    int32_t height = 480;
    // The presented passes handed to the sink, both ends included; the run stops
    // after lastPass.
    int32_t firstPass = 0;
    int32_t lastPass = INT32_MAX;
    // Gets each presented pass in the range. Without a sink nothing is read back and
    // every pass is finished (glFinish) before it counts, so its time is the real cost.
    FrameSink sink;
    // A progress bar on standard error (only when it is a terminal).
    bool progress = false;
    // Only one part, played once (choice.part 0: the whole script).
    PartChoice choice;
    // Frames per second of script time: at 50 one frame per pass, otherwise frames
    // drawn between passes (a frame counts as the pass it leads up to).
    int32_t fps = 50;
    // Samples per pixel (0: one), the picture's shape at a size other than 4:3, and
    // frames read as BGRA (4 bytes a pixel) instead of RGB.
    int32_t samples = 0;
    bool fill = false;
    bool bgra = false;

    // The script's length by part, known once the scenes are loaded (before the first
    // pass reaches the sink).
    ScriptLength length;

    // Results: presented passes and the seconds spent on them, by part number.
    int32_t presentedTotal = 0;
    int32_t passesByPart[7] = {0, 0, 0, 0, 0, 0, 0};
    double secondsByPart[7] = {0, 0, 0, 0, 0, 0, 0};
};

// How many frames at `fps` show passes first to last (both included).
int64_t framesShowingPasses(int32_t first, int32_t last, int32_t fps);

// Plays the script offscreen; returns the exit code (fatal errors end the process).
int runOffscreen(OffscreenRun& run);

// The two offscreen modes of the command line.
int runCapture(const CommandLine& commandLine);
int runBenchmark(const CommandLine& commandLine);
