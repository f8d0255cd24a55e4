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
    int32_t pass = 0;           // number of the presented pass, from 0 (for a frame between
                                // two passes: the later one)
    int32_t frame = 0;          // number of the presented frame, from 0
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
    // Asked at the start of every frame: true leaves the loop.
    virtual bool stopRequested() = 0;
    // Where the frame about to be drawn lies in the script, in passes since the first
    // pass (pass k's frame at k), given the passes played so far. The default draws
    // one frame per pass, each at its pass.
    virtual double framePosition(int32_t passesPlayed) { return passesPlayed; }
    // Shows the frame just drawn.
    virtual void present(const PassInfo& info) = 0;
    // Waits out the rest of the frame that began at frameStart (milliseconds).
    virtual void pace(uint32_t frameStart) { (void)frameStart; }
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
};

// Plays the part on the host; returns the process exit code.
int runPart(DemoHost& host, const PartChoice& choice);

// Runs the whole demo on the host; returns the process exit code.
int runDemo(DemoHost& host);

// Runs the whole demo in the given window: the script at 50 passes per second (or
// slower when frames can't keep up), frames at the display's rate or, with the
// window's classic pacing, one per pass.
int runDemo(GLWindow& window);
// The part preview in the window: the part in a loop, without music.
int runPartInWindow(GLWindow& window, const PartChoice& choice);

// The scene files, in loading order.
extern const char* const SCENE_FILES[6];
