// Entry point on Linux. Without arguments the demo plays in a window; the options
// play it offscreen (capture, benchmark, record).
#include "app/capture.h"
#include "app/capture_options.h"
#include "app/data_folder.h"
#include "app/demo_driver.h"
#include "app/gl_window.h"
#include "audio/music_player.h"
#include "app/heap_tuning.h"
#include "app/record.h"
#include "app/stop_signal.h"
#include "log/log.h"
#include "scene/scene_loader.h"

#include <cstdio>
#include <string>

namespace {

bool askToPlayWithoutMusic() {
    return logconsole::askYesNo("No sound device could be opened. Play without music?", "VORNIK");
}

const char* const MISSING_FILE_ADVICE =
    "The demo reads its files (scene1.3ds .. scene6.3ds, their textures, demo.mp3) from the "
    "working folder, or from ../share/quarn beside the program's folder when the working folder "
    "has no scene1.3ds: start quarn in the folder that holds them (data/ in the source tree), "
    "or install the package again.";

} // namespace

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
    // The log is made only now: a run that only answers --help or --version leaves none.
    gLog.openFile();
    gLog.boxWithoutTerminal = true;
    MusicPlayer::playWithoutDevice = askToPlayWithoutMusic;
    SceneLoader::missingFileAdvice = MISSING_FILE_ADVICE;
    if (!enterDataFolder(commandLine, error)) {
        std::fprintf(stderr, "quarn: %s\n", error.c_str());
        return 1;
    }
    useSceneFileFolder(commandLine.sceneFile);
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
    gWindow.multisample = commandLine.multisample;
    gWindow.fill = commandLine.fill;
    if (commandLine.part != 0) {
        PartChoice choice;
        choice.part = commandLine.part;
        choice.sceneFile = commandLine.sceneFile;
        choice.loop = true;
        // Ctrl-C, SIGTERM and SIGHUP end the preview by the signal, as in the other modes.
        static const PartChoice::StopSignals signals{installStopSignals, stopSignalReceived, endByStopSignal};
        choice.stopSignals = &signals;
        return runPartInWindow(gWindow, choice);
    }
    return runDemo(gWindow);
}
