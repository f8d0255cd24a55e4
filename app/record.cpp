#include "app/record.h"

#include "app/capture.h"
#include "app/video_recorder.h"
#include "log/log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const SOUNDTRACK = "demo.mp3";
constexpr int VIDEO_FPS = 50; // one frame per pass, as the demo paces its passes

// The recording in progress, cancelled if the process ends on a fatal error: the
// video then never appears half-written.
VideoRecorder* activeRecorder = nullptr;

void cancelActiveRecording() {
    if (activeRecorder)
        activeRecorder->cancel();
}

bool isReadableFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, R_OK) == 0;
}

} // namespace

int runRecord(const CommandLine& commandLine) {
    // Like the demo, a missing soundtrack means a silent video.
    const bool withSound = isReadableFile(SOUNDTRACK);
    VideoRecorder recorder;
    std::unique_ptr<RecordProgress> progress;
    static bool cleanupRegistered = false;
    if (!cleanupRegistered)
        cleanupRegistered = std::atexit(cancelActiveRecording) == 0;

    OffscreenRun run;
    run.width = commandLine.width;
    run.height = commandLine.height;
    run.firstPass = commandLine.firstPass;
    run.lastPass = commandLine.lastPass;
    run.choice.part = commandLine.part;
    run.choice.sceneFile = commandLine.sceneFile;
    run.sink = [&](const PresentedFrame& frame) {
        // ffmpeg starts with the first frame, once the scenes have loaded.
        if (!progress) {
            if (!recorder.start(commandLine.videoFile, frame.width, frame.height, VIDEO_FPS,
                                withSound ? SOUNDTRACK : ""))
                gLog.error("Can't record the video: %s", recorder.errorText().c_str());
            activeRecorder = &recorder;
            int32_t last = std::min(run.lastPass, frame.info.presentedTotal - 1);
            progress = std::make_unique<RecordProgress>(last - run.firstPass + 1, VIDEO_FPS);
        }
        if (!recorder.writeFrame(frame.rgb))
            gLog.error("Can't record the video: %s", recorder.errorText().c_str());
        progress->update(recorder.framesWritten());
    };
    int code = runOffscreen(run);
    if (progress)
        progress->done();
    bool finished = recorder.finish();
    activeRecorder = nullptr;
    if (!finished)
        gLog.error("Can't record the video: %s", recorder.errorText().c_str());
    std::printf("Recorded %ld frames of %dx%d at %d frames per second to %s, %s\n", recorder.framesWritten(),
                run.width, run.height, VIDEO_FPS, commandLine.videoFile.c_str(),
                withSound ? "with the soundtrack demo.mp3" : "without sound (no demo.mp3 to read)");
    std::fflush(stdout);
    return code;
}
