// The program's command line. Without arguments it plays the demo in a window; the
// other modes play the script offscreen:
//   quarn --capture DIR [--size WxH] [--passes A-B]   every presented pass as a PNG
//   quarn --benchmark [--size WxH]                    passes per second, no files
//   quarn --record FILE [--size WxH] [--passes A-B]   a video at 50 fps with the soundtrack
#pragma once

#include <cstdint>
#include <string>

struct CommandLine {
    enum Mode { DEMO, CAPTURE, BENCHMARK, HELP, RECORD, VERSION };
    Mode mode = DEMO;
    std::string directory; // capture: where the frames go
    std::string videoFile; // record: the video to write
    int32_t width = 640;
    int32_t height = 480;
    // Capture and record: the presented passes to write, both ends included.
    int32_t firstPass = 0;
    int32_t lastPass = INT32_MAX;
    // --part N: play only part N (0: the whole script), from --scene FILE when given,
    // else from the part's own scene file in the working directory.
    int32_t part = 0;
    std::string sceneFile;
    // The window: one picture per pass instead of frames at the display's rate, and
    // the frame and pass rates printed at the end.
    bool classicPacing = false;
    bool stats = false;
};

// Parses argv; on a mistake returns false with a one-line explanation in `error`.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& result, std::string& error);

// The usage text, several lines, ending with a line end.
const char* usageText();

// "quarn VERSION" and a line end.
const char* versionText();

// Exit code for a command line that can't be understood.
constexpr int USAGE_EXIT_CODE = 2;
