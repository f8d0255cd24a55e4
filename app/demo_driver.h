// The demo driver: start-up, the main loop and the ordered shutdown.
//
// The same sequence runs in the render window and offscreen (capture and benchmark
// modes); a DemoHost supplies what differs: how the GL context comes to be, whether
// music plays, when to stop, and what presenting a pass means.
#pragma once

#include <cstdint>
#include <string>

class GLWindow;
struct Timeline;

// What the driver tells the host about a pass it presents.
struct PassInfo {
    int32_t pass = 0;           // number of the presented pass, from 0
    int32_t part = 0;           // the part whose frame the pass shows
    int32_t presentedTotal = 0; // presented passes of the whole script
};

class DemoHost {
  public:
    virtual ~DemoHost() = default;
    // Start-up steps 1 and 2: the settings, then a current GL context. Failures end
    // the process through the log's error.
    virtual void open() = 0;
    // Start-up step 10, after the scenes are loaded and reported.
    virtual void enterFullScreenIfChosen() {}
    // Whether a music player is made at all, and whether it plays nothing.
    virtual bool hasMusic() const = 0;
    virtual bool soundOff() const = 0;
    // Called once before the first pass, with the timeline set up over the scenes.
    virtual void started(const Timeline& timeline) { (void)timeline; }
    // Asked at the start of every pass: true leaves the loop.
    virtual bool stopRequested() = 0;
    // Shows the pass just drawn.
    virtual void present(const PassInfo& info) = 0;
    // Waits out the rest of the pass that began at passStart (milliseconds).
    virtual void pace(uint32_t passStart) { (void)passStart; }
    // Shutdown step 2: releases the window or context.
    virtual void close() = 0;
    // A line about the running part preview (the window shows it in its title bar).
    virtual void showStatus(const char* text) { (void)text; }
};

// Playing one part alone: its scene from `sceneFile` (empty: the part's own file in
// the working directory), once, or in a loop that reloads the file when it changes.
struct PartChoice {
    int32_t part = 0; // 0: the whole script
    std::string sceneFile;
    bool loop = false;
    // When set, the stop signal received (0: none), checked every pass, and how the
    // process then ends by it, as the offscreen modes do.
    int (*stopSignal)() = nullptr;
    void (*endBySignal)(int signal) = nullptr;
};

// Plays the part on the host; returns the process exit code.
int runPart(DemoHost& host, const PartChoice& choice);

// Runs the whole demo on the host; returns the process exit code.
int runDemo(DemoHost& host);

// Runs the whole demo in the given window, paced to at most 50 passes per second.
int runDemo(GLWindow& window);
// The part preview in the window: the part in a loop, without music.
int runPartInWindow(GLWindow& window, const PartChoice& choice);

// The scene files, in loading order.
extern const char* const SCENE_FILES[6];
