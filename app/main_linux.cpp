// Entry point on Linux. Without arguments the demo plays in a window; the options
// play it offscreen (capture, benchmark, record).
#include "app/capture.h"
#include "app/capture_options.h"
#include "app/data_folder.h"
#include "app/demo_driver.h"
#include "app/gl_window.h"
#include "app/heap_tuning.h"
#include "app/record.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    tuneHeapForDrawing();
    CommandLine commandLine;
    std::string error;
    if (!parseCommandLine(argc, argv, commandLine, error)) {
        std::fprintf(stderr, "quarn: %s\n%s", error.c_str(), usageText());
        return USAGE_EXIT_CODE;
    }
    switch (commandLine.mode) {
    case CommandLine::HELP:
        std::fputs(usageText(), stdout);
        return 0;
    case CommandLine::VERSION:
        std::fputs(versionText(), stdout);
        return 0;
    default:
        break;
    }
    if (!enterDataFolder(commandLine, error)) {
        std::fprintf(stderr, "quarn: %s\n", error.c_str());
        return 1;
    }
    switch (commandLine.mode) {
    case CommandLine::CAPTURE:
        return runCapture(commandLine);
    case CommandLine::BENCHMARK:
        return runBenchmark(commandLine);
    case CommandLine::RECORD:
        return runRecord(commandLine);
    default:
        break;
    }
    gWindow.classicPacing = commandLine.classicPacing;
    gWindow.showStats = commandLine.stats;
    if (commandLine.part != 0) {
        PartChoice choice;
        choice.part = commandLine.part;
        choice.sceneFile = commandLine.sceneFile;
        choice.loop = true;
        return runPartInWindow(gWindow, choice);
    }
    return runDemo(gWindow);
}
